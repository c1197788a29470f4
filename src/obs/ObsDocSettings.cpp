#include "obs/ObsDocSettings.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "obs/ExportOptions.h"
#include "obs/ObsDoc.h"
#include "platform/Services.h"
#include "settings/Profile.h"
#include "settings/SettingsLines.h"

namespace {

constexpr const char* kLine0 =
    "exportDIB=%d  exportIonCal=%d  exportIonPt=%d  exportIonRef=%d  exportIonSampRules=%d  "
    "exportLog=%d  exportScan=%d  exportContour=%d";
constexpr const char* kLine1 =
    "exportVidSeq=%d  exportWireCal=%d  exportWirePt=%d  exportWireRef=%d  "
    "exportWireSampRules=%d  exportRawAD=%d  exportRawADSampRules=%d";
constexpr const char* kLine2 =
    "useCalcs=%d  useNumber=%d  useData=%d  useDate=%d  useProbePos=%d  useSampPos=%d  "
    "useTime=%d  useDescrip=%d";
constexpr const char* kLine3 =
    "viewMode=%u  exportTimeType=%u  exportDataType=%u  includeHeader=%d";
constexpr const char* kLine4 = "autoSave=%d  numAutoSaveObs=%d  updateView=%d";

constexpr const char* kObsLine0 =
    "vectScanIntervalType=%u  vectScanSampInterval=%lf  vectScanReps=%d  updateStatus=%d";
constexpr const char* kObsLine1 =
    "DaOutputScan: chan=%d  range=%lf to %lf  steps=%d  inc=%u  (%lf sec)";
constexpr const char* kObsLine2 = "DaOutputScan: record=%d  reset=%d  resetVolts=%lf";
constexpr const char* kObsLine3 = "DaOutputScan: cyclic=%d  reps=%d";
constexpr const char* kObsLine4 = "MoveWithMouse=%d  ShowProbePos=%d  ShowSamplePos=%d";

// A line of up to eight integers: the fields before the first mismatch take their values.
// A word field holds 0..65535 in the file, so values outside it are refused as well.
void ReadInts(const char* section, const char* key, const char* format,
              std::initializer_list<int*> fields, std::string& problems) {
    const auto text = ReadSettingsText(section, key);
    if (!text) return;
    int v[8] = {};
    size_t i = 0;
    for (int* f : fields)
        v[i++] = *f;
    const int n =
        std::sscanf(text->c_str(), format, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7]);
    bool usable = n == static_cast<int>(fields.size());
    i = 0;
    for (int* f : fields) {
        if (static_cast<int>(i) < n) {
            if (v[i] >= 0 && v[i] <= 0xFFFF)
                *f = v[i];
            else
                usable = false;
        }
        ++i;
    }
    if (!usable) AddSettingsProblem(&problems, section, key, *text);
}

bool ViewModeKnown(unsigned mode) {
    return mode == kViewAll || mode == kViewLatestHalfHour || mode == kViewFixed;
}

