#include "hw/BathMover.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "hw/MsWcmc.h"
#include "hw/ad/AdBoardSetupLogic.h"
#include "platform/Format.h"
#include "platform/NumberEntry.h"
#include "platform/PortIo.h"
#include "platform/Services.h"
#include "platform/StationBusy.h"
#include "settings/FileNumbering.h"
#include "settings/Profile.h"
#include "settings/SettingsLines.h"

namespace {


bool InRange(double seconds) {
    // Written so that NaN is out of range too.
    return CBathMover::kMinSeconds <= seconds && seconds <= CBathMover::kMaxSeconds;
}

struct SStepInfo {
    uint8_t command;
    uint8_t arrival;  // the sensor that says the step is done
    const char* timeoutFormat;
};

SStepInfo StepInfo(EBathStep step) {
    switch (step) {
        case EBathStep::Up:
            return {kBathRaise, kBathRaised, "Move Up %.1lf second timeout."};
        case EBathStep::Down:
            return {kBathLower, kBathLowered, "Move Down %.1lf second timeout."};
        case EBathStep::Etch:
            return {kBathToEtch, kBathEtchCup, "Move to Etch %.1lf second timeout."};
        case EBathStep::Rinse:
            break;
    }
    return {kBathToRinse, kBathRinseCup, "Move to Rinse %.1lf second timeout."};
}

constexpr const char* kSensorsDisagree =
    "Etch-rinse sensors disagree (raised and lowered, or both cups in place): check the "
    "carriage.";

// Marks the bath mover busy and shows the busy cursor for the length of a step.
class CBusyScope {
  public:
    CBusyScope(bool& flag, CBathMoverView& view) : flag(flag), outer(!flag), view(view) {
        flag = true;
        if (outer) view.ShowBusy(true);
    }
    ~CBusyScope() {
        if (!outer) return;
        flag = false;
        view.ShowBusy(false);
    }
    CBusyScope(const CBusyScope&) = delete;
    CBusyScope& operator=(const CBusyScope&) = delete;

  private:
    bool& flag;
    bool outer;
    CBathMoverView& view;
};

}  // namespace

CBathMover::CBathMover(CMsWcmc& probe, int defaultPort) : port(defaultPort), probe(probe) {}

CBathMover::~CBathMover() = default;

// ---- Settings --------------------------------------------------------------------------------

void CBathMover::LoadSettings() {
    CProfile& profile = Profile();
    std::string problems;
    auto check = [&](const char* key, int got, int expected) {
        if (got >= expected) return;
        if (std::optional<std::string> text = ReadSettingsText(kMainframeSection, key))
            AddSettingsProblem(&problems, kMainframeSection, key, *text);
    };

    unsigned address = static_cast<unsigned>(port);
    double t = timeout, period = statusPeriod;
    check(kControlKey,
          profile.ReadLine(kMainframeSection, kControlKey, "",
                           "Port: %X  Timeout: %lf  Status: %lf", &address, &t, &period),
          3);
    // A number beyond the I/O space stays one, so the first access names it.
    port = static_cast<int>(std::min<unsigned>(address, INT_MAX));
    timeout = InRange(t) ? t : kDefaultTimeout;
    statusPeriod = InRange(period) ? period : kDefaultStatusPeriod;

    auto position = [&](const char* key, const char* format, CDVector4& target) {
        double v[4] = {target.x, target.y, target.z, target.w};
        int got = profile.ReadLine(kMainframeSection, key, "", format, &v[0], &v[1], &v[2], &v[3]);
        bool finite = true;
        for (int i = 0; i < 4; ++i) {
            if (std::isfinite(v[i]))
                target[i] = v[i];
            else
                finite = false;
        }
        check(key, finite ? got : 0, 4);
    };
    position(kRinseKey, "Rinse: %lf %lf %lf %lf", rinsePosition);
    position(kEtchKey, "Etch: %lf %lf %lf %lf", etchPosition);

    if (!problems.empty())
        Prompt().Message(StrPrintf("These lines of [%s] in velm.ini could not be read in full:%s"
                                   "\n\nThe values they could not give keep their defaults.",
                                   kMainframeSection, problems.c_str()),
                         EPromptIcon::Exclamation);
    ResetPort();
}

