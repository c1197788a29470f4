#include "scan/GridScanSet.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <new>

#include "obs/ExportOptions.h"
#include "obs/IonCalibration.h"
#include "obs/ObsDocSettings.h"
#include "obs/SampRulesIon.h"
#include "platform/Format.h"
#include "platform/Prompt.h"
#include "platform/Services.h"
#include "scan/ScanDoc.h"
#include "settings/Profile.h"
#include "tech/Station.h"

namespace {

constexpr const char* kCountKey = "Number of Entries";
constexpr const char* kSelectedKey = "Selected";
constexpr const char* kIonTypesKey = "Ion Types";
// More gradient probes than this in one set is a damaged line, not a scan.
constexpr int kMaxGradientProbes = 100;
// Likewise for the list of sets.
constexpr int kMaxSets = 10000;

constexpr const char* kLine0 =
    "Scan Type: %u  Scan Tool: %u  Move Type: %u  Continuous:%d  FirstAxis=%u  AlongAxes=%d";
constexpr const char* kLine1 =
    "Reps: %d  Interval: %lf %u  Samples stored: wire %d  gradient %d  raw A/D %d";
constexpr const char* kLine2 =
    "Reference: before: wire=%d, gradient=%d, bath=%d  after: wire=%d, gradient=%d, bath=%d";
constexpr const char* kLine9 = "Home probe=%d, sample=%d  Status=%d";
constexpr const char* kLine10 = "Images: before=%d, after=%d  StepType=%u  num=%d";

// Sections and keys of velm.ini that a set's name must never become: the set's lines would
// land in them (or its rules under the station's own keys).
constexpr const char* kReservedNames[] = {"Mainframe Parameters",
                                          "Default Filename Prefixes",
                                          "A/D Board",
                                          "Frame Grabber",
                                          "FlexMotion MCS",
                                          "Probe Motion System",
                                          "Sample Motion System",
                                          "ISP/PVP Probe Tip Motion System",
                                          "Voltage Probe Calibration",
                                          "Voltage Probe Sample Rules",
                                          "ISP/PVP Name List",
                                          "Raw A/D Sample Rules",
                                          "Grid Scan Definition",
                                          "Vector Scan",
                                          "Video Sequence Document",
                                          "Optical Systems",
                                          "Data Display Layer",
                                          "Image Display Layer",
                                          "Observation Document",
                                          "Observation Document View",
                                          "Scan Document View",
                                          "Video Sequence Document View",
                                          "Open Observations With ...",
                                          "Recent File List",
                                          "Settings",
                                          "Scan Exports",
                                          "Sample Point Rules",
                                          "Sample Point Gains",
                                          "Calibration",
                                          "Point",
                                          "Scan",
                                          "Watch 0",
                                          "Watch 1",
                                          "Reference"};
constexpr const char* kProbeSectionSuffix = " isp/pvp probe";

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Trim(const std::string& text) {
    size_t b = 0, e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1])))
        --e;
    return text.substr(b, e - b);
}

std::string EntryKey(int i) {
    return StrPrintf("Entry %d", i);
}

void WriteVector(const std::string& section, const char* key, const char* label,
                 const CDVector4& v) {
    Profile().WriteLine(section, key, "%s: %lf %lf %lf %lf", label, v.x, v.y, v.z, v.w);
}

void ReadVector(const std::string& section, const char* key, CDVector4& v) {
    const std::string line = Profile().GetProfileString(section, key, "");
    if (!line.empty()) v.Parse(line);
}

}  // namespace

// ---- Fields ------------------------------------------------------------------------------------

double IntervalValueSeconds(const CScanDoc& doc) {
    const double scale = doc.intervalUnit == kUnitMinutes ? 60.0
                         : doc.intervalUnit == kUnitHours ? 3600.0
                                                          : 1.0;
    const double seconds = doc.interval * scale;
    return std::isfinite(seconds) ? seconds : 0.0;
}

int IntervalSeconds(const CScanDoc& doc) {
    const double seconds = IntervalValueSeconds(doc);
    if (!(seconds > 0.0)) return 0;
    if (seconds >= kMaxIntervalSeconds) return kMaxIntervalSeconds;
    return static_cast<int>(seconds);
}

