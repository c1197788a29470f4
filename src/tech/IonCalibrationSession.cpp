#include "tech/IonCalibrationSession.h"

#include <cmath>
#include <new>

#include "hw/AdBoard.h"
#include "hw/BenchHands.h"
#include "hw/Devices.h"
#include "obs/DataDocument.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "tech/Acquisition.h"
#include "tech/DialogFields.h"
#include "tech/IonDialogs.h"
#include "platform/StationBusy.h"
#include "tech/IonStation.h"
#include "tech/Station.h"

namespace {


// Reads of the calibration under way (a watch tick arriving from a nested event loop during
// one must not start another).
int readsUnderWay = 0;

class CReadScope {
  public:
    CReadScope() { ++readsUnderWay; }
    ~CReadScope() { --readsUnderWay; }
    CReadScope(const CReadScope&) = delete;
    CReadScope& operator=(const CReadScope&) = delete;
};

// Whether the station is busy with something a watch tick must not interrupt.
bool StationBusy() {
    return readsUnderWay > 0 || CStationBusy::IsBusy();
}

// Shows `text` unless it was the last one shown (`last` is cleared when the cause is gone), so
// a timer that keeps failing for one reason says so once.
void ShowOnce(std::string& last, const std::string& text) {
    if (text == last) return;
    last = text;
    Prompt().Message(text, EPromptIcon::Exclamation);
}

std::string Fixed2(double v) {
    return StrPrintf("%.2lf", v);
}

double Scale(uint16_t type) {
    return type == kIonPolarographic ? 10000.0 : 1000.0;
}

}  // namespace

CIonCalibrationSession::CIonCalibrationSession(const CIonCalibration& start, CAdBoard& board)
    : board(board) {
    cal.CopyCalibrationFrom(start);
    cal.index = start.index;
    fitted = cal.IsUsable();
    ShowFields();
}

CIonCalibrationSession::~CIonCalibrationSession() {
    Close();
}

void CIonCalibrationSession::ShowFields() {
    sampleFor = FormatNumber(cal.samplePeriod);
    const double c[3] = {cal.conc1, cal.conc2, cal.conc3};
    for (int i = 0; i < 3; ++i)
        conc[i] = FormatNumber(c[i]);
    preampGain = FormatNumber(cal.preampGain);
    preampChannel = std::to_string(cal.loGainAdChan);
    mainGain = FormatNumber(cal.outputGain);
    mainChannel = std::to_string(cal.hiGainAdChan);
    daChannel = std::to_string(cal.daChan);
}

std::string CIonCalibrationSession::Title() const {
    return cal.name + " Probe Calibration";
}

const char* CIonCalibrationSession::SlopeCaption() const {
    return PolarographicSetup() ? "Std Curve" : "Nernst Slope";
}
const char* CIonCalibrationSession::SlopeUnit() const {
    return PolarographicSetup() ? "pA/percent" : "mV/decade";
}
const char* CIonCalibrationSession::ConcentrationUnit() const {
    return PolarographicSetup() ? "%" : "mM";
}
const char* CIonCalibrationSession::ValueUnit() const {
    return PolarographicSetup() ? "pA" : "mV";
}

std::string CIonCalibrationSession::ValueText(int solution) const {
    const int sampled[3] = {cal.cal1, cal.cal2, cal.cal3};
    const double values[3] = {cal.volts1, cal.volts2, cal.volts3};
    if (solution < 1 || solution > 3 || !sampled[solution - 1]) return {};
    return Fixed2(values[solution - 1]);
}

std::string CIonCalibrationSession::SlopeText() const {
    return fitted ? Fixed2(cal.slope) : "--";
}

std::string CIonCalibrationSession::InterceptText() const {
    return fitted ? Fixed2(cal.intercept) : "--";
}

std::string CIonCalibrationSession::BathOffsetText() const {
    const double vda = cal.daChan == 1 ? board.da1 : board.da0;
    return Fixed2(vda / cal.preampGain * Scale(cal.type));
}