void CBathMover::SaveSettings() const {
    CProfile& profile = Profile();
    profile.WriteLine(kMainframeSection, kControlKey, "Port: %X  Timeout: %lf  Status: %lf",
                      static_cast<unsigned>(port), timeout, statusPeriod);
    profile.WriteLine(kMainframeSection, kRinseKey, "Rinse: %lf %lf %lf %lf", rinsePosition.x,
                      rinsePosition.y, rinsePosition.z, rinsePosition.w);
    profile.WriteLine(kMainframeSection, kEtchKey, "Etch: %lf %lf %lf %lf", etchPosition.x,
                      etchPosition.y, etchPosition.z, etchPosition.w);
}

std::string CBathMover::PositionText(const CDVector4& p) {
    return StrPrintf("(%.1lf,%.1lf, %.1lf,%.1lf)", p.x, p.y, p.z, p.w);
}

std::string CBathMover::PortAddressProblem(int address) {
    if (address == kSimulatedPort || (address >= kMinPortAddress && address <= kMaxPortAddress))
        return std::string();
    return StrPrintf(
        "The etch/rinse control port %X is not an I/O port address; choose one in Etch-Rinse "
        "Setup.",
        static_cast<unsigned>(address));
}

// ---- Sensors -----------------------------------------------------------------------------------

void CBathMover::ResetPort() {
    bathPort.reset();
    portOpened = false;
    portProblem.clear();
    status = SBathStatus{};
}

CBathPort* CBathMover::Port() {
    if (portOpened) return bathPort.get();
    // The answer is kept until the port changes, so a refused port costs one check (and the
    // bar one line of text), not a message at every refresh.
    portOpened = true;
    portProblem = PortAddressProblem(port);
    if (!portProblem.empty()) return nullptr;
    if (port == kSimulatedPort) {
        bathPort = std::make_unique<CSimulatedCarriage>();
        return bathPort.get();
    }
    std::string why;
    if (!PortIo().Acquire(static_cast<uint32_t>(port), 1, why)) {
        portProblem = "The etch/rinse control cannot reach its carriage.\n" + why;
        return nullptr;
    }
    bathPort = std::make_unique<CIoBathPort>(static_cast<uint16_t>(port));
    return bathPort.get();
}

const SBathStatus& CBathMover::ReadStatus() {
    CBathPort* p = Port();
    status = p ? SBathStatus::FromInput(p->Read()) : SBathStatus{};
    return status;
}

// ---- Buttons -----------------------------------------------------------------------------------

bool CBathMover::CanStep(EBathStep step) const {
    if (!status.known) return false;
    // While a raise is pending, Down takes it back whatever the sensors say by now.
    if (Pending()) return step == EBathStep::Down;
    if (status.Contradictory()) return false;
    switch (step) {
        case EBathStep::Up:
            return status.Lowered() && status.CupInPlace();
        case EBathStep::Down:
            return !status.Lowered();
        case EBathStep::Etch:
        case EBathStep::Rinse:
            return status.Lowered();
    }
    return false;
}

bool CBathMover::CanAuto(EBath bath) const {
    return bath != EBath::None && status.known && !status.Contradictory() && !Pending();
}

bool CBathMover::CanGet() const {
    return probe.HasBoard();
}

void CBathMover::Warn(const std::string& text) const {
    Prompt().Message(text, EPromptIcon::Exclamation, kCaption);
}

bool CBathMover::WaitFor(uint8_t bit) {
    const uint64_t start = Clock().Ticks();
    const double limitMs = timeout * 1000.0;
    for (;;) {
        if (ReadStatus().bits & bit) return true;
        if (!status.known || static_cast<double>(Clock().Ticks() - start) >= limitMs) return false;
        Clock().WaitTicks(kPollMs);
    }
}

