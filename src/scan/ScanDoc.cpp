#include "scan/ScanDoc.h"

namespace {
bool IsIonCalibration(const CSerializable& o) {
    return dynamic_cast<const CIonCalibration*>(&o) != nullptr;
}
bool IsIonRules(const CSerializable& o) {
    return dynamic_cast<const CSampRulesIon*>(&o) != nullptr;
}
// The smallest stored element of either list: its class tag, the observation base record and a
// one-letter name.
constexpr uint64_t kMinIonRecordBytes = 2 + 72 + 2;
}  // namespace

CScanDoc::CScanDoc() = default;
CScanDoc::~CScanDoc() = default;

void CScanDoc::Serialize(CArchive& ar) {
    CDataDocument::Serialize(ar);
    if (ar.Failed()) return;
    ar.String(rootDir);
    ar.String(groupDir);
    ar.String(scanFile);
    ar.Word(month);
    ar.Word(day);
    ar.Word(groupNumber);
    ar.Word(lastScan);
    ar.Time(startTime);
    ar.Word(reps);
    ar.Double(interval);
    ar.Word(intervalUnit);
    ar.Word(continuous);
    ar.Word(readOnly);
    ar.Word(gridType);
    ar.Word(scanTool);
    ar.Word(moveType);
    ar.Word(stepType);
    ar.Word(firstAxis);
    ar.Word(alongAxes);
    // The file keeps the before/after pairs of the probes first and the bath's last.
    for (bool* flag : {&refBeforeWire, &refBeforeGradient, &refAfterWire, &refAfterGradient,
                       &refBeforeBath, &refAfterBath})
        ar.Word(*flag);
    ar.Word(storeWire);
    ar.Word(storeGradient);
    ar.Word(storeRawAD);
    ar.Word(imageBefore);
    ar.Word(imageAfter);
    ar.Word(homeProbe);
    ar.Word(homeSample);
    ar.Word(showStatus);
    ar.String(preComment);
    ar.String(postComment);
    ar.String(paramSetName);
    for (CDVector4* v : {&reference, &start, &end, &origin, &probeHome, &sampleHome})
        ar.Vector(*v);
    ar.Vector(steps);
    if (ar.Failed()) return;
    opticalSystem.Serialize(ar);
    if (ar.Failed()) return;
    wireCal.Serialize(ar);
    if (ar.Failed()) return;
    SerializeOwnedList(ar, ionCals, IsIonCalibration, kMinIonRecordBytes);
    if (ar.Failed()) return;
    wireRules.Serialize(ar);
    if (ar.Failed()) return;
    SerializeOwnedList(ar, ionRules, IsIonRules, kMinIonRecordBytes);
    if (ar.Failed()) return;
    rawADRules.Serialize(ar);
}

void CScanDoc::DeleteContents() {
    CDataDocument::DeleteContents();
    ionCals.clear();
    ionRules.clear();
}
