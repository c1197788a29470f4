#include "app/MainFrame.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "hw/AdBoard.h"
#include "hw/Bmp.h"
#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"
#include "obs/OpticalSystem.h"
#include "obs/VelmObs.h"
#include "platform/Format.h"
#include "platform/NumberEntry.h"
#include "platform/Services.h"
#include "platform/StationBusy.h"
#include "settings/FileNumbering.h"
#include "settings/Profile.h"
#include "settings/RootDirectory.h"
#include "tech/Station.h"

namespace {
CMainFrame* theMainFrame = nullptr;

constexpr const char* kTrackerCaption = "Mainframe D/A Tracker";

constexpr const char* kDiagnosticsQuestion =
    "Diagnostics are ON.\n\nWhen continuing, do you want to keep them on (Yes) or turn them off "
    "(No)?\n\nIf you turn them off they will remain off in future runs.";

double Clamp(double value, double low, double high) {
    return value < low ? low : (value > high ? high : value);
}

bool ValidSpeedMode(unsigned mode) {
    return mode == kSpeedModeLinear || mode == kSpeedModeTrack;
}

// Lines of "Mainframe Parameters" that are present but could not be read in full, for one
// message after loading.
class CParameterProblems {
  public:
    void Check(const char* key, int got, int expected) {
        if (got >= expected) return;
        std::string line = Profile().GetProfileString(kMainframeSection, key);
        if (line.empty()) return;  // a missing line simply keeps the defaults
        StrAppendf(problems, "\n  %s=%s", key, line.c_str());
    }
    void Report() const {
        if (problems.empty()) return;
        Prompt().Message(StrPrintf("These lines of [%s] in velm.ini could not be read in full:%s"
                                   "\n\nThe values they could not give keep their defaults.",
                                   kMainframeSection, problems.c_str()),
                         EPromptIcon::Exclamation);
    }

  private:
    std::string problems;
};
}  // namespace

CMainFrame::CMainFrame() {
    devices = std::make_unique<CDevices>();
    station = std::make_unique<CStation>(devices.get());
    theMainFrame = this;
    station->LoadOpticalSystem();
    // The pick dialog's read-out: microns from the camera's origin under the cursor, through
    // the active optical system.
    FgBoard().pixelToMicrons = [this](int camera, SPixel pixel) {
        return station->opticalSystem.ImageToStage(pixel, CameraViewOf(FgBoard(), camera),
                                                   CDVector4());
    };
    LoadParameters();
    SyncZMinimumEntries();
}

CMainFrame::~CMainFrame() {
    if (mouseActive) EndMouseControl();
    SaveParameters();
    if (theMainFrame == this) theMainFrame = nullptr;
}

CMainFrame* TheMainFrame() {
    return theMainFrame;
}

std::string CMainFrame::SensitivityText(double value) {
    return StrPrintf("%g", value);
}

// ---- Settings ----------------------------------------------------------------------------------

