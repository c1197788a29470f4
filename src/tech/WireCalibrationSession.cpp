#include "tech/WireCalibrationSession.h"

#include <climits>
#include <cmath>
#include <new>

#include "hw/AdBoard.h"
#include "hw/BenchHands.h"
#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"
#include "obs/DataDocument.h"
#include "obs/WireObs.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "platform/StationBusy.h"
#include "tech/Acquisition.h"
#include "tech/DialogFields.h"
#include "tech/Station.h"
#include "tech/TechDialogs.h"
#include "tech/WireCalibrationDialogs.h"

namespace {

constexpr const char* kReferenceCheck =
    "Check the following:\n\t1) Probe vibration is ON\n\t2) Calibration source current is OFF";
constexpr const char* kSampleCheck =
    "Check the following:\n\t1) Reference level is correct\n\t2) Probe vibration is ON\n\t3) "
    "Calibration source current is ON";

// nA per square micron to uA/sq.cm., and 4 pi as the gains have always used it.
constexpr double kNanoAmpsPerSqMicronInMicroAmpsPerSqCm = 100000.0;
constexpr double kFourPi = 12.5663708;

bool ValidAxis(EPsd psd, unsigned id) {
    return psd == EPsd::X ? id >= kXVibAxisX && id <= kXVibAxisZ
                          : id >= kYVibAxisX && id <= kYVibAxisZ;
}

double SignOf(double v) {
    return v < 0.0 ? -1.0 : 1.0;
}

// A gain is stored only when it can turn a voltage into a current density.
bool UsableGain(double gain) {
    return std::isfinite(gain) && gain != 0.0;
}

// -0 would be written "-0.000000" into velm.ini and "-0.0" into descriptions.
double WithoutNegativeZero(double v) {
    return v == 0.0 ? 0.0 : v;
}

const char* PsdName(EPsd psd) {
    return psd == EPsd::X ? "X PSD" : "Y PSD";
}

const char* FieldLabel(EWireCalField field) {
    switch (field) {
        case EWireCalField::XCurrent:
            return "X PSD nA";
        case EWireCalField::XDistance:
            return "X PSD microns";
        case EWireCalField::YCurrent:
            return "Y PSD nA";
        case EWireCalField::YDistance:
            return "Y PSD microns";
        case EWireCalField::Resistivity:
            return "Resistivity:";
        case EWireCalField::SystemGain:
            return "System Gain:";
        case EWireCalField::WatchInterval:
            return "Watch interval";
    }
    return "";
}

}  // namespace

// Marks the station as held by the session for a scope: a watch tick, or any other timer of
// the station, arriving meanwhile (from inside a message box's or a wait's event loop) returns
// at once.
class CWireCalibrationSession::CBusy {
  public:
    explicit CBusy(CWireCalibrationSession& s) : session(s) { ++session.busyDepth; }
    ~CBusy() { --session.busyDepth; }
    CBusy(const CBusy&) = delete;
    CBusy& operator=(const CBusy&) = delete;

  private:
    CWireCalibrationSession& session;
    CStationBusy::CScope station;
};

// Stops a running watch for a scope and starts it again afterwards.
class CWireCalibrationSession::CPausedWatch {
  public:
    explicit CPausedWatch(CWireCalibrationSession& s) : session(s), wasWatching(s.watching) {
        if (wasWatching) session.StopWatch();
    }
    ~CPausedWatch() {
        if (wasWatching && !session.watching) session.StartWatch();
    }
    CPausedWatch(const CPausedWatch&) = delete;
    CPausedWatch& operator=(const CPausedWatch&) = delete;

  private:
    CWireCalibrationSession& session;
    bool wasWatching;
};

