#pragma once
// The CDP calibration's dialogs in Qt: "Current Density Probe Calibration" bound to a
// CWireCalibrationSession (its watch timer, the move modes through the main window's keyboard
// and mouse control, the modal "Find Z Plane" on top), and "Edit Current Density Probe
// Calibration" on its logic. Widgets carry the station's control numbers as object names
// ("edit1031", "button1355", "static1599").

#include <QDialog>
#include <QTimer>
#include <map>

#include "gui/tech/LogicDialog.h"
#include "tech/WireCalibrationDialogs.h"
#include "tech/WireCalibrationEdit.h"
#include "tech/WireCalibrationSession.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class CFindZPlaneDialog;

class CWireCalibrationDialog : public QDialog, public CWireCalibrationView {
    Q_OBJECT
  public:
    static constexpr int kOpeningQuestionMs = 500;
    static constexpr int kPositionRefreshMs = 250;

    explicit CWireCalibrationDialog(CWireCalibrationSession& session, QWidget* parent = nullptr);
    ~CWireCalibrationDialog() override;

    CWireCalibrationSession& Session() { return session; }
    const QTimer& WatchTimer() const { return watchTimer; }

    // ---- CWireCalibrationView ----------------------------------------------------------------
    void Refresh() override;
    void ShowFields() override;
    void RunWatchTimer(bool on, int periodMs) override;
    bool FindZPlaneDialog() override;

    void accept() override;
    void reject() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // One edit box into the session; false when refused (the text stays for correcting).
    bool TakeField(EWireCalField field);
    // The edit boxes into the session; false (focus on the refused box) when one is refused.
    bool ToSession();
    // A button: the edits first, then the action.
    void Act(const std::function<void()>& action);
    QPushButton* Button(int id, const char* caption, const std::function<void()>& action);
    QLabel* Static(const QString& name);
    void RefreshPositions();

    CWireCalibrationSession& session;
    std::map<EWireCalField, QLineEdit*> edits;
    std::map<QString, QLabel*> statics;
    QPushButton* watchButton = nullptr;
    QPushButton* moveProbe = nullptr;
    QPushButton* moveSample = nullptr;
    QButtonGroup* xAxes = nullptr;
    QButtonGroup* yAxes = nullptr;
    QTimer watchTimer;
    QTimer positionTimer;
    CFindZPlaneDialog* findZPlane = nullptr;
    bool taking = false;
};

// "Find Z Plane": the instructions, the live watch and the probe's position while the user
// moves the probe up and down. Esc belongs to the mouse control here (it lets go of the
// pointer); OK or Enter ends the search, Cancel drops it.
class CFindZPlaneDialog : public QDialog {
    Q_OBJECT
  public:
    CFindZPlaneDialog(CWireCalibrationSession& session, QWidget* parent);
    void Refresh();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    CWireCalibrationSession& session;
    QLabel* watch[4] = {};
    QLabel* probe = nullptr;
};

class CWireCalibrationEditDialog : public CLogicDialog {
    Q_OBJECT
  public:
    CWireCalibrationEditDialog(CWireCalibrationEditLogic& logic, QWidget* parent = nullptr);

  private:
    void ToLogic();
    void FromLogic();

    CWireCalibrationEditLogic& logic;
    QLineEdit* gains[4] = {};
    QLineEdit* phases[4] = {};
    QLineEdit* systemGain = nullptr;
    QLineEdit* resistivity = nullptr;
    QLineEdit* setTo = nullptr;
    QLineEdit* assumingWas = nullptr;
    QLabel* shown[6] = {};  // vibration angles, currents, distances (X PSD, Y PSD)
};

class CQtWireCalibrationDialogs : public CWireCalibrationDialogs {
  public:
    void Calibrate(CWireCalibrationSession& session) override;
    bool Edit(CWireCalibrationEditLogic& logic) override;
};

// Installs the Qt dialogs behind WireCalibrationDialogs(). The main window calls it once.
void InstallWireCalibrationDialogs();
