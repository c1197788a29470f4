#include "hw/AdBoard.h"

#include <climits>
#include <cmath>

#include "hw/ad/AdBoardSetupLogic.h"
#include "hw/ad/AdDriver.h"
#include "hw/ad/DaqmxBoard.h"
#include "hw/ad/NiDaqBoard.h"
#include "hw/ad/PortBoards.h"
#include "hw/ad/SimulatedBoards.h"
#include "hw/sim/SimStationBoard.h"
#include "platform/Format.h"
#include "platform/PortIo.h"
#include "platform/Services.h"
#include "settings/Profile.h"

const char* const CAdBoard::kSettingsNames[kTypeCount] = {
    "<None>",
    "Metrabyte/CIO-DAS08",
    "Metrabyte/CIO-DAS08PGA",
    "CIO-DAS08AOL",
    "CIO-DAS08AOM",
    "CIO-DAS08AOH",
    "CIO-DAS1602/16",
    "Data Translation 2801/5716",
    "Data Translation 2801A",
    "Data Translation 2837",
    "LabMaster 12-bit",
    "PCM-DAS16D/12AO",
    "Random Number Generator",
    "Sine Wave (0.1 Hz)",
    "DAS08PGA Free Run",
    "PCI-DAS1602/16",
    "National Instruments PCI-603X",
    "National Instruments PCI-1200",
    "National Instruments PCI-6221",
    "Simulated Station",
};

const char* const CAdBoard::kDescriptions[kTypeCount] = {
    "No A/D Board",
    "Metrabyte/Computer Boards DAS08",
    "Metrabyte/Computer Boards DAS08PGA",
    "Computer Boards DAS08AOL",
    "Computer Boards DAS08AOM",
    "Computer Boards DAS08AOH",
    "Computer Boards DAS1602/16",
    "Data Translation DT2801/5716",
    "Data Translation DT2801A",
    "Data Translation DT2837",
    "Labmaster 12-bit",
    "Computer Boards PCM-DAS16D/12AO",
    "Random Number Generator",
    "Sine Wave (0.1 Hz)",
    "DAS08PGA Free Run",
    "Computer Boards PCI-DAS1602/16",
    "National Instruments E Series 16-bit",
    "National Instruments 12-bit",
    "National Instruments M Series 16-bit",
    "Simulated Station",
};

const int CAdBoard::kSetupListOrder[kTypeCount] = {
    kAdNone,   kAdNiMSeries,  kAdNi1200,   kAdNiESeries, kAdPciDas1602, kAdDas08PgaFreeRun,
    kAdDas08,  kAdDas08Pga,   kAdDas08Aol, kAdDas08Aom,  kAdDas08Aoh,   kAdDas1602,
    kAdDt2801, kAdDt2801A,    kAdDt2837,   kAdLabMaster, kAdPcmDas16,   kAdRandom,
    kAdSine,   kAdSimStation,
};

std::function<bool(CAdBoardSetupLogic&)> CAdBoard::setupDialog;

namespace {

// No board, and the two Measurement Computing boards this release refuses.
class CNoBoardDriver : public CAdDriver {
  public:
    using CAdDriver::CAdDriver;
    void Init() override {
        if (board.type == kAdPcmDas16 || board.type == kAdPciDas1602) {
            Prompt().Message(StrPrintf("The %s is not supported by this release.\nPlease choose "
                                       "another board in the A/D Board Setup.",
                                       board.GetBoardName()),
                             EPromptIcon::Exclamation);
        }
    }
    bool ReadChannels(double, int, int, double[]) override { return false; }
    // Nothing can be read, so a burst fails rather than handing back a buffer never filled.
    bool ReadBurst(int, int, int, double[]) override { return false; }
    bool SetDA(int, double) override { return false; }
    bool WriteDigital(int, int) override { return true; }
    bool SetADRange(double) override { return false; }
};

// Keeps a settings value only when it is a usable number; "nan" or "inf" in velm.ini would
// otherwise reach the tick arithmetic and the register codes.
void TakeFinite(double& field, double value) {
    if (std::isfinite(value)) field = value;
}

void TakeInt(int& field, unsigned value) {
    if (value <= static_cast<unsigned>(INT_MAX)) field = static_cast<int>(value);
}

}  // namespace

std::unique_ptr<CAdDriver> MakeAdDriver(CAdBoard& board, int type, const SAdBoardDevices& devices) {
    switch (type) {
        case kAdRandom:
            return std::make_unique<CRandomBoardDriver>(board);
        case kAdSine:
            return std::make_unique<CSineBoardDriver>(board);
        case kAdSimStation:
            return std::make_unique<CSimStationBoardDriver>(board);
        case kAdNiMSeries:
            return std::make_unique<CDaqmxBoardDriver>(board, devices.daqmxLibrary);
        case kAdNiESeries:
        case kAdNi1200:
            return std::make_unique<CNiDaqBoardDriver>(board, devices.niDaq);
        default:
            if (CAdBoard::IsPortBoard(type)) return std::make_unique<CPortBoardDriver>(board);
            return std::make_unique<CNoBoardDriver>(board);
    }
}