CWireCalibrationSession::CWireCalibrationSession(CDevices& devices, CStation& station,
                                                 const CWireCalibration& calibration)
    : devices(devices), station(station) {
    work.CopyCalibrationFrom(calibration);
    // An axis id no radio button offers (a damaged settings line) cannot be moved along.
    if (!ValidAxis(EPsd::X, work.xVibAxis)) work.xVibAxis = kXVibAxisY;
    if (!ValidAxis(EPsd::Y, work.yVibAxis)) work.yVibAxis = kYVibAxisZ;
    reference = station.wireReference.reading;
}

CWireCalibrationSession::~CWireCalibrationSession() {
    StopWatch();
    EndMove();
}

void CWireCalibrationSession::SetView(CWireCalibrationView* newView) {
    view = newView ? newView : &noView;
}

// ---- Messages and state --------------------------------------------------------------------

EPromptAnswer CWireCalibrationSession::Ask(const std::string& text, EPromptButtons buttons,
                                           const char* caption) {
    CBusy busy(*this);
    return Prompt().Ask(text, buttons, EPromptIcon::Question, caption ? caption : "");
}

void CWireCalibrationSession::Say(const std::string& text, EPromptIcon icon, const char* caption) {
    CBusy busy(*this);
    Prompt().Message(text, icon, caption ? caption : "");
}

void CWireCalibrationSession::SayOnce(const std::string& text) {
    if (text == lastProblem) return;
    lastProblem = text;
    Say(text, EPromptIcon::Exclamation);
}

bool CWireCalibrationSession::StationBusy() const {
    return busyDepth > 0 || CStationBusy::IsBusy();
}

void CWireCalibrationSession::Refresh() {
    view->Refresh();
}

void CWireCalibrationSession::RefreshStage(EStage stage, bool redeclared) {
    if (stageChanged) stageChanged(stage, redeclared);
    Refresh();
}

void CWireCalibrationSession::SetSourceCurrent(bool on) {
    if (CBenchHands* hands = devices.AdBoard().Hands()) hands->SetSourceCurrent(on);
}

bool CWireCalibrationSession::ReadLockIns(double periodSec, CDVector4& volts, bool watch) {
    CBusy busy(*this);
    const int first = work.rules.FirstChan;
    const int last = first > INT_MAX - 3 ? INT_MAX : first + 3;
    double v[4] = {};
    bool ok;
    if (watch) {
        ok = devices.AdBoard().ReadChannels(periodSec, first, last, v);
    } else {
        CAcquisitionScope cursor;
        ok = devices.AdBoard().ReadChannels(periodSec, first, last, v);
    }
    if (ok) {
        volts = CDVector4(v);
        lastProblem.clear();
        return true;
    }
    const std::string why = ReadFailureMessage(devices.AdBoard(), first, last, periodSec);
    if (watch)
        SayOnce(why);
    else
        Say(why, EPromptIcon::Exclamation);
    return false;
}

// ---- Fields --------------------------------------------------------------------------------

double& CWireCalibrationSession::Current(EPsd psd) {
    return psd == EPsd::X ? work.XnanoAmps : work.YnanoAmps;
}

double& CWireCalibrationSession::Distance(EPsd psd) {
    return psd == EPsd::X ? work.Xmicrons : work.Ymicrons;
}

double CWireCalibrationSession::FieldValue(EWireCalField field) const {
    switch (field) {
        case EWireCalField::XCurrent:
            return work.XnanoAmps;
        case EWireCalField::XDistance:
            return work.Xmicrons;
        case EWireCalField::YCurrent:
            return work.YnanoAmps;
        case EWireCalField::YDistance:
            return work.Ymicrons;
        case EWireCalField::Resistivity:
            return work.Resistivity;
        case EWireCalField::SystemGain:
            return work.SystemGain;
        case EWireCalField::WatchInterval:
            return watchInterval;
    }
    return 0.0;
}

std::string CWireCalibrationSession::FieldText(EWireCalField field) const {
    return FormatNumber(FieldValue(field));
}

