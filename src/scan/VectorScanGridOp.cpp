#include "scan/VectorScanGridOp.h"

#include <algorithm>
#include <new>
#include <utility>

#include "platform/Format.h"
#include "platform/Prompt.h"
#include "platform/Services.h"
#include "scan/GridScanEngine.h"
#include "scan/GridScanSet.h"
#include "scan/GridScanSetup.h"
#include "scan/ScanDoc.h"
#include "scan/ScanSequencer.h"
#include "tech/Station.h"

namespace {

constexpr const char* kNoDocument =
    "CVectorScanSetupDlg::OnGridScanObs() - Unable to open scan document";

std::unique_ptr<CScanDoc> NewScanDoc() {
    try {
        return std::make_unique<CScanDoc>();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

// ---- CVectorGridScan ----------------------------------------------------------------------------

CVectorGridScan::CVectorGridScan(std::unique_ptr<CScanDoc> params, const CStation* station,
                                 bool groupReady)
    : params(std::move(params)), station(station), groupReady(groupReady) {}

CVectorGridScan::~CVectorGridScan() = default;

double CVectorGridScan::GetNumber() const {
    return station ? EstimateGridScan(*params, *station) : params->EstimatedSeconds();
}

int CVectorGridScan::NextScanNumber() const {
    return std::max(params->lastScan + 1, 0);
}

std::unique_ptr<CVectorGridScan> CVectorGridScan::Copy() const {
    std::unique_ptr<CScanDoc> doc = NewScanDoc();
    if (!doc) return nullptr;
    CopyScanParams(*params, *doc);
    return std::make_unique<CVectorGridScan>(std::move(doc), station, groupReady);
}

CVectorGridScan* VectorGridScanOf(CScanObs& op) {
    return dynamic_cast<CVectorGridScan*>(op.scanDocument.get());
}

std::string MissingGridSetMessage(const std::string& setName) {
    return "The grid scan parameters '" + setName +
           "' of a vector scan operation are no longer in the settings file.\nThe operation is "
           "skipped.";
}

// ---- Set-up -------------------------------------------------------------------------------------

std::optional<SVectorGridSetup> SetUpVectorGridScan(CScanObs& op, CStation& station,
                                                    IGridScanDialogs& dialogs) {
    std::unique_ptr<CScanDoc> doc = NewScanDoc();
    if (!doc) {
        Prompt().Message(kNoDocument, EPromptIcon::Exclamation);
        return std::nullopt;
    }
    CGridScanSetList list;
    if (!dialogs.ChooseSet(list)) return std::nullopt;
    if (list.selected < 0 || list.selected >= static_cast<int>(list.names.size()))
        return std::nullopt;
    LoadScanParams(*doc, list.names[static_cast<size_t>(list.selected)]);
    TakeStationCalibration(*doc, station);
    // The set-up's OK saves the values under the operation's own name, so the operation keeps
    // them whatever later happens to the set they came from.
    doc->paramSetName = op.fileName;
    CGridScanSetupLogic setup(*doc, station);
    if (!dialogs.Setup(setup)) return std::nullopt;
    SVectorGridSetup result;
    result.origin = doc->origin;
    result.sampleTool = doc->scanTool == kScanToolSample;
    op.scanDocument = std::make_unique<CVectorGridScan>(std::move(doc), &station, true);
    return result;
}

bool LoadVectorGridScan(CScanObs& op, const CStation& station) {
    if (!GridScanSetExists(op.fileName)) return false;
    std::unique_ptr<CScanDoc> doc = NewScanDoc();
    if (!doc) return false;
    doc->paramSetName = op.fileName;
    LoadScanParams(*doc, op.fileName);
    TakeStationCalibration(*doc, station);
    op.scanDocument = std::make_unique<CVectorGridScan>(std::move(doc), &station, false);
    return true;
}

// ---- Runs ---------------------------------------------------------------------------------------

EVectorGridResult RunVectorGridScan(CScanObs& op, CStation& station, const SVectorGridRun& run,
                                    std::unique_ptr<CVelmObs>& taken) {
    taken.reset();
    CVectorGridScan* grid = VectorGridScanOf(op);
    if (!grid) {
        if (!LoadVectorGridScan(op, station)) return EVectorGridResult::SetMissing;
        grid = VectorGridScanOf(op);
    }
    if (!grid->GroupReady()) {
        // A rebuilt scan is a new group of its own (today's folder and group number), set up
        // as the dialog's OK would, without the dialog and without touching the set.
        CGridScanSetupLogic setup(grid->Params(), station);
        if (!setup.Accept(false)) return EVectorGridResult::GroupFailed;
        grid->SetGroupReady();
    }
    std::unique_ptr<CScanDoc> scan = NewScanDoc();
    if (!scan) {
        Prompt().Message(kNoDocument, EPromptIcon::Exclamation);
        return EVectorGridResult::NotSaved;
    }
    CopyScanParams(grid->Params(), *scan);
    TakeStationCalibration(*scan, station);
    const int n = grid->NextScanNumber();
    CGridScanEngine engine(*scan, station);
    engine.status = run.status;
    engine.escapePressed = run.escapePressed;
    engine.transfer = run.transfer;
    engine.obsDocPath = run.obsDocPath;
    const SScanOutcome outcome = engine.AcquireScan(n);
    if (outcome.saved) {
        // The number is used up once its file exists, however the scan ended.
        grid->Params().lastScan = n;
        auto obs = std::make_unique<CScanObs>();
        obs->StampNow();
        obs->StampPositions();
        obs->fileName = scan->scanFile;
        obs->scanNumber = n;
        taken = std::move(obs);
    }
    if (outcome.end == EScanEnd::Aborted) return EVectorGridResult::Aborted;
    return outcome.saved ? EVectorGridResult::Taken : EVectorGridResult::NotSaved;
}
