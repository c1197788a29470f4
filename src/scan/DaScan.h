#pragma once
// The D/A output scan: one D/A output is stepped through a series of voltages and, at each,
// raw A/D and CDP observations are taken into the observation document, while the Graph shows
// the measured value against the output voltage. It runs as one loop, holding the station for
// its whole length: a begin log entry, the passes (up and back again when cycling), then the
// end log entry and the reset voltage.
//
// Whatever ends the scan early (the user's Esc or Cancel, a D/A output the board refused, a
// failed acquisition) still writes the end entry and puts out the reset voltage: the output is
// never left at a scan voltage because the scan stopped, and the log says where the data of a
// scan end. The document's own start and end are never touched, so a stopped cycle leaves
// them as they were.

#include <functional>
#include <string>

#include "scan/DaScanGraph.h"

class CAdBoard;
class CDataDocument;
class CObsDoc;
class CRawADObs;
class CStation;

// "Increment Method:" as the document stores it.
inline constexpr int kDaManualIncrement = 1482;
inline constexpr int kDaAutomaticIncrement = 1483;

// How a scan was set up. The document's fields, once checked (CDaScanSetupLogic), or as
// loaded (FromDocument makes them safe to run).
struct SDaScanPlan {
    int channel = 1;
    double start = 0.0, end = 1.0;
    int points = 2;
    bool automatic = true;
    double interval = 0.0;  // seconds waited at each point before sampling (automatic)
    bool recordRawAD = false;
    bool recordCDP = false;
    bool reset = false;
    double resetVolts = 0.0;
    bool cycle = false;
    int times = 1;

    // The document's settings. A point count below 2 is taken as 2, a negative or
    // non-numeric interval as none, fewer than 1 repetition as 1.
    static SDaScanPlan FromDocument(const CObsDoc& doc);

    // Output volts at point `i` of a pass from `from` to `to`: the last point is `to` itself.
    double Volts(double from, double to, int i) const;
    // "of Channel %d from %.3lfV to %.3lfV in %d steps, %d Scans|Cycles" with ", Manual
    // Increment" or ", Auto Increment at %.1lf second intervals": what the log entries say.
    std::string Description() const;
};

enum class EDaScanResult {
    Cancelled,   // the dialog was cancelled: nothing happened
    NotStarted,  // the scan could not begin (the user has been told why)
    Completed,   // every point of every pass was taken
    Stopped,     // ended early by the user or by a failure (the user has been told)
};

// What the desktop program shows of a running scan; the defaults show nothing.
class CDaScanMonitor {
  public:
    virtual ~CDaScanMonitor() = default;
    // The scan begins: the status window "D/A Output Scan Status" and the Graph (empty, with
    // the scan's range) open.
    virtual void Begin(const CDaScanGraph&) {}
    // "Point %d of %d - %.3lf volts." in the status window.
    virtual void Status(const std::string&) {}
    // A point was added to the graph.
    virtual void GraphChanged(const CDaScanGraph&) {}
    // The scan is over: the status window closes; the graph stays for the user to read.
    virtual void End() {}
};

class CDaScan {
  public:
    static constexpr const char* kStatusTitle = "D/A Output Scan Status";
    static constexpr const char* kTerminateQuestion = "Terminate D/A output scan?";
    static constexpr const char* kManualQuestion =
        "Click OK to sample point %d of %d and continue ...";
    static constexpr const char* kRawADOutOfMemory =
        "Insufficient Memory for RawAD Point Observation";
    static constexpr const char* kCdpOutOfMemory = "Insufficient Memory for CDP Point Observation";
    // The longest stretch of an automatic wait between two looks for Esc (milliseconds).
    static constexpr int kEscapeSliceMs = 250;

    // Scans on the station's board with its rules "Point ", CDP calibration and reference.
    // The document must already hold the rules and calibration the observations use.
    CDaScan(CObsDoc& doc, CStation& station, const SDaScanPlan& plan);

    // Whether Esc has been pressed since the last call (empty: never).
    std::function<bool()> escapePressed;
    // Saves the document at once, when its automatic saving is on (empty: to its file when it
    // has one).
    std::function<bool(CDataDocument&)> saveDocument;
    // What the window shows (null: nothing).
    CDaScanMonitor* monitor = nullptr;

    // Whether the station has what `plan` needs: its board, the output channel, and the CDP
    // rules and calibration or the raw A/D rules it records with. False after a message
    // naming what is missing.
    static bool CheckStation(const CStation& station, const SDaScanPlan& plan);

    // Runs the scan to its end. NotStarted when it cannot begin (no board, CDP samples without
    // CDP rules or calibration); Stopped when it ended early.
    EDaScanResult Run();

    const CDaScanGraph& Graph() const { return graph; }
    // The points at which everything asked for was recorded.
    int PointsTaken() const { return pointsTaken; }

  private:
    // One point; false ends the scan.
    bool Point(int pass, int i, double volts);
    bool WaitInterval();
    bool UserTerminates();
    void Finish();

    CObsDoc& doc;
    CStation& station;
    CAdBoard* board = nullptr;
    SDaScanPlan plan;
    CDaScanGraph graph;
    int pointsTaken = 0;
};

// The value of a raw A/D observation the graph shows: its first channel's mean (the mean of
// the samples of a burst).
double FirstChannelValue(const CRawADObs& obs);
