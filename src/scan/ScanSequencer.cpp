#include "scan/ScanSequencer.h"

#include "hw/Devices.h"
#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"
#include "obs/ObsDoc.h"
#include "obs/OpticalSystem.h"
#include "obs/ScanObs.h"
#include "obs/TransferFolder.h"
#include "platform/Clock.h"
#include "platform/Prompt.h"
#include "platform/Services.h"
#include "platform/StationBusy.h"
#include "scan/GridScanSet.h"
#include "scan/GridScanSetup.h"
#include "scan/ScanDoc.h"
#include "tech/Station.h"

CScanSequencer::CScanSequencer(CObsDoc& obsDoc, CStation& station)
    : obsDoc(obsDoc), station(station) {}

CScanSequencer::~CScanSequencer() = default;

void CScanSequencer::SetRunning(bool wasRunning) {
    if (wasRunning != Running() && runningChanged) runningChanged(Running());
}

bool CScanSequencer::GridScanCommand(IGridScanDialogs& dialogs) {
    if (grid.running) {
        if (Prompt().Ask(kTerminateGroup, EPromptButtons::YesNo) != EPromptAnswer::Yes)
            return false;
        StopGridGroup();
        return true;
    }
    if (stopWatch) stopWatch();
    std::unique_ptr<CScanDoc> doc;
    try {
        doc = std::make_unique<CScanDoc>();
    } catch (const std::bad_alloc&) {
        Prompt().Message("Unable to create new scan file - aborting scan request.",
                         EPromptIcon::Exclamation);
        return false;
    }
    CGridScanSetList list;
    if (!dialogs.ChooseSet(list)) return false;
    if (list.selected < 0 || list.selected >= static_cast<int>(list.names.size())) return false;
    doc->paramSetName = list.names[static_cast<size_t>(list.selected)];
    LoadScanParams(*doc, doc->paramSetName);
    TakeStationCalibration(*doc, station);
    CGridScanSetupLogic setup(*doc, station);
    if (!dialogs.Setup(setup)) return false;
    return StartGridGroup(std::move(doc));
}

bool CScanSequencer::StartGridGroup(std::unique_ptr<CScanDoc> doc, bool triggered) {
    if (!doc || grid.running) return false;
    Prompt().Message(kVibration, EPromptIcon::Exclamation);
    const bool wasRunning = Running();
    const int interval = IntervalSeconds(*doc);
    grid.triggered = triggered || interval == 0;
    grid.intervalMs = grid.triggered ? 0 : static_cast<int64_t>(interval) * 1000;
    // The first scan is due at once: its nominal time lies one interval before now.
    grid.t0 = static_cast<int64_t>(Clock().Ticks()) - grid.intervalMs;
    grid.transfer = std::make_unique<CTransferFolder>(CTransferFolder::ForRoot(doc->rootDir));
    grid.scans = NumberOfScans(*doc);
    grid.doc = std::move(doc);
    grid.scanCount = 0;
    grid.stoppedEarly = false;
    grid.running = true;
    SetRunning(wasRunning);
    return true;
}

void CScanSequencer::StopGridGroup() {
    if (!grid.running) return;
    const bool wasRunning = Running();
    if (grid.scanCount < grid.scans) grid.stoppedEarly = true;
    grid.running = false;
    grid.scanCount = -1;
    grid.doc.reset();
    grid.transfer.reset();
    SetRunning(wasRunning);
}

void CScanSequencer::OnTimerTick() {
    // Never inside another tick, an acquisition, a clock wait or an open box.
    if (inTick || CStationBusy::IsBusy() || (modalOpen && modalOpen())) return;
    inTick = true;
    {
        // The scan holds the station through its moves, questions and images too, not only
        // inside each reading: other windows' ticks find it busy in every nested event loop.
        CStationBusy::CScope busy;
        // A running vector scan has the tick; the grid group's missed scans follow afterwards.
        if (!VectorRunning() && grid.running) GridTick();
    }
    inTick = false;
}

void CScanSequencer::GridTick() {
    if (grid.triggered) {
        if (!TakeTrigger()) return;
    } else {
        const int64_t now = static_cast<int64_t>(Clock().Ticks());
        if (now - grid.t0 < grid.intervalMs) return;
        grid.t0 += grid.intervalMs;
        grid.doc->DeleteContents();
        LoadScanParams(*grid.doc, grid.doc->paramSetName);
        TakeStationCalibration(*grid.doc, station);
    }
    const bool goOn = RunGridScan();
    if (!goOn) grid.stoppedEarly = true;
    if (!goOn || grid.scanCount >= grid.scans) {
        const bool early = grid.stoppedEarly;
        StopGridGroup();
        grid.stoppedEarly = early;
    }
}

bool CScanSequencer::TakeTrigger() {
    std::optional<SRegionRequest> region = grid.transfer->TakeRegionRequest();
    if (!region) return false;
    CScanDoc& doc = *grid.doc;
    doc.DeleteContents();
    LoadScanParams(doc, doc.paramSetName);
    TakeStationCalibration(doc, station);
    // The region's corners are pixels of the live image around the scan tool's position.
    CDevices* devices = station.Devices();
    SCameraView view;
    CDVector4 shown;
    if (devices) {
        view = CameraViewOf(devices->FgBoard());
        shown = devices->Stage(doc.scanTool == kScanToolSample ? EStage::Sample : EStage::Probe)
                    .Position();
    }
    auto toScan = [&](int x, int y, CDVector4& row) {
        const std::optional<CDVector4> at = station.opticalSystem.ImageToStage({x, y}, view, shown);
        if (!at) return;
        row.x = at->x - doc.origin.x;
        row.y = at->y - doc.origin.y;
    };
    toScan(region->x1, region->y1, doc.start);
    toScan(region->x2, region->y2, doc.end);
    if (region->refFlag != 0) {
        CDVector4 reference = doc.reference;
        toScan(region->refX, region->refY, reference);
        SetReference(doc, reference);
    }
    // An abort command left over from an earlier scan must not stop this one.
    grid.transfer->TakeAbortCommand();
    grid.transfer->WriteResponse(CTransferFolder::kScanStarted);
    return true;
}

bool CScanSequencer::RunGridScan() {
    CScanDoc& doc = *grid.doc;
    CGridScanEngine engine(doc, station);
    engine.status = status;
    engine.escapePressed = escapePressed;
    engine.transfer = grid.triggered ? grid.transfer.get() : nullptr;
    engine.obsDocPath = obsDoc.GetPathName();
    const int n = grid.scanCount;
    const SScanOutcome outcome = engine.AcquireScan(n);
    // The observation document names a scan file only when this scan wrote it.
    if (outcome.saved) {
        auto obs = std::make_unique<CScanObs>();
        obs->StampNow();
        obs->StampPositions();
        obs->fileName = doc.scanFile;
        obs->scanNumber = n;
        const CScanObs& added = *obs;
        obsDoc.AddObs(std::move(obs));
        if (scanAdded) scanAdded(added);
    }
    ++grid.scanCount;
    if (grid.triggered) {
        const bool ran = outcome.end == EScanEnd::Completed || outcome.end == EScanEnd::EndedEarly;
        grid.transfer->WriteResponse(ran ? CTransferFolder::kScanFinished
                                         : CTransferFolder::kScanAborted);
    }
    return outcome.Continue();
}
