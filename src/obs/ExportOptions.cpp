#include "obs/ExportOptions.h"

#include "app/Profile.h"
#include "obs/DataDocument.h"
#include "obs/DibObs.h"
#include "obs/ExportFormat.h"
#include "obs/InterestPointObs.h"
#include "obs/IonObs.h"
#include "obs/LogEntry.h"
#include "obs/RawADObs.h"
#include "obs/ScanObs.h"
#include "obs/VidSeqObs.h"
#include "obs/WireObs.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "tech/IonCalibration.h"
#include "tech/SampRulesIon.h"
#include "tech/SampRulesRawAD.h"
#include "tech/SampRulesWire.h"
#include "tech/WireCalibration.h"

namespace {

const char* const kLineFormat0 =
    "exportDIB=%d  exportIonCal=%d  exportIonPt=%d  exportIonRef=%d  exportIonSampRules=%d  "
    "exportLog=%d  exportScan=%d  exportContour=%d";
const char* const kLineFormat1 =
    "exportVidSeq=%d  exportWireCal=%d  exportWirePt=%d  exportWireRef=%d  "
    "exportWireSampRules=%d  exportRawAD=%d  exportRawADSampRules=%d";
const char* const kLineFormat2 =
    "useCalcs=%d  useNumber=%d  useData=%d  useDate=%d  useProbePos=%d  useSampPos=%d  "
    "useTime=%d  useDescrip=%d";
const char* const kLineFormat3 =
    "viewMode=%u  exportTimeType=%u  exportDataType=%u  includeHeader=%d";
const char* const kLineFormat4 = "autoSave=%d  numAutoSaveObs=%d  updateView=%d";

bool IsTimeType(long v) {
    return v >= kTimeClock && v <= kTimeSeconds;
}
bool IsDataType(long v) {
    return v == kDataComma || v == kDataTab;
}

// Settings values that could not be used, for one message after reading.
class CSettingsProblems {
  public:
    explicit CSettingsProblems(const std::string& section) : section(section) {}
    void Add(const char* key, const std::string& line) {
        StrAppendf(list, "\n  %s=%s", key, line.c_str());
    }
    void Report() const {
        if (list.empty()) return;
        Prompt().Message("These settings of [" + section +
                             "] in velm.ini could not be used:" + list +
                             "\n\nThe document's own export options are used in their place.",
                         EPromptIcon::Exclamation);
    }

  private:
    std::string section;
    std::string list;
};

// Reads one settings line into `fields` (in the order of `format`). Returns false when the key
// is missing. A line that does not fill every field sets those before the first mismatch and is
// reported.
template <size_t N>
bool ReadFlags(const std::string& section, const char* key, const char* format, int* (&fields)[N],
               CSettingsProblems& problems) {
    static const char kMissing[] = "\x01";
    const std::string line = Profile().GetProfileString(section, key, kMissing);
    if (line == kMissing) return false;
    int v[8] = {};
    static_assert(N <= 8);
    int got =
        std::sscanf(line.c_str(), format, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7]);
    if (got < 0) got = 0;
    for (int i = 0; i < got && i < static_cast<int>(N); ++i)
        *fields[i] = v[i] != 0 ? 1 : 0;
    if (got < static_cast<int>(N)) problems.Add(key, line);
    return true;
}

}  // namespace

