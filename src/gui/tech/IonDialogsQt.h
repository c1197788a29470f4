#pragma once
// The gradient probe's dialogs in Qt: "Select ISP/PVP By Name", "New ISP/PVP Name", "ISP/PVP
// Calibration" (with its watch timer), "Edit ISP/PVP Calibration", "ISP/PVP Sampling Rules"
// (with the rotation and tilt previews), "Add Cartesian Point to Path" and "Add Gradient
// Calculation", each bound to its logic object.

#include <QDialog>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

#include "gui/tech/LogicDialog.h"
#include "tech/IonCalibrationSession.h"
#include "tech/IonDialogs.h"
#include "tech/IonRulesLogic.h"
#include "tech/ProbeNames.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

class CSelectProbeDialog : public CLogicDialog {
    Q_OBJECT
  public:
    CSelectProbeDialog(CSelectProbeLogic& logic, QWidget* parent = nullptr);

  private:
    void Fill();
    CSelectProbeLogic& logic;
    QListWidget* list = nullptr;
};

class CNewProbeNameDialog : public CLogicDialog {
    Q_OBJECT
  public:
    CNewProbeNameDialog(CNewProbeNameLogic& logic, QWidget* parent = nullptr);
};

class CIonCalibrationDialog : public QDialog {
    Q_OBJECT
  public:
    CIonCalibrationDialog(CIonCalibrationSession& session, QWidget* parent = nullptr);

    void accept() override;
    void reject() override;
    bool Watching() const { return watch.isActive(); }

  private:
    // The typed fields into the session, and the session's values back into the widgets.
    void Transfer();
    void Refresh();
    void ToggleWatch();

    CIonCalibrationSession& session;
    QTimer watch;
    QRadioButton* nernst = nullptr;
    QRadioButton* polarographic = nullptr;
    QLineEdit* sampleFor = nullptr;
    QCheckBox* autoBath = nullptr;
    QLabel* bathOffset = nullptr;
    QLineEdit* conc[3] = {};
    QLabel* concUnit[3] = {};
    QLabel* value[3] = {};
    QCheckBox* use3 = nullptr;
    QPushButton* solution3 = nullptr;
    QPushButton* watchButton = nullptr;
    QLineEdit* interval = nullptr;
    QLabel* tip = nullptr;
    QLineEdit* preampGain = nullptr;
    QLineEdit* preampChannel = nullptr;
    QLineEdit* mainGain = nullptr;
    QLineEdit* mainChannel = nullptr;
    QLineEdit* daChannel = nullptr;
    QLabel* slopeCaption = nullptr;
    QLabel* slope = nullptr;
    QLabel* slopeUnit = nullptr;
    QLabel* intercept = nullptr;
    QWidget* polarographicSetup = nullptr;
    QLabel* polarizationCaption = nullptr;
    QLabel* polarization = nullptr;
};

class CIonCalibrationEditDialog : public CLogicDialog {
    Q_OBJECT
  public:
    CIonCalibrationEditDialog(CIonCalibrationEditLogic& logic, QWidget* parent = nullptr);
};

// The path as the rotation or tilt preview draws it.
class CPathPreview : public QWidget {
    Q_OBJECT
  public:
    explicit CPathPreview(std::vector<SIonPreviewPoint> points, bool tiltView,
                          QWidget* parent = nullptr);
    QSize sizeHint() const override { return {360, 300}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<SIonPreviewPoint> points;
    bool tiltView;
};

class CIonRulesDialog : public QDialog {
    Q_OBJECT
  public:
    CIonRulesDialog(CIonRulesLogic& logic, QWidget* parent = nullptr);
    void accept() override;

  private:
    void Transfer();
    void FillLists();
    void ShowPreview(bool tiltView);

    CIonRulesLogic& logic;
    QLineEdit* rotation = nullptr;
    QLineEdit* tilt = nullptr;
    QLineEdit* bathWait = nullptr;
    QLineEdit* bathAverage = nullptr;
    QCheckBox* da0From = nullptr;
    QLineEdit* da0Channel = nullptr;
    QCheckBox* da1From = nullptr;
    QLineEdit* da1Channel = nullptr;
    QCheckBox* bathBefore = nullptr;
    QCheckBox* bathAfter = nullptr;
    QLabel* pathHeader = nullptr;
    QListWidget* path = nullptr;
    QRadioButton* absolute = nullptr;
    QRadioButton* relative = nullptr;
    QRadioButton* linear = nullptr;
    QRadioButton* tracking = nullptr;
    QLineEdit* repetitions = nullptr;
    QListWidget* calcs = nullptr;
    QCheckBox* useRef = nullptr;
    QCheckBox* applyCal = nullptr;
};

class CIonPointDialog : public CLogicDialog {
    Q_OBJECT
  public:
    CIonPointDialog(CIonPointLogic& logic, QWidget* parent = nullptr);
};

class CGradCalcDialog : public CLogicDialog {
    Q_OBJECT
  public:
    CGradCalcDialog(CGradCalcLogic& logic, QWidget* parent = nullptr);
};

class CQtIonDialogs : public CIonDialogs {
  public:
    bool SelectProbe(CSelectProbeLogic& logic) override;
    bool NewProbeName(CNewProbeNameLogic& logic) override;
    bool Calibrate(CIonCalibrationSession& session) override;
    bool EditCalibration(CIonCalibrationEditLogic& logic) override;
    bool EditRules(CIonRulesLogic& logic) override;
    bool EditPoint(CIonPointLogic& logic) override;
    bool EditCalc(CGradCalcLogic& logic) override;

    // What "Set Vpol" opens: the main window's D/A output setting.
    std::function<void()> setDaOutput;
};

// Installs the Qt dialogs behind IonDialogs() with what "Set Vpol" opens and the Esc check
// between the points of a gradient walk. The main window calls it once.
void InstallIonDialogs(std::function<void()> setDaOutput, std::function<bool()> escapePressed);