void SetReference(CScanDoc& doc, const CDVector4& position) {
    doc.reference = position;
    if (doc.storeWire) doc.refBeforeWire = true;
    if (doc.storeGradient) doc.refBeforeGradient = doc.refBeforeBath = true;
}

int NumberOfScans(const CScanDoc& doc) {
    return doc.continuous ? kMaxScansInGroup : std::clamp(doc.reps, 1, kMaxScansInGroup);
}

int64_t PointCount(const CScanDoc& doc) {
    if (doc.stepType == kStepGrid || doc.stepType == kStepLogGrid) {
        int64_t n = 1;
        for (int a = 0; a < 4; ++a)
            n *= std::max(doc.steps[a], 1);
        return n;
    }
    return std::max(doc.numPoints, 2);
}

void CopyScanParams(const CScanDoc& from, CScanDoc& to) {
    // The data-document fields that travel with a set.
    to.exportDIB = from.exportDIB, to.exportIonCal = from.exportIonCal;
    to.exportIonPt = from.exportIonPt, to.exportIonRef = from.exportIonRef;
    to.exportIonSampRules = from.exportIonSampRules, to.exportLog = from.exportLog;
    to.exportScan = from.exportScan, to.exportVidSeq = from.exportVidSeq;
    to.exportWireCal = from.exportWireCal, to.exportWirePt = from.exportWirePt;
    to.exportWireRef = from.exportWireRef, to.exportWireSampRules = from.exportWireSampRules;
    to.exportRawAD = from.exportRawAD, to.exportRawADSampRules = from.exportRawADSampRules;
    to.exportContour = from.exportContour;
    to.autoSave = from.autoSave, to.numAutoSaveObs = from.numAutoSaveObs;

    to.rootDir = from.rootDir, to.groupDir = from.groupDir, to.scanFile = from.scanFile;
    to.month = from.month, to.day = from.day, to.groupNumber = from.groupNumber;
    to.lastScan = from.lastScan, to.startTime = from.startTime;
    to.reps = from.reps, to.interval = from.interval, to.intervalUnit = from.intervalUnit;
    to.continuous = from.continuous, to.readOnly = from.readOnly;
    to.gridType = from.gridType, to.scanTool = from.scanTool, to.moveType = from.moveType;
    to.stepType = from.stepType, to.firstAxis = from.firstAxis, to.alongAxes = from.alongAxes;
    to.refBeforeWire = from.refBeforeWire, to.refBeforeGradient = from.refBeforeGradient;
    to.refAfterWire = from.refAfterWire, to.refAfterGradient = from.refAfterGradient;
    to.refBeforeBath = from.refBeforeBath, to.refAfterBath = from.refAfterBath;
    to.storeWire = from.storeWire, to.storeGradient = from.storeGradient;
    to.storeRawAD = from.storeRawAD;
    to.imageBefore = from.imageBefore, to.imageAfter = from.imageAfter;
    to.homeProbe = from.homeProbe, to.homeSample = from.homeSample;
    to.showStatus = from.showStatus;
    to.preComment = from.preComment, to.postComment = from.postComment;
    to.paramSetName = from.paramSetName;
    to.reference = from.reference, to.start = from.start, to.end = from.end;
    to.origin = from.origin, to.probeHome = from.probeHome, to.sampleHome = from.sampleHome;
    to.steps = from.steps, to.numPoints = from.numPoints;
    to.opticalSystem = from.opticalSystem;
    to.wireCal = from.wireCal;
    to.wireRules = from.wireRules;
    to.rawADRules = from.rawADRules;
    to.ionRules.clear();
    to.ionCals.clear();
    for (const auto& r : from.ionRules) {
        auto copy = std::make_unique<CSampRulesIon>();
        copy->name = r->name;
        copy->CopyRulesFrom(*r);
        to.ionRules.push_back(std::move(copy));
    }
    for (const auto& c : from.ionCals)
        to.ionCals.push_back(std::make_unique<CIonCalibration>(*c));
}