SExportOptions ExportOptionsOf(const CDataDocument& d) {
    SExportOptions o;
    o.exportDIB = d.exportDIB;
    o.exportIonCal = d.exportIonCal;
    o.exportIonPt = d.exportIonPt;
    o.exportIonRef = d.exportIonRef;
    o.exportIonSampRules = d.exportIonSampRules;
    o.exportLog = d.exportLog;
    o.exportScan = d.exportScan;
    o.exportContour = d.exportContour;
    o.exportVidSeq = d.exportVidSeq;
    o.exportWireCal = d.exportWireCal;
    o.exportWirePt = d.exportWirePt;
    o.exportWireRef = d.exportWireRef;
    o.exportWireSampRules = d.exportWireSampRules;
    o.exportRawAD = d.exportRawAD;
    o.exportRawADSampRules = d.exportRawADSampRules;
    o.includeHeader = d.includeHeader;
    o.useCalcs = d.useCalcs;
    o.useNumber = d.useNumber;
    o.useData = d.useData;
    o.useDate = d.useDate;
    o.useProbePos = d.useProbePos;
    o.useSampPos = d.useSampPos;
    o.useTime = d.useTime;
    o.useDescrip = d.useDescrip;
    o.exportTimeType = d.exportTimeType;
    o.exportDataType = d.exportDataType;
    o.referenceTime = d.referenceTime;
    return o;
}

void StoreExportOptions(CDataDocument& d, const SExportOptions& o) {
    d.exportDIB = o.exportDIB;
    d.exportIonCal = o.exportIonCal;
    d.exportIonPt = o.exportIonPt;
    d.exportIonRef = o.exportIonRef;
    d.exportIonSampRules = o.exportIonSampRules;
    d.exportLog = o.exportLog;
    d.exportScan = o.exportScan;
    d.exportContour = o.exportContour;
    d.exportVidSeq = o.exportVidSeq;
    d.exportWireCal = o.exportWireCal;
    d.exportWirePt = o.exportWirePt;
    d.exportWireRef = o.exportWireRef;
    d.exportWireSampRules = o.exportWireSampRules;
    d.exportRawAD = o.exportRawAD;
    d.exportRawADSampRules = o.exportRawADSampRules;
    d.includeHeader = o.includeHeader;
    d.useCalcs = o.useCalcs;
    d.useNumber = o.useNumber;
    d.useData = o.useData;
    d.useDate = o.useDate;
    d.useProbePos = o.useProbePos;
    d.useSampPos = o.useSampPos;
    d.useTime = o.useTime;
    d.useDescrip = o.useDescrip;
    d.exportTimeType = o.exportTimeType;
    d.exportDataType = o.exportDataType;
    d.referenceTime = o.referenceTime;
}

unsigned ExportOptionsWord(const SExportOptions& o) {
    using namespace ExportFlags;
    unsigned word = 0;
    if (o.useConcentrations) word |= kConcentrations;
    if (o.useData) word |= kNumberLabel;  // "Number label"
    if (o.useNumber) word |= kData;       // "Data"
    if (o.useDescrip) word |= kTitle;
    if (o.useDate) word |= kDate;
    if (o.useTime) word |= kTime;
    if (o.useProbePos) word |= kProbePosition;
    if (o.useSampPos) word |= kSamplePosition;
    if (o.useCalcs) word |= kCalculations;
    word |= o.exportDataType == kDataComma ? kComma : kTab;
    switch (IsTimeType(o.exportTimeType) ? o.exportTimeType : kTimeMinutes) {
        case kTimeClock:
            word |= kClockTime;
            break;
        case kTimeHours:
            word |= kHoursFrom;
            break;
        case kTimeMinutes:
            word |= kMinutesFrom;
            break;
        default:
            word |= kSecondsFrom;
            break;
    }
    return word;
}

unsigned ExportOptionsWord(const CDataDocument& document) {
    return ExportOptionsWord(ExportOptionsOf(document));
}