int CIonCalibrationSession::PolarizationChannel() const {
    return cal.daChan == 0 ? 1 : 0;
}

std::string CIonCalibrationSession::PolarizationCaption() const {
    return StrPrintf("Polarization Voltage (Ch %d):", PolarizationChannel());
}

std::string CIonCalibrationSession::PolarizationText() const {
    return Fixed2(PolarizationChannel() == 0 ? board.da0 : board.da1);
}

void CIonCalibrationSession::SetType(uint16_t type) {
    if (type != kIonNernst && type != kIonPolarographic) return;
    if (type == cal.type) return;
    cal.type = type;
    const bool nernst = type == kIonNernst;
    cal.conc1 = nernst ? 0.1 : 0.0;
    cal.conc2 = nernst ? 1.0 : 21.0;
    cal.conc3 = 10.0;
    // The values read so far are in the other type's unit (mV against pA): sample again.
    cal.cal1 = cal.cal2 = cal.cal3 = 0;
    cal.volts1 = cal.volts2 = cal.volts3 = 0.0;
    fitted = false;
    changed = true;
    const double c[3] = {cal.conc1, cal.conc2, cal.conc3};
    for (int i = 0; i < 3; ++i)
        conc[i] = FormatNumber(c[i]);
}

void CIonCalibrationSession::SetAutoBath(bool on) {
    if ((cal.autoBath != 0) == on) return;
    cal.autoBath = on ? 1 : 0;
    changed = true;
}

void CIonCalibrationSession::SetUse3(bool on) {
    if ((cal.use3 != 0) != on) changed = true;
    cal.use3 = on ? 1 : 0;
    Refit();
}

bool CIonCalibrationSession::ConcentrationEdited(int solution, const std::string& text) {
    if (solution < 1 || solution > 3) return false;
    double v = 0.0;
    std::string error;
    if (!ParseNumberField(text, "Solution", v, error)) return false;
    conc[solution - 1] = text;
    double* fields[3] = {&cal.conc1, &cal.conc2, &cal.conc3};
    if (*fields[solution - 1] != v) {
        *fields[solution - 1] = v;
        changed = true;
    }
    Refit();
    return true;
}

void CIonCalibrationSession::Refit() {
    fitted = cal.Fit();
}

bool CIonCalibrationSession::TakeFields(std::string& error) {
    double period = 0, c[3] = {}, pre = 0, out = 0;
    int64_t lo = 0, hi = 0, da = 0;
    if (!ParseNumberField(sampleFor, "Sample for", period, error) ||
        !ParseNumberField(conc[0], "Solution 1:", c[0], error) ||
        !ParseNumberField(conc[1], "Solution 2:", c[1], error) ||
        !ParseNumberField(conc[2], "Solution 3:", c[2], error) ||
        !ParseNumberField(preampGain, "Preamp Gain:", pre, error) ||
        !ParseIntegerField(preampChannel, "Preamp A/D Chan:", 0, 7, lo, error) ||
        !ParseNumberField(mainGain, "Main Amp Gain:", out, error) ||
        !ParseIntegerField(mainChannel, "Main Amp A/D Chan:", 0, 7, hi, error) ||
        !ParseIntegerField(daChannel, "D/A Chan:", 0, 1, da, error))
        return false;
    if (!(period >= 0.001 && period <= CAdBoard::kMaxPeriodSec)) {
        error = "The sampling time must be from 0.001 to 86400 seconds.";
        return false;
    }
    // The tip value divides by both gains.
    if (pre == 0.0 || out == 0.0) {
        error = "The preamplifier and main amplifier gains cannot be 0.";
        return false;
    }
    const bool concentrationsChanged = c[0] != cal.conc1 || c[1] != cal.conc2 || c[2] != cal.conc3;
    if (concentrationsChanged || period != cal.samplePeriod || pre != cal.preampGain ||
        out != cal.outputGain || lo != cal.loGainAdChan || hi != cal.hiGainAdChan ||
        da != cal.daChan)
        changed = true;
    cal.samplePeriod = period;
    cal.conc1 = c[0];
    cal.conc2 = c[1];
    cal.conc3 = c[2];
    cal.preampGain = pre;
    cal.outputGain = out;
    cal.loGainAdChan = static_cast<int>(lo);
    cal.hiGainAdChan = static_cast<int>(hi);
    cal.daChan = static_cast<int>(da);
    if (concentrationsChanged) Refit();
    return true;
}

