#include "scan/VectorScanDefinition.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <utility>

#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"
#include "obs/DibObs.h"
#include "obs/InterestPointObs.h"
#include "obs/ObsDoc.h"
#include "obs/ObsDocSettings.h"
#include "obs/SampRulesIon.h"
#include "obs/SampRulesRawAD.h"
#include "obs/SampRulesWire.h"
#include "obs/ScanObs.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "scan/VectorScanGridOp.h"
#include "settings/Profile.h"
#include "tech/Station.h"

namespace {

using namespace VectorScanText;

void Tell(const std::string& text, EPromptIcon icon = EPromptIcon::Exclamation) {
    Prompt().Message(text, icon, kTitle);
}

bool YesNo(const std::string& text) {
    return Prompt().Ask(text, EPromptButtons::YesNo, EPromptIcon::Question, kTitle) ==
           EPromptAnswer::Yes;
}

// A whole number typed into an edit; nothing for anything else.
std::optional<long> ParseInt(const std::string& text) {
    const char* s = text.c_str();
    while (*s == ' ' || *s == '\t')
        ++s;
    if (!*s) return std::nullopt;
    char* end = nullptr;
    const long v = std::strtol(s, &end, 10);
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end) return std::nullopt;
    return v;
}

std::optional<double> ParseDouble(const std::string& text) {
    const char* s = text.c_str();
    while (*s == ' ' || *s == '\t')
        ++s;
    if (!*s) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(s, &end);
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end || !std::isfinite(v)) return std::nullopt;
    return v;
}

constexpr const char* kPromptLine = "Prompt=%u  Interval=%u";

}  // namespace

CVectorScanDefinition::CVectorScanDefinition(const CObsDoc& doc, const SVectorScanStation& station)
    : station(station), doc(doc) {
    interval = StrPrintf("%g", doc.vsInterval);
    unit = doc.vsIntervalUnit;
    if (unit != kIntervalSeconds && unit != kIntervalMinutes && unit != kIntervalHours)
        unit = kIntervalSeconds;
    reps = StrPrintf("%d", doc.vsReps);
    autoSave = doc.autoSave != 0;
    autoSaveEvery = StrPrintf("%d", doc.numAutoSaveObs);
    showStatus = doc.vsShowStatus != 0;
    moveWithMouse = doc.vsMoveWithMouse != 0;
    showProbeCol = doc.vsShowProbeCol != 0;
    showSampleCol = doc.vsShowSampleCol != 0;
    int savedUnit = unit;
    LoadPromptLine(promptMode, savedUnit);
    for (const auto& op : doc.vsOps)
        if (auto copy = CopyOperation(*op)) ops.push_back(std::move(copy));
    // Grid-scan operations of a document read from its file have only their set's name; its
    // values give their part of the estimate. A set that is gone is reported when it runs.
    if (station.station)
        for (auto& op : ops)
            if (auto* scan = dynamic_cast<CScanObs*>(op.get()); scan && !scan->scanDocument)
                LoadVectorGridScan(*scan, *station.station);
    if (station.station) gradientTypes = station.station->probeNames;
    if (station.devices) {
        probeRow = station.devices->ProbeSystem().Position();
        sampleRow = station.devices->SampleSystem().Position();
    }
}

void CVectorScanDefinition::UseGridScanDialogs(IGridScanDialogs& dialogs) {
    CStation* s = station.station;
    setUpGridScan = [s, &dialogs](CScanObs& scan) -> std::optional<SGridScanSetup> {
        if (!s) return std::nullopt;
        const std::optional<SVectorGridSetup> setup = SetUpVectorGridScan(scan, *s, dialogs);
        if (!setup) return std::nullopt;
        return SGridScanSetup{setup->origin, setup->sampleTool};
    };
}

void CVectorScanDefinition::LoadPromptLine(int& promptMode, int& unit) {
    unsigned mode = static_cast<unsigned>(promptMode), u = static_cast<unsigned>(unit);
    Profile().ReadLine(kVectorScanSection, "Line 0", "", kPromptLine, &mode, &u);
    switch (mode) {
        case kPromptNone:
        case kPromptShowProbe:
        case kPromptMoveProbe:
        case kPromptShowSample:
        case kPromptMoveSample:
            promptMode = static_cast<int>(mode);
            break;
        default:
            break;  // a damaged line keeps the default
    }
    if (u == kIntervalSeconds || u == kIntervalMinutes || u == kIntervalHours)
        unit = static_cast<int>(u);
}