bool IsExportSelected(const CVelmObs& obs, const SExportOptions& o) {
    const SClassInfo* c = &obs.GetRuntimeClass();
    if (c == &CWireObs::classInfo) return o.exportWirePt;
    if (c == &CWireReference::classInfo) return o.exportWireRef;
    if (c == &CWireCalibration::classInfo) return o.exportWireCal;
    if (c == &CSampRulesWire::classInfo) return o.exportWireSampRules;
    if (c == &CIonObs::classInfo) return o.exportIonPt;
    if (c == &CIonReference::classInfo) return o.exportIonRef;
    if (c == &CIonCalibration::classInfo) return o.exportIonCal;
    if (c == &CSampRulesIon::classInfo) return o.exportIonSampRules;
    if (c == &CRawADObs::classInfo) return o.exportRawAD;
    if (c == &CSampRulesRawAD::classInfo) return o.exportRawADSampRules;
    if (c == &CDibObs::classInfo) return o.exportDIB;
    if (c == &CScanObs::classInfo) return o.exportScan;
    if (c == &CVidSeqObs::classInfo) return o.exportVidSeq;
    if (c == &CInterestPointObs::classInfo) return o.exportContour;
    if (c == &CLogEntry::classInfo) return o.exportLog;
    // A bare observation has no cells of its own and no box in the dialog.
    return false;
}

void LoadExportSettings(SExportOptions& o, const std::string& section) {
    CSettingsProblems problems(section);
    int* line0[] = {&o.exportDIB,          &o.exportIonCal, &o.exportIonPt, &o.exportIonRef,
                    &o.exportIonSampRules, &o.exportLog,    &o.exportScan,  &o.exportContour};
    ReadFlags(section, "DataDoc Line 0", kLineFormat0, line0, problems);
    int* line1[] = {&o.exportVidSeq,        &o.exportWireCal,       &o.exportWirePt,
                    &o.exportWireRef,       &o.exportWireSampRules, &o.exportRawAD,
                    &o.exportRawADSampRules};
    ReadFlags(section, "DataDoc Line 1", kLineFormat1, line1, problems);
    int* line2[] = {&o.useCalcs,    &o.useNumber,  &o.useData, &o.useDate,
                    &o.useProbePos, &o.useSampPos, &o.useTime, &o.useDescrip};
    ReadFlags(section, "DataDoc Line 2", kLineFormat2, line2, problems);

    static const char kMissing[] = "\x01";
    const std::string line = Profile().GetProfileString(section, "DataDoc Line 3", kMissing);
    if (line != kMissing) {
        unsigned viewMode = 0, timeType = 0, dataType = 0;
        int header = 0;
        int got = std::sscanf(line.c_str(), kLineFormat3, &viewMode, &timeType, &dataType, &header);
        bool usable = got == 4;
        if (got >= 2 && IsTimeType(timeType))
            o.exportTimeType = static_cast<int>(timeType);
        else
            usable = false;
        if (got >= 3 && IsDataType(dataType))
            o.exportDataType = static_cast<int>(dataType);
        else
            usable = false;
        if (got >= 4) o.includeHeader = header != 0 ? 1 : 0;
        if (!usable) problems.Add("DataDoc Line 3", line);
    }
    problems.Report();
}

void SaveDataDocSettings(const CDataDocument& d, const std::string& section) {
    CProfile& p = Profile();
    p.WriteLine(section, "DataDoc Line 0", kLineFormat0, d.exportDIB, d.exportIonCal, d.exportIonPt,
                d.exportIonRef, d.exportIonSampRules, d.exportLog, d.exportScan, d.exportContour);
    p.WriteLine(section, "DataDoc Line 1", kLineFormat1, d.exportVidSeq, d.exportWireCal,
                d.exportWirePt, d.exportWireRef, d.exportWireSampRules, d.exportRawAD,
                d.exportRawADSampRules);
    p.WriteLine(section, "DataDoc Line 2", kLineFormat2, d.useCalcs, d.useNumber, d.useData,
                d.useDate, d.useProbePos, d.useSampPos, d.useTime, d.useDescrip);
    p.WriteLine(section, "DataDoc Line 3", kLineFormat3, static_cast<unsigned>(d.viewMode),
                static_cast<unsigned>(d.exportTimeType), static_cast<unsigned>(d.exportDataType),
                d.includeHeader);
    p.WriteLine(section, "DataDoc Line 4", kLineFormat4, d.autoSave, d.numAutoSaveObs,
                d.updateView);
}
