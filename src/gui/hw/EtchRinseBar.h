#pragma once
// The "Etch-Rinse Control" bar: the carriage's six lamps, the automatic "Etch" and "Rinse"
// sequences at the top, the single steps, the two stored probe positions with their "Get"
// buttons, and "Setup". It shows CBathMover's state and hands every press to it; its two
// timers refresh the lamps every status period and follow a pending raise every 50 ms.

#include <QDialog>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

#include "hw/BathMover.h"

class QLabel;
class QLineEdit;
class QPushButton;

class CEtchRinseBar : public QWidget, public CBathMoverView {
    Q_OBJECT
  public:
    CEtchRinseBar(CBathMover& mover, QWidget* parent = nullptr);
    ~CEtchRinseBar() override;

    // Where the bar's notes go (the main window's status line) and what follows a probe move
    // (the control bar's position display).
    std::function<void(const std::string&)> showHint;
    std::function<void()> showProbePosition;

    // Reads the sensors and shows them.
    void Refresh();
    // The timers at their periods (after a setup).
    void RestartStatusTimer();
    bool PollTimerActive() const { return pollTimer.isActive(); }
    int StatusTimerInterval() const { return statusTimer.interval(); }

    // ---- CBathMoverView -----------------------------------------------------------------------
    void ShowStatus() override;
    void ShowHint(const std::string& text) override;
    void ShowProbePosition() override;
    void RunPollTimer(bool on) override;
    void ShowBusy(bool on) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QPushButton* NewButton(const char* text, const char* name, std::function<void()> press);
    QLabel* NewLamp(const char* text, const char* name);
    void SetLamp(QLabel* lamp, bool on, const char* colour);
    void Setup();
    void StatusTick();

    CBathMover& mover;
    QLabel* raisedLamp = nullptr;
    QLabel* loweredLamp = nullptr;
    QLabel* etchLamp = nullptr;
    QLabel* rinseLamp = nullptr;
    QLabel* inEtchLamp = nullptr;
    QLabel* inRinseLamp = nullptr;
    QPushButton* autoEtch = nullptr;
    QPushButton* autoRinse = nullptr;
    QPushButton* up = nullptr;
    QPushButton* down = nullptr;
    QPushButton* etch = nullptr;
    QPushButton* rinse = nullptr;
    QPushButton* getRinse = nullptr;
    QPushButton* getEtch = nullptr;
    QLabel* rinsePosition = nullptr;
    QLabel* etchPosition = nullptr;
    QLabel* problem = nullptr;
    QTimer statusTimer;
    QTimer pollTimer;
};

// "Etch-Rinse Setup" on its logic.
class CEtchRinseSetupDialog : public QDialog {
    Q_OBJECT
  public:
    CEtchRinseSetupDialog(CBathSetupLogic& logic, QWidget* parent = nullptr);
    void accept() override;

  private:
    CBathSetupLogic& logic;
    QLineEdit* port = nullptr;
    QLineEdit* timeout = nullptr;
    QLineEdit* status = nullptr;
    QLineEdit* rinse[4] = {};
    QLineEdit* etch[4] = {};
};