void LoadDataDocLinesInto(CDataDocument& d, const char* section, std::string& problems) {
    ReadInts(section, "DataDoc Line 0", kLine0,
             {&d.exportDIB, &d.exportIonCal, &d.exportIonPt, &d.exportIonRef, &d.exportIonSampRules,
              &d.exportLog, &d.exportScan, &d.exportContour},
             problems);
    ReadInts(section, "DataDoc Line 1", kLine1,
             {&d.exportVidSeq, &d.exportWireCal, &d.exportWirePt, &d.exportWireRef,
              &d.exportWireSampRules, &d.exportRawAD, &d.exportRawADSampRules},
             problems);
    ReadInts(section, "DataDoc Line 2", kLine2,
             {&d.useCalcs, &d.useNumber, &d.useData, &d.useDate, &d.useProbePos, &d.useSampPos,
              &d.useTime, &d.useDescrip},
             problems);
    if (const auto text = ReadSettingsText(section, "DataDoc Line 3")) {
        unsigned mode = static_cast<unsigned>(d.viewMode);
        unsigned timeType = static_cast<unsigned>(d.exportTimeType);
        unsigned dataType = static_cast<unsigned>(d.exportDataType);
        int header = d.includeHeader;
        const int n = std::sscanf(text->c_str(), kLine3, &mode, &timeType, &dataType, &header);
        bool usable = n == 4;
        if (n >= 1 && ViewModeKnown(mode))
            d.viewMode = static_cast<int>(mode);
        else if (n >= 1)
            usable = false;
        // Only the export dialog's own time and separator choices are taken.
        if (n >= 2 && timeType >= kTimeClock && timeType <= kTimeSeconds)
            d.exportTimeType = static_cast<int>(timeType);
        else if (n >= 2)
            usable = false;
        if (n >= 3 && (dataType == kDataComma || dataType == kDataTab))
            d.exportDataType = static_cast<int>(dataType);
        else if (n >= 3)
            usable = false;
        if (n >= 4) d.includeHeader = header != 0 ? 1 : 0;
        if (!usable) AddSettingsProblem(&problems, section, "DataDoc Line 3", *text);
    }
    ReadInts(section, "DataDoc Line 4", kLine4, {&d.autoSave, &d.numAutoSaveObs, &d.updateView},
             problems);
}

}  // namespace

void LoadDataDocLines(CDataDocument& doc, const char* section, std::string& problems) {
    LoadDataDocLinesInto(doc, section, problems);
}

void SaveDataDocLines(const CDataDocument& d, const char* section) {
    CProfile& p = Profile();
    p.WriteLine(section, "DataDoc Line 0", kLine0, d.exportDIB, d.exportIonCal, d.exportIonPt,
                d.exportIonRef, d.exportIonSampRules, d.exportLog, d.exportScan, d.exportContour);
    p.WriteLine(section, "DataDoc Line 1", kLine1, d.exportVidSeq, d.exportWireCal, d.exportWirePt,
                d.exportWireRef, d.exportWireSampRules, d.exportRawAD, d.exportRawADSampRules);
    p.WriteLine(section, "DataDoc Line 2", kLine2, d.useCalcs, d.useNumber, d.useData, d.useDate,
                d.useProbePos, d.useSampPos, d.useTime, d.useDescrip);
    SaveDataDocViewLine(d, section);
    SaveDataDocAutoSaveLine(d, section);
}

void SaveDataDocViewLine(const CDataDocument& d, const char* section) {
    Profile().WriteLine(section, "DataDoc Line 3", kLine3, static_cast<unsigned>(d.viewMode),
                        static_cast<unsigned>(d.exportTimeType),
                        static_cast<unsigned>(d.exportDataType), d.includeHeader);
}

void SaveDataDocAutoSaveLine(const CDataDocument& d, const char* section) {
    Profile().WriteLine(section, "DataDoc Line 4", kLine4, d.autoSave, d.numAutoSaveObs,
                        d.updateView);
}

void SaveObsDocLines(const CObsDoc& d) {
    CProfile& p = Profile();
    const char* s = kObsDocSection;
    p.WriteLine(s, "Line 0", kObsLine0, static_cast<unsigned>(d.vsIntervalUnit), d.vsInterval,
                d.vsReps, d.vsShowStatus);
    p.WriteLine(s, "Line 1", kObsLine1, d.daChannel, d.daStart, d.daEnd, d.daPoints,
                static_cast<unsigned>(d.daIncrement), d.daInterval);
    p.WriteLine(s, "Line 2", kObsLine2, (d.daRecordRawAD ? 1 : 0) | (d.daRecordCDP ? 2 : 0),
                d.daReset, d.daResetVolts);
    p.WriteLine(s, "Line 3", kObsLine3, d.daCycle, d.daTimes);
    p.WriteLine(s, "Line 4", kObsLine4, d.vsMoveWithMouse, d.vsShowProbeCol, d.vsShowSampleCol);
}

void SaveTextMethod(int detailFlags, const char* section) {
    Profile().WriteProfileInt(section, kTextMethodKey, detailFlags);
}

