#pragma once
// Working values of the "Go To A Position" dialog: the four target entries, "Show" (mark the
// target on the live image), the "Move to" jog of the stage and the two ways to close it. The
// main frame supplies what only it can do (marking, switching keyboard and mouse to the stage)
// as functions; the Qt dialog binds its widgets here.

#include <array>
#include <functional>
#include <string>

#include "platform/Vector4.h"

class CGoToPositionLogic {
  public:
    static constexpr const char* kTitle = "Go To A Position";
    static constexpr const char* kPositionLabel = "( X, Y, Z, W ) microns from origin:";
    static constexpr const char* kJogText = "Move to";
    static constexpr const char* kEndJogText = "<Esc>";

    enum class EResult { Cancel, MoveTo, GoToAndStay };

    // The entries start at `current` ("%.1lf").
    explicit CGoToPositionLogic(const CDVector4& current);

    std::array<std::string, 4> entries;  // X, Y, Z, W in microns

    // Marks a position on the live image.
    std::function<void(const CDVector4&)> show;
    // Hands the keyboard (and the mouse when `withMouse`) to this stage alone.
    std::function<void(bool withMouse)> startJog;
    // Gives keyboard and mouse back; returns where the stage now stands.
    std::function<CDVector4()> endJog;

    // Reads the four entries. A bad one is reported and gives false.
    bool ReadTarget(CDVector4& target) const;

    // "Show": reads the entries and marks them.
    void Show();
    // "Move to" / "<Esc>": starts the jog after "Enable Mouse?", or ends it and takes the
    // stage's position into the entries.
    void ToggleJog();
    // Escape: ends a running jog. True when there was one (the dialog then stays open).
    bool Escape();
    bool Jogging() const { return jogging; }
    std::string JogButtonText() const { return jogging ? kEndJogText : kJogText; }

    // "Move To" and "Go  To and Stay": a jog is ended first; false (dialog stays open) when
    // the entries are not numbers.
    bool Finish(EResult how, CDVector4& target);

  private:
    bool jogging = false;
};
