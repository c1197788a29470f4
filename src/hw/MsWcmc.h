#pragma once
// One motorised four-axis stage (probe, sample or gradient-probe tip). The stage runs open
// loop: the position it reports is the sum of the whole steps it has commanded, converted back
// to microns, so it is only as good as the step keeping here. A move first guards the minimum
// Z (a probe tip a few microns above a living sample is what these stages carry), then checks
// that the axis settings can make the move at all, commands whole steps and waits until the
// controller reports the move complete.

#include <string>

#include "hw/motion/FlexMotionCtl.h"
#include "hw/motion/MotionDialogs.h"
#include "platform/Vector4.h"

// Speed modes, stored in settings and archives as these numbers.
inline constexpr int kSpeedModeLinear = 1048;  // straight-line move at the maximum speeds
inline constexpr int kSpeedModeTrack = 1049;   // independent per-axis move

inline constexpr const char* kProbeMotionSection = "Probe Motion System";
inline constexpr const char* kSampleMotionSection = "Sample Motion System";
inline constexpr const char* kTipMotionSection = "ISP/PVP Probe Tip Motion System";
// Key of a motion system's section: 1 makes the simulated controller take real time.
inline constexpr const char* kRealisticTimingKey = "Realistic Timing";

class CMsWcmc {
  public:
    // MoveRelative/MoveAbsolute results: done; failed (refused or not confirmed; the user has
    // been told why); cancelled by the user at the Z-minimum warning (nothing moved). A caller
    // that only asks "did it fail?" (!= kMoveFailed) treats a cancel as no failure.
    static constexpr int kMoveDone = 0;
    static constexpr int kMoveFailed = -1;
    static constexpr int kMoveCancelled = 1;
    // Longest system name the settings and the setup dialog take.
    static constexpr size_t kMaxNameLength = 32;

    CMsWcmc() = default;

    std::string name = "Default";
    int boardId = 1;
    int pdmaBoard = 0;
    long pdmaRate = 50000;
    double stepsPerMicron[4] = {20.157, 20.157, 20.157, 20.157};
    int positiveMotion[4] = {0, 0, 0, 0};
    double minSpeed[4] = {50.0, 50.0, 50.0, 50.0};
    double maxSpeed[4] = {2500.0, 2500.0, 2500.0, 2500.0};
    double trackingSpeed[4] = {500.0, 500.0, 500.0, 500.0};
    double accelDistance[4] = {20.0, 20.0, 20.0, 20.0};
    char accelType[4] = {'F', 'F', 'F', 'F'};
    double encoderResolution[4] = {0.635, 0.635, 0.635, 0.635};
    int encoderOn[4] = {0, 0, 0, 0};
    int encoderBoard[4] = {0, 0, 0, 0};
    int encoderPlusCtr[4] = {1, 1, 1, 1};
    int encoderMinusCtr[4] = {2, 2, 2, 2};
    double encoderTolerance[4] = {1.0, 1.0, 1.0, 1.0};
    int encoderRetries = 1;
    double speedReduction = 20.0;
    double moveError[4] = {0, 0, 0, 0};
    double position[4] = {0, 0, 0, 0};  // microns
    double zMinimum = -100.0;
    int zMinimumOn = 0;
    std::string profileFile = "VELM73x4.xml";
    CFlexMotionCtl controller;

    // The main frame's diagnostics flag: with it on, moves show their step counts, targets and
    // completion status.
    void SetDiagnostics(bool on) { diagnostics = on; }
    bool Diagnostics() const { return diagnostics; }

    // A system with an empty name has no controller; its moves only update `position`.
    bool HasBoard() const { return !name.empty(); }
    CDVector4 Position() const { return CDVector4(position); }

    // Moves by `deltaMicrons` in `speedMode` and returns when the controller reports the move
    // complete. "Move and Reset Z Coordinate to Minimum" at the Z-minimum warning changes the
    // remembered Z only once the move is done.
    int MoveRelative(const CDVector4& deltaMicrons, int speedMode);
    // Moves to `targetMicrons` (delta from `position`).
    int MoveAbsolute(const CDVector4& targetMicrons, int speedMode);
    // Declares the stage to stand at the position without moving it.
    void SetPosition(double x, double y, double z, double w);
    // Seconds a move from `from` to `to` takes, for planning waits (0 for unknown modes).
    double EstimateMoveTime(const CDVector4& from, const CDVector4& to, int speedMode) const;

    // A new Z minimum from the main frame's Z-minimum boxes or the setup. One above the current
    // Z asks "Requested Z Minimum is Above Current Z Coordinate!" first. False when the user
    // kept the old minimum or the value is not a number; the minimum and its on/off state are
    // then both left as they were.
    bool RequestZMinimum(double requested, bool on);

    // Reads the section and the shared "FlexMotion MCS" line; lines that exist but cannot be
    // read in full are reported, and the values they could not give keep their defaults.
    void LoadSettings(const std::string& section);
    void SaveSettings(const std::string& section) const;
    // Programs the controller: step modes, velocities and accelerations from the speeds, then
    // the controller start-up.
    void ApplySettings();
    // "Motion Control Setup"; on OK saves the section and applies the settings. True on OK.
    bool Setup(const std::string& section);

    // Why a move of `delta` in `speedMode` cannot be made with these settings, or "" when it
    // can. Checked before every move: zero or negative resolutions, speeds or acceleration
    // distances would divide by zero or never end.
    std::string MoveProblem(const CDVector4& delta, int speedMode) const;

  private:
    bool diagnostics = false;
};