void CMainFrame::LoadParameters() {
    CProfile& profile = Profile();
    CParameterProblems problems;
    const char* section = kMainframeSection;

    double mpk = micronsPerKey, mpfp = micronsPer50Pix;
    problems.Check("Line 1",
                   profile.ReadLine(section, "Line 1", "", "mpk=%lf  mpfp=%lf", &mpk, &mpfp), 2);
    if (std::isfinite(mpk)) micronsPerKey = Clamp(mpk, kMinMicronsPerKey, kMaxMicronsPerKey);
    if (std::isfinite(mpfp))
        micronsPer50Pix = Clamp(mpfp, kMinMicronsPer50Pix, kMaxMicronsPer50Pix);

    int flags[2] = {probeMouse, probeKbd};
    unsigned mode = probeSpeedMode;
    problems.Check(
        "Line 2",
        profile.ReadLine(section, "Line 2", "", "pm=%d  pk=%d  pt=%u", &flags[0], &flags[1], &mode),
        3);
    probeMouse = flags[0] != 0;
    probeKbd = flags[1] != 0;
    if (ValidSpeedMode(mode)) probeSpeedMode = mode;

    flags[0] = sampleMouse;
    flags[1] = sampleKbd;
    mode = sampleSpeedMode;
    problems.Check(
        "Line 3",
        profile.ReadLine(section, "Line 3", "", "sm=%d  sk=%d  st=%u", &flags[0], &flags[1], &mode),
        3);
    sampleMouse = flags[0] != 0;
    sampleKbd = flags[1] != 0;
    if (ValidSpeedMode(mode)) sampleSpeedMode = mode;

    static const char* const kDaKeys[2] = {"Line 4", "Line 5"};
    static const char* const kDaFormats[2] = {"DACh1: Op=%u  CV=%lf  TC=%d",
                                              "DACh2: Op=%u  CV=%lf  TC=%d"};
    for (int c = 0; c < 2; ++c) {
        unsigned op = da.op[c];
        double volts = da.constVolts[c];
        int channel = da.trackCh[c];
        problems.Check(
            kDaKeys[c],
            profile.ReadLine(section, kDaKeys[c], "", kDaFormats[c], &op, &volts, &channel), 3);
        // An operation of the other channel or of nothing known leaves the output alone.
        if (op == kDaNoChange[c] || op == kDaConstant[c] || op == kDaTrack[c]) da.op[c] = op;
        if (std::isfinite(volts)) da.constVolts[c] = volts;
        if (channel >= 0 && channel < CAdBoard::kMaxChannels) da.trackCh[c] = channel;
    }

    double trackSec = da.trackSec, avgSec = da.avgSec;
    problems.Check(
        "Line 6",
        profile.ReadLine(section, "Line 6", "", "DA: TrkSec=%lf  AvgSec=%lf", &trackSec, &avgSec),
        2);
    if (std::isfinite(trackSec) && trackSec >= 1.0 && trackSec <= 3600.0)
        da.trackSec = std::floor(trackSec);
    if (std::isfinite(avgSec) && avgSec >= 0.0 && avgSec <= da.trackSec) da.avgSec = avgSec;

    // "Line 7" (the technique) belongs to the station, which reads and reports it itself.

    micronsPerKeyEntry = SensitivityText(micronsPerKey);
    micronsPer50PixEntry = SensitivityText(micronsPer50Pix);
    problems.Report();

    diagnostics = profile.GetProfileString(section, "Diagnostics", "OFF") == "ON";
    if (diagnostics && Prompt().Ask(kDiagnosticsQuestion, EPromptButtons::YesNo,
                                    EPromptIcon::Question) == EPromptAnswer::No) {
        diagnostics = false;
        profile.WriteProfileString(section, "Diagnostics", "OFF");
    }
    ProbeSystem().SetDiagnostics(diagnostics);
    SampleSystem().SetDiagnostics(diagnostics);
    TipSystem().SetDiagnostics(diagnostics);
}

void CMainFrame::SaveParameters() const {
    CProfile& profile = Profile();
    const char* section = kMainframeSection;
    profile.WriteLine(section, "Line 1", "mpk=%lf  mpfp=%lf", micronsPerKey, micronsPer50Pix);
    profile.WriteLine(section, "Line 2", "pm=%d  pk=%d  pt=%u", probeMouse, probeKbd,
                      probeSpeedMode);
    profile.WriteLine(section, "Line 3", "sm=%d  sk=%d  st=%u", sampleMouse, sampleKbd,
                      sampleSpeedMode);
    profile.WriteLine(section, "Line 4", "DACh1: Op=%u  CV=%lf  TC=%d", da.op[0], da.constVolts[0],
                      da.trackCh[0]);
    profile.WriteLine(section, "Line 5", "DACh2: Op=%u  CV=%lf  TC=%d", da.op[1], da.constVolts[1],
                      da.trackCh[1]);
    profile.WriteLine(section, "Line 6", "DA: TrkSec=%lf  AvgSec=%lf", da.trackSec, da.avgSec);
    station->SaveMeasurementType();
}

// ---- Keyboard and mouse ----------------------------------------------------------------------

