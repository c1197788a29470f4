#pragma once
// The station's analogue interface: up to eight single-ended A/D input channels read as volts,
// two D/A outputs and one digital output byte, on one of twenty board types (register-level
// port-I/O boards, National Instruments boards, two simulated boards that need no hardware, and
// the Simulated Station, a virtual bench whose readings follow the stages). Every probe
// measurement ends in ReadChannels or ReadBurst.
//
// CAdBoard keeps the behaviour; the per-family register sequences and library call sequences
// live in hw/ad/, and only the bytes that cross to a device go through a narrow backend:
// CPortIo, the NI-DAQmx function table, or the traditional NI-DAQ roles (served by Comedi).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "hw/sim/VirtualBench.h"
#include "platform/MessageOnce.h"

class CAdBoardSetupLogic;
class CBenchHands;
class CAdDriver;
class CNiDaqRoles;

// Board type ids; velm.ini stores the settings name, not the number.
enum EAdBoardType : int {
    kAdNone = 0,
    kAdDas08 = 1,
    kAdDas08Pga = 2,
    kAdDas08Aol = 3,
    kAdDas08Aom = 4,
    kAdDas08Aoh = 5,
    kAdDas1602 = 6,
    kAdDt2801 = 7,
    kAdDt2801A = 8,
    kAdDt2837 = 9,
    kAdLabMaster = 10,
    kAdPcmDas16 = 11,
    kAdRandom = 12,
    kAdSine = 13,
    kAdDas08PgaFreeRun = 14,
    kAdPciDas1602 = 15,
    kAdNiESeries = 16,
    kAdNi1200 = 17,
    kAdNiMSeries = 18,
    kAdSimStation = 19,
};

// Where the board reaches its devices. The defaults are the real ones; tests name a stub
// NI-DAQmx library and a fake set of NI-DAQ roles. Port I/O always goes through PortIo().
struct SAdBoardDevices {
    // Library names tried in turn for NI-DAQmx; empty: NI-DAQmx for Linux by its usual names.
    std::vector<std::string> daqmxLibrary;
    // Makes the traditional NI-DAQ roles; empty: the Comedi backend.
    std::function<std::unique_ptr<CNiDaqRoles>()> niDaq;
};

class CAdBoard {
  public:
    static constexpr int kTypeCount = 20;
    static constexpr int kMaxChannels = 8;
    // Longest averaging window accepted: a day. Longer requests are refused rather than
    // overflowing the tick arithmetic.
    static constexpr double kMaxPeriodSec = 86400.0;
    // Largest number of values one burst or one library read may hold (128 MB of doubles).
    static constexpr int64_t kMaxValues = int64_t{1} << 24;
    static constexpr const char* kSection = "A/D Board";

    // Settings names (velm.ini and the setup list) and descriptions (captions), by type id.
    static const char* const kSettingsNames[kTypeCount];
    static const char* const kDescriptions[kTypeCount];
    // The setup dialog's list, as type ids in the order shown.
    static const int kSetupListOrder[kTypeCount];

    // Sets the defaults, loads the settings and programs the board.
    explicit CAdBoard(SAdBoardDevices devices = {});
    ~CAdBoard();
    CAdBoard(const CAdBoard&) = delete;
    CAdBoard& operator=(const CAdBoard&) = delete;

    // Mean volts of channels firstCh..lastCh over about periodSec seconds into volts[0..n-1].
    // False for a channel range outside 0-7 or more than eight channels, a period that is not
    // a number from 0 to a day, and when the board fails (library messages already shown).
    bool ReadChannels(double periodSec, int firstCh, int lastCh, double volts[]);
    // `scans` scans of channels firstCh..lastCh at freqHz, interleaved: samples[s*n + i] is
    // channel firstCh+i of scan s; samples must hold scans*n values.
    bool ReadBurst(int scans, double freqHz, int firstCh, int lastCh, double samples[]);
    // D/A channel 0 or 1; remembers the value in da0/da1 on success.
    bool SetDA(int channel, double volts);
    // One byte to a digital port (an I/O address on port boards, an NI port number on NI).
    bool WriteDigital(int port, int value);
    // The port to pass to WriteDigital for this board.
    int GetDigitalPort() const;
    // Selects the gain for a +/- range; the range the board offers replaces adRange.
    bool SetADRange(double volts);

    void Init();
    void LoadSettings();
    void SaveSettings();
    // Runs the "A/D Board Setup" dialog through setupDialog; true when OK was pressed.
    bool Setup();

    const char* GetBoardName() const;
    bool HasDA() const;
    // `volts` brought inside +/-daRange, as a saturating output would put it out (NaN: 0).
    double ClampToDaRange(double volts) const;
    // "Error setting D/A Channel %d to %.3lf volts.", with the reason when the board has no D/A.
    std::string SetDAFailureText(int channel, double volts) const;
    // The type id of a settings name (first match of the 20), or 0 when none matches.
    static int TypeFromName(std::string_view name);
    static bool IsPortBoard(int type);
    static bool IsNationalInstruments(int type);

    // The user's hands at the bench, where the board is a virtual bench (the Simulated Station);
    // null for every real board. See hw/BenchHands.h.
    CBenchHands* Hands();
    // The stages the Simulated Station places its probe, sample and tip by (the station's own
    // three; they must outlive the board's readings).
    void SetBenchStages(const SBenchStages& stages) { benchStages = stages; }
    const SBenchStages& BenchStages() const { return benchStages; }

    // The GUI installs the dialog here: it edits the logic and returns true on OK.
    static std::function<bool(CAdBoardSetupLogic&)> setupDialog;

    // Shows a problem with reaching the device (missing privilege, library or device node, a
    // board that does not answer). The same text is shown once, not at every read of a
    // 200 ms timer; confirming the setup or reloading the settings shows it again.
    void ReportDeviceProblem(const std::string& text);
    // Shows an error a driver library returned ("NI DAQ error code %d. ..."), once per cause:
    // the same error of reads (or of outputs) again is not shown until a read (an output)
    // has succeeded without error, or another error came between.
    void ReportLibraryError(const std::string& text);

    // The fields, in declaration order of the settings.
    int type = kAdNone;
    int base = 1;
    double adRange = 10.0;
    double daRange = 5.0;
    double da0 = 0.0;
    double da1 = 0.0;
    double freq = 1000.0;
    int initOn = 0;
    int initPort = 0x307;
    int initValue = 0;

  private:
    // What the board is doing, for ReportLibraryError: reads and outputs keep their causes
    // apart, so a tracker that reads well and writes badly does not show its error each time.
    enum EWork { kWorkSetup, kWorkInput, kWorkOutput, kWorkCount };
    class CWork;

    CAdDriver& Driver();
    void ClearMessages();

    SAdBoardDevices devices;
    SBenchStages benchStages;
    std::unique_ptr<CAdDriver> driver;
    int driverType = -1;
    CMessageOnce deviceProblems;
    CMessageOnce libraryErrors[kWorkCount];
    EWork work = kWorkSetup;
    bool working = false;
};