CAdBoard::CAdBoard(SAdBoardDevices devices) : devices(std::move(devices)) {
    LoadSettings();
    Init();
}

CAdBoard::~CAdBoard() = default;

CAdDriver& CAdBoard::Driver() {
    // `type` is a plain field that the setup and tests change; the driver follows it.
    if (!driver || driverType != type) {
        driver = MakeAdDriver(*this, type, devices);
        driverType = type;
    }
    return *driver;
}

bool CAdBoard::IsPortBoard(int type) {
    return (type >= kAdDas08 && type <= kAdLabMaster) || type == kAdDas08PgaFreeRun;
}

bool CAdBoard::IsNationalInstruments(int type) {
    return type == kAdNiESeries || type == kAdNi1200 || type == kAdNiMSeries;
}

int CAdBoard::TypeFromName(std::string_view name) {
    for (int id = 0; id < kTypeCount; ++id)
        if (name == kSettingsNames[id]) return id;
    return kAdNone;
}

const char* CAdBoard::GetBoardName() const {
    return type >= 0 && type < kTypeCount ? kDescriptions[type] : kDescriptions[kAdNone];
}

bool CAdBoard::HasDA() const {
    switch (type) {
        case kAdDas08Aol:
        case kAdDas08Aom:
        case kAdDas08Aoh:
        case kAdDas1602:
        case kAdDt2801:
        case kAdDt2801A:
        case kAdDt2837:
        case kAdPcmDas16:
        case kAdSine:
        case kAdPciDas1602:
        case kAdNiESeries:
        case kAdNi1200:
        case kAdNiMSeries:
        case kAdSimStation:
            return true;
        default:
            return false;
    }
}

int CAdBoard::GetDigitalPort() const {
    switch (type) {
        case kAdDas08Aol:
        case kAdDas08Aom:
        case kAdDas08Aoh:
            return base + 14;
        case kAdDas1602:
        case kAdPciDas1602:
            return base + 0x402;
        case kAdPcmDas16:
            return base + 2;
        case kAdNiESeries:
        case kAdNiMSeries:
            return 1;
        default:
            return 0x378;  // the PC's first parallel printer port
    }
}

// Marks what the board does for the length of one public operation (the outermost one: a
// burst re-programs the board, and that is part of the read).
class CAdBoard::CWork {
  public:
    CWork(CAdBoard& board, EWork what) : board(board), outer(!board.working) {
        if (!outer) return;
        board.working = true;
        board.work = what;
        board.libraryErrors[what].BeginAttempt();
    }
    ~CWork() {
        if (!outer) return;
        board.working = false;
        board.work = kWorkSetup;
    }
    bool Done(bool ok) {
        if (outer) board.libraryErrors[board.work].EndAttempt(ok);
        return ok;
    }

  private:
    CAdBoard& board;
    bool outer;
};

void CAdBoard::ReportDeviceProblem(const std::string& text) {
    deviceProblems.Show(text, EPromptIcon::Exclamation);
}

void CAdBoard::ReportLibraryError(const std::string& text) {
    libraryErrors[working ? work : kWorkSetup].Show(text, EPromptIcon::Exclamation);
}

double CAdBoard::ClampToDaRange(double volts) const {
    if (std::isnan(volts)) return 0.0;
    const double range = std::fabs(daRange);
    return volts < -range ? -range : (volts > range ? range : volts);
}

std::string CAdBoard::SetDAFailureText(int channel, double volts) const {
    std::string text = StrPrintf("Error setting D/A Channel %d to %.3lf volts.", channel, volts);
    if (!HasDA()) StrAppendf(text, "\nThe %s has no D/A outputs.", GetBoardName());
    return text;
}

CBenchHands* CAdBoard::Hands() {
    return Driver().Hands();
}

bool CAdBoard::ReadChannels(double periodSec, int firstCh, int lastCh, double volts[]) {
    const int64_t n = int64_t{lastCh} - firstCh + 1;
    if (n < 0 || n > kMaxChannels || volts == nullptr) return false;
    if (n > 0 && (firstCh < 0 || lastCh >= kMaxChannels)) return false;
    if (!(periodSec >= 0.0 && periodSec <= kMaxPeriodSec)) return false;  // also NaN
    CWork reading(*this, kWorkInput);
    return reading.Done(Driver().ReadChannels(periodSec, firstCh, lastCh, volts));
}