bool CIonCalibrationSession::TakeFieldsOrTell() {
    std::string error;
    if (TakeFields(error)) return true;
    Prompt().Message(error, EPromptIcon::Exclamation);
    return false;
}

bool CIonCalibrationSession::ReadChannel(double period, int channel, double& volts) {
    CReadScope reading;
    if (board.ReadChannels(period, channel, channel, &volts)) return true;
    Prompt().Message(ReadFailureMessage(board, channel, channel, period), EPromptIcon::Exclamation);
    return false;
}

bool CIonCalibrationSession::ZeroBathOffset() {
    if (!TakeFieldsOrTell()) return false;
    CAcquisitionScope busy;
    double v = 0.0;
    if (!ReadChannel(cal.samplePeriod, cal.loGainAdChan, v)) return false;
    if (!board.SetDA(cal.daChan, v)) {
        Prompt().Message(StrPrintf("The bath offset could not be set: D/A channel %d of the A/D "
                                   "board \"%s\" cannot be set to %.4lf V.",
                                   cal.daChan, board.GetBoardName(), v),
                         EPromptIcon::Exclamation);
        return false;
    }
    return true;
}

bool CIonCalibrationSession::SampleSolution(int solution) {
    if (solution < 1 || solution > 3) return false;
    if (!TakeFieldsOrTell()) return false;
    // The button says the tip stands in this solution now.
    if (CBenchHands* hands = board.Hands()) hands->PlaceInSolution(solution);
    CAcquisitionScope busy;
    if (cal.autoBath && !ZeroBathOffset()) return false;
    double v = 0.0;
    if (!ReadChannel(cal.samplePeriod, cal.hiGainAdChan, v)) return false;
    const double vda = cal.daChan == 1 ? board.da1 : board.da0;
    double* values[3] = {&cal.volts1, &cal.volts2, &cal.volts3};
    int* sampled[3] = {&cal.cal1, &cal.cal2, &cal.cal3};
    *values[solution - 1] = cal.TipValue(v, vda);
    *sampled[solution - 1] = 1;
    changed = true;
    Refit();
    return true;
}

int CIonCalibrationSession::WatchPeriodMs() {
    double seconds = 0.0;
    std::string error;
    if (!ParseNumberField(watchInterval, "Watch", seconds, error)) {
        Prompt().Message(error, EPromptIcon::Exclamation);
        return 0;
    }
    if (!(seconds >= kMinWatchSeconds && seconds <= 3600.0)) {
        Prompt().Message(
            StrPrintf("The watch interval must be from %g to 3600 seconds.", kMinWatchSeconds),
            EPromptIcon::Exclamation);
        return 0;
    }
    return static_cast<int>(std::trunc(seconds * 1000.0));
}

bool CIonCalibrationSession::WatchTick() {
    if (inTick || StationBusy()) return false;
    inTick = true;
    struct SReset {
        bool& flag;
        ~SReset() { flag = false; }
    } reset{inTick};
    double seconds = 0.0;
    std::string error;
    if (!ParseNumberField(watchInterval, "Watch", seconds, error) || seconds < kMinWatchSeconds)
        return false;
    // Fields being typed are taken when they can be, and the last good ones are used otherwise.
    TakeFields(error);
    const double period = seconds * 0.5;
    double v = 0.0;
    {
        CReadScope reading;
        if (!board.ReadChannels(period, cal.hiGainAdChan, cal.hiGainAdChan, &v)) {
            ShowOnce(lastWatchMessage,
                     ReadFailureMessage(board, cal.hiGainAdChan, cal.hiGainAdChan, period));
            return false;
        }
    }
    lastWatchMessage.clear();
    const double vda = cal.daChan == 1 ? board.da1 : board.da0;
    tipText = Fixed2(cal.TipValue(v, vda));
    return true;
}

