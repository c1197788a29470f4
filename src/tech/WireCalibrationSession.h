#pragma once
// "Current Density Probe Calibration" without a screen. The researcher puts a point current
// source of known current into the bath, places the vibrating probe at a known distance from
// it along each detector's vibration axis in turn, and samples; from the two samples come each
// detector's phase and gain for both current directions. Every current density the station
// reports afterwards rests on these numbers, so every step that could leave a wrong one behind
// (a failed read, a zero or endless gain, both detectors on one axis) changes nothing and says
// why.
//
// The session works on a copy of a calibration and on the station's devices and state; the Qt
// dialog binds its widgets here, tests and `velm-tool calibrate cdp` drive it directly. What
// only the main frame can do (handing the keyboard and mouse to one stage, mapping a pixel of
// the camera to the stage, the station-wide busy flag) comes in as functions.

#include <functional>
#include <optional>
#include <string>

#include "hw/Devices.h"
#include "hw/fg/FgTypes.h"
#include "obs/WireCalibration.h"
#include "platform/Prompt.h"
#include "platform/Vector4.h"

class CStation;

// The two phase-sensitive detectors of the probe.
enum class EPsd { X, Y };

// The dialog's edit boxes.
enum class EWireCalField {
    XCurrent,       // X PSD "nA at"
    XDistance,      // X PSD "microns:"
    YCurrent,       // Y PSD "nA at"
    YDistance,      // Y PSD "microns:"
    Resistivity,    // "Resistivity:"
    SystemGain,     // "System Gain:"
    WatchInterval,  // the watch's interval in seconds
};

// What the dialog shows of the session. The defaults do nothing, so the session also runs
// without one.
class CWireCalibrationView {
  public:
    virtual ~CWireCalibrationView() = default;
    // Results, readings, positions and button texts again (not the edit boxes).
    virtual void Refresh() {}
    // The edit boxes again, after the session changed a field ("Get").
    virtual void ShowFields() {}
    // Starts the watch's timer with `periodMs` between ticks, or stops it.
    virtual void RunWatchTimer(bool /*on*/, int /*periodMs*/) {}
    // The modal "Find Z Plane" dialog; true when closed with OK.
    virtual bool FindZPlaneDialog() { return false; }
};

class CWireCalibrationSession {
  public:
    static constexpr const char* kTitle = "Current Density Probe Calibration";
    static constexpr const char* kResultCaption = "Wire Probe Calibration";
    static constexpr const char* kErrorCaption = "Current Density Probe Calibration Error";
    static constexpr const char* kResultErrorCaption = "Wire Probe Calibration Error";
    static constexpr const char* kSameAxis =
        "The X PSD and the Y PSD must vibrate along different axes.";
    static constexpr const char* kMoveEndText = "<Esc> - End";
    // Below this the timer would never rest and each read would hold no sample.
    static constexpr double kMinWatchInterval = 0.1;
    static constexpr double kMaxWatchInterval = 3600.0;
    static constexpr double kMinSystemGain = 1.0;
    static constexpr double kMaxSystemGain = 100000.0;
    static constexpr const char* kResistivityRule = "The media resistivity must be above 0 ohm-cm.";
    static constexpr const char* kSystemGainRule = "The system gain must be from 1 to 100000.";

    // A working copy of `calibration` (its document receives the kept references). The dialog's
    // reference is the station's current CDP reference, which is what points subtract.
    CWireCalibrationSession(CDevices& devices, CStation& station,
                            const CWireCalibration& calibration);
    ~CWireCalibrationSession();
    CWireCalibrationSession(const CWireCalibrationSession&) = delete;
    CWireCalibrationSession& operator=(const CWireCalibrationSession&) = delete;

    // ---- What the main frame lends -----------------------------------------------------------
    // Hands the keyboard (and the mouse with `withMouse`) to one stage alone, and gives them
    // back as they were. Without them "Move Probe" and "Move Sample" do nothing.
    std::function<void(EStage, bool withMouse)> startJog;
    std::function<void(EStage)> endJog;
    // The stage position shown at a pixel of the current camera, given the position the image
    // shows at the camera's origin. Without it the "Locate" buttons do nothing.
    std::function<CDVector4(SPixel, const CDVector4& shownPosition)> imageToStage;
    // A stage moved or was re-declared here (`redeclared`): the main window shows it.
    std::function<void(EStage, bool redeclared)> stageChanged;

    void SetView(CWireCalibrationView* view);
    CStation& Station() { return station; }

    // ---- Fields ------------------------------------------------------------------------------
    // The value of an edit box as the session holds it, and as text.
    double FieldValue(EWireCalField field) const;
    std::string FieldText(EWireCalField field) const;
    // A typed value. A text that is not a number, or out of range, is refused with a message
    // and changes nothing; the same value again changes nothing either. Resistivity and system gain
    // mark the values changed; a current or distance recomputes the gains when both detectors are
    // sampled (so the stored geometry is the one the gains were made with); the interval restarts a
    // running watch.
    bool SetField(EWireCalField field, const std::string& text);
    // The radio buttons: 1063-1065 for the X PSD, 1066-1068 for the Y PSD.
    void SetAxis(EPsd psd, uint16_t axisId);
    // "X:", "Y:" or "Z:" after the detector's axis (the labels of its rows).
    std::string AxisLabel(EPsd psd) const;
    char AxisLetter(EPsd psd) const;

