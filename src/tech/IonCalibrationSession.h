#pragma once
// "ISP/PVP Calibration": a gradient probe is dipped into two or three standard solutions of
// known concentration; the tip value read in each gives a Nernst slope (mV per decade) or a
// polarographic standard curve (pA per percent). The session holds the dialog's fields as typed
// and does what its buttons do, on the station's A/D board; the Qt dialog only shows it.
//
// On a virtual bench (the Simulated Station) a solution's button is where the user says "the tip
// is in this solution": the bench's hands put it there, and back into the sample's bath when the
// dialog closes. On real hardware the button press is all there is.

#include <cstdint>
#include <functional>
#include <string>

#include "obs/IonCalibration.h"

class CAdBoard;
class CStation;

class CIonCalibrationSession {
  public:
    // Shortest watch interval: each tick reads for half of it, and a timer that never rests
    // would freeze the program.
    static constexpr double kMinWatchSeconds = 0.1;

    CIonCalibrationSession(const CIonCalibration& start, CAdBoard& board);
    ~CIonCalibrationSession();
    CIonCalibrationSession(const CIonCalibrationSession&) = delete;
    CIonCalibrationSession& operator=(const CIonCalibrationSession&) = delete;

    // ---- The fields as typed -----------------------------------------------------------------
    std::string sampleFor;      // "Sample for" (1361) seconds
    std::string conc[3];        // "Solution 1:" (1365), "Solution 2:" (1371), "Solution 3:" (1362)
    std::string preampGain;     // Preamp "Gain:" (1485)
    std::string preampChannel;  // Preamp "A/D Chan:" (1838): the bath offset's channel
    std::string mainGain;       // Main Amp "Gain:" (1484)
    std::string mainChannel;    // Main Amp "A/D Chan:" (1376): the tip value's channel
    std::string daChannel;      // "D/A Chan:" (1370): the bath offset's output
    std::string watchInterval = "0.5";

    // ---- What the dialog shows -----------------------------------------------------------------
    std::string Title() const;  // the probe name and " Probe Calibration"
    uint16_t Type() const { return cal.type; }
    bool AutoBath() const { return cal.autoBath != 0; }
    bool Use3() const { return cal.use3 != 0; }
    // "Nernst Slope" / "Std Curve", "mV/decade" / "pA/percent", "mM" / "%", "mV" / "pA".
    const char* SlopeCaption() const;
    const char* SlopeUnit() const;
    const char* ConcentrationUnit() const;
    const char* ValueUnit() const;
    // The tip value of a sampled solution ("%.2lf"; "" before it is sampled).
    std::string ValueText(int solution) const;
    // "%.2lf", or "--" while the solutions cannot give a line.
    std::string SlopeText() const;
    std::string InterceptText() const;
    // The bath offset, as a tip value ("%.2lf").
    std::string BathOffsetText() const;
    // The last watch reading beside "Tip:" ("" before the first).
    const std::string& TipText() const { return tipText; }
    // The polarographic setup: "Polarization Voltage (Ch %d):" and that channel's output.
    bool PolarographicSetup() const { return cal.type == kIonPolarographic; }
    int PolarizationChannel() const;
    std::string PolarizationCaption() const;
    std::string PolarizationText() const;

    // ---- The buttons ---------------------------------------------------------------------------
    // "Nernst Slope /" (1482), "Polarographic Electrode" (1483): the concentrations of the
    // type's standards, and the solutions to sample again (their values were read in the other
    // type's unit).
    void SetType(uint16_t type);
    void SetAutoBath(bool on);
    // "Solution 3:" check: the line is fitted again over the solutions now in use.
    void SetUse3(bool on);
    // A concentration typed anew: the line is fitted again with it, so that the slope never
    // belongs to other concentrations than those shown. False (nothing changed) for no number.
    bool ConcentrationEdited(int solution, const std::string& text);
    // "Solution 1" .. "Solution 3": the tip goes into that solution (on a virtual bench), the
    // bath offset is zeroed when "Auto Bath Offset Update" is on, and the tip value read over
    // the sampling time becomes the solution's value. False after a message (nothing changed).
    bool SampleSolution(int solution);
    // "Zero Bath Offset": the preamplifier's output becomes the D/A bath offset.
    bool ZeroBathOffset();
    // "Watch": the tick period in milliseconds, or 0 after a message for an interval that is
    // no number or shorter than kMinWatchSeconds.
    int WatchPeriodMs();
    // One watch tick: the tip value over half the interval. A tick is skipped while the station
    // is busy (a read is under way, a message of the watch is open); a failed read is told once
    // until a read succeeds again. False when skipped or failed.
    bool WatchTick();
    // "Set Vpol": says which D/A channel sets the polarization voltage, then opens the D/A
    // output setting (setDaOutput).
    void SetVpol();
    std::function<void()> setDaOutput;

    // OK: true when the dialog closes ("Reverting to previous calibration values." when nothing
    // changed or the calibration is incomplete; "Save these calibration values ?" otherwise,
    // where Cancel goes back to the dialog). Fields that cannot be used keep it open.
    bool Ok();
    // Cancel: true when the dialog closes ("Discard these calibration values ?" first when
    // changed values would be lost).
    bool Cancel();
    // Keeps the values without asking, for a caller that is the user's own confirmation (the
    // command line). False with `why` when they cannot be kept (incomplete, or no line).
    bool Keep(std::string& why);
    bool Kept() const { return kept; }
    bool Changed() const { return changed; }
    // The working calibration (the kept result after OK).
    const CIonCalibration& Calibration() const { return cal; }

  private:
    // The typed fields into the calibration; false with `error`. A concentration that changed
    // refits the line.
    bool TakeFields(std::string& error);
    bool TakeFieldsOrTell();
    void ShowFields();
    void Refit();
    // A read of one channel; false after a message.
    bool ReadChannel(double period, int channel, double& volts);
    void Close();

    CIonCalibration cal;
    CAdBoard& board;
    bool fitted = false;
    bool changed = false;
    bool kept = false;
    bool closed = false;
    bool inTick = false;
    std::string tipText;
    std::string lastWatchMessage;  // the watch's failure, shown once until a read succeeds
};

// Calibrate(): "Select ISP/PVP By Name" when `probeName` is empty (Cancel ends), then the
// dialog on a copy of the probe's calibration (a new one when it has none yet). When the values
// are kept they are stamped, saved in the probe's section and become the station's current
// calibration of the probe, and the name joins the probe list. Returns that calibration, or
// null when nothing was kept.
const CIonCalibration* CalibrateIonProbe(CStation& station, const std::string& probeName);

// "Edit ISP/PVP Calibration" on a calibration stored in `document` (may be null): OK stores
// the edited slope, nothing else, and marks the document modified.
bool EditStoredIonCalibration(CIonCalibration& calibration, class CDataDocument* document);