void CMainFrame::ReadMicronsPerKey() {
    if (std::optional<double> typed = ParseNumberEntry(micronsPerKeyEntry))
        micronsPerKey = Clamp(*typed, kMinMicronsPerKey, kMaxMicronsPerKey);
    else
        view->ShowHint(StrPrintf("um/keyhit: \"%s\" is not a number; %g is kept.",
                                 micronsPerKeyEntry.c_str(), micronsPerKey));
    std::string shown = SensitivityText(micronsPerKey);
    if (shown != micronsPerKeyEntry) {
        micronsPerKeyEntry = shown;
        view->ShowSensitivity();
    }
}

void CMainFrame::ReadMicronsPer50Pix() {
    if (std::optional<double> typed = ParseNumberEntry(micronsPer50PixEntry))
        micronsPer50Pix = Clamp(*typed, kMinMicronsPer50Pix, kMaxMicronsPer50Pix);
    else
        view->ShowHint(StrPrintf("um/50pix: \"%s\" is not a number; %g is kept.",
                                 micronsPer50PixEntry.c_str(), micronsPer50Pix));
    std::string shown = SensitivityText(micronsPer50Pix);
    if (shown != micronsPer50PixEntry) {
        micronsPer50PixEntry = shown;
        view->ShowSensitivity();
    }
}

void CMainFrame::ReadSensitivity() {
    double oldKey = micronsPerKey, oldPix = micronsPer50Pix;
    ReadMicronsPerKey();
    ReadMicronsPer50Pix();
    if (oldKey != micronsPerKey || oldPix != micronsPer50Pix) SaveParameters();
}

bool CMainFrame::OnKey(EMotionKey key, int repeat, bool ctrl) {
    // Escape lets go of the mouse whatever the keyboard boxes say: with the pointer pinned and
    // hidden it is the user's only way out.
    if (key == EMotionKey::Escape) {
        const bool mouse = mouseActive || probeMouse || sampleMouse;
        if (mouse) EndMouseControl();
        // While "Go To A Position" jogs a stage the dialog ends the jog on the same key.
        if (jog) return false;
        // The button reads "<Esc> - End" while control is on: the key ends it.
        const bool control = kbdMouseEnabled;
        if (control) EnableKbdMouse(false);
        return mouse || control;
    }
    if (!probeKbd && !sampleKbd) return false;
    if (repeat < 1) repeat = 1;

    ReadMicronsPerKey();
    const double step = repeat * micronsPerKey;
    CDVector4 delta;
    switch (key) {
        case EMotionKey::Left:
            delta.x = -step;
            break;
        case EMotionKey::Right:
            delta.x = step;
            break;
        case EMotionKey::Up:
            delta.y = step;
            break;
        case EMotionKey::Down:
            delta.y = -step;
            break;
        case EMotionKey::Home:
            delta.z = step;
            break;
        case EMotionKey::End:
            delta.z = -step;
            break;
        case EMotionKey::PageUp:
            delta.w = step;
            break;
        case EMotionKey::PageDown:
            delta.w = -step;
            break;
        case EMotionKey::KeypadPlus:
            if (ctrl) {
                ReadMicronsPer50Pix();
                if (micronsPer50Pix <= 100.0) micronsPer50Pix *= 2.0;
            } else {
                // Kept inside the range at once: the next key press would clamp it anyway, and
                // the box should never show a step that is not the one used.
                micronsPerKey = Clamp(micronsPerKey * 2.0, kMinMicronsPerKey, kMaxMicronsPerKey);
            }
            micronsPerKeyEntry = SensitivityText(micronsPerKey);
            micronsPer50PixEntry = SensitivityText(micronsPer50Pix);
            view->ShowSensitivity();
            SaveParameters();
            return true;
        case EMotionKey::KeypadMinus:
            if (ctrl) {
                ReadMicronsPer50Pix();
                if (micronsPer50Pix >= 2.0) micronsPer50Pix /= 2.0;
            } else if (micronsPerKey >= 1.0) {
                micronsPerKey /= 2.0;
            }
            micronsPerKeyEntry = SensitivityText(micronsPerKey);
            micronsPer50PixEntry = SensitivityText(micronsPer50Pix);
            view->ShowSensitivity();
            SaveParameters();
            return true;
        default:
            return false;
    }
    if (key == EMotionKey::Home || key == EMotionKey::End) {
        if (probeKbd) ApplyZMinimum(EStage::Probe, ProbeSystem().zMinimumOn != 0);
        if (sampleKbd) ApplyZMinimum(EStage::Sample, SampleSystem().zMinimumOn != 0);
    }
    MoveKeyboardStages(delta);
    return true;
}