void CVectorScanDefinition::SavePromptLine(int promptMode, int unit) {
    Profile().WriteLine(kVectorScanSection, "Line 0", kPromptLine,
                        static_cast<unsigned>(promptMode), static_cast<unsigned>(unit));
}

// ---- The list ---------------------------------------------------------------------------------

std::string CVectorScanDefinition::ListLine(size_t i) const {
    if (i >= ops.size()) return {};
    const CVelmObs& op = *ops[i];
    std::string line = StrPrintf("%d: ", static_cast<int>(i + 1));
    if (showProbeCol)
        StrAppendf(line, "P [%.2lf,%.2lf,%.2lf,%.2lf] ", op.probePosition.x, op.probePosition.y,
                   op.probePosition.z, op.probePosition.w);
    if (showSampleCol)
        StrAppendf(line, "S [%.2lf,%.2lf,%.2lf,%.2lf] ", op.samplePosition.x, op.samplePosition.y,
                   op.samplePosition.z, op.samplePosition.w);
    line += DescribeOperation(op, &doc);
    return line;
}

bool CVectorScanDefinition::CheckSelection(const char* noneSelected) const {
    if (ops.empty()) {
        Tell("No operations available.");
        return false;
    }
    if (selected < 0 || selected >= static_cast<int>(ops.size())) {
        Tell(noneSelected);
        return false;
    }
    return true;
}

void CVectorScanDefinition::Insert(std::unique_ptr<CVelmObs> op) {
    const bool hasSelection = selected >= 0 && selected < static_cast<int>(ops.size());
    const size_t at = hasSelection ? static_cast<size_t>(selected) + 1 : ops.size();
    ops.insert(ops.begin() + static_cast<std::ptrdiff_t>(at), std::move(op));
    // The next operation goes after this one, so a protocol is entered in its order.
    if (hasSelection) selected = static_cast<int>(at);
}

bool CVectorScanDefinition::SetSelected() {
    if (!CheckSelection("Select an operation to update first.")) return false;
    ops[static_cast<size_t>(selected)]->probePosition = probeRow;
    ops[static_cast<size_t>(selected)]->samplePosition = sampleRow;
    return true;
}

bool CVectorScanDefinition::GetSelected() {
    if (!CheckSelection("Select an operation to update first.")) return false;
    probeRow = ops[static_cast<size_t>(selected)]->probePosition;
    sampleRow = ops[static_cast<size_t>(selected)]->samplePosition;
    return true;
}

bool CVectorScanDefinition::Delete() {
    if (!CheckSelection("Select an operation to delete first.")) return false;
    const size_t at = static_cast<size_t>(selected);
    if (!YesNo("Remove Vector Scan Operation:\n" + DescribeOperation(*ops[at], &doc) + " ?"))
        return false;
    ops.erase(ops.begin() + static_cast<std::ptrdiff_t>(at));
    if (selected >= static_cast<int>(ops.size())) selected = static_cast<int>(ops.size()) - 1;
    return true;
}

bool CVectorScanDefinition::MoveUp() {
    if (!CheckSelection("Select an operation to move first.")) return false;
    if (selected == 0) return false;
    std::swap(ops[static_cast<size_t>(selected)], ops[static_cast<size_t>(selected - 1)]);
    --selected;
    return true;
}

bool CVectorScanDefinition::MoveDown() {
    if (!CheckSelection("Select an operation to move first.")) return false;
    if (selected + 1 >= static_cast<int>(ops.size())) return false;
    std::swap(ops[static_cast<size_t>(selected)], ops[static_cast<size_t>(selected + 1)]);
    ++selected;
    return true;
}

bool CVectorScanDefinition::Copy() {
    if (!CheckSelection("Select an operation to copy first.")) return false;
    const CVelmObs& op = *ops[static_cast<size_t>(selected)];
    std::unique_ptr<CVelmObs> copy;
    try {
        copy = op.Clone();
    } catch (const std::bad_alloc&) {
        copy.reset();
    }
    if (!copy) {
        Tell("Cannot copy this type of observation.");
        return false;
    }
    copy->probePosition = op.probePosition;
    copy->samplePosition = op.samplePosition;
    Insert(std::move(copy));
    return true;
}