void TakeStationCalibration(CScanDoc& doc, const CStation& station) {
    if (station.wireCalibration) doc.wireCal = *station.wireCalibration;
}

// ---- One set -----------------------------------------------------------------------------------

bool SaveScanParams(const CScanDoc& doc, const std::string& section) {
    CProfile& p = Profile();
    SaveDataDocLines(doc, section.c_str());
    p.WriteLine(section, "Line 0", kLine0, static_cast<unsigned>(doc.gridType),
                static_cast<unsigned>(doc.scanTool), static_cast<unsigned>(doc.moveType),
                doc.continuous ? 1 : 0, static_cast<unsigned>(doc.firstAxis),
                doc.alongAxes ? 1 : 0);
    p.WriteLine(section, "Line 1", kLine1, doc.reps, doc.interval,
                static_cast<unsigned>(doc.intervalUnit), doc.storeWire ? 1 : 0,
                doc.storeGradient ? 1 : 0, doc.storeRawAD ? 1 : 0);
    p.WriteLine(section, "Line 2", kLine2, doc.refBeforeWire ? 1 : 0, doc.refBeforeGradient ? 1 : 0,
                doc.refBeforeBath ? 1 : 0, doc.refAfterWire ? 1 : 0, doc.refAfterGradient ? 1 : 0,
                doc.refAfterBath ? 1 : 0);
    WriteVector(section, "Line 3", "Reference", doc.reference);
    WriteVector(section, "Line 4", "Start", doc.start);
    WriteVector(section, "Line 5", "End", doc.end);
    WriteVector(section, "Line 5a", "Origin", doc.origin);
    p.WriteLine(section, "Line 6", "Steps: %d %d %d %d", doc.steps.x, doc.steps.y, doc.steps.z,
                doc.steps.w);
    WriteVector(section, "Line 7", "Probe Home", doc.probeHome);
    WriteVector(section, "Line 8", "Sample Home", doc.sampleHome);
    p.WriteLine(section, "Line 9", kLine9, doc.homeProbe ? 1 : 0, doc.homeSample ? 1 : 0,
                doc.showStatus ? 1 : 0);
    p.WriteLine(section, "Line 10", kLine10, doc.imageBefore ? 1 : 0, doc.imageAfter ? 1 : 0,
                static_cast<unsigned>(doc.stepType), doc.numPoints);
    const bool paired = doc.ionRules.size() == doc.ionCals.size();
    p.WriteProfileInt(section, kIonTypesKey, paired ? static_cast<int>(doc.ionRules.size()) : 0);
    if (paired)
        for (size_t i = 0; i < doc.ionRules.size(); ++i)
            p.WriteProfileString(section, StrPrintf("Gradient Probe %zu", i),
                                 doc.ionRules[i]->name);
    doc.wireRules.SaveSettings(section.c_str());
    doc.rawADRules.SaveSettings(section.c_str());
    for (const auto& cal : doc.ionCals)
        cal->SaveSettings();
    return !p.WriteFailed();
}

bool GridScanSetExists(const std::string& section) {
    return !section.empty() && !Profile().GetProfileString(section, "Line 0", "").empty();
}

