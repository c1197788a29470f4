#include "scan/GridScanSetup.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"
#include "obs/IonCalibration.h"
#include "obs/SampRulesIon.h"
#include "platform/Clock.h"
#include "platform/Format.h"
#include "platform/Prompt.h"
#include "platform/Services.h"
#include "scan/GridScanEngine.h"
#include "scan/GridScanSet.h"
#include "scan/ScanPoints.h"
#include "settings/FileNumbering.h"
#include "settings/RootDirectory.h"
#include "tech/Station.h"

namespace {

void Refuse(const std::string& text, const char* caption = CGridScanSetupLogic::kErrorTitle) {
    Prompt().Message(text, EPromptIcon::Exclamation, caption);
}

bool IsDirectory(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

int FindName(const std::vector<std::unique_ptr<CSampRulesIon>>& list, const std::string& name) {
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i]->name == name) return static_cast<int>(i);
    return -1;
}

}  // namespace

CGridScanSetupLogic::CGridScanSetupLogic(CScanDoc& doc, CStation& station)
    : doc(doc), station(station) {
    CopyScanParams(doc, params);
    if (params.readOnly) return;
    newGroup = true;
    const int64_t now = Clock().Now().seconds;
    const std::tm today = CClock::LocalTime(now);
    params.day = today.tm_mday;
    params.month = today.tm_mon + 1;
    params.groupNumber = GetNextScanGroupNumber();
    params.lastScan = -1;
    params.rootDir = GetRootDirectory();
    if (params.groupDir.empty())
        params.groupDir =
            StrPrintf("ScnGrp%04d", params.groupNumber) + CGridScanEngine::DatePrefix(now);
}

// ---- Rows
// ------------------------------------------------------------------------------------------

const char* CGridScanSetupLogic::ShowPrompt(ERow row) {
    switch (row) {
        case ERow::Start:
            return "Show point for start of scan ...";
        case ERow::End:
            return "Show point for end of scan ...";
        case ERow::Origin:
            return "Show point for scan origin ...";
        case ERow::Reference:
            return "Show reference position for scan ...";
        case ERow::ProbeHome:
            return "Show probe home position at end of scan ...";
        case ERow::SampleHome:
            return "Show sample home position at end of scan ...";
    }
    return "";
}

CDVector4& CGridScanSetupLogic::Row(ERow row) {
    switch (row) {
        case ERow::Start:
            return params.start;
        case ERow::End:
            return params.end;
        case ERow::Origin:
            return params.origin;
        case ERow::Reference:
            return params.reference;
        case ERow::ProbeHome:
            return params.probeHome;
        case ERow::SampleHome:
            return params.sampleHome;
    }
    return params.start;
}

EStage CGridScanSetupLogic::RowStage(ERow row) const {
    if (row == ERow::ProbeHome) return EStage::Probe;
    if (row == ERow::SampleHome) return EStage::Sample;
    return params.scanTool == kScanToolSample ? EStage::Sample : EStage::Probe;
}

void CGridScanSetupLogic::SetRowFromStage(ERow row, const CDVector4& stagePosition) {
    const EStage tool = params.scanTool == kScanToolSample ? EStage::Sample : EStage::Probe;
    const bool relative = row != ERow::Origin && RowStage(row) == tool;
    Row(row) = relative ? stagePosition - params.origin : stagePosition;
}

bool CGridScanSetupLogic::Show(ERow row) {
    if (!showPosition) return false;
    const std::optional<CDVector4> shown = showPosition(ShowPrompt(row), RowStage(row));
    if (!shown) return false;
    SetRowFromStage(row, *shown);
    Calc();
    return true;
}

CGridScanSetupLogic::EMoveTo CGridScanSetupLogic::BeginMoveTo() {
    switch (Prompt().Ask("Enable Mouse?", EPromptButtons::YesNoCancel)) {
        case EPromptAnswer::Yes:
            return EMoveTo::KeyboardAndMouse;
        case EPromptAnswer::No:
            return EMoveTo::Keyboard;
        default:
            return EMoveTo::Cancelled;
    }
}

void CGridScanSetupLogic::EndMoveTo(ERow row) {
    CDevices* devices = station.Devices();
    if (!devices) return;
    SetRowFromStage(row, devices->Stage(RowStage(row)).Position());
    Calc();
}