bool CWireCalibrationSession::SetField(EWireCalField field, const std::string& text) {
    if (text == FieldText(field)) return true;
    double value = 0.0;
    std::string error;
    if (ParseNumberField(text, FieldLabel(field), value, error)) {
        switch (field) {
            case EWireCalField::Resistivity:
                if (!(value > 0.0)) error = kResistivityRule;
                break;
            case EWireCalField::SystemGain:
                if (!(value >= kMinSystemGain && value <= kMaxSystemGain)) error = kSystemGainRule;
                break;
            case EWireCalField::WatchInterval:
                if (!(value >= kMinWatchInterval && value <= kMaxWatchInterval))
                    error = "The watch interval must be from 0.1 to 3600 seconds.";
                break;
            default:
                break;
        }
    }
    if (!error.empty()) {
        Say(error, EPromptIcon::Exclamation);
        return false;
    }
    if (value == FieldValue(field)) return true;
    switch (field) {
        case EWireCalField::XCurrent:
        case EWireCalField::YCurrent:
        case EWireCalField::XDistance:
        case EWireCalField::YDistance: {
            const EPsd psd = field == EWireCalField::XCurrent || field == EWireCalField::XDistance
                                 ? EPsd::X
                                 : EPsd::Y;
            const bool isCurrent =
                field == EWireCalField::XCurrent || field == EWireCalField::YCurrent;
            (isCurrent ? Current(psd) : Distance(psd)) = value;
            // Gains made from other numbers than the stored ones would be a record of a
            // calibration nobody made.
            const bool sampled =
                (work.xMX != 0.0 || work.yMX != 0.0) && (work.xMY != 0.0 || work.yMY != 0.0);
            if (work.xCal && work.yCal && sampled) changed = ComputeGains();
            break;
        }
        case EWireCalField::Resistivity:
            work.Resistivity = value;
            changed = true;
            break;
        case EWireCalField::SystemGain:
            work.SystemGain = value;
            changed = true;
            break;
        case EWireCalField::WatchInterval:
            watchInterval = value;
            changed = true;
            if (watching) view->RunWatchTimer(true, WatchPeriodMs());
            break;
    }
    Refresh();
    return true;
}

void CWireCalibrationSession::SetAxis(EPsd psd, uint16_t axisId) {
    if (!ValidAxis(psd, axisId)) return;
    (psd == EPsd::X ? work.xVibAxis : work.yVibAxis) = axisId;
    Refresh();
}

int CWireCalibrationSession::AxisIndex(EPsd psd) const {
    return psd == EPsd::X ? work.xVibAxis - kXVibAxisX : work.yVibAxis - kYVibAxisX;
}

char CWireCalibrationSession::AxisLetter(EPsd psd) const {
    return static_cast<char>('X' + AxisIndex(psd));
}

std::string CWireCalibrationSession::AxisLabel(EPsd psd) const {
    return std::string(1, AxisLetter(psd)) + ":";
}

bool CWireCalibrationSession::AxesDiffer() {
    if (AxisIndex(EPsd::X) != AxisIndex(EPsd::Y)) return true;
    Say(kSameAxis, EPromptIcon::Exclamation, kTitle);
    return false;
}

// ---- Positions -------------------------------------------------------------------------------

CDVector4 CWireCalibrationSession::ProbePosition() const {
    return devices.ProbeSystem().Position();
}

CDVector4 CWireCalibrationSession::SamplePosition() const {
    return devices.SampleSystem().Position();
}

CDVector4 CWireCalibrationSession::Offset() const {
    return ProbePosition() - work.srcpos;
}

double CWireCalibrationSession::MicrovoltsAtTip(double volts) const {
    return volts / work.SystemGain * 1000000.0;
}

void CWireCalibrationSession::RedeclareProbe(const CDVector4& at) {
    CMsWcmc& probe = devices.ProbeSystem();
    const double shift = at.z - probe.position[2];
    probe.SetPosition(at.x, at.y, at.z, at.w);
    if (probe.zMinimumOn && shift != 0.0 && std::isfinite(shift)) {
        probe.zMinimum += shift;
        probe.SaveSettings(kProbeMotionSection);
    }
    RefreshStage(EStage::Probe, true);
}

