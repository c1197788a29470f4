#pragma once
// Runs of a vector scan: the observation document's operations taken again and again on a
// one-second tick. Starting writes the definition block (a begin entry, a numbered copy of each
// operation, an end entry); every due tick then runs the whole list once, each run framed by
// its own begin and end entries, until the repetitions are done, a run was stopped, or the
// user ends the scan.
//
// Timing is on the monotonic clock: T0 starts one interval before the start, and a tick is due
// when now - T0 >= interval; T0 then moves on by exactly one interval. So nominal run times
// stay on their raster however long a run takes, a run that overruns is caught up at the next
// tick, and no tick starts more than one run. With interval 0 a run is started by an outside
// program's region file in the transfer folder instead.
//
// The operation runner below is shared with "Preview ...", which moves and measures exactly as
// a run does but keeps nothing.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "hw/Devices.h"
#include "obs/TransferFolder.h"
#include "obs/VelmObs.h"
#include "platform/Vector4.h"

class CObsDoc;
class CDataDocument;
class CStation;
class CFgBoard;
class IScanStatusSink;

// What a vector scan drives: the station's techniques and devices (null devices: nothing can
// be moved, grabbed or measured) and the speed mode each stage moves with (the main frame's
// current choice).
struct SVectorScanStation {
    CStation* station = nullptr;
    CDevices* devices = nullptr;
    std::function<int(EStage)> speedMode;

    int SpeedMode(EStage stage) const;
};

// The kinds of operation the definition dialog adds.
enum class EVectorOp {
    CdpPoint,
    CdpReference,
    IonPoint,
    IonReference,
    RawAD,
    VideoImage,
    IntermediatePoint,
    GridScan,
};

// What the desktop program shows of a run or a preview; the defaults show nothing.
class CVectorScanMonitor {
  public:
    virtual ~CVectorScanMonitor() = default;
    // The status window opens ("Vector Scan Status", "Vector Scan Preview").
    virtual void Begin(const std::string& /*title*/) {}
    // "Obseration %d of %d: " and the operation's description.
    virtual void Status(const std::string&) {}
    // The stages stand at these positions.
    virtual void Positions(const CDVector4& /*probe*/, const CDVector4& /*sample*/) {}
    // The status window closes.
    virtual void End() {}
    // The vector scan as a whole has ended (the menu entry reads "&Vector Scan" again).
    virtual void Stopped() {}
};

// Texts shared by the run, the preview and the GUI.
namespace VectorScanText {
inline constexpr const char* kTitle = "Vector Scan Definition";
inline constexpr const char* kStatusTitle = "Vector Scan Status";
inline constexpr const char* kPreviewTitle = "Vector Scan Preview";
inline constexpr const char* kStatusLine = "Obseration %d of %d: ";
inline constexpr const char* kTerminate = "Terminate vector scan acquisition?";
inline constexpr const char* kTerminatePreview = "Terminate vector scan preview?";
inline constexpr const char* kGridScanUnavailable = "Grid scan operations are not available yet.";
inline constexpr const char* kMenuRun = "&Vector Scan";
inline constexpr const char* kMenuInterrupt = "&Interrupt Vector Scan";
}  // namespace VectorScanText

// The detail flags of operation descriptions in the list and the status: type and information.
inline constexpr unsigned kVectorOpDescribe = 0x24;

// The description of an operation as the list and the status window show it.
std::string DescribeOperation(const CVelmObs& op, const CDataDocument* document);
// Which kind an operation object is (IntermediatePoint for a class that only moves).
EVectorOp OperationKind(const CVelmObs& op);
// A copy of an operation with its positions and settings, for every kind (grid-scan operations
// keep their parameter-set name and number, and a copy of their loaded scan's values and scan
// numbers). Null when memory runs out.
std::unique_ptr<CVelmObs> CopyOperation(const CVelmObs& op);
// "seconds", "minutes" or "hours" for an interval unit.
const char* IntervalUnitWord(int unit);
// The interval in whole seconds (seconds, x 60, x 3600 by unit, truncated); a negative or
// non-numeric interval is 0, one beyond a year a year.
int64_t IntervalSeconds(double interval, int unit);

// Whether any operation is of `kind`.
bool HasOperation(const CObsList& ops, EVectorOp kind);