void CIonCalibrationSession::SetVpol() {
    Prompt().Message(
        StrPrintf("Polarization Voltage is set by D/A channel %d.", PolarizationChannel()),
        EPromptIcon::Information);
    if (setDaOutput) setDaOutput();
}

bool CIonCalibrationSession::Ok() {
    if (!TakeFieldsOrTell()) return false;
    // Values without a line through them (equal concentrations, say) cannot convert anything.
    if (!changed || !cal.IsComplete() || !fitted) {
        Prompt().Message("Reverting to previous calibration values.", EPromptIcon::Information,
                         "ISP/PVP Calibration");
        Close();
        return true;
    }
    if (Prompt().Ask("Save these calibration values ?", EPromptButtons::OkCancel,
                     EPromptIcon::Question) != EPromptAnswer::Ok)
        return false;
    kept = true;
    Close();
    return true;
}

bool CIonCalibrationSession::Keep(std::string& why) {
    if (!TakeFields(why)) return false;
    if (!cal.IsComplete()) {
        why = "not every standard solution in use has been sampled.";
        return false;
    }
    if (!fitted) {
        why =
            "the solutions give no calibration line (equal concentrations or equal readings, "
            "or a concentration that is not above 0).";
        return false;
    }
    kept = true;
    Close();
    return true;
}

bool CIonCalibrationSession::Cancel() {
    if (changed && cal.IsComplete() &&
        Prompt().Ask("Discard these calibration values ?", EPromptButtons::OkCancel,
                     EPromptIcon::Question, "ISP/PVP Probe Calibration") != EPromptAnswer::Ok)
        return false;
    Close();
    return true;
}

void CIonCalibrationSession::Close() {
    if (closed) return;
    closed = true;
    // The probe goes back over the sample.
    if (CBenchHands* hands = board.Hands()) hands->PlaceInSolution(CBenchHands::kSampleBath);
}

const CIonCalibration* CalibrateIonProbe(CStation& station, const std::string& probeName) {
    const std::string name = station.ChooseProbe(probeName);
    if (name.empty()) return nullptr;
    CDevices* devices = station.Devices();
    if (devices == nullptr) {
        Prompt().Message("No station is running, so the A/D board cannot be read.",
                         EPromptIcon::Exclamation);
        return nullptr;
    }
    CIonStation& ion = station.Ion();
    CIonCalibration start;
    start.name = name;
    if (const CIonCalibration* current = ion.Calibration(name))
        start.CopyCalibrationFrom(*current);
    else
        start.LoadSettings();  // a probe calibrated for the first time: its wiring, if kept
    start.name = name;
    CIonCalibration result;
    {
        CIonCalibrationSession session(start, devices->AdBoard());
        if (!IonDialogs().Calibrate(session) || !session.Kept()) return nullptr;
        result.CopyCalibrationFrom(session.Calibration());
    }
    result.StampNow();
    result.StampPositions();
    ion.KeepCalibration(result);
    station.AddProbeName(name);
    return ion.Calibration(name);
}

bool EditStoredIonCalibration(CIonCalibration& calibration, CDataDocument* document) {
    CIonCalibrationEditLogic logic(calibration);
    if (!IonDialogs().EditCalibration(logic)) return false;
    if (calibration.slope == logic.value) return false;
    calibration.slope = logic.value;
    if (document) {
        document->SetModifiedFlag(true);
        document->UpdateAllViews();
    }
    return true;
}