    // ---- Procedures --------------------------------------------------------------------------
    // 500 ms after the dialog opens: offers Find Z Plane, then switches the watch on.
    void Opened();
    // "Reference Observation": true when a new reference was kept.
    bool ReferenceObservation();
    // "Go": the probe to the detector's sampling position (distance along its axis from the
    // source). False when refused or the move failed.
    bool Go(EPsd psd);
    // "Get": the distance field takes the probe's distance from the source.
    void Get(EPsd psd);
    // "Sample X PSD" / "Sample Y PSD": true when the detector was sampled.
    bool SampleXPsd() { return Sample(EPsd::X); }
    bool SampleYPsd() { return Sample(EPsd::Y); }
    bool Sample(EPsd psd);
    // The four gains from the two samples; false (nothing computed) until both are sampled or
    // when a gain would be 0 or not finite (that gain keeps its value, after a message).
    bool ComputeGains();
    // "Find Z Plane ...": true when the plane was found (OK in its dialog).
    bool FindZPlane();
    // "Sampling Rules": the calibration's rules, written also as the point and scan rules.
    bool SamplingRules();
    // "Locate" (source): the source tip clicked on the live image becomes `srcpos`.
    bool LocateSource();
    // "Locate" (probe, sample): the clicked pixel is where the image shows the stage.
    bool LocateStage(EStage stage);

    // ---- Watch ------------------------------------------------------------------------------
    // "Watch" / "Watch Off".
    void ToggleWatch();
    void StartWatch();
    void StopWatch();
    bool Watching() const { return watching; }
    std::string WatchButtonText() const { return watching ? "Watch Off" : "Watch"; }
    int WatchPeriodMs() const;
    // One tick of the watch's timer: the four channels minus the reference, unless the
    // station is busy. A failed read pauses the watch after one message.
    void WatchTick();
    // Whether a tick now would have to wait for something else on the station.
    bool StationBusy() const;

    // ---- Moving the stages ------------------------------------------------------------------
    // "Move Probe" / "Move Sample": starts (after "Enable Mouse?") or ends the move mode.
    void ToggleMove(EStage stage);
    void EndMove();
    std::optional<EStage> Moving() const { return moving; }
    std::string MoveButtonText(EStage stage) const;
    // Esc: ends a move mode; true when there was one (the dialog then stays open).
    bool Escape();

    // ---- Closing -----------------------------------------------------------------------------
    // OK: the dialog closes; the values are kept only after "Save these calibration values ?".
    bool Ok();
    // Cancel: true when the dialog closes (after "Discard these calibration values ?" when
    // something was computed).
    bool Cancel();
    bool Keep() const { return keep; }
    // The kept values into `calibration`: every field, the source position, the probe's
    // offset from it and the reference in force.
    void CopyResultTo(CWireCalibration& calibration) const;

    // ---- Shown values ------------------------------------------------------------------------
    CDVector4 ProbePosition() const;
    CDVector4 SamplePosition() const;
    // Probe minus source.
    CDVector4 Offset() const;
    // A difference in volts at the A/D input as microvolts at the probe tip.
    double MicrovoltsAtTip(double volts) const;

    CWireCalibration work;  // the working copy
    CDVector4 reference;    // the dialog's reference (volts at the A/D input)
    CDVector4 lastSample;   // "Most Recent Sample": reading minus reference, volts
    CDVector4 lastWatch;    // the watch's last reading minus reference, volts
    double watchInterval = 0.5;
    bool changed = false;

  private:
    class CBusy;
    class CPausedWatch;
    enum class EReference { Kept, Discarded, Cancelled, Failed };

    EReference TakeReference();
    // The gains of one current direction, sampled with `nanoAmps` at `microns`: its own
    // detector's response `own` (the other detector's `other`) in this sample, their responses
    // `ownInOther` and `otherInOther` in the other direction's sample. False (nothing stored)
    // when a gain would be 0 or not finite.
    bool DirectionGains(double nanoAmps, double microns, double own, double other,
                        double ownInOther, double otherInOther, double s, double& gain,
                        double& otherGain) const;
    bool MoveToSamplingPosition(EPsd psd, bool keepZ);
    // False after the same-axis message.
    bool AxesDiffer();
    int AxisIndex(EPsd psd) const;
    double& Current(EPsd psd);
    double& Distance(EPsd psd);
    // Declares the probe to stand at `at` without moving it; an active Z minimum moves with
    // the coordinates so the physical floor stays where the user set it.
    void RedeclareProbe(const CDVector4& at);
    // The lock-in channels over `periodSec` (for the watch: without the busy cursor, and a
    // failure already told is not told again); false after the failure message.
    bool ReadLockIns(double periodSec, CDVector4& volts, bool watch = false);
    void SetSourceCurrent(bool on);
    EPromptAnswer Ask(const std::string& text, EPromptButtons buttons,
                      const char* caption = nullptr);
    void Say(const std::string& text, EPromptIcon icon, const char* caption = nullptr);
    // As Say, but a text already shown is not shown again until a read succeeds.
    void SayOnce(const std::string& text);
    void Refresh();
    void RefreshStage(EStage stage, bool redeclared);

    CDevices& devices;
    CStation& station;
    CWireCalibrationView noView;
    CWireCalibrationView* view = &noView;
    bool watching = false;
    bool keep = false;
    int busyDepth = 0;
    std::optional<EStage> moving;
    bool movingWithMouse = false;
    std::string lastProblem;
};

// Calibrate(): the dialog on a session made on `calibration`. When the user kept the values
// they go back into `calibration` and KeepWireCalibration follows. True when kept.
bool CalibrateWire(CWireCalibration& calibration, CWireCalibrationSession& session);
// A kept calibration: its settings lines, stamped now, the current reference line; the station
// goes on with exactly this calibration (not a re-read of its rounded settings lines, which
// would differ and be appended again before the next point) and reloads its "Point " rules.
void KeepWireCalibration(CWireCalibration& calibration, CStation& station);