CBathMover::EStepResult CBathMover::RunStep(EBathStep step) {
    CBusyScope busy(inOperation, *view);
    ReadStatus();
    const bool takeBack = step == EBathStep::Down && Pending() && status.known;
    if (takeBack) EndPending();
    EStepResult result = EStepResult::Refused;
    if (!status.known) {
        result = EStepResult::NoPort;
    } else if (takeBack || CanStep(step)) {
        const SStepInfo info = StepInfo(step);
        CBathPort* p = Port();
        p->Write(info.command);
        p->Write(0);
        result = WaitFor(info.arrival) ? EStepResult::Done : EStepResult::TimedOut;
        if (result == EStepResult::TimedOut) Warn(StrPrintf(info.timeoutFormat, timeout));
    }
    view->ShowStatus();
    return result;
}

bool CBathMover::Step(EBathStep step) {
    const EStepResult result = RunStep(step);
    if (result == EStepResult::NoPort && !portProblem.empty()) Warn(portProblem);
    return result == EStepResult::Done;
}

bool CBathMover::CheckSensors() {
    ReadStatus();
    view->ShowStatus();
    if (!status.known) {
        Warn(portProblem.empty() ? "The etch/rinse carriage cannot be read." : portProblem);
        return false;
    }
    if (status.Contradictory()) {
        Warn(kSensorsDisagree);
        return false;
    }
    return true;
}

bool CBathMover::Auto(EBath bath) {
    if (bath == EBath::None || Pending()) return false;
    CBusyScope busy(inOperation, *view);
    const bool etch = bath == EBath::Etch;
    const uint8_t cupBit = etch ? kBathEtchCup : kBathRinseCup;
    const EBathStep cupStep = etch ? EBathStep::Etch : EBathStep::Rinse;
    const CDVector4 target = etch ? etchPosition : rinsePosition;

    const char* arrived = etch ? "Arrived in etch bath." : "Arrived in rinse bath.";
    if (!CheckSensors()) return false;
    view->ShowHint(etch ? "Going to etch bath." : "Going to rinse bath.");
    if (status.bits & cupBit) {
        if (status.Lowered() && RunStep(EBathStep::Up) != EStepResult::Done) return false;
        if (status.Raised()) {
            view->ShowHint(arrived);
            return true;
        }
    }
    // Every step must arrive before the next one: a carriage that stays raised must not swing
    // its cups, and the probe must not go down over a cup that is not there.
    if (!status.Lowered()) {
        if (RunStep(EBathStep::Down) != EStepResult::Done || !CheckSensors()) return false;
    }
    if (!(status.bits & cupBit)) {
        if (RunStep(cupStep) != EStepResult::Done || !CheckSensors()) return false;
    }
    if (probe.MoveAbsolute(target, kSpeedModeLinear) != CMsWcmc::kMoveDone) {
        view->ShowProbePosition();
        return false;
    }
    view->ShowProbePosition();
    const CDVector4 at = probe.Position();
    for (int axis = 0; axis < 4; ++axis) {
        if (std::fabs(at[axis] - target[axis]) > kArrivalToleranceUm) {
            // Cancelled at the Z-minimum warning: the cup stays down.
            view->ShowHint(etch ? "The probe is not above the etch bath: the cup stays down."
                                : "The probe is not above the rinse bath: the cup stays down.");
            return false;
        }
    }
    if (!CheckSensors()) return false;
    if (!(status.bits & cupBit) || !status.Lowered()) {
        view->ShowHint("The carriage moved while the probe did: the cup stays down.");
        return false;
    }
    CBathPort* p = Port();
    p->Write(kBathRaise);
    p->Write(0);
    pending = bath;
    pendingStart = Clock().Ticks();
    ReadStatus();
    view->ShowStatus();
    view->RunPollTimer(true);
    return true;
}

