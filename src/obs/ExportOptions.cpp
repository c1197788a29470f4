#include "obs/ExportOptions.h"

#include "obs/DataDocument.h"
#include "obs/DibObs.h"
#include "obs/ExportFormat.h"
#include "obs/InterestPointObs.h"
#include "obs/IonCalibration.h"
#include "obs/IonObs.h"
#include "obs/LogEntry.h"
#include "obs/RawADObs.h"
#include "obs/SampRulesIon.h"
#include "obs/SampRulesRawAD.h"
#include "obs/SampRulesWire.h"
#include "obs/ScanObs.h"
#include "obs/VidSeqObs.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "settings/Profile.h"

namespace {

bool IsTimeType(long v) {
    return v >= kTimeClock && v <= kTimeSeconds;
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
    // The lines are read into a scratch document so that one reader serves the document's own
    // settings and the export's; only the export choices are taken from it.
    CDataDocument lines;
    StoreExportOptions(lines, o);
    std::string list;
    LoadDataDocLines(lines, section.c_str(), list);
    const bool concentrations = o.useConcentrations;
    o = ExportOptionsOf(lines);
    o.useConcentrations = concentrations;
    if (!list.empty()) {
        Prompt().Message("These export settings in velm.ini could not be used:" + list +
                             "\n\nThe document's own export options are used in their place.",
                         EPromptIcon::Exclamation);
    }
}
