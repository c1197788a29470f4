#pragma once
// The main frame's core: owner of all station hardware (the A/D and D/A board, the frame
// grabber, the probe, sample and ISP/PVP tip stages) and of the station's measurement state.
// Technique, scan and document code reach the hardware through it. The Qt main window holds
// one and binds its control bar, menus and timers to it.
//
// The control bar's behaviour lives here so that it can be driven without a window: the
// keyboard and mouse drive of the stages, the Z-minimum boxes, the MoveTo/Return buttons, the
// D/A tracker and the "Mainframe Parameters" lines. The window shows what this class holds and
// tells it what the user typed and pressed.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "hw/Devices.h"
#include "hw/motion/GoToPositionLogic.h"
#include "platform/MessageOnce.h"
#include "platform/Vector4.h"

class CStation;

// Keys of the keyboard stage control, as the window system's keys are mapped onto them.
enum class EMotionKey {
    Other,
    Left,
    Right,
    Up,
    Down,
    Home,
    End,
    PageUp,
    PageDown,
    KeypadPlus,
    KeypadMinus,
    Escape
};

// Operations of the two D/A channels, stored as these numbers ("Op=%u").
inline constexpr unsigned kDaNoChange[2] = {1580, 1583};
inline constexpr unsigned kDaConstant[2] = {1581, 1584};
inline constexpr unsigned kDaTrack[2] = {1582, 1585};

// The D/A tracker's settings, as "Set D/A Output" edits them.
struct SDaOutput {
    unsigned op[2] = {kDaNoChange[0], kDaNoChange[1]};
    double constVolts[2] = {0.0, 0.0};
    int trackCh[2] = {4, 5};
    double trackSec = 10.0;
    double avgSec = 0.5;

    bool Tracks(int channel) const { return op[channel] == kDaTrack[channel]; }
    bool IsConstant(int channel) const { return op[channel] == kDaConstant[channel]; }
    bool AnyTracking() const { return Tracks(0) || Tracks(1); }
};

// A point on the screen, in pixels.
struct SScreenPoint {
    int x = 0;
    int y = 0;
    bool operator==(const SScreenPoint&) const = default;
};

// The screen pointer, as far as the window system lets a program move it. Mouse control of the
// stages pins the pointer to the middle of the view and measures each movement from there;
// where the pointer cannot be moved by a program, movements are measured from the previous
// position instead.
class CPointer {
  public:
    virtual ~CPointer() = default;
    virtual bool CanWarp() const = 0;
    virtual SScreenPoint Position() const = 0;
    virtual void MoveTo(SScreenPoint point) = 0;
    virtual void SetHidden(bool hidden) = 0;
    // The middle of the active document view, or of the main window when none is open.
    virtual SScreenPoint Centre() const = 0;
};

// What the window shows of the main frame. The core calls these after it has changed
// something the user sees; the defaults do nothing, so the core also runs without a window.
class CMainFrameView {
  public:
    virtual ~CMainFrameView() = default;
    // The "um/keyhit" and "um/50pix" boxes.
    virtual void ShowSensitivity() {}
    // A short note for the status line (an entry that could not be taken, say).
    virtual void ShowHint(const std::string&) {}
    virtual void ShowPosition(EStage) {}
    // The Kbd and Mouse boxes and "Enable Kbd/Mouse ...", and whether input is routed here.
    virtual void ShowMotionControl() {}
    virtual void ShowZMinimum(EStage) {}
    virtual void ShowMoveToButton(EStage) {}
    // Starts or stops the tracker's one-second timer; false when it cannot be started.
    virtual bool RunTracker(bool) { return true; }
    // Opens the live video window and starts it (`on`), or freezes it.
    virtual void ShowLiveVideo(bool) {}
    // "Go To A Position" (modal). Returns how it was closed and, unless cancelled, the target.
    virtual CGoToPositionLogic::EResult GoToPosition(CGoToPositionLogic&, CDVector4&) {
        return CGoToPositionLogic::EResult::Cancel;
    }
};

class CMainFrame {
  public:
    static constexpr double kMinMicronsPerKey = 0.1;
    static constexpr double kMaxMicronsPerKey = 10000.0;
    static constexpr double kMinMicronsPer50Pix = 1.0;
    static constexpr double kMaxMicronsPer50Pix = 200.0;
    static constexpr int kMemoryTimerMs = 5000;
    static constexpr int kTrackerTimerMs = 1000;