bool CAdBoard::ReadBurst(int scans, double freqHz, int firstCh, int lastCh, double samples[]) {
    const int64_t n = int64_t{lastCh} - firstCh + 1;
    if (n < 0 || n > kMaxChannels || samples == nullptr) return false;
    if (n > 0 && (firstCh < 0 || lastCh >= kMaxChannels)) return false;
    if (scans < 1 || int64_t{scans} * n > kMaxValues) return false;
    if (!(freqHz > 0.0 && std::isfinite(freqHz))) return false;

    CWork reading(*this, kWorkInput);
    const double savedFreq = freq;
    freq = freqHz;
    Init();  // re-programs the pacers for the burst rate
    bool ok = Driver().ReadBurst(scans, firstCh, lastCh, samples);
    // The board's own pace comes back after every burst, also a failed or NI one: the burst
    // rate left in `freq` would otherwise pace later averages and be saved by the next setup.
    freq = savedFreq;
    if (IsPortBoard(type) || type == kAdRandom || type == kAdSine) Init();
    return reading.Done(ok);
}

bool CAdBoard::SetDA(int channel, double volts) {
    if (channel != 0 && channel != 1) return false;
    if (!std::isfinite(volts)) return false;
    CWork output(*this, kWorkOutput);
    return output.Done(Driver().SetDA(channel, volts));
}

bool CAdBoard::WriteDigital(int port, int value) {
    CWork output(*this, kWorkOutput);
    return output.Done(Driver().WriteDigital(port, value));
}

bool CAdBoard::SetADRange(double volts) {
    if (!std::isfinite(volts)) return false;
    return Driver().SetADRange(std::fabs(volts));
}

void CAdBoard::Init() {
    Driver().Init();
    if (initOn) {
        std::string why;
        if (initPort < 0 || !PortIo().Acquire(static_cast<uint32_t>(initPort), 1, why)) {
            if (initPort < 0) why = "The port address is negative.";
            ReportDeviceProblem(
                StrPrintf("The initialization byte for the %s cannot be written to port %X.\n%s",
                          GetBoardName(), static_cast<unsigned>(initPort), why.c_str()));
        } else {
            PortIo().Out8(static_cast<uint16_t>(initPort), static_cast<uint8_t>(initValue & 0xFF));
        }
    }
    SetDA(0, da0);
    SetDA(1, da1);
    SetADRange(adRange);
}

void CAdBoard::LoadSettings() {
    // A fresh reading of the settings may name a different board: its problems are news.
    ClearMessages();
    static const char kMissing[] = "\x01";
    std::string name = Profile().GetProfileString(kSection, "Line 0", kMissing);
    if (name != kMissing) type = TypeFromName(name);

    unsigned b = static_cast<unsigned>(base);
    double ad = adRange, da = daRange, d0 = da0, d1 = da1, f = freq;
    Profile().ReadLine(kSection, "Line 1", "",
                       "base=%X [ a/d +/-%lfV, d/a +/-%lfV ]  da0=%lf  da1=%lf  freq=%lf", &b, &ad,
                       &da, &d0, &d1, &f);
    TakeInt(base, b);
    TakeFinite(adRange, ad);
    TakeFinite(daRange, da);
    TakeFinite(da0, d0);
    TakeFinite(da1, d1);
    TakeFinite(freq, f);

    int on = initOn;
    unsigned port = static_cast<unsigned>(initPort), value = static_cast<unsigned>(initValue);
    Profile().ReadLine(kSection, "Line 2", "init=0 (port=307, value=0)",
                       "init=%d (port=%X, value=%X)", &on, &port, &value);
    initOn = on;
    TakeInt(initPort, port);
    TakeInt(initValue, value);
}

void CAdBoard::SaveSettings() {
    const int id = type >= 0 && type < kTypeCount ? type : kAdNone;
    Profile().WriteProfileString(kSection, "Line 0", kSettingsNames[id]);
    Profile().WriteLine(kSection, "Line 1",
                        "base=%X [ a/d +/-%.2lfV, d/a +/-%.2lfV ]  da0=%lf  da1=%lf  freq=%lf",
                        static_cast<unsigned>(base), adRange, daRange, da0, da1, freq);
    Profile().WriteLine(kSection, "Line 2", "init=%d (port=%X, value=%X)", initOn,
                        static_cast<unsigned>(initPort), static_cast<unsigned>(initValue));
}

bool CAdBoard::Setup() {
    if (!setupDialog) return false;
    CAdBoardSetupLogic logic(*this);
    if (!setupDialog(logic)) return false;
    ClearMessages();
    logic.Apply(*this);
    return true;
}

void CAdBoard::ClearMessages() {
    deviceProblems.Clear();
    for (CMessageOnce& errors : libraryErrors)
        errors.Clear();
}