void LoadScanParams(CScanDoc& doc, const std::string& section) {
    CProfile& p = Profile();
    std::string problems;
    LoadDataDocLines(doc, section.c_str(), problems);

    unsigned gridType = static_cast<unsigned>(doc.gridType);
    unsigned scanTool = static_cast<unsigned>(doc.scanTool);
    unsigned moveType = static_cast<unsigned>(doc.moveType);
    unsigned firstAxis = static_cast<unsigned>(doc.firstAxis);
    int continuous = doc.continuous, alongAxes = doc.alongAxes;
    p.ReadLine(section, "Line 0", "", kLine0, &gridType, &scanTool, &moveType, &continuous,
               &firstAxis, &alongAxes);
    doc.gridType = static_cast<int>(gridType), doc.scanTool = static_cast<int>(scanTool);
    doc.moveType = static_cast<int>(moveType), doc.firstAxis = static_cast<int>(firstAxis);
    doc.continuous = continuous != 0, doc.alongAxes = alongAxes != 0;

    unsigned unit = static_cast<unsigned>(doc.intervalUnit);
    int storeWire = doc.storeWire, storeGradient = doc.storeGradient, storeRawAD = doc.storeRawAD;
    p.ReadLine(section, "Line 1", "", kLine1, &doc.reps, &doc.interval, &unit, &storeWire,
               &storeGradient, &storeRawAD);
    doc.intervalUnit = static_cast<int>(unit);
    doc.storeWire = storeWire != 0, doc.storeGradient = storeGradient != 0;
    doc.storeRawAD = storeRawAD != 0;

    int ref[6] = {doc.refBeforeWire, doc.refBeforeGradient, doc.refBeforeBath,
                  doc.refAfterWire,  doc.refAfterGradient,  doc.refAfterBath};
    p.ReadLine(section, "Line 2", "", kLine2, &ref[0], &ref[1], &ref[2], &ref[3], &ref[4], &ref[5]);
    doc.refBeforeWire = ref[0] != 0, doc.refBeforeGradient = ref[1] != 0;
    doc.refBeforeBath = ref[2] != 0, doc.refAfterWire = ref[3] != 0;
    doc.refAfterGradient = ref[4] != 0, doc.refAfterBath = ref[5] != 0;

    ReadVector(section, "Line 3", doc.reference);
    ReadVector(section, "Line 4", doc.start);
    ReadVector(section, "Line 5", doc.end);
    ReadVector(section, "Line 5a", doc.origin);
    const std::string stepsLine = p.GetProfileString(section, "Line 6", "");
    if (!stepsLine.empty()) doc.steps.Parse(stepsLine);
    ReadVector(section, "Line 7", doc.probeHome);
    ReadVector(section, "Line 8", doc.sampleHome);

    int homeProbe = doc.homeProbe, homeSample = doc.homeSample, status = doc.showStatus;
    p.ReadLine(section, "Line 9", "", kLine9, &homeProbe, &homeSample, &status);
    doc.homeProbe = homeProbe != 0, doc.homeSample = homeSample != 0, doc.showStatus = status != 0;
    int before = doc.imageBefore, after = doc.imageAfter;
    unsigned stepType = static_cast<unsigned>(doc.stepType);
    p.ReadLine(section, "Line 10", "", kLine10, &before, &after, &stepType, &doc.numPoints);
    doc.imageBefore = before != 0, doc.imageAfter = after != 0;
    doc.stepType = static_cast<int>(stepType);

    doc.ionRules.clear();
    doc.ionCals.clear();
    const int types = std::clamp(p.GetProfileInt(section, kIonTypesKey, 0), 0, kMaxGradientProbes);
    for (int i = 0; i < types; ++i) {
        const std::string name = p.GetProfileString(section, StrPrintf("Gradient Probe %d", i), "");
        if (name.empty()) continue;
        try {
            auto rules = std::make_unique<CSampRulesIon>();
            auto cal = std::make_unique<CIonCalibration>();
            rules->name = name;
            cal->name = name;
            rules->LoadSettings();
            cal->LoadSettings();
            doc.ionRules.push_back(std::move(rules));
            doc.ionCals.push_back(std::move(cal));
        } catch (const std::bad_alloc&) {
            Prompt().Message(StrPrintf("Not enough memory for %s gradient probe calibration in "
                                       "scanparams.",
                                       name.c_str()),
                             EPromptIcon::Exclamation);
        }
    }
    doc.wireRules.LoadSettings(section.c_str());
    doc.rawADRules.LoadSettings(section.c_str());
}

// ---- The list
// ------------------------------------------------------------------------------------

std::vector<std::string> GridScanSetNames() {
    CProfile& p = Profile();
    const int count = std::clamp(p.GetProfileInt(kGridScanSection, kCountKey, 0), 0, kMaxSets);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        std::string name = p.GetProfileString(kGridScanSection, EntryKey(i), "");
        if (!name.empty()) names.push_back(std::move(name));
    }
    return names;
}