double CBathMover::Elapsed() const {
    if (!Pending()) return 0.0;
    return static_cast<double>(Clock().Ticks() - pendingStart) / 1000.0;
}

void CBathMover::EndPending() {
    pending = EBath::None;
    view->RunPollTimer(false);
}

void CBathMover::Poll() {
    if (!Pending() || StationBusy()) return;
    ReadStatus();
    const bool etch = pending == EBath::Etch;
    if (status.known && status.Raised() && !status.Contradictory()) {
        EndPending();
        view->ShowStatus();
        view->ShowHint(etch ? "Arrived in etch bath." : "Arrived in rinse bath.");
        return;
    }
    // Counted on the clock from the raise, so late ticks (a busy station) do not stretch it.
    if (Elapsed() >= timeout) {
        EndPending();
        view->ShowStatus();
        Warn(StrPrintf(
            etch ? "Auto etch up %.1lf second timeout." : "Auto rinse up %.1lf second timeout.",
            timeout));
    }
}

void CBathMover::GetPosition(EBath bath) {
    if (bath == EBath::None || !CanGet()) return;
    (bath == EBath::Etch ? etchPosition : rinsePosition) = probe.Position();
    SaveSettings();
    view->ShowStatus();
}

bool CBathMover::StationBusy() const {
    return inOperation || CStationBusy::IsBusy();
}

// ---- Setup -------------------------------------------------------------------------------------

CBathSetupLogic::CBathSetupLogic(const CBathMover& mover) {
    portText = StrPrintf("%X", static_cast<unsigned>(mover.port));
    timeoutText = FormatNumberEntry(mover.timeout);
    statusText = FormatNumberEntry(mover.statusPeriod);
    for (int i = 0; i < 4; ++i) {
        rinseText[i] = FormatNumberEntry(mover.rinsePosition[i]);
        etchText[i] = FormatNumberEntry(mover.etchPosition[i]);
    }
}

bool CBathSetupLogic::Accept(std::string& error) {
    auto fail = [&error](const char* text) {
        error = text;
        return false;
    };
    unsigned address = 0;
    if (!CAdBoardSetupLogic::ParseHex(portText, CBathMover::kMaxPortAddress, address) ||
        !CBathMover::PortAddressProblem(static_cast<int>(address)).empty())
        return fail(
            "Control I/O port: enter 0 for the simulated carriage or an I/O address from 100 "
            "to FFFF (hexadecimal).");
    std::optional<double> t = ParseNumberEntry(timeoutText);
    if (!t || !(CBathMover::kMinSeconds <= *t && *t <= CBathMover::kMaxSeconds))
        return fail("Timeout period: enter a number of seconds from 1 to 60.");
    std::optional<double> s = ParseNumberEntry(statusText);
    if (!s || !(CBathMover::kMinSeconds <= *s && *s <= CBathMover::kMaxSeconds))
        return fail("Status update period: enter a number of seconds from 1 to 60.");
    CDVector4 r, e;
    for (int i = 0; i < 4; ++i) {
        std::optional<double> rv = ParseNumberEntry(rinseText[i]);
        if (!rv) return fail("Rinse Position: enter a number of microns for X, Y, Z and W.");
        r[i] = *rv;
        std::optional<double> ev = ParseNumberEntry(etchText[i]);
        if (!ev) return fail("Etch Position: enter a number of microns for X, Y, Z and W.");
        e[i] = *ev;
    }
    port = static_cast<int>(address);
    timeout = *t;
    statusPeriod = *s;
    rinse = r;
    etch = e;
    return true;
}

void CBathSetupLogic::Apply(CBathMover& mover) const {
    mover.port = port;
    mover.timeout = timeout;
    mover.statusPeriod = statusPeriod;
    mover.rinsePosition = rinse;
    mover.etchPosition = etch;
    mover.SaveSettings();
    mover.ResetPort();
}