void LoadNewObsDocSettings(CObsDoc& d) {
    std::string problems;
    const char* s = kObsDocSection;
    LoadDataDocLinesInto(d, s, problems);

    if (const auto text = ReadSettingsText(s, "Line 0")) {
        unsigned unit = static_cast<unsigned>(d.vsIntervalUnit);
        double interval = d.vsInterval;
        int reps = d.vsReps, status = d.vsShowStatus;
        const int n = std::sscanf(text->c_str(), kObsLine0, &unit, &interval, &reps, &status);
        bool usable = n == 4;
        if (n >= 1 && unit >= kIntervalSeconds && unit <= kIntervalHours)
            d.vsIntervalUnit = static_cast<int>(unit);
        else if (n >= 1)
            usable = false;
        if (n >= 2 && std::isfinite(interval))
            d.vsInterval = interval;
        else if (n >= 2)
            usable = false;
        if (n >= 3) d.vsReps = reps;
        if (n >= 4) d.vsShowStatus = status;
        if (!usable) AddSettingsProblem(&problems, s, "Line 0", *text);
    }
    if (const auto text = ReadSettingsText(s, "Line 1")) {
        int chan = d.daChannel, steps = d.daPoints;
        double start = d.daStart, end = d.daEnd, seconds = d.daInterval;
        unsigned inc = static_cast<unsigned>(d.daIncrement);
        const int n =
            std::sscanf(text->c_str(), kObsLine1, &chan, &start, &end, &steps, &inc, &seconds);
        bool usable = n == 6;
        if (n >= 1) d.daChannel = chan;
        if (n >= 2 && std::isfinite(start)) d.daStart = start;
        if (n >= 3 && std::isfinite(end)) d.daEnd = end;
        if (n >= 4) d.daPoints = steps;
        if (n >= 5 && inc <= 0xFFFF) d.daIncrement = static_cast<int>(inc);
        if (n >= 6 && std::isfinite(seconds)) d.daInterval = seconds;
        if (!std::isfinite(start) || !std::isfinite(end) || !std::isfinite(seconds) || inc > 0xFFFF)
            usable = false;
        if (!usable) AddSettingsProblem(&problems, s, "Line 1", *text);
    }
    if (const auto text = ReadSettingsText(s, "Line 2")) {
        int record = (d.daRecordRawAD ? 1 : 0) | (d.daRecordCDP ? 2 : 0), reset = d.daReset;
        double volts = d.daResetVolts;
        const int n = std::sscanf(text->c_str(), kObsLine2, &record, &reset, &volts);
        if (n >= 1) {
            d.daRecordRawAD = (record & 1) != 0;
            d.daRecordCDP = (record & 2) != 0;
        }
        if (n >= 2) d.daReset = reset;
        if (n >= 3 && std::isfinite(volts)) d.daResetVolts = volts;
        if (n != 3 || !std::isfinite(volts)) AddSettingsProblem(&problems, s, "Line 2", *text);
    }
    ReadInts(s, "Line 3", kObsLine3, {&d.daCycle, &d.daTimes}, problems);
    ReadInts(s, "Line 4", kObsLine4, {&d.vsMoveWithMouse, &d.vsShowProbeCol, &d.vsShowSampleCol},
             problems);

    if (const auto text = ReadSettingsText(kObsDocViewSection, kTextMethodKey)) {
        int flags = 0;
        char extra = 0;
        // The word is stored in 16 bits with the document; anything else is not a flag set.
        if (std::sscanf(text->c_str(), " %d %c", &flags, &extra) == 1 && flags >= 0 &&
            flags <= 0xFFFF)
            d.detailFlags = flags;
        else
            AddSettingsProblem(&problems, kObsDocViewSection, kTextMethodKey, *text);
    }
    if (!problems.empty()) {
        Prompt().Message("These observation document settings in velm.ini could not be used:" +
                             problems + "\n\nDefaults are used in their place.",
                         EPromptIcon::Exclamation);
    }
}
