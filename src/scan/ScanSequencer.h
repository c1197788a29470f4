#pragma once
// The scan sequencer of one observation list view: it runs grid scan groups (and, later,
// vector scans) on a one-second tick. The view's timer calls OnTimerTick every second; the
// tick returns at once while the station is busy (an acquisition, a clock wait, another scan)
// or a modal dialog is open, so no scan ever starts inside somebody else's measurement.
//
// Timed groups keep their schedule on the monotonic clock: scan k is due at start + k x
// interval, a tick starts at most one scan, and a scan that overran its interval is followed by
// the next one at the next tick, so the schedule is caught up without drifting and without
// skipping a repetition. Triggered groups (interval 0) start a scan when the transfer folder
// holds a region of interest.
//
// Each kind of scan keeps its own state, so stopping one never stops the other; the document
// counts as running a scan while either runs.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "scan/GridScanEngine.h"

class CGridScanSetList;
class CGridScanSetupLogic;
class CObsDoc;
class CScanDoc;
class CScanObs;
class CStation;
class CTransferFolder;

// The dialogs that start a grid scan group.
class IGridScanDialogs {
  public:
    virtual ~IGridScanDialogs() = default;
    // "Load Grid Scan Parameters"; true on OK with a set chosen.
    virtual bool ChooseSet(CGridScanSetList& list) = 0;
    // "Grid Scan Setup"; true once its OK was accepted.
    virtual bool Setup(CGridScanSetupLogic& setup) = 0;
};

// A grid scan group's state.
struct SGridGroupState {
    bool running = false;
    std::unique_ptr<CScanDoc> doc;
    bool triggered = false;
    int64_t intervalMs = 0;
    int64_t t0 = 0;      // nominal start of the last scan (monotonic ms)
    int scanCount = -1;  // scans taken in the group; -1 when none runs
    int scans = 0;       // scans the group takes (fixed when it starts)
    bool stoppedEarly = false;
    std::unique_ptr<CTransferFolder> transfer;
};

class CScanSequencer {
  public:
    static constexpr const char* kVibration = "Turn on probe vibration.";
    static constexpr const char* kTerminateGroup = "Terminate scan group acquisition?";
    static constexpr int kTickMs = 1000;

    CScanSequencer(CObsDoc& obsDoc, CStation& station);
    ~CScanSequencer();
    CScanSequencer(const CScanSequencer&) = delete;
    CScanSequencer& operator=(const CScanSequencer&) = delete;

    // "&Grid Scan" (F9): with a group running, "Terminate scan group acquisition?" and on Yes
    // the stop; otherwise the set is chosen and set up through `dialogs` and the group starts.
    // True when a group was started or stopped.
    bool GridScanCommand(IGridScanDialogs& dialogs);
    // Starts a group with a document whose set is loaded and set up: "Turn on probe
    // vibration.", then the first scan at the next tick. `triggered` forces transfer-folder
    // starts whatever the interval.
    bool StartGridGroup(std::unique_ptr<CScanDoc> doc, bool triggered = false);
    void StopGridGroup();
    bool GridRunning() const { return grid.running; }
    // A vector scan of the same view keeps its own state and timer (scan/VectorScanRun); while
    // it runs it has the ticks, and the grid group's missed scans follow afterwards.
    std::function<bool()> vectorRunning;
    bool VectorRunning() const { return vectorRunning && vectorRunning(); }
    bool Running() const { return grid.running || VectorRunning(); }
    // Scans the running group has taken (-1 when none runs).
    int GridScanCount() const { return grid.scanCount; }
    // Whether the last group ended before its last scan (aborted, refused or failed).
    bool GridStoppedEarly() const { return grid.stoppedEarly; }
    const CScanDoc* GridDocument() const { return grid.doc.get(); }

    // The one-second tick.
    void OnTimerTick();

    // ---- What the program around it provides ----------------------------------------------
    IScanStatusSink* status = nullptr;
    std::function<bool()> escapePressed;
    // True while a modal dialog is open (the tick then waits).
    std::function<bool()> modalOpen;
    // Whether any scan runs changed: the document's close refusal and the view's timer follow.
    std::function<void(bool running)> runningChanged;
    // A scan's file was written and its CScanObs added to the observation document.
    std::function<void(const CScanObs&)> scanAdded;
    // Stops a watch running in the observation document before a group starts.
    std::function<void()> stopWatch;

  private:
    void GridTick();
    bool TakeTrigger();
    // One scan of the group; false ends the group.
    bool RunGridScan();
    void SetRunning(bool wasRunning);

    CObsDoc& obsDoc;
    CStation& station;
    SGridGroupState grid;
    bool inTick = false;
};