void CMainFrame::MoveStage(EStage stage, const CDVector4& delta) {
    CMsWcmc& system = Stage(stage);
    system.MoveRelative(
        delta, static_cast<int>(stage == EStage::Probe ? probeSpeedMode : sampleSpeedMode));
    view->ShowPosition(stage);
}

void CMainFrame::MoveKeyboardStages(const CDVector4& delta) {
    if (probeKbd) MoveStage(EStage::Probe, delta);
    if (sampleKbd) MoveStage(EStage::Sample, delta);
}

void CMainFrame::MoveMouseStages(const CDVector4& delta) {
    if (probeMouse) MoveStage(EStage::Probe, delta);
    if (sampleMouse) MoveStage(EStage::Sample, delta);
}

bool CMainFrame::OnMouseMove(int x, int y) {
    if (!probeMouse && !sampleMouse) return false;
    if (!mouseActive) {
        // First movement: from here on the pointer belongs to the stages.
        mouseActive = true;
        warping = pointer && pointer->CanWarp();
        savedPointer = pointer ? pointer->Position() : SScreenPoint{x, y};
        if (warping) {
            centre = pointer->Centre();
            pointer->MoveTo(centre);
        } else {
            centre = {x, y};
        }
        if (pointer) pointer->SetHidden(true);
        return true;
    }
    if (x == centre.x && y == centre.y) return true;  // the echo of putting the pointer back
    ReadMicronsPer50Pix();
    const double scale = micronsPer50Pix * 0.02;
    CDVector4 delta((x - centre.x) * scale, (centre.y - y) * scale, 0.0, 0.0);
    if (warping)
        pointer->MoveTo(centre);
    else
        centre = {x, y};
    MoveMouseStages(delta);
    return true;
}

bool CMainFrame::OnLButtonDown() {
    return mouseActive && warping;
}

void CMainFrame::EndMouseControl() {
    const bool changed = probeMouse || sampleMouse || mouseActive;
    probeMouse = 0;
    sampleMouse = 0;
    if (mouseActive) {
        mouseActive = false;
        if (pointer) {
            if (warping) pointer->MoveTo(savedPointer);
            pointer->SetHidden(false);
        }
        warping = false;
    }
    if (changed) {
        view->ShowMotionControl();
        if (!jog) SaveParameters();
    }
}

void CMainFrame::SetKbd(EStage stage, bool on) {
    (stage == EStage::Probe ? probeKbd : sampleKbd) = on ? 1 : 0;
    view->ShowMotionControl();
    if (!jog) SaveParameters();
}

void CMainFrame::SetMouse(EStage stage, bool on) {
    (stage == EStage::Probe ? probeMouse : sampleMouse) = on ? 1 : 0;
    if (!probeMouse && !sampleMouse && mouseActive) {
        EndMouseControl();
        return;
    }
    view->ShowMotionControl();
    if (!jog) SaveParameters();
}

void CMainFrame::SetSpeedMode(EStage stage, unsigned mode) {
    if (!ValidSpeedMode(mode)) return;
    (stage == EStage::Probe ? probeSpeedMode : sampleSpeedMode) = mode;
    SaveParameters();
}

std::string CMainFrame::EnableButtonText() const {
    return kbdMouseEnabled ? "<Esc> - End" : "Enable Kbd/Mouse ...";
}

void CMainFrame::EnableKbdMouse(bool on) {
    if (!on && mouseActive) EndMouseControl();
    kbdMouseEnabled = on;
    view->ShowMotionControl();
}