std::string SelectedGridScanSet() {
    return Profile().GetProfileString(kGridScanSection, kSelectedKey, "");
}

void SetSelectedGridScanSet(const std::string& name) {
    Profile().WriteProfileString(kGridScanSection, kSelectedKey, name);
}

std::string CheckNewGridScanSetName(const std::string& name, std::string* caption) {
    if (caption) *caption = "New Parameter Name Error";
    if (name.empty()) return "You must specify a name.";
    if (Trim(name) != name) return "A parameter set name cannot begin or end with a blank.";
    if (name.find_first_of("[]=;\r\n") != std::string::npos)
        return "A parameter set name cannot hold '[', ']', '=', ';' or a line break.";
    const std::string lower = Lower(name);
    bool reserved = lower.size() >= std::string(kProbeSectionSuffix).size() &&
                    lower.compare(lower.size() - std::string(kProbeSectionSuffix).size(),
                                  std::string::npos, kProbeSectionSuffix) == 0;
    for (const char* r : kReservedNames)
        reserved = reserved || lower == Lower(r);
    if (reserved)
        return "'" + name +
               "' is a name velm.ini keeps its own settings under and cannot name a parameter "
               "set.";
    for (const std::string& existing : GridScanSetNames())
        if (Lower(existing) == lower) {
            if (caption) *caption = "Add New Parameter Error";
            return "Parameter type '" + name + "' already exists.";
        }
    return {};
}

CGridScanSetList::CGridScanSetList() : names(GridScanSetNames()) {
    const std::string chosen = Lower(SelectedGridScanSet());
    for (size_t i = 0; i < names.size(); ++i)
        if (Lower(names[i]) == chosen) selected = static_cast<int>(i);
    if (selected < 0 && !names.empty()) selected = 0;
}

bool CGridScanSetList::New(const std::string& name) {
    std::string caption;
    const std::string problem = CheckNewGridScanSetName(name, &caption);
    if (!problem.empty()) {
        Prompt().Message(problem, EPromptIcon::Exclamation, caption);
        return false;
    }
    CProfile& p = Profile();
    const int count = static_cast<int>(GridScanSetNames().size());
    p.WriteProfileString(kGridScanSection, EntryKey(count), name);
    p.WriteProfileInt(kGridScanSection, kCountKey, count + 1);
    names = GridScanSetNames();
    selected = static_cast<int>(names.size()) - 1;
    return !p.WriteFailed();
}

bool CGridScanSetList::Remove() {
    if (selected < 0 || selected >= static_cast<int>(names.size())) {
        Prompt().Message("Select a parameter set to remove.", EPromptIcon::Exclamation);
        return false;
    }
    const std::string name = names[static_cast<size_t>(selected)];
    if (Prompt().Show("Remove grid scan parameters '" + name + "' ?", "Remove Parameter Set",
                      EPromptButtons::OkCancel, EPromptIcon::Question) != EPromptAnswer::Ok)
        return false;
    CProfile& p = Profile();
    for (size_t j = static_cast<size_t>(selected) + 1; j < names.size(); ++j)
        p.WriteProfileString(kGridScanSection, EntryKey(static_cast<int>(j) - 1), names[j]);
    p.WriteProfileString(kGridScanSection, EntryKey(static_cast<int>(names.size()) - 1), "");
    p.WriteProfileInt(kGridScanSection, kCountKey, static_cast<int>(names.size()) - 1);
    if (Lower(SelectedGridScanSet()) == Lower(name)) SetSelectedGridScanSet("");
    names = GridScanSetNames();
    selected = names.empty() ? -1 : 0;
    return true;
}

std::string CGridScanSetList::Ok() {
    if (selected < 0 || selected >= static_cast<int>(names.size())) {
        Prompt().Message("Select a parameter set or make a new one with \"New ...\" first.",
                         EPromptIcon::Exclamation);
        return {};
    }
    SetSelectedGridScanSet(names[static_cast<size_t>(selected)]);
    return names[static_cast<size_t>(selected)];
}