    // Builds the station's devices (A/D board, frame grabber, probe, sample and tip stages,
    // each loading its settings section) and the station state on them, and loads "Mainframe
    // Parameters" (asking whether diagnostics stay on when they are).
    CMainFrame();
    ~CMainFrame();
    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    CDevices& Devices() { return *devices; }
    CAdBoard& AdBoard() { return devices->AdBoard(); }
    CFgBoard& FgBoard() { return devices->FgBoard(); }
    CMsWcmc& ProbeSystem() { return devices->ProbeSystem(); }
    CMsWcmc& SampleSystem() { return devices->SampleSystem(); }
    CMsWcmc& TipSystem() { return devices->TipSystem(); }
    CMsWcmc& Stage(EStage stage) { return devices->Stage(stage); }
    CStation& Station() { return *station; }

    // The window binds itself here (null: none) and, where it can, the screen pointer.
    void SetView(CMainFrameView* newView) { view = newView ? newView : &noView; }
    void SetPointer(CPointer* newPointer) { pointer = newPointer; }

    // ---- Control-bar state -----------------------------------------------------------------
    double micronsPerKey = 10.0;
    double micronsPer50Pix = 5.0;
    int probeMouse = 0, sampleMouse = 0;
    int probeKbd = 1, sampleKbd = 0;
    unsigned probeSpeedMode = 1048, sampleSpeedMode = 1048;
    // "Enable Kbd/Mouse ...": the keyboard and mouse are offered to the stages only while on.
    bool kbdMouseEnabled = false;
    SDaOutput da;
    bool diagnostics = false;

    // The texts of the two sensitivity boxes as the user left them; read at every key press
    // and mouse movement, so a value typed without pressing Enter counts.
    std::string micronsPerKeyEntry;
    std::string micronsPer50PixEntry;
    // The texts of the two "Zmin:" boxes.
    std::string zMinimumEntry[2];

    // "%g" of a sensitivity, as the boxes show it.
    static std::string SensitivityText(double value);

    // ---- Settings ("Mainframe Parameters") -------------------------------------------------
    // Reads "Line 1" to "Line 7" and "Diagnostics". Values out of range are brought into it;
    // lines present but unreadable are reported once, their unread values keep the defaults.
    void LoadParameters();
    // Writes "Line 1" to "Line 7".
    void SaveParameters() const;

    // ---- Keyboard and mouse ----------------------------------------------------------------
    // A key press (repeat count, Ctrl held). True when the key was taken for the stages.
    // Escape lets go of the mouse and ends keyboard and mouse control.
    bool OnKey(EMotionKey key, int repeat, bool ctrl);
    // The text of "Enable Kbd/Mouse ...", which reads "<Esc> - End" while control is on.
    std::string EnableButtonText() const;
    // A pointer movement to screen position (x, y). True when it drove a stage.
    bool OnMouseMove(int x, int y);
    // A left click. While the mouse drives a stage the pointer is pinned to the middle of the
    // view, so a click there would land on whatever lies under it: it is swallowed.
    bool OnLButtonDown();
    // Whether the pointer currently drives a stage.
    bool MouseControlActive() const { return mouseActive; }

    // The control bar's switches. Each change is written to the settings at once.
    void SetKbd(EStage stage, bool on);
    void SetMouse(EStage stage, bool on);
    void SetSpeedMode(EStage stage, unsigned mode);
    void EnableKbdMouse(bool on);
    // Takes the sensitivity boxes' texts (clamped; a text that is not a number keeps the old
    // value) and refreshes the boxes.
    void ReadSensitivity();
    // Ends mouse control: both Mouse boxes cleared, the pointer back where it was and shown.
    void EndMouseControl();

    // ---- Z minimum, MoveTo/Return ----------------------------------------------------------
    // Takes the "Zmin:" box and check of a stage; the box then shows the stage's minimum.
    void ApplyZMinimum(EStage stage, bool on);
    // "MoveTo" (probe) / "Move To" (sample), and "Return" while a return is armed.
    std::string MoveToButtonText(EStage stage) const;
    void OnMoveTo(EStage stage);
    bool ReturnArmed(EStage stage) const { return Return(stage).moved; }
    // Jogging a stage from "Go To A Position" or the optical-system definition: keyboard (and
    // mouse) to that stage alone; EndJog gives them back and returns where the stage stands.
    bool Jogging() const { return jog.has_value(); }
    void StartJog(EStage stage, bool withMouse);
    CDVector4 EndJog(EStage stage);