// ---- Procedures --------------------------------------------------------------------------------

void CWireCalibrationSession::Opened() {
    if (Ask("Align probe Z plane with calibration source now?", EPromptButtons::YesNo) ==
        EPromptAnswer::Yes)
        FindZPlane();
    StartWatch();
}

bool CWireCalibrationSession::ReferenceObservation() {
    return TakeReference() == EReference::Kept;
}

CWireCalibrationSession::EReference CWireCalibrationSession::TakeReference() {
    if (Ask(kReferenceCheck, EPromptButtons::OkCancel, kTitle) != EPromptAnswer::Ok)
        return EReference::Cancelled;
    SetSourceCurrent(false);
    CDVector4 reading;
    if (!ReadLockIns(work.rules.RefPeriod, reading)) return EReference::Failed;
    const CDVector4 oldDialog = reference;
    const CDVector4 oldStation = station.wireReference.reading;
    reference = reading;
    station.wireReference.reading = reading;
    Refresh();
    if (Ask("Keep this reference measurement ?", EPromptButtons::OkCancel, kResultCaption) !=
        EPromptAnswer::Ok) {
        reference = oldDialog;
        station.wireReference.reading = oldStation;
        Refresh();
        return EReference::Discarded;
    }
    if (work.document) {
        std::unique_ptr<CWireReference> kept;
        try {
            kept = std::make_unique<CWireReference>();
        } catch (const std::bad_alloc&) {
            Say("Insufficient Memory for Wire Reference Observation", EPromptIcon::Exclamation);
        }
        if (kept) {
            kept->StampNow();
            kept->StampPositions();
            kept->reference = oldStation;
            kept->reading = reading;
            work.document->AddObs(std::move(kept));
        }
    }
    // Points measured from now on, in this run or the next, subtract this reference.
    station.SaveWireReference();
    return EReference::Kept;
}

bool CWireCalibrationSession::Go(EPsd psd) {
    return MoveToSamplingPosition(psd, false);
}

bool CWireCalibrationSession::MoveToSamplingPosition(EPsd psd, bool keepZ) {
    if (!AxesDiffer()) return false;
    const double d = Distance(psd);
    if (d > -5.0 && d < 5.0) {
        Say("Distance less than 5 microns is illegal.", EPromptIcon::Exclamation,
            psd == EPsd::X ? "Move to X PSD Sampling Position Error"
                           : "Move to Y PSD Sampling Position Error");
        return false;
    }
    CDVector4 move = work.srcpos - ProbePosition();
    move[AxisIndex(psd)] += d;
    if (keepZ) move.z = 0.0;
    int result;
    {
        CBusy busy(*this);
        result = devices.ProbeSystem().MoveRelative(move, kSpeedModeLinear);
    }
    RefreshStage(EStage::Probe, false);
    return result == CMsWcmc::kMoveDone;
}

void CWireCalibrationSession::Get(EPsd psd) {
    const CDVector4 o = Offset();
    const double d = std::sqrt(o.x * o.x + o.y * o.y + o.z * o.z);
    SetField(psd == EPsd::X ? EWireCalField::XDistance : EWireCalField::YDistance,
             StrPrintf("%.0lf", d));
    view->ShowFields();
}