bool CVectorScanDefinition::ClearAll() {
    if (ops.empty()) return false;
    if (!YesNo("Clear all operations ?")) return false;
    ops.clear();
    selected = -1;
    return true;
}

bool CVectorScanDefinition::EditSelected() {
    if (selected < 0 || selected >= static_cast<int>(ops.size())) return false;
    return EditOperation(*ops[static_cast<size_t>(selected)]);
}

// ---- Rows ---------------------------------------------------------------------------------------

bool CVectorScanDefinition::Locate(EStage stage) {
    CDVector4 at = Row(stage);
    if (!pointOnVideo || !pointOnVideo(stage, at)) return false;
    Row(stage) = at;
    return true;
}

void CVectorScanDefinition::ShowRow(EStage stage) {
    if (showOnVideo) showOnVideo(stage, Row(stage));
}

bool CVectorScanDefinition::MoveToRow(EStage stage) {
    if (!station.devices) return false;
    CMsWcmc& system = station.devices->Stage(stage);
    return system.MoveAbsolute(Row(stage), station.SpeedMode(stage)) == CMsWcmc::kMoveDone;
}

bool CVectorScanDefinition::PromptForRows() {
    switch (promptMode) {
        case kPromptShowProbe:
            return Locate(EStage::Probe) || !pointOnVideo;
        case kPromptShowSample:
            return Locate(EStage::Sample) || !pointOnVideo;
        case kPromptMoveProbe:
        case kPromptMoveSample: {
            const EStage stage = promptMode == kPromptMoveProbe ? EStage::Probe : EStage::Sample;
            if (enableMotion) enableMotion(stage, true, moveWithMouse);
            const EPromptAnswer answer =
                Prompt().Ask(stage == EStage::Probe
                                 ? "Move the probe to the desired location and press <ENTER> ..."
                                 : "Move the sample to the desired location and press <ENTER> ...",
                             EPromptButtons::OkCancel, EPromptIcon::Information, kTitle);
            if (enableMotion) enableMotion(stage, false, moveWithMouse);
            if (answer != EPromptAnswer::Ok) return false;
            if (station.devices) Row(stage) = station.devices->Stage(stage).Position();
            return true;
        }
        default:
            return true;
    }
}

// ---- Adding and editing -------------------------------------------------------------------------

bool CVectorScanDefinition::EditOperation(CVelmObs& op) {
    if (!station.station) return OperationKind(op) == EVectorOp::IntermediatePoint;
    CStation& s = *station.station;
    if (auto* wire = dynamic_cast<CSampRulesWire*>(&op)) {
        // The dialog edits the averaging time as a time; the reference mark goes back on after.
        const bool reference = wire->MakesReferences();
        wire->SamplePeriod = std::fabs(wire->SamplePeriod);
        const bool ok = s.EditWireRules(*wire, kVectorScanRulesKey);
        if (reference) wire->SamplePeriod = -std::fabs(wire->SamplePeriod);
        return ok;
    }
    if (auto* raw = dynamic_cast<CSampRulesRawAD*>(&op))
        return s.EditRawADRules(*raw, kVectorScanRulesKey);
    if (auto* ion = dynamic_cast<CSampRulesIon*>(&op)) {
        const bool reference = ion->MakesReferences();
        ion->bathWait = std::fabs(ion->bathWait);
        const bool ok = s.EditIonRules(*ion);
        if (reference) ion->bathWait = -std::fabs(ion->bathWait);
        return ok;
    }
    if (auto* scan = dynamic_cast<CScanObs*>(&op)) return scan->Edit(s);
    // Images and intermediate points have nothing to set up.
    return true;
}