// ---- Z minimum, MoveTo/Return -------------------------------------------------------------

void CMainFrame::ApplyZMinimum(EStage stage, bool on) {
    CMsWcmc& system = Stage(stage);
    const int s = static_cast<int>(stage);
    std::optional<double> requested = ParseNumberEntry(zMinimumEntry[s]);
    const double oldMinimum = system.zMinimum;
    const int oldOn = system.zMinimumOn;
    system.RequestZMinimum(requested ? *requested : NAN, on);
    zMinimumEntry[s] = StrPrintf("%.2lf", system.zMinimum);
    view->ShowZMinimum(stage);
    view->ShowPosition(stage);
    // The minimum protects the sample: it is kept with the stage's settings like the rest.
    if (system.zMinimum != oldMinimum || system.zMinimumOn != oldOn)
        system.SaveSettings(stage == EStage::Probe ? kProbeMotionSection : kSampleMotionSection);
}

std::string CMainFrame::MoveToButtonText(EStage stage) const {
    if (Return(stage).moved) return "Return";
    return stage == EStage::Probe ? "MoveTo" : "Move To";
}

void CMainFrame::OnMoveTo(EStage stage) {
    CMsWcmc& system = Stage(stage);
    SReturn& ret = Return(stage);
    if (ret.moved) {
        const CDVector4& s = ret.start;
        std::string question =
            StrPrintf(stage == EStage::Probe
                          ? "Return probe to original position (%.2lf,%.2lf,%.2lf,%.2lf) ?"
                          : "Return sample to original position (%.2lf,%.2lf,%.2lf,%.2lf) ?",
                      s.x, s.y, s.z, s.w);
        if (Prompt().Ask(question, EPromptButtons::OkCancel) != EPromptAnswer::Ok) return;
        // A return cancelled at the Z-minimum warning has not happened: it stays armed.
        if (system.MoveAbsolute(ret.start, kSpeedModeLinear) == CMsWcmc::kMoveDone)
            ret.moved = false;
        view->ShowPosition(stage);
        view->ShowMoveToButton(stage);
        return;
    }

    const CDVector4 start = system.Position();
    CGoToPositionLogic logic(start);
    logic.startJog = [this, stage](bool withMouse) { StartJog(stage, withMouse); };
    logic.endJog = [this, stage] { return EndJog(stage); };
    logic.show = [this, stage](const CDVector4& target) { ShowOnImage(stage, target); };
    CDVector4 target;
    CGoToPositionLogic::EResult result = view->GoToPosition(logic, target);
    if (jog) EndJog(stage);  // however the dialog went, the keyboard goes back

    // "Return" is armed only by a move that was made; one cancelled at the Z-minimum warning
    // left the stage where it was.
    if (result != CGoToPositionLogic::EResult::Cancel &&
        system.MoveAbsolute(target, kSpeedModeLinear) == CMsWcmc::kMoveDone &&
        result == CGoToPositionLogic::EResult::MoveTo) {
        ret.start = start;
        ret.moved = true;
    }
    view->ShowPosition(stage);
    view->ShowMoveToButton(stage);
}

bool CMainFrame::Locate(EStage stage) {
    CMsWcmc& system = Stage(stage);
    const CDVector4 shown = system.Position();
    const std::optional<SPixel> pixel = FgBoard().TryPickOnImage(
        stage == EStage::Probe ? "Use cursor to show measurement electrode tip position ..."
                               : "Show sample position ...");
    if (!pixel) return false;
    const std::optional<CDVector4> at =
        station->opticalSystem.ImageToStage(*pixel, CameraViewOf(FgBoard()), shown);
    if (!at) return false;
    system.SetPosition(at->x, at->y, at->z, at->w);
    view->ShowPosition(stage);
    return true;
}

std::optional<CDVector4> CMainFrame::ShowPointOnImage(const std::string& prompt) {
    const std::optional<SPixel> pixel = FgBoard().TryPickOnImage(prompt);
    if (!pixel) return std::nullopt;
    const std::optional<CDVector4> at = station->opticalSystem.ImageToStage(
        *pixel, CameraViewOf(FgBoard()), ProbeSystem().Position());
    if (!at) return std::nullopt;
    return *at - SampleSystem().Position();
}