bool CWireCalibrationSession::Sample(EPsd psd) {
    if (!AxesDiffer()) return false;
    const char* name = PsdName(psd);
    const char letter = AxisLetter(psd);
    if (std::fabs(Current(psd)) < 0.001) {
        Say(StrPrintf("Must calibrate %s (%c direction) with non-zero current source.", name,
                      letter),
            EPromptIcon::Exclamation, kErrorCaption);
        return false;
    }
    if (std::fabs(Distance(psd)) < 0.001) {
        Say(StrPrintf("%s (%c direction) distance from source to probe must be non-zero.", name,
                      letter),
            EPromptIcon::Exclamation, kErrorCaption);
        return false;
    }
    if (Ask(kSampleCheck, EPromptButtons::OkCancel, kTitle) != EPromptAnswer::Ok) return false;
    SetSourceCurrent(true);

    CPausedWatch pause(*this);
    CDVector4 reading;
    // Rules marked for references still average a point over the absolute value.
    if (!ReadLockIns(std::fabs(work.rules.SamplePeriod), reading)) return false;
    const CDVector4 d = reading - reference;
    lastSample = d;
    Refresh();
    const double mx = std::sqrt(d.x * d.x + d.y * d.y);
    const double my = std::sqrt(d.z * d.z + d.w * d.w);
    if ((psd == EPsd::X ? mx : my) == 0.0) {
        Say("Zero reading", EPromptIcon::Exclamation, kResultErrorCaption);
        return false;
    }
    const double angle = std::atan2(my, mx);
    const double xPhase = std::atan2(d.x, d.y);
    const double yPhase = std::atan2(d.z, d.w);
    if (psd == EPsd::X) {
        work.xVibAng = angle;
        work.XXphase = xPhase;
        work.YXphase = yPhase;
        work.xMX = mx;
        work.yMX = my;
        work.xCal = 1;
    } else {
        work.yVibAng = angle;
        work.XYphase = xPhase;
        work.YYphase = yPhase;
        work.xMY = mx;
        work.yMY = my;
        work.yCal = 1;
    }
    Refresh();
    Say(StrPrintf("%s sample complete.", name), EPromptIcon::Information, kResultCaption);
    changed = ComputeGains();
    return true;
}

bool CWireCalibrationSession::DirectionGains(double nanoAmps, double microns, double own,
                                             double other, double ownInOther, double otherInOther,
                                             double s, double& gain, double& otherGain) const {
    // The current density the source makes at the probe, times rho and SG as gains are kept.
    const double j = nanoAmps * work.SystemGain * work.Resistivity *
                     kNanoAmpsPerSqMicronInMicroAmpsPerSqCm / (microns * microns * kFourPi);
    const double r = ownInOther / otherInOther;
    const double g = j / (own - s * r * other);
    const double cross = -s * r * g;
    if (!UsableGain(g) || !std::isfinite(cross)) return false;
    gain = g;
    otherGain = WithoutNegativeZero(cross);
    return true;
}

bool CWireCalibrationSession::ComputeGains() {
    if (!work.xCal || !work.yCal) return false;
    // A detector that also answers the other current direction is decoupled with the sign of
    // that answer: the two phases of one detector differ by 0 or 180 degrees, and whether
    // they agree says whether its cross response adds or subtracts. Without cross response
    // this is the plain ratio of the expected current density to the response.
    const double s = SignOf(std::cos(work.XYphase - work.XXphase)) *
                     SignOf(std::cos(work.YYphase - work.YXphase));
    bool ok = true;
    if (!DirectionGains(work.XnanoAmps, work.Xmicrons, work.xMX, work.yMX, work.xMY, work.yMY, s,
                        work.XXuAperV, work.YXuAperV)) {
        Say("Zero X response", EPromptIcon::Exclamation, kResultErrorCaption);
        ok = false;
    }
    if (!DirectionGains(work.YnanoAmps, work.Ymicrons, work.yMY, work.xMY, work.yMX, work.xMX, s,
                        work.YYuAperV, work.XYuAperV)) {
        Say("Zero Y response", EPromptIcon::Exclamation, kResultErrorCaption);
        ok = false;
    }
    Refresh();
    return ok;
}