bool CVectorScanDefinition::Add(EVectorOp kind) {
    CStation* s = station.station;
    // What each kind needs, before anything is asked of the user.
    switch (kind) {
        case EVectorOp::CdpPoint:
        case EVectorOp::CdpReference:
            if (!s || !s->wireRules || !s->wireCalibration) {
                Tell("Define CDP sampling rules and calibration from .VPO document first.");
                return false;
            }
            break;
        case EVectorOp::IonPoint:
        case EVectorOp::IonReference:
            if (gradientTypes.empty()) {
                Tell("No gradient probes available.");
                return false;
            }
            if (gradientType.empty()) {
                Tell("Select an gradient probe type first.");
                return false;
            }
            if (!s || !s->Ion().Rules(gradientType) || !s->Ion().Calibration(gradientType)) {
                Tell("Define ISP/PVP sampling rules and calibration from .VPO document first.");
                return false;
            }
            break;
        case EVectorOp::GridScan:
            if (!setUpGridScan) {
                Tell(kGridScanUnavailable);
                return false;
            }
            break;
        default:
            break;
    }
    // A grid scan takes its position from its own set-up, not from a prompt.
    if (kind != EVectorOp::GridScan && !PromptForRows()) return false;

    std::unique_ptr<CVelmObs> op;
    const char* outOfMemory = "Insufficient Memory for Scan Observation";
    try {
        switch (kind) {
            case EVectorOp::CdpPoint:
            case EVectorOp::CdpReference: {
                outOfMemory = "Insufficient Memory for Wire Sampling setup";
                auto rules = std::make_unique<CSampRulesWire>();
                rules->CopyRulesFrom(*s->wireRules);
                rules->LoadSettings(kVectorScanRulesKey);
                rules->SamplePeriod = std::fabs(rules->SamplePeriod);
                if (kind == EVectorOp::CdpReference) rules->SamplePeriod = -rules->SamplePeriod;
                op = std::move(rules);
                break;
            }
            case EVectorOp::IonPoint:
            case EVectorOp::IonReference: {
                outOfMemory = "Insufficient Memory for Gradient Sampling setup";
                std::unique_ptr<CVelmObs> copy = s->Ion().Rules(gradientType)->Clone();
                auto* rules = dynamic_cast<CSampRulesIon*>(copy.get());
                if (!rules) throw std::bad_alloc();
                rules->name = gradientType;
                rules->bathWait = std::fabs(rules->bathWait);
                if (kind == EVectorOp::IonReference) rules->bathWait = -rules->bathWait;
                op = std::move(copy);
                break;
            }
            case EVectorOp::RawAD: {
                outOfMemory = "Insufficient Memory for Raw A/D Sampling setup";
                auto rules = std::make_unique<CSampRulesRawAD>();
                if (s && s->rawADRules) {
                    std::unique_ptr<CVelmObs> copy = s->rawADRules->Clone();
                    if (auto* r = dynamic_cast<CSampRulesRawAD*>(copy.get())) *rules = *r;
                }
                rules->LoadSettings(kVectorScanRulesKey);
                op = std::move(rules);
                break;
            }
            case EVectorOp::VideoImage:
                outOfMemory = "Insufficient Memory for Dib Image operation";
                op = std::make_unique<CDibObs>();
                break;
            case EVectorOp::IntermediatePoint:
                outOfMemory = "Insufficient memory for intermediate point";
                op = std::make_unique<CInterestPointObs>();
                break;
            case EVectorOp::GridScan: {
                auto scan = std::make_unique<CScanObs>();
                // The operation keeps the name of its parameter set, so a reopened document
                // can rebuild the scan from it.
                const int number = selected >= 0 && selected < static_cast<int>(ops.size())
                                       ? selected
                                       : static_cast<int>(ops.size());
                scan->fileName = StrPrintf("VCTOP%03d", number);
                const std::optional<SGridScanSetup> setup = setUpGridScan(*scan);
                if (!setup) return false;
                (setup->sampleTool ? sampleRow : probeRow) = setup->origin;
                scan->probePosition = probeRow;
                scan->samplePosition = sampleRow;
                Insert(std::move(scan));
                return true;
            }
        }
    } catch (const std::bad_alloc&) {
        Tell(outOfMemory);
        return false;
    }
    op->StampNow();
    op->probePosition = probeRow;
    op->samplePosition = sampleRow;
    if (!EditOperation(*op)) return false;
    // The dialogs stamp what they keep; the positions stay the rows'.
    op->probePosition = probeRow;
    op->samplePosition = sampleRow;
    Insert(std::move(op));
    return true;
}