// Grabs an image for a "Video Image" operation into the root's images folder as the image
// prefix and the next image number ("%04d.bmp"), never over an existing file; the counter moves
// on. Null after a message when nothing could be grabbed or written.
std::unique_ptr<CVelmObs> GrabVectorScanImage(CFgBoard& grabber);

// Moves to operations and takes their observations, for runs and previews.
class CVectorOpRunner {
  public:
    CVectorOpRunner(const SVectorScanStation& station, const CDataDocument* document);

    CVectorScanMonitor* monitor = nullptr;
    // Whether status lines are shown ("Update status").
    bool showStatus = true;

    // Status line of operation i (1-based) of n.
    void ShowStatus(int i, int n, const CVelmObs& op);
    // Moves the probe, then the sample, to the operation's positions (images move nothing
    // unless `alsoImages`, as the preview does). False when a stage failed to move (the stage
    // has said why).
    bool MoveTo(const CVelmObs& op, bool alsoImages);
    // What a grid-scan operation's scan reports to and is stopped by.
    IScanStatusSink* scanStatus = nullptr;
    std::function<bool()> escapePressed;
    CTransferFolder* transfer = nullptr;
    std::string obsDocPath;

    // The operation's observations: empty when it takes none or failed. `gridScanSkipped` is
    // set when a grid-scan operation's parameter set is gone, `aborted` when the user or the
    // abort command stopped its scan.
    CObsList Take(CVelmObs& op, bool& gridScanSkipped, bool* aborted = nullptr);

  private:
    SVectorScanStation station;
    const CDataDocument* document;
};

// The run state a vector scan keeps on the view's sequencer.
struct SVectorScanState {
    bool running = false;
    int count = 0;                  // runs done (-1 once stopped by the user)
    int reps = 1;                   // runs asked for
    int64_t t0 = 0;                 // ms on the monotonic clock: the last due time
    int64_t interval = 0;           // ms; 0: runs are triggered through the transfer folder
    bool gridScanToldOnce = false;  // a gone parameter set has been reported
};

class CVectorScanRun {
  public:
    CVectorScanRun(CObsDoc& doc, const SVectorScanStation& station);

    // Whether Esc has been pressed since the last call (empty: never).
    std::function<bool()> escapePressed;
    // Saves the document at once when automatic saving is on (empty: to its file if it has one).
    std::function<bool(CDataDocument&)> saveDocument;
    // Puts into the document what its observations are read with (the station's calibration
    // and rules) before the definition block; false ends the start (empty: nothing to do).
    std::function<bool()> prepareDocument;
    // The transfer folder of triggered runs and the abort command (empty: the current root's).
    std::string transferFolder;
    CVectorScanMonitor* monitor = nullptr;
    // The status window of grid-scan operations' scans (null: none).
    IScanStatusSink* scanStatus = nullptr;

    // After the dialog's OK: the automatic save, the definition block, T0 one interval back and
    // the count at 0. False when the save failed or the document holds no operation.
    bool Start();
    // The sequencer's tick, once a second: at most one run. Returns at once while the station
    // is busy.
    void OnTick();
    // "Terminate vector scan acquisition?" (Yes/No); Yes ends the scan. `ask` false ends it
    // without asking. True when the scan has ended.
    bool Stop(bool ask = true);

    bool IsRunning() const { return state.running; }
    const SVectorScanState& State() const { return state; }
    // Whether the last run was completed (false after an Esc or an abort command).
    bool LastRunCompleted() const { return lastRunCompleted; }

    // Run number n (1-based): false when it was stopped.
    bool RunOnce(int n);

  private:
    // True when the run must stop before the next operation (an abort command, or Esc and Yes).
    bool StopRequested(bool triggered);
    void Finish();
    CTransferFolder& Transfer();

    CObsDoc& doc;
    SVectorScanStation station;
    SVectorScanState state;
    bool lastRunCompleted = true;
    // Kept for the whole scan: a region line still being written is remembered between ticks.
    std::optional<CTransferFolder> transfer;
};

// "Preview ...": once through `ops` without storing anything. The stages move to every
// operation (images included) and each operation is measured, then discarded; the station's
// CDP reference and the gradient probes' references are put back as they were afterwards, and
// grid-scan operations only move. Esc asks "Terminate vector scan preview?". False when
// stopped.
bool PreviewVectorScan(const CObsList& ops, const SVectorScanStation& station,
                       const CDataDocument* document, CVectorScanMonitor* monitor,
                       const std::function<bool()>& escapePressed);