bool CWireCalibrationSession::FindZPlane() {
    if (!AxesDiffer()) return false;
    if (work.ZVibration() == 0) {
        if (Ask("Are source and probe aligned for finding Z plane?", EPromptButtons::YesNo) !=
            EPromptAnswer::Yes)
            return false;
    } else {
        const CDVector4 p = ProbePosition();
        if (Ask(StrPrintf("Reset the Z (%.1lf) and W (%.1lf) coordinates to zero?\n(No will "
                          "cancel Find Z Plane operation)",
                          p.z, p.w),
                EPromptButtons::YesNo) != EPromptAnswer::Yes)
            return false;
        RedeclareProbe(CDVector4(p.x, p.y, 0.0, 0.0));
        // The detector that does not vibrate along Z approaches the source sideways.
        const EPsd other = work.xVibAxis == kXVibAxisZ ? EPsd::Y : EPsd::X;
        if (Ask(StrPrintf("Move probe to %.1lf microns from source along %c axis\nto find source "
                          "Z plane?",
                          Distance(other), AxisLetter(other)),
                EPromptButtons::OkCancel) != EPromptAnswer::Ok)
            return false;
        // The source's height is what is being looked for: the approach keeps the probe's
        // height, instead of driving it by a source Z that is not known yet.
        if (!MoveToSamplingPosition(other, true)) return false;
    }
    if (Ask("Turn vibration on and current off to take reference", EPromptButtons::OkCancel) !=
        EPromptAnswer::Ok)
        return false;
    SetSourceCurrent(false);
    if (TakeReference() == EReference::Failed) return false;

    // The user turns the current on and moves the probe up and down for the largest response.
    const bool wasWatching = watching;
    const std::optional<EStage> wasMoving = moving;
    const bool wasMovingWithMouse = movingWithMouse;
    EndMove();
    SetSourceCurrent(true);
    if (startJog) startJog(EStage::Probe, true);
    StartWatch();
    const bool found = view->FindZPlaneDialog();
    if (endJog) endJog(EStage::Probe);
    if (!wasWatching) StopWatch();
    if (wasMoving && startJog) {
        startJog(*wasMoving, wasMovingWithMouse);
        moving = wasMoving;
        movingWithMouse = wasMovingWithMouse;
    }
    if (!found) {
        RefreshStage(EStage::Probe, false);
        return false;
    }
    // The probe's present height is the source's Z plane.
    work.srcpos = CDVector4(work.srcpos.x, work.srcpos.y, 0.0, 0.0);
    const CDVector4 p = ProbePosition();
    RedeclareProbe(CDVector4(p.x, p.y, 0.0, p.w));
    return true;
}

bool CWireCalibrationSession::SamplingRules() {
    {
        CBusy busy(*this);
        if (!EditWireRules(work.rules, kCalibrationRulesKey)) return false;
    }
    work.rules.SaveSettings(kPointRulesKey);
    work.rules.SaveSettings(kScanRulesKey);
    // The station measures with the rules velm.ini now holds, in this run as in the next.
    if (station.wireRules) station.wireRules->LoadSettings(kPointRulesKey);
    Refresh();
    return true;
}

bool CWireCalibrationSession::LocateSource() {
    if (!imageToStage) return false;
    CPausedWatch pause(*this);
    std::optional<SPixel> pixel;
    {
        CBusy busy(*this);
        pixel =
            devices.FgBoard().TryPickOnImage("Use cursor to show tip of calibration source ...");
    }
    if (!pixel) return false;
    work.srcpos = imageToStage(*pixel, ProbePosition());
    Refresh();
    return true;
}

bool CWireCalibrationSession::LocateStage(EStage stage) {
    CPausedWatch pause(*this);
    CFgBoard& grabber = devices.FgBoard();
    std::optional<SPixel> pixel;
    {
        CBusy busy(*this);
        pixel = grabber.TryPickOnImage(stage == EStage::Probe ? "Use cursor to show probe tip ..."
                                                              : "Use cursor to show sample ...");
    }
    if (!pixel) return false;
    // From now on the clicked pixel is where the image shows the stage's position.
    (grabber.currentCamera == 1 ? grabber.origin1 : grabber.origin0) = *pixel;
    grabber.SaveSettings();
    RefreshStage(stage, false);
    return true;
}

