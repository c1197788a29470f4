#pragma once
// The dialogs that start a grid scan group: "Load Grid Scan Parameters" (the stored parameter
// sets, "New ...", "Remove") with its "New Grid Scan Parameter Name", and "Grid Scan Setup",
// every field of a set on CGridScanSetupLogic. The dialogs only bind widgets: the checks, the
// estimate and the messages are the logic's.

#include <QDialog>
#include <QString>
#include <array>

#include "scan/GridScanSetup.h"
#include "scan/ScanSequencer.h"

class CGridScanSetList;
class CMainFrame;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

// "New Grid Scan Parameter Name".
class CGridScanNewNameDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CGridScanNewNameDialog(QWidget* parent = nullptr);
    QString Name() const;

  private:
    QLineEdit* name = nullptr;
};

// "Load Grid Scan Parameters".
class CGridScanSetListDialog : public QDialog {
    Q_OBJECT
  public:
    CGridScanSetListDialog(CGridScanSetList& list, QWidget* parent = nullptr);
    void accept() override;

  private:
    void Fill();
    void New();
    void Remove();

    CGridScanSetList& list;
    QListWidget* names = nullptr;
};

// "Grid Scan Setup". With a main frame, "Show" points on the live image, "Move To" jogs the
// scan tool's stage and "Locate Probe"/"Locate Samp" re-declare a stage; without one those
// buttons are disabled.
class CGridScanSetupDialog : public QDialog {
    Q_OBJECT
  public:
    CGridScanSetupDialog(CGridScanSetupLogic& logic, CMainFrame* frame, QWidget* parent = nullptr);
    ~CGridScanSetupDialog() override;

    void accept() override;
    void reject() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    using ERow = CGridScanSetupLogic::ERow;
    static constexpr int kRows = 6;
    struct SRowWidgets {
        std::array<QLineEdit*, 4> axes{};
        QPushButton* show = nullptr;
        QPushButton* moveTo = nullptr;
    };

    QWidget* BuildAcquisition();
    QWidget* BuildArea();
    QWidget* BuildGridType();
    QWidget* BuildReference();
    QWidget* BuildHome();
    QWidget* BuildImagesAndComments();
    void AddRow(class QGridLayout* grid, int line, ERow row, const QString& label, QWidget* parent);

    // Values from the logic into the widgets, and back. Transfer is false (after a message,
    // with the field focused) when an entry is not a number.
    void Show();
    void ShowRow(ERow row);
    void ShowGradients();
    bool Transfer();
    bool TakeNumber(QLineEdit* edit, const char* label, double& value);
    bool TakeWhole(QLineEdit* edit, const char* label, int64_t low, int64_t high, int& value);
    void UpdateEnabled();

    void Calc();
    void ShowRowClicked(ERow row);
    void MoveToClicked(ERow row);
    void EndMoveTo();
    std::string SelectedGradient() const;
    void EditGradientRules();
    void EditGradientCalibration();

    CGridScanSetupLogic& logic;
    CMainFrame* frame;
    std::array<SRowWidgets, kRows> rows;
    int movingRow = -1;  // the row whose "Move To" is on

    QLineEdit* targetDir = nullptr;
    QCheckBox* showStatus = nullptr;
    QLineEdit* interval = nullptr;
    QRadioButton* seconds = nullptr;
    QRadioButton* minutes = nullptr;
    QRadioButton* hours = nullptr;
    QRadioButton* forReps = nullptr;
    QRadioButton* continuous = nullptr;
    QLineEdit* reps = nullptr;
    QLabel* estimate = nullptr;
    QCheckBox* autoSave = nullptr;
    QLineEdit* autoSaveCount = nullptr;
    QCheckBox* storeWire = nullptr;
    QCheckBox* storeRawAD = nullptr;
    QCheckBox* storeGradient = nullptr;
    QListWidget* gradients = nullptr;
    QComboBox* gradientChoice = nullptr;

    QButtonGroup* stepType = nullptr;
    std::array<QLineEdit*, 4> steps{};
    QLineEdit* numPoints = nullptr;
    QButtonGroup* gridType = nullptr;
    QButtonGroup* firstAxis = nullptr;
    QCheckBox* alongAxes = nullptr;
    QButtonGroup* scanTool = nullptr;
    QButtonGroup* moveType = nullptr;
    QCheckBox* refBeforeWire = nullptr;
    QCheckBox* refAfterWire = nullptr;
    QCheckBox* refBeforeGradient = nullptr;
    QCheckBox* refAfterGradient = nullptr;
    QCheckBox* refBeforeBath = nullptr;
    QCheckBox* refAfterBath = nullptr;
    QCheckBox* homeProbe = nullptr;
    QCheckBox* homeSample = nullptr;
    QCheckBox* imageBefore = nullptr;
    QCheckBox* imageAfter = nullptr;
    QLineEdit* preComment = nullptr;
    QLineEdit* postComment = nullptr;
};

// The dialogs of F9 as the sequencer asks for them.
class CQtGridScanDialogs : public IGridScanDialogs {
  public:
    CQtGridScanDialogs(CMainFrame* frame, QWidget* parent) : frame(frame), parent(parent) {}
    bool ChooseSet(CGridScanSetList& list) override;
    bool Setup(CGridScanSetupLogic& setup) override;

  private:
    CMainFrame* frame;
    QWidget* parent;
};
