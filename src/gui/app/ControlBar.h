#pragma once
// The control bar on the left of the main window: "Enable Kbd/Mouse ...", the two sensitivity
// boxes, and per stage the Kbd and Mouse switches, the speed mode, the position, the Z minimum
// and MoveTo/Return. It shows CMainFrame's state and hands every entry to it.

#include <QWidget>
#include <array>

#include "app/MainFrame.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CControlBar : public QWidget {
    Q_OBJECT
  public:
    CControlBar(CMainFrame& frame, QWidget* parent = nullptr);

    // Refreshes from the frame.
    void ShowSensitivity();
    void ShowPosition(EStage stage);
    void ShowMotionControl();
    void ShowZMinimum(EStage stage);
    void ShowMoveToButton(EStage stage);
    void ShowMemoryLoad(const QString& text);
    // Refills "Optical system:" from velm.ini and selects the station's active system.
    void ShowOpticalSystems();
    void ShowAll();

  private:
    struct SStageWidgets {
        QCheckBox* kbd = nullptr;
        QCheckBox* mouse = nullptr;
        QRadioButton* linear = nullptr;
        QRadioButton* track = nullptr;
        std::array<QLineEdit*, 4> position{};
        QCheckBox* zMinimumOn = nullptr;
        QLineEdit* zMinimum = nullptr;
        QPushButton* moveTo = nullptr;
        QPushButton* locate = nullptr;
    };
    QWidget* BuildStage(EStage stage, const QString& title, const QString& prefix);

    CMainFrame& frame;
    QPushButton* enable = nullptr;
    QLineEdit* micronsPerKey = nullptr;
    QLineEdit* micronsPer50Pix = nullptr;
    SStageWidgets stages[2];
    QLabel* memory = nullptr;
    QComboBox* opticalSystem = nullptr;
    bool shownOn = false;  // keyboard and mouse control as last shown
};