    // ---- Video image and optical system ------------------------------------------------------
    // "Locate": the user clicks where the probe tip (or the sample) really is on the live
    // image; the stage is declared to stand at the position the active optical system gives
    // for that pixel (nothing moves). False when cancelled or no image can be had.
    bool Locate(EStage stage);
    // The user clicks a point on the live image with `prompt`: the probe position it shows
    // (through the active optical system) less the sample stage's position, the frame the
    // displays draw in. Nothing when cancelled or no image can be had.
    std::optional<CDVector4> ShowPointOnImage(const std::string& prompt);
    // Marks `target` of a stage on the live image ("Show" in "Go To A Position").
    void ShowOnImage(EStage stage, const CDVector4& target);
    // A stage moved or was re-declared outside the control bar (by a calibration): the window
    // shows it. A re-declared stage's armed Return would lead to a start in the old
    // coordinates, so it is dropped, and the Zmin box shows the minimum that moved with them.
    void StageChangedOutside(EStage stage, bool redeclared);

    // The boxes show the stages' minimums again (after a motion setup changed them).
    void SyncZMinimumEntries();
    // "Motion Control Setup" of one system (System menu, or the first run's set-up). Whatever
    // it left, the Z-minimum boxes and position read-outs show it afterwards, so a stale box
    // is never applied over a minimum set in the dialog. True on OK.
    bool SetupMotionSystem(CMsWcmc& system, const std::string& section);

    // ---- System menu tests -----------------------------------------------------------------
    // Frame Grabber > Test: live video, a pick on the image, and a capture saved as
    // "fgtest.bmp" in the root directory.
    void TestFrameGrabber();
    // Motion System > Test: says how the stages are tried out.
    void TestMotionSystem();

    // ---- D/A tracker -----------------------------------------------------------------------
    // "Set D/A Output" confirmed: stops the tracker, stores and saves the settings, writes the
    // constant channels and starts the tracker again when a channel tracks.
    void SetDaOutput(const SDaOutput& output);
    // Starts the tracker timer when a channel tracks (at window creation and after changes).
    void StartTracker();
    // One tick of the one-second timer: every trackSec-th tick the tracked channels are read
    // and written to their D/A outputs (a reading beyond the D/A range at the range's end). A
    // tick that finds the station busy is skipped; a failure is shown once until it changes.
    void OnTrackerTick();
    int TrackerCount() const { return trackerCount; }
    // A D/A output scan owns the channel it steps: while held, the tracker leaves that output
    // alone (its other channel goes on being tracked).
    void HoldDaChannel(int channel, bool held);
    bool DaChannelHeld(int channel) const;

    // ---- Memory display --------------------------------------------------------------------
    // Used memory in percent from the text of /proc/meminfo; -1 when it cannot be worked out.
    static int MemoryLoadPercent(const std::string& meminfo);
    // Takes a new reading; true when the shown text changed (it is then MemoryLoadText()).
    bool UpdateMemoryLoad(const std::string& meminfo);
    std::string MemoryLoadText() const;

  private:
    struct SReturn {
        CDVector4 start;
        bool moved = false;
    };
    struct SJog {
        EStage stage;
        int probeKbd, sampleKbd, probeMouse, sampleMouse;
        bool kbdMouseEnabled;
    };

    SReturn& Return(EStage stage) { return stage == EStage::Probe ? probeReturn : sampleReturn; }
    const SReturn& Return(EStage stage) const {
        return stage == EStage::Probe ? probeReturn : sampleReturn;
    }
    void MoveKeyboardStages(const CDVector4& delta);
    void MoveMouseStages(const CDVector4& delta);
    void MoveStage(EStage stage, const CDVector4& delta);
    void ReadMicronsPerKey();
    void ReadMicronsPer50Pix();

    std::unique_ptr<CDevices> devices;
    std::unique_ptr<CStation> station;

    CMainFrameView noView;
    CMainFrameView* view = &noView;
    CPointer* pointer = nullptr;

    bool mouseActive = false;
    bool warping = false;
    SScreenPoint savedPointer;
    SScreenPoint centre;

    SReturn probeReturn, sampleReturn;
    std::optional<SJog> jog;

    bool trackerRunning = false;
    int trackerCount = 0;
    // What went wrong with each tracked channel, shown once until it changes.
    CMessageOnce trackerProblems[2];
    int daChannelHolds[2] = {0, 0};
    int memoryLoad = -1;
};

// The running program's main frame (null when none exists, as in most tests).
CMainFrame* TheMainFrame();