void CMainFrame::ShowOnImage(EStage stage, const CDVector4& target) {
    SPickMarkers markers;
    const CDVector4 shown = Stage(stage).Position();
    const COpticalSystem& optics = station->opticalSystem;
    markers.camera0 = optics.StageToImage(target, CameraViewOf(FgBoard(), 0), shown);
    markers.camera1 = optics.StageToImage(target, CameraViewOf(FgBoard(), 1), shown);
    FgBoard().TryPickOnImage("Show position to move to ...", markers);
}

void CMainFrame::StartJog(EStage stage, bool withMouse) {
    if (!jog) jog = SJog{stage, probeKbd, sampleKbd, probeMouse, sampleMouse, kbdMouseEnabled};
    const bool isProbe = stage == EStage::Probe;
    probeKbd = isProbe;
    sampleKbd = !isProbe;
    probeMouse = withMouse && isProbe;
    sampleMouse = withMouse && !isProbe;
    // The jog needs the keyboard routed here even when the user had it switched off.
    kbdMouseEnabled = true;
    view->ShowMotionControl();
}

CDVector4 CMainFrame::EndJog(EStage stage) {
    if (jog) {
        if (mouseActive) EndMouseControl();
        probeKbd = jog->probeKbd;
        sampleKbd = jog->sampleKbd;
        probeMouse = jog->probeMouse;
        sampleMouse = jog->sampleMouse;
        kbdMouseEnabled = jog->kbdMouseEnabled;
        jog.reset();
        view->ShowMotionControl();
    }
    return Stage(stage).Position();
}

void CMainFrame::StageChangedOutside(EStage stage, bool redeclared) {
    if (redeclared) {
        if (Return(stage).moved) {
            Return(stage).moved = false;
            view->ShowMoveToButton(stage);
        }
        zMinimumEntry[static_cast<int>(stage)] = StrPrintf("%.2lf", Stage(stage).zMinimum);
        view->ShowZMinimum(stage);
    }
    view->ShowPosition(stage);
}

void CMainFrame::SyncZMinimumEntries() {
    for (EStage stage : {EStage::Probe, EStage::Sample}) {
        zMinimumEntry[static_cast<int>(stage)] = StrPrintf("%.2lf", Stage(stage).zMinimum);
        view->ShowZMinimum(stage);
    }
}

bool CMainFrame::SetupMotionSystem(CMsWcmc& system, const std::string& section) {
    const bool ok = system.Setup(section);
    SyncZMinimumEntries();
    view->ShowPosition(EStage::Probe);
    view->ShowPosition(EStage::Sample);
    return ok;
}

// ---- System menu tests ----------------------------------------------------------------------

void CMainFrame::TestFrameGrabber() {
    Prompt().Message("Test of Live Video coming up ...", EPromptIcon::Information);
    view->ShowLiveVideo(true);
    FgBoard().PickOnImage("Check cursor response ...");
    CBitmapImage image;
    bool ok = FgBoard().GrabBitmap(image) &&
              WriteBmpFile(JoinPath(GetRootDirectory(), "fgtest.bmp"), image);
    view->ShowLiveVideo(false);
    Prompt().Message(ok ? "Frame capture successful!" : "Frame capture failed!",
                     ok ? EPromptIcon::Information : EPromptIcon::Exclamation);
}

void CMainFrame::TestMotionSystem() {
    Prompt().Message("Click on 'Enable Kbd/Mouse ...' button at top of control bar on left.",
                     EPromptIcon::Information);
}

// ---- D/A tracker ------------------------------------------------------------------------------

