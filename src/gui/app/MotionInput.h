#pragma once
// Routing of keyboard and mouse input to the stages: while "Enable Kbd/Mouse ..." is on, an
// application-wide event filter offers every key press, pointer movement and left click to
// the main frame before any window (dialogs included) sees it; what the frame takes goes no
// further.

#include <QObject>
#include <QPoint>
#include <functional>

#include "app/MainFrame.h"

class QKeyEvent;

// The key of the stage control that a key press means (EMotionKey::Other for the rest).
EMotionKey MotionKeyOf(const QKeyEvent& event);
// Whether the focus is in a field that takes typing (its keys are not the stages').
bool TypingInTextField();

class CMotionInputFilter : public QObject {
    Q_OBJECT
  public:
    explicit CMotionInputFilter(CMainFrame& frame, QObject* parent = nullptr);
    ~CMotionInputFilter() override;

    // Installs the filter on the application, or removes it.
    void SetActive(bool on);
    bool Active() const { return active; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    CMainFrame& frame;
    bool active = false;
    bool busy = false;
};

// The screen pointer through Qt. Where the platform does not let programs move the pointer
// (Wayland), CanWarp() is false and the frame measures movements relative to the last one.
class CQtPointer : public CPointer {
  public:
    // `centre` gives the middle of the active view (or of the main window) on screen.
    explicit CQtPointer(std::function<QPoint()> centre);
    ~CQtPointer() override;

    bool CanWarp() const override;
    SScreenPoint Position() const override;
    void MoveTo(SScreenPoint point) override;
    void SetHidden(bool hidden) override;
    SScreenPoint Centre() const override;

  private:
    std::function<QPoint()> centre;
    bool hidden = false;
};
