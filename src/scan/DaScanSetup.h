#pragma once
// "D/A Output Scan": the observation document's D/A scan settings as typed, the buttons that
// edit the station's sampling rules, and the checks of OK. A scan that is accepted has a
// channel the board has, finite volts inside the board's D/A range, at least two points, and
// in automatic mode an interval that covers the sampling done at each point.

#include <string>

#include "scan/DaScan.h"

class CObsDoc;
class CStation;

class CDaScanSetupLogic {
  public:
    static constexpr const char* kTitle = "D/A Output Scan";
    static constexpr int kManual = kDaManualIncrement;
    static constexpr int kAutomatic = kDaAutomaticIncrement;
    // The document stores the counts in 16 bits.
    static constexpr int kMaxPoints = 65535;
    static constexpr int kMaxTimes = 65535;
    // A wait of a day at each point is the longest the clock waits.
    static constexpr double kMaxInterval = 86400.0;

    // The entries from the document's settings; `daRange` is the board's D/A range (volts
    // either side of 0). The station's rules are edited by the rules buttons and give the
    // sampling time.
    CDaScanSetupLogic(const CObsDoc& doc, CStation& station, double daRange);

    std::string channel;     // "D/A Channel:" "(0 or 1)"
    std::string start, end;  // "Scan Start:", "Scan End:"
    std::string points;      // "Number of points in scan:"
    int increment =
        kAutomatic;            // "Increment Method:" kManual "Manual", kAutomatic "Automatic every"
    std::string interval;      // beside "Automatic every"
    bool recordRawAD = false;  // "Record Raw A/D sample at each point"
    bool recordCDP = false;    // "Record CDP sample at each point"
    bool reset = false;        // "Reset to" ... "volts at end of scan"
    std::string resetVolts;
    bool cycle = false;  // "Cycle (start->end, end->start)"
    std::string times;   // ... "times"

    // "A/D Samp Rules" and "CDP Samp Rules": the station's rules under "Point ". True on OK.
    bool EditRawADRules();
    bool EditCdpRules();

    // What each point samples, in seconds: the CDP rules' wait and average when CDP samples
    // are recorded, else the raw A/D rules' time when raw A/D samples are, else 0.
    double SamplingTime() const;

    // OK: checks every entry. False with the message in `error` and the entry to go back to
    // in `badEntry` ("channel", "start", "end", "points", "interval", "resetVolts", "times");
    // on success `plan` holds the scan.
    bool Accept(std::string& error);
    std::string badEntry;
    SDaScanPlan plan;

    // After Accept: the plan into the document's fields.
    void Store(CObsDoc& doc) const;
    // Store, and the document's settings lines kept as the next document's.
    void Apply(CObsDoc& doc) const;

  private:
    bool Volts(const std::string& text, const char* label, const char* entry, double& value,
               std::string& error);

    CStation& station;
    double daRange;
};
