#include "obs/ObsDoc.h"

#include <cmath>
#include <limits>

namespace {
// vsReps is an integer count stored as a double; read back truncated toward zero. A value no
// int can hold (or not a number) is out of any sensible range: keep the nearest int.
int TruncateToInt(double d) {
    if (std::isnan(d)) return 0;
    if (d >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (d <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(d);
}
}  // namespace

CObsDoc::CObsDoc() = default;
CObsDoc::~CObsDoc() = default;

void CObsDoc::Serialize(CArchive& ar) {
    CDataDocument::Serialize(ar);
    ar.Word(vsShowStatus);
    ar.Word(vsIntervalUnit);
    // The unit is written twice; the second copy is read and ignored.
    int unitCopy = vsIntervalUnit;
    ar.Word(unitCopy);
    if (ar.IsStoring()) {
        ar.WriteDouble(static_cast<double>(vsReps));
    } else {
        vsReps = TruncateToInt(ar.ReadDouble());
    }
    ar.Double(vsInterval);
    ar.Word(daChannel);
    ar.Double(daStart);
    ar.Double(daEnd);
    ar.Word(daPoints);
    ar.Word(daIncrement);
    ar.Double(daInterval);
    if (ar.IsStoring()) {
        ar.WriteWord(static_cast<uint16_t>((daRecordRawAD ? 1 : 0) | (daRecordCDP ? 2 : 0)));
    } else {
        const uint16_t record = ar.ReadWord();
        daRecordRawAD = (record & 1) != 0;
        daRecordCDP = (record & 2) != 0;
    }
    ar.Word(daReset);
    ar.Double(daResetVolts);
    SerializeObsList(ar, vsOps);
}

void CObsDoc::DeleteContents() {
    CDataDocument::DeleteContents();
    vsOps.clear();
}