// ---- Gradient types
// ----------------------------------------------------------------------------------

bool CGridScanSetupLogic::AddGradient(const std::string& name) {
    if (FindName(params.ionRules, name) >= 0) {
        Refuse(StrPrintf("Gradient type '%s' already in list - double click on name to edit.",
                         name.c_str()));
        return false;
    }
    CSampRulesIon* rules = station.Ion().Rules(name);
    CIonCalibration* cal = station.Ion().Calibration(name);
    if (!rules || !cal) {
        Refuse(StrPrintf("Gradient type '%s' not found in memory.", name.c_str()));
        return false;
    }
    std::unique_ptr<CSampRulesIon> rulesCopy;
    try {
        rulesCopy = std::make_unique<CSampRulesIon>();
    } catch (const std::bad_alloc&) {
        Refuse("Not enough memory to add gradient sampling rules to grid scan.");
        return false;
    }
    rulesCopy->name = rules->name;
    rulesCopy->CopyRulesFrom(*rules);
    std::unique_ptr<CIonCalibration> calCopy;
    try {
        calCopy = std::make_unique<CIonCalibration>(*cal);
    } catch (const std::bad_alloc&) {
        Refuse("Not enough memory to add gradient calibration to grid scan.");
        return false;
    }
    params.ionRules.push_back(std::move(rulesCopy));
    params.ionCals.push_back(std::move(calCopy));
    return true;
}

bool CGridScanSetupLogic::DelGradient(const std::string& name) {
    const int i = FindName(params.ionRules, name);
    if (i < 0) {
        Refuse(StrPrintf("Gradient type '%s' not found in list box.", name.c_str()));
        return false;
    }
    if (static_cast<size_t>(i) >= params.ionCals.size()) {
        Refuse(StrPrintf("Gradient type '%s' calibration not found in memory.", name.c_str()));
        return false;
    }
    params.ionRules.erase(params.ionRules.begin() + i);
    params.ionCals.erase(params.ionCals.begin() + i);
    return true;
}

bool CGridScanSetupLogic::CheckGradientSelected(const std::string& name) {
    if (!name.empty()) return true;
    Refuse("Select an Gradient Type first.");
    return false;
}

// ---- Estimate and OK
// -------------------------------------------------------------------------------

double CGridScanSetupLogic::Estimate() const {
    return EstimateGridScan(params, station);
}

double EstimateGridScan(const CScanDoc& p, const CStation& station) {
    const double points = static_cast<double>(PointCount(p));
    double seconds = 0.0;
    CDevices* devices = station.Devices();
    if (devices) {
        const double image = devices->FgBoard().secToSave;
        if (p.imageBefore) seconds += image;
        if (p.imageAfter) seconds += image;
    }
    for (const auto& rules : p.ionRules) {
        const double t = rules->GetNumber();
        if (p.storeGradient) seconds += t * points;
        if (p.refBeforeGradient) seconds += t;
        if (p.refAfterGradient) seconds += t;
    }
    if (p.storeWire) seconds += p.wireRules.GetNumber(false) * points;
    if (p.refBeforeWire) seconds += p.wireRules.GetNumber(true);
    if (p.refAfterWire) seconds += p.wireRules.GetNumber(true);
    if (p.storeRawAD) seconds += p.rawADRules.GetNumber() * points;

    if (!devices) return seconds;
    const bool probeTool = p.scanTool != kScanToolSample;
    CMsWcmc& tool = probeTool ? devices->ProbeSystem() : devices->SampleSystem();
    CMsWcmc& other = probeTool ? devices->SampleSystem() : devices->ProbeSystem();
    if (tool.HasBoard()) {
        CDVector4 at = tool.Position();
        auto move = [&](const CDVector4& to) {
            seconds += tool.EstimateMoveTime(at, to, p.moveType);
            at = to;
        };
        const CDVector4 reference = p.origin + p.reference;
        if (p.refBeforeWire || p.refBeforeGradient || p.refBeforeBath) move(reference);
        CScanDoc copy;
        CopyScanParams(p, copy);
        NormaliseLinePoints(copy);
        const CScanPoints grid(copy);
        for (int64_t j = 0; j < grid.Count(); ++j)
            move(grid.Target(j));
        if (p.refAfterWire || p.refAfterGradient || p.refAfterBath) move(reference);
        if (probeTool ? p.homeProbe : p.homeSample)
            move(p.origin + (probeTool ? p.probeHome : p.sampleHome));
    }
    if (other.HasBoard() && (probeTool ? p.homeSample : p.homeProbe))
        seconds += other.EstimateMoveTime(other.Position(), probeTool ? p.sampleHome : p.probeHome,
                                          p.moveType);
    return seconds;
}