// ---- Estimate, preview, OK ----------------------------------------------------------------------

double CVectorScanDefinition::EstimateSeconds() const {
    double seconds = 0.0;
    CDVector4 probeAt, sampleAt;
    if (station.devices) {
        probeAt = station.devices->ProbeSystem().Position();
        sampleAt = station.devices->SampleSystem().Position();
    }
    for (const auto& op : ops) {
        const EVectorOp kind = OperationKind(*op);
        if (kind == EVectorOp::VideoImage) {
            if (station.devices) seconds += station.devices->FgBoard().secToSave;
            continue;  // images are taken where the stages stand
        }
        // Rules give their acquisition time (a reference's is its reference time), a grid
        // scan its scan's, an intermediate point none.
        seconds += std::max(0.0, op->GetNumber());
        if (station.devices) {
            seconds += station.devices->ProbeSystem().EstimateMoveTime(
                probeAt, op->probePosition, station.SpeedMode(EStage::Probe));
            seconds += station.devices->SampleSystem().EstimateMoveTime(
                sampleAt, op->samplePosition, station.SpeedMode(EStage::Sample));
        }
        probeAt = op->probePosition;
        sampleAt = op->samplePosition;
    }
    return seconds;
}

double CVectorScanDefinition::CalcEstimate() {
    const double seconds = EstimateSeconds();
    estimate = StrPrintf("%.2lf sec", seconds);
    return seconds;
}

bool CVectorScanDefinition::Preview() {
    if (ops.empty()) {
        Tell("No operations available.");
        return false;
    }
    return PreviewVectorScan(ops, station, &doc, previewMonitor, escapePressed);
}

bool CVectorScanDefinition::Accept() {
    const std::optional<double> i = ParseDouble(interval);
    if (!i || *i < 0.0 || *i > 1.0e6) {
        Tell("Enter an interval of 0 or more for \"Start every\".");
        return false;
    }
    const std::optional<long> r = ParseInt(reps);
    if (!r || *r < 1 || *r > kMaxReps) {
        Tell("Please enter an integer between 1 and 30000.");
        return false;
    }
    int every = doc.numAutoSaveObs;
    if (autoSave) {
        const std::optional<long> a = ParseInt(autoSaveEvery);
        if (!a || *a < 1 || *a > 65535) {
            Tell("Please enter an integer between 1 and 65535.");
            return false;
        }
        every = static_cast<int>(*a);
    }
    if (ops.empty()) {
        Tell("You must have at least one operation defined in a vector scan.");
        return false;
    }
    const double seconds = CalcEstimate();
    const double intervalSeconds = static_cast<double>(IntervalSeconds(*i, unit));
    // Interval 0 runs are started from outside, one at a time: there is no interval to fit.
    if (intervalSeconds > 0.0 && seconds > intervalSeconds) {
        Prompt().Message(StrPrintf("Estimated scan acquisition time (%.1lf sec)\nis longer than "
                                   "scan interval (%.1lf sec).",
                                   seconds, intervalSeconds),
                         EPromptIcon::Exclamation, "Vector Scan Definition Error");
        return false;
    }
    acceptedInterval = *i;
    acceptedReps = static_cast<int>(*r);
    acceptedAutoSaveEvery = every;
    return true;
}

void CVectorScanDefinition::Store(CObsDoc& target) {
    target.vsInterval = acceptedInterval;
    target.vsIntervalUnit = unit;
    target.vsReps = acceptedReps;
    target.vsShowStatus = showStatus ? 1 : 0;
    target.vsMoveWithMouse = moveWithMouse ? 1 : 0;
    target.vsShowProbeCol = showProbeCol ? 1 : 0;
    target.vsShowSampleCol = showSampleCol ? 1 : 0;
    target.autoSave = autoSave ? 1 : 0;
    target.numAutoSaveObs = acceptedAutoSaveEvery;
    target.vsOps.clear();
    for (const auto& op : ops)
        if (auto copy = CopyOperation(*op)) target.vsOps.push_back(std::move(copy));
    target.SetModifiedFlag(true);
    SaveObsDocLines(target);
    SaveDataDocAutoSaveLine(target, kObsDocSection);
    SavePromptLine(promptMode, unit);
}