void CMainFrame::SetDaOutput(const SDaOutput& output) {
    if (trackerRunning) {
        view->RunTracker(false);
        trackerRunning = false;
    }
    da = output;
    SaveParameters();
    for (int c = 0; c < 2; ++c)
        if (da.IsConstant(c) && !AdBoard().SetDA(c, da.constVolts[c]))
            Prompt().Message(AdBoard().SetDAFailureText(c, da.constVolts[c]),
                             EPromptIcon::Exclamation, kTrackerCaption);
    StartTracker();
}

void CMainFrame::StartTracker() {
    trackerCount = 0;
    if (!da.AnyTracking()) {
        if (trackerRunning) view->RunTracker(false);
        trackerRunning = false;
        return;
    }
    if (trackerRunning) return;
    if (view->RunTracker(true)) {
        trackerRunning = true;
        return;
    }
    Prompt().Message("Too many clocks or timers!", EPromptIcon::Exclamation, kTrackerCaption);
    da.op[0] = kDaNoChange[0];
    da.op[1] = kDaNoChange[1];
    SaveParameters();
}

void CMainFrame::OnTrackerTick() {
    // Never inside another reading, a move's wait, or the tracker's own message box.
    if (CStationBusy::IsBusy()) return;
    if (!da.AnyTracking()) return;
    if (++trackerCount < da.trackSec) return;
    trackerCount = 0;
    CStationBusy::CScope busy;
    for (int c = 0; c < 2; ++c) {
        if (!da.Tracks(c) || DaChannelHeld(c)) continue;
        double volts = 0.0;
        if (!AdBoard().ReadChannels(da.avgSec, da.trackCh[c], da.trackCh[c], &volts)) {
            trackerProblems[c].Show(
                StrPrintf("The D/A tracker could not read A/D channel %d; D/A Channel %d keeps "
                          "its output.",
                          da.trackCh[c], c),
                EPromptIcon::Exclamation, kTrackerCaption);
            continue;
        }
        // A reading beyond the output's range is put out at the range's end, as a saturating
        // output would, rather than refused (which would freeze the output at its last value).
        volts = AdBoard().ClampToDaRange(volts);
        if (AdBoard().SetDA(c, volts))
            trackerProblems[c].Clear();
        else
            trackerProblems[c].Show(AdBoard().SetDAFailureText(c, volts), EPromptIcon::Exclamation,
                                    kTrackerCaption);
    }
}

void CMainFrame::HoldDaChannel(int channel, bool held) {
    if (channel != 0 && channel != 1) return;
    daChannelHolds[channel] += held ? 1 : (daChannelHolds[channel] > 0 ? -1 : 0);
}

bool CMainFrame::DaChannelHeld(int channel) const {
    return (channel == 0 || channel == 1) && daChannelHolds[channel] > 0;
}

// ---- Memory display ------------------------------------------------------------------------

int CMainFrame::MemoryLoadPercent(const std::string& meminfo) {
    std::istringstream in(meminfo);
    std::string line;
    long long total = -1, available = -1, free = -1, buffers = 0, cached = 0;
    while (std::getline(in, line)) {
        long long value = 0;
        char name[32] = {};
        if (std::sscanf(line.c_str(), "%31[^:]: %lld", name, &value) != 2 || value < 0) continue;
        std::string key = name;
        if (key == "MemTotal")
            total = value;
        else if (key == "MemAvailable")
            available = value;
        else if (key == "MemFree")
            free = value;
        else if (key == "Buffers")
            buffers = value;
        else if (key == "Cached")
            cached = value;
    }
    if (total <= 0) return -1;
    // Kernels before 3.14 have no MemAvailable; free plus caches is the same idea.
    if (available < 0) {
        if (free < 0) return -1;
        available = free + buffers + cached;
    }
    if (available > total) available = total;
    return static_cast<int>((total - available) * 100 / total);
}

bool CMainFrame::UpdateMemoryLoad(const std::string& meminfo) {
    int load = MemoryLoadPercent(meminfo);
    if (load < 0 || load == memoryLoad) return false;
    memoryLoad = load;
    return true;
}

std::string CMainFrame::MemoryLoadText() const {
    if (memoryLoad < 0) return std::string();
    return StrPrintf("%lu%%", static_cast<unsigned long>(memoryLoad));
}
