#include "scan/VectorScanRun.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <new>
#include <system_error>
#include <utility>

#include "hw/Bmp.h"
#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"
#include "obs/DibObs.h"
#include "obs/InterestPointObs.h"
#include "obs/IonObs.h"
#include "obs/ObsDoc.h"
#include "obs/SampRulesIon.h"
#include "obs/SampRulesRawAD.h"
#include "obs/SampRulesWire.h"
#include "obs/ScanObs.h"
#include "obs/TransferFolder.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "platform/StationBusy.h"
#include "scan/VectorScanGridOp.h"
#include "settings/FileNumbering.h"
#include "settings/RootDirectory.h"
#include "tech/Station.h"

namespace {

void Tell(const std::string& text) {
    Prompt().Message(text, EPromptIcon::Exclamation);
}

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

}  // namespace

// ---- Helpers ------------------------------------------------------------------------------------

int SVectorScanStation::SpeedMode(EStage stage) const {
    return speedMode ? speedMode(stage) : kSpeedModeLinear;
}

std::string DescribeOperation(const CVelmObs& op, const CDataDocument* document) {
    std::string text;
    op.Describe(text, document, kVectorOpDescribe);
    return text;
}

EVectorOp OperationKind(const CVelmObs& op) {
    if (auto* wire = dynamic_cast<const CSampRulesWire*>(&op))
        return wire->MakesReferences() ? EVectorOp::CdpReference : EVectorOp::CdpPoint;
    if (auto* ion = dynamic_cast<const CSampRulesIon*>(&op))
        return ion->MakesReferences() ? EVectorOp::IonReference : EVectorOp::IonPoint;
    if (dynamic_cast<const CSampRulesRawAD*>(&op)) return EVectorOp::RawAD;
    if (dynamic_cast<const CDibObs*>(&op)) return EVectorOp::VideoImage;
    if (dynamic_cast<const CScanObs*>(&op)) return EVectorOp::GridScan;
    return EVectorOp::IntermediatePoint;
}