// ---- Watch
// ---------------------------------------------------------------------------------------

int CWireCalibrationSession::WatchPeriodMs() const {
    return static_cast<int>(std::trunc(watchInterval * 1000.0));
}

void CWireCalibrationSession::ToggleWatch() {
    if (watching) {
        StopWatch();
    } else {
        // Asked for again: a problem that stopped it before may be told again.
        lastProblem.clear();
        StartWatch();
    }
}

void CWireCalibrationSession::StartWatch() {
    watching = true;
    view->RunWatchTimer(true, WatchPeriodMs());
    Refresh();
}

void CWireCalibrationSession::StopWatch() {
    if (!watching) return;
    watching = false;
    view->RunWatchTimer(false, 0);
    Refresh();
}

void CWireCalibrationSession::WatchTick() {
    if (!watching || StationBusy()) return;
    CDVector4 reading;
    if (!ReadLockIns(watchInterval * 0.5, reading, true)) {
        // Paused rather than telling the same at every tick; "Watch" tries again.
        StopWatch();
        return;
    }
    lastWatch = reading - reference;
    Refresh();
}

// ---- Moving the stages -------------------------------------------------------------------------

void CWireCalibrationSession::ToggleMove(EStage stage) {
    if (moving == stage) {
        EndMove();
        return;
    }
    if (!startJog) return;
    EndMove();
    const bool withMouse = Ask("Enable Mouse?", EPromptButtons::YesNo) == EPromptAnswer::Yes;
    startJog(stage, withMouse);
    moving = stage;
    movingWithMouse = withMouse;
    Refresh();
}

void CWireCalibrationSession::EndMove() {
    if (!moving) return;
    const EStage stage = *moving;
    moving.reset();
    if (endJog) endJog(stage);
    Refresh();
}

std::string CWireCalibrationSession::MoveButtonText(EStage stage) const {
    if (moving == stage) return kMoveEndText;
    return stage == EStage::Probe ? "Move Probe" : "Move Sample";
}

bool CWireCalibrationSession::Escape() {
    if (!moving) return false;
    EndMove();
    return true;
}

// ---- Closing -----------------------------------------------------------------------------------

bool CWireCalibrationSession::Ok() {
    StopWatch();
    EndMove();
    keep = false;
    if (changed && (work.xCal || work.yCal))
        keep = Ask("Save these calibration values ?", EPromptButtons::OkCancel, kResultCaption) ==
               EPromptAnswer::Ok;
    return true;
}

bool CWireCalibrationSession::Cancel() {
    if (changed && (work.xCal || work.yCal) &&
        Ask("Discard these calibration values ?", EPromptButtons::OkCancel, kResultCaption) !=
            EPromptAnswer::Ok)
        return false;
    StopWatch();
    EndMove();
    keep = false;
    return true;
}

void CWireCalibrationSession::CopyResultTo(CWireCalibration& calibration) const {
    CDataDocument* holder = calibration.document;
    calibration.CopyCalibrationFrom(work);
    calibration.document = holder;
    calibration.probeOffset = Offset();
    calibration.refReading = reference;
}

// ---- Calibrate()
// ---------------------------------------------------------------------------------

bool CalibrateWire(CWireCalibration& calibration, CWireCalibrationSession& session) {
    WireCalibrationDialogs().Calibrate(session);
    if (!session.Keep()) return false;
    session.CopyResultTo(calibration);
    KeepWireCalibration(calibration, session.Station());
    return true;
}

void KeepWireCalibration(CWireCalibration& calibration, CStation& station) {
    calibration.SaveSettings();
    calibration.StampNow();
    calibration.StampPositions();
    station.SaveWireReference();
    station.UseWireCalibration(calibration);
    if (station.wireRules) station.wireRules->LoadSettings(kPointRulesKey);
}
