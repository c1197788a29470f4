#include "obs/WireObs.h"

#include "obs/DataDocument.h"
#include "obs/WireCalibration.h"
#include "platform/Format.h"

namespace {
const CWireCalibration* CalibrationFor(const CVelmObs& obs, const CDataDocument* document) {
    return document ? document->Register().WireCalibrationAt(obs) : nullptr;
}
}  // namespace

void CWireReading::Serialize(CArchive& ar) {
    CVelmObs::Serialize(ar);
    ar.Vector(reading);
    ar.Vector(reference);
}

void CWireReading::DescribeReading(std::string& text, const CDataDocument* document,
                                   unsigned options, const char* title) const {
    CVelmObs::Describe(text, document, options);
    if (options & DetailFlags::kType) text += title;
    if (!WantsData(options)) return;
    const CWireCalibration* cal = CalibrationFor(*this, document);
    if (cal == nullptr) return;
    if (options & DetailFlags::kInformation) {
        CDVector4 uv = cal->ComputeCurrentDensity(*this, false);
        StrAppendf(text, "%8.2lf %8.2lf %8.2lf %8.2lf", uv.x, uv.y, uv.z, uv.w);
    }
    if (options & DetailFlags::kCalculations) {
        CDVector4 j = cal->ComputeCurrentDensity(*this, true);
        StrAppendf(text, " ( %8.2lf %8.2lf ) %8.2lf %4.0lf", j.x, j.y, j.z, j.w);
    }
}

int CWireReading::GetValue(double& value, int code, const CDataDocument* document,
                           const SValueQuery* query) const {
    value = 0.0;
    const CWireCalibration* cal =
        query && query->wireCalibration ? query->wireCalibration : CalibrationFor(*this, document);
    if (cal == nullptr) return 0;
    switch (code) {
        case ValueCode::kXCurrentDensity:
        case ValueCode::kYCurrentDensity:
        case ValueCode::kTotalCurrentDensity:
        case ValueCode::kAngle:
            value = cal->ComputeCurrentDensity(*this, true)[code - ValueCode::kXCurrentDensity];
            return ValueKind();
        case ValueCode::kXInPhase:
        case ValueCode::kXQuadrature:
        case ValueCode::kYInPhase:
        case ValueCode::kYQuadrature:
            value = cal->ComputeCurrentDensity(*this, false)[code - ValueCode::kXInPhase];
            return ValueKind();
        case ValueCode::kVector2D:
            return ValueCode::kVector2D;
        default:
            return 0;
    }
}

void CWireObs::Describe(std::string& text, const CDataDocument* document, unsigned options) const {
    DescribeReading(text, document, options, "CDP Obs:  ");
}

void CWireReference::Describe(std::string& text, const CDataDocument* document,
                              unsigned options) const {
    DescribeReading(text, document, options, "CDP Reference:  ");
}