std::unique_ptr<CVelmObs> CopyOperation(const CVelmObs& op) {
    try {
        std::unique_ptr<CVelmObs> copy;
        if (auto* scan = dynamic_cast<const CScanObs*>(&op)) {
            auto s = std::make_unique<CScanObs>();
            s->fileName = scan->fileName;
            s->scanNumber = scan->scanNumber;
            if (auto* grid = dynamic_cast<const CVectorGridScan*>(scan->scanDocument.get()))
                s->scanDocument = grid->Copy();
            copy = std::move(s);
        } else if (dynamic_cast<const CInterestPointObs*>(&op)) {
            copy = std::make_unique<CInterestPointObs>();
        } else {
            copy = op.Clone();
            if (!copy) return nullptr;
        }
        copy->time = op.time;
        copy->milliseconds = op.milliseconds;
        copy->index = op.index;
        copy->probePosition = op.probePosition;
        copy->samplePosition = op.samplePosition;
        return copy;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

bool HasOperation(const CObsList& ops, EVectorOp kind) {
    for (const auto& op : ops)
        if (OperationKind(*op) == kind) return true;
    return false;
}

const char* IntervalUnitWord(int unit) {
    switch (unit) {
        case kIntervalMinutes:
            return "minutes";
        case kIntervalHours:
            return "hours";
        default:
            return "seconds";
    }
}

int64_t IntervalSeconds(double interval, int unit) {
    const double factor = unit == kIntervalMinutes ? 60.0 : unit == kIntervalHours ? 3600.0 : 1.0;
    const double seconds = interval * factor;
    if (!(seconds > 0.0)) return 0;
    constexpr double kYear = 366.0 * 86400.0;
    return static_cast<int64_t>(std::trunc(std::min(seconds, kYear)));
}

std::unique_ptr<CVelmObs> GrabVectorScanImage(CFgBoard& grabber) {
    const std::string root = GetRootDirectory();
    if (!IsFolder(root)) {
        Tell(StrPrintf("Error moving to root directory %s - aborting", root.c_str()));
        return nullptr;
    }
    const std::string folder = JoinPath(root, "images");
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!IsFolder(folder)) {
        Tell("Image Grab Failed\nThe folder " + folder + " cannot be created: " + ec.message() +
             ".");
        return nullptr;
    }
    std::unique_ptr<CDibObs> dib;
    try {
        dib = std::make_unique<CDibObs>();
    } catch (const std::bad_alloc&) {
        Tell("Insufficient Memory for Dib Image operation");
        return nullptr;
    }
    dib->StampNow();
    dib->StampPositions();
    CBitmapImage image;
    if (!grabber.GrabBitmap(image)) {
        Tell("Image Grab Failed");
        return nullptr;
    }
    // An image already under the counter's number is kept: the counter moves on to the first
    // free number, so a run never writes over an image of an earlier run or experiment.
    const std::string prefix = GetImagePrefix();
    int number = GetNextImageNumber();
    std::string path = JoinPath(folder, prefix + StrPrintf("%04d.bmp", number));
    while (Exists(path)) {
        AdvanceImageNumber();
        const int next = GetNextImageNumber();
        if (next == number) {
            Tell("Image Grab Failed\nThere is no free image number in " + folder + ".");
            return nullptr;
        }
        number = next;
        path = JoinPath(folder, prefix + StrPrintf("%04d.bmp", number));
    }
    std::string error;
    if (!WriteBmpFile(path, image, &error)) {
        Tell("Image Grab Failed\n" + error);
        return nullptr;
    }
    AdvanceImageNumber();
    dib->fileName = path;
    return dib;
}

// ---- CVectorOpRunner ----------------------------------------------------------------------------

CVectorOpRunner::CVectorOpRunner(const SVectorScanStation& station, const CDataDocument* document)
    : station(station), document(document) {}

void CVectorOpRunner::ShowStatus(int i, int n, const CVelmObs& op) {
    if (!monitor || !showStatus) return;
    monitor->Status(StrPrintf(VectorScanText::kStatusLine, i, n) + DescribeOperation(op, document));
}

bool CVectorOpRunner::MoveTo(const CVelmObs& op, bool alsoImages) {
    if (!station.devices) return true;
    if (!alsoImages && OperationKind(op) == EVectorOp::VideoImage) return true;
    CMsWcmc& probe = station.devices->ProbeSystem();
    CMsWcmc& sample = station.devices->SampleSystem();
    if (probe.MoveAbsolute(op.probePosition, station.SpeedMode(EStage::Probe)) ==
        CMsWcmc::kMoveFailed)
        return false;
    if (sample.MoveAbsolute(op.samplePosition, station.SpeedMode(EStage::Sample)) ==
        CMsWcmc::kMoveFailed)
        return false;
    if (monitor && showStatus) monitor->Positions(probe.Position(), sample.Position());
    return true;
}

CObsList CVectorOpRunner::Take(CVelmObs& op, bool& gridScanSkipped, bool* aborted) {
    CObsList taken;
    if (aborted) *aborted = false;
    switch (OperationKind(op)) {
        case EVectorOp::VideoImage:
            if (station.devices) {
                if (auto image = GrabVectorScanImage(station.devices->FgBoard()))
                    taken.push_back(std::move(image));
            }
            break;
        case EVectorOp::GridScan: {
            auto* scan = dynamic_cast<CScanObs*>(&op);
            if (!scan || !station.station) break;
            SVectorGridRun run;
            run.status = scanStatus;
            run.escapePressed = escapePressed;
            run.transfer = transfer;
            run.obsDocPath = obsDocPath;
            std::unique_ptr<CVelmObs> obs;
            const EVectorGridResult result = RunVectorGridScan(*scan, *station.station, run, obs);
            if (result == EVectorGridResult::SetMissing) gridScanSkipped = true;
            if (result == EVectorGridResult::Aborted && aborted) *aborted = true;
            if (obs) taken.push_back(std::move(obs));
            break;
        }
        case EVectorOp::IntermediatePoint:
            break;
        default:
            if (station.station) taken = op.TakeObservation(*station.station);
            break;
    }
    return taken;
}

// ---- CVectorScanRun -----------------------------------------------------------------------------

CVectorScanRun::CVectorScanRun(CObsDoc& doc, const SVectorScanStation& station)
    : doc(doc), station(station) {}

bool CVectorScanRun::Start() {
    if (doc.vsOps.empty()) {
        Tell("You must have at least one operation defined in a vector scan.");
        return false;
    }
    if (doc.autoSave) {
        doc.SetModifiedFlag(true);
        bool saved = true;
        if (saveDocument)
            saved = saveDocument(doc);
        else if (!doc.GetPathName().empty())
            saved = doc.OnSaveDocument(doc.GetPathName());
        if (!saved) return false;
    }
    if (prepareDocument && !prepareDocument()) return false;
    state = SVectorScanState();
    transfer.reset();  // the root may have changed since the last scan
    state.reps = std::clamp(doc.vsReps, 1, 30000);
    const int n = static_cast<int>(doc.vsOps.size());
    doc.AddLogEntry(
        StrPrintf("Begin Vector Scan Parameters (%d points at %.2lf %s intervals for "
                  "%d repetitions)",
                  n, doc.vsInterval, IntervalUnitWord(doc.vsIntervalUnit), state.reps));
    int i = 0;
    for (const auto& op : doc.vsOps) {
        ++i;
        std::unique_ptr<CVelmObs> copy = CopyOperation(*op);
        if (!copy) continue;
        // The block records the operation; its scan stays with the operation that runs.
        if (auto* scan = dynamic_cast<CScanObs*>(copy.get())) scan->scanDocument.reset();
        copy->StampNow();
        copy->index = static_cast<uint16_t>(i);
        doc.AddObs(std::move(copy), false);
    }
    doc.AddLogEntry("End Vector Scan Parameters");

    state.interval = IntervalSeconds(doc.vsInterval, doc.vsIntervalUnit) * 1000;
    state.t0 = static_cast<int64_t>(Clock().Ticks()) - state.interval;
    state.count = 0;
    state.running = true;
    lastRunCompleted = true;
    return true;
}

void CVectorScanRun::OnTick() {
    if (!state.running || CStationBusy::IsBusy()) return;
    const int64_t now = static_cast<int64_t>(Clock().Ticks());
    bool ok = true;
    if (state.interval > 0) {
        if (now - state.t0 < state.interval) return;
        state.t0 += state.interval;
        ok = RunOnce(state.count + 1);
    } else {
        // Triggered: a region request from the outside program starts one run. Its centre is
        // not used: every operation has its own positions.
        if (!Transfer().TakeRegionRequest()) return;
        Transfer().WriteResponse(CTransferFolder::kScanStarted);
        ok = RunOnce(state.count + 1);
        // An aborted run has said "Scan Aborted" already; it did not finish.
        if (ok) Transfer().WriteResponse(CTransferFolder::kScanFinished);
    }
    if (!state.running) return;  // stopped from inside the run
    ++state.count;
    if (!ok || state.count >= state.reps) Finish();
}

CTransferFolder& CVectorScanRun::Transfer() {
    if (!transfer)
        transfer.emplace(transferFolder.empty() ? CTransferFolder::Current()
                                                : CTransferFolder(transferFolder));
    return *transfer;
}

bool CVectorScanRun::StopRequested(bool triggered) {
    CTransferFolder& transfer = Transfer();
    // The outside program's abort command is looked at before every operation, whether or not
    // a key is pending.
    if (transfer.TakeAbortCommand()) {
        transfer.WriteResponse(CTransferFolder::kScanAborted);
        return true;
    }
    if (!escapePressed || !escapePressed()) return false;
    if (Prompt().Ask(VectorScanText::kTerminate, EPromptButtons::YesNo) != EPromptAnswer::Yes)
        return false;
    if (triggered) transfer.WriteResponse(CTransferFolder::kScanAborted);
    return true;
}

bool CVectorScanRun::RunOnce(int n) {
    CStationBusy::CScope busy;
    const int count = static_cast<int>(doc.vsOps.size());
    const bool triggered = state.interval == 0;
    CVectorOpRunner runner(station, &doc);
    runner.monitor = monitor;
    runner.showStatus = doc.vsShowStatus != 0;
    runner.scanStatus = scanStatus;
    runner.escapePressed = escapePressed;
    runner.transfer = triggered ? &Transfer() : nullptr;
    runner.obsDocPath = doc.GetPathName();
    if (monitor && runner.showStatus) monitor->Begin(VectorScanText::kStatusTitle);
    doc.AddLogEntry(StrPrintf("Begin Vector Scan %d of %d: %d points", n, state.reps, count));

    bool completed = true;
    for (int i = 1; i <= count && completed; ++i) {
        if (StopRequested(triggered)) {
            completed = false;
            break;
        }
        CVelmObs& op = *doc.vsOps[static_cast<size_t>(i - 1)];
        runner.ShowStatus(i, count, op);
        if (!runner.MoveTo(op, false)) {
            // Measuring where the stage did not get to would record a wrong position.
            completed = false;
            break;
        }
        bool gridSkipped = false, aborted = false;
        CObsList taken = runner.Take(op, gridSkipped, &aborted);
        if (gridSkipped && !state.gridScanToldOnce) {
            // Once per scan: the same operation would say it again at every run.
            state.gridScanToldOnce = true;
            const auto* scan = dynamic_cast<const CScanObs*>(&op);
            Prompt().Message(MissingGridSetMessage(scan ? scan->fileName : std::string()),
                             EPromptIcon::Exclamation);
        }
        for (size_t k = 0; k < taken.size(); ++k) {
            taken[k]->index = static_cast<uint16_t>(i);
            doc.AddObs(std::move(taken[k]), k + 1 == taken.size());
        }
        // A grid scan stopped by Esc or the abort command stops the run with it.
        if (aborted) {
            if (triggered) Transfer().WriteResponse(CTransferFolder::kScanAborted);
            completed = false;
        }
    }
    // Every begin entry has its end entry, however the run ended.
    doc.AddLogEntry(StrPrintf("End Vector Scan %d of %d: %d points", n, state.reps, count));
    if (monitor && runner.showStatus) monitor->End();
    lastRunCompleted = completed;
    return completed;
}

bool CVectorScanRun::Stop(bool ask) {
    if (!state.running) return true;
    // No run may start while the question is open.
    CStationBusy::CScope busy;
    if (ask &&
        Prompt().Ask(VectorScanText::kTerminate, EPromptButtons::YesNo) != EPromptAnswer::Yes)
        return false;
    Finish();
    state.count = -1;
    return true;
}

void CVectorScanRun::Finish() {
    state.running = false;
    if (monitor) monitor->Stopped();
}

// ---- Preview ------------------------------------------------------------------------------------

namespace {

// The station's references as they were before a preview, put back when it goes.
class CReferenceKeeper {
  public:
    CReferenceKeeper(CStation* station, const CObsList& ops) : station(station) {
        if (!station) return;
        wireReading = station->wireReference.reading;
        wireReference = station->wireReference.reference;
        for (const auto& op : ops) {
            auto* ion = dynamic_cast<const CSampRulesIon*>(op.get());
            if (!ion || ion->name.empty() || ionReferences.count(ion->name)) continue;
            const CIonReference* ref = station->Ion().Reference(ion->name);
            ionReferences[ion->name] = ref ? std::make_unique<CIonReference>(*ref) : nullptr;
        }
    }
    ~CReferenceKeeper() {
        if (!station) return;
        station->wireReference.reading = wireReading;
        station->wireReference.reference = wireReference;
        for (auto& [name, ref] : ionReferences)
            station->Ion().ReplaceReference(name, std::move(ref));
    }
    CReferenceKeeper(const CReferenceKeeper&) = delete;
    CReferenceKeeper& operator=(const CReferenceKeeper&) = delete;

  private:
    CStation* station;
    CDVector4 wireReading, wireReference;
    std::map<std::string, std::unique_ptr<CIonReference>> ionReferences;
};

}  // namespace

bool PreviewVectorScan(const CObsList& ops, const SVectorScanStation& station,
                       const CDataDocument* document, CVectorScanMonitor* monitor,
                       const std::function<bool()>& escapePressed) {
    CStationBusy::CScope busy;
    CReferenceKeeper keeper(station.station, ops);
    CVectorOpRunner runner(station, document);
    runner.monitor = monitor;
    if (monitor) monitor->Begin(VectorScanText::kPreviewTitle);
    const int count = static_cast<int>(ops.size());
    bool completed = true;
    for (int i = 1; i <= count; ++i) {
        if (escapePressed && escapePressed() &&
            Prompt().Ask(VectorScanText::kTerminatePreview, EPromptButtons::YesNo) ==
                EPromptAnswer::Yes) {
            completed = false;
            break;
        }
        CVelmObs& op = *ops[static_cast<size_t>(i - 1)];
        runner.ShowStatus(i, count, op);
        if (!runner.MoveTo(op, true)) {
            completed = false;
            break;
        }
        const EVectorOp kind = OperationKind(op);
        // A grid scan would save a scan file and use file numbers; an image would use an image
        // number: the preview only moves to them.
        if (kind == EVectorOp::GridScan || kind == EVectorOp::VideoImage ||
            kind == EVectorOp::IntermediatePoint)
            continue;
        bool gridSkipped = false;
        runner.Take(op, gridSkipped);  // measured, then dropped
    }
    if (monitor) monitor->End();
    return completed;
}