void CGridScanSetupLogic::Calc() {
    estimateText = StrPrintf("%.1lf sec", Estimate());
}

std::string CGridScanSetupLogic::Check() const {
    const CScanDoc& p = params;
    const double interval = IntervalValueSeconds(p);
    if (!(p.interval == 0.0 || (interval >= 1.0 && interval <= kMaxIntervalSeconds)))
        return StrPrintf(
            "The scan interval must be 0 (scans started by the transfer folder) or from 1 "
            "second to %d hours.",
            kMaxIntervalSeconds / 3600);
    if (!p.continuous && (p.reps < 1 || p.reps > kMaxReps))
        return StrPrintf("The number of repetitions must be from 1 to %d.", kMaxReps);
    if (p.stepType == kStepGrid || p.stepType == kStepLogGrid) {
        for (int a = 0; a < 4; ++a)
            if (p.steps[a] < 1 || p.steps[a] > kMaxSteps)
                return StrPrintf("Each grid step count must be from 1 to %d.", kMaxSteps);
        if (PointCount(p) > kMaxPoints)
            return StrPrintf("A scan can have at most %lld points.",
                             static_cast<long long>(kMaxPoints));
    } else if (p.numPoints < 1 || p.numPoints > kMaxPoints) {
        return StrPrintf("The number of steps must be from 1 to %lld.",
                         static_cast<long long>(kMaxPoints));
    }
    if (p.groupDir.empty() || p.groupDir.front() == '/' ||
        p.groupDir.find('/') != std::string::npos || p.groupDir == "." || p.groupDir == "..")
        return "The target directory must be one folder name inside the root directory.";
    return {};
}

bool CGridScanSetupLogic::Accept(bool saveSet) {
    if (params.readOnly) {
        if (doc.preComment != params.preComment || doc.postComment != params.postComment) {
            doc.preComment = params.preComment;
            doc.postComment = params.postComment;
            doc.SetModifiedFlag(true);
        }
        return true;
    }
    const std::string problem = Check();
    if (!problem.empty()) {
        Refuse(problem);
        return false;
    }
    // A triggered scan has no interval to fit into.
    const double interval = IntervalValueSeconds(params);
    if (interval > 0.0) {
        const double estimate = Estimate();
        estimateText = StrPrintf("%.1lf sec", estimate);
        if (estimate > interval) {
            Refuse(
                StrPrintf("Estimated scan acquisition time (%.1lf sec)\nis longer than scan "
                          "interval (%.1lf sec).",
                          estimate, interval));
            return false;
        }
    }
    if (!IsDirectory(params.rootDir)) {
        Refuse(StrPrintf("Error moving to root directory %s - aborting", params.rootDir.c_str()),
               "");
        return false;
    }
    const std::string folder = JoinPath(params.rootDir, params.groupDir);
    std::error_code ec;
    const bool made = std::filesystem::create_directory(folder, ec);
    if (!IsDirectory(folder)) {
        Refuse(StrPrintf("Cannot create scan group directory %s.\n", folder.c_str()) +
                   (ec ? ec.message() : std::string("A file of that name is in the way.")),
               "");
        return false;
    }
    // The folder carries the group's number: the next group gets the next one, even while
    // this group still runs.
    if (made && newGroup && params.groupNumber == GetNextScanGroupNumber())
        AdvanceScanGroupNumber();
    params.opticalSystem = station.opticalSystem;
    CopyScanParams(params, doc);
    doc.SetModifiedFlag(true);
    if (saveSet && !doc.paramSetName.empty() && !SaveScanParams(doc, doc.paramSetName))
        return false;
    return true;
}
