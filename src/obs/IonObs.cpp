#include "obs/IonObs.h"

#include <algorithm>
#include <new>

#include "obs/DataDocument.h"
#include "obs/IonCalibration.h"
#include "obs/SampRulesIon.h"
#include "platform/Format.h"
#include "platform/Services.h"

namespace {
// Writes exactly `count` doubles of `v` (zeros where it is shorter), so that what is stored
// always matches the counts stored before it.
void StoreDoubles(CArchive& ar, const std::vector<double>& v, size_t count) {
    const size_t have = std::min(count, v.size());
    ar.Doubles(const_cast<double*>(v.data()), have);
    for (size_t i = have; i < count; ++i)
        ar.WriteDouble(0.0);
}

bool NoChannel(const CSampRulesIon& rules, int point) {
    return point >= 0 && point < static_cast<int>(rules.points.size()) &&
           rules.points[static_cast<size_t>(point)]->adChan < 0;
}
}  // namespace

void CIonReading::Serialize(CArchive& ar) {
    CVelmObs::Serialize(ar);
    if (ar.IsLoading()) FreeData();
    ar.String(name);
    ar.Double(da0);
    ar.Double(da1);
    ar.SignedWord(nPoints);
    ar.SignedWord(nReps);
    if (nPoints <= 0 || nReps <= 0) return;
    const size_t n = ValueCount();
    const bool withRef = HasRefValues();
    if (ar.IsStoring()) {
        StoreDoubles(ar, values, n);
        if (withRef) StoreDoubles(ar, refValues, n);
        return;
    }
    if (!ar.CanHold(n, withRef ? 16 : 8)) return;
    try {
        values.assign(n, 0.0);
        if (withRef) refValues.assign(n, 0.0);
    } catch (const std::bad_alloc&) {
        FreeData();
        Prompt().Message(
            "Cannot allocate buffer for ISP/PVP obs data values - aborting serialization.",
            EPromptIcon::Stop);
        ar.Fail(EArchiveError::Reported);
        return;
    }
    ar.Doubles(values.data(), n);
    if (withRef) ar.Doubles(refValues.data(), n);
}

void CIonReading::FreeData() {
    values.clear();
    values.shrink_to_fit();
    refValues.clear();
    refValues.shrink_to_fit();
}

void CIonReading::SetShape(int points, int reps) {
    nPoints = std::clamp(points, 0, 0x7FFF);
    nReps = std::clamp(reps, 0, 0x7FFF);
    values.assign(ValueCount(), 0.0);
    if (HasRefValues())
        refValues.assign(ValueCount(), 0.0);
    else
        refValues.clear();
}

size_t CIonReading::ValueCount() const {
    if (nPoints <= 0 || nReps <= 0) return 0;
    return static_cast<size_t>(nPoints) * static_cast<size_t>(nReps);
}

bool CIonReading::MeanDifference(const CSampRulesIon& rules, const CIonCalibration* cal,
                                 bool subtractRef, int i, int j, int first, int last,
                                 double& out) const {
    if (i < 0 || j < 0 || i >= nPoints || j >= nPoints) return false;
    if (first < 0 || last < first || last >= nReps) return false;
    if (values.size() < ValueCount()) return false;
    const bool applyCal = rules.applyCal != 0;
    if (applyCal && (cal == nullptr || !cal->IsUsable())) return false;
    const bool noneI = NoChannel(rules, i), noneJ = NoChannel(rules, j);
    const bool withRef = subtractRef && HasRefValues() && refValues.size() >= ValueCount();
    auto diff = [&](const std::vector<double>& v, int r) {
        const double a = v[Slot(r, i)], b = v[Slot(r, j)];
        return applyCal ? cal->ConcDifference(a, b, noneI, noneJ) : b - a;
    };
    double sum = 0.0;
    for (int r = first; r <= last; ++r) {
        double d = diff(values, r);
        if (withRef) d -= diff(refValues, r);
        sum += d;
    }
    out = sum / (last - first + 1);
    return true;
}

void CIonReading::DescribeReading(std::string& text, const CDataDocument* document,
                                  unsigned options, const char* title,
                                  const char* numberedTitle) const {
    CVelmObs::Describe(text, document, options);
    if (options & DetailFlags::kType) {
        if (SignedIndex() >= 1)
            StrAppendf(text, numberedTitle, name.c_str(), SignedIndex());
        else
            StrAppendf(text, title, name.c_str());
    }
    const bool complete = values.size() >= ValueCount();
    if ((options & DetailFlags::kInformation) && complete) {
        StrAppendf(text, "D/A=%.1lf,%.1lf  [%dx%d]: ", da0, da1, nReps, nPoints);
        const size_t n = ValueCount();
        for (size_t k = 0; k < n; ++k)
            StrAppendf(text, "%.3lf ", values[k]);
        if (HasRefValues() && refValues.size() >= n) {
            StrAppendf(text, "  Ref [%dx%d]: ", nReps, nPoints);
            for (size_t k = 0; k < n; ++k)
                StrAppendf(text, "%.3lf ", refValues[k]);
        }
    }
    if (!(options & DetailFlags::kCalculations) || document == nullptr) return;
    const CObsRegister& reg = document->Register();
    const CSampRulesIon* rules = reg.IonRulesAt(name, index, *this);
    if (rules == nullptr) return;
    const CIonCalibration* cal = reg.IonCalibrationAt(name, index, *this);
    const int last = std::min(rules->pathReps, nReps) - 1;
    for (const auto& calc : rules->calcs) {
        double g = 0.0;
        if (MeanDifference(*rules, cal, rules->useRef != 0, calc->first, calc->second, 0, last, g))
            StrAppendf(text, "  %s=%.3lf", calc->name.c_str(), g);
    }
}

void CIonObs::Describe(std::string& text, const CDataDocument* document, unsigned options) const {
    DescribeReading(text, document, options, "%s Gradient:  ", "%s Gradient%d:  ");
}

void CIonReference::Describe(std::string& text, const CDataDocument* document,
                             unsigned options) const {
    DescribeReading(text, document, options, "%s Gradient Ref:  ", "%s Gradient Ref%d:  ");
}

int CIonObs::GetValue(double& value, int code, const CDataDocument* document,
                      const SValueQuery* query) const {
    value = 0.0;
    const SValueQuery defaults;
    const SValueQuery& q = query ? *query : defaults;
    const CSampRulesIon* rules = q.ionRules;
    const CIonCalibration* cal = q.ionCalibration;
    if (document) {
        if (!rules) rules = document->Register().IonRulesAt(name, index, *this);
        if (!cal) cal = document->Register().IonCalibrationAt(name, index, *this);
    }
    if (rules == nullptr) return 0;
    if (q.repFirst < 1 || q.repFirst > q.repLast || q.repLast > rules->pathReps) return 0;
    const int first = q.repFirst - 1, last = q.repLast - 1;
    const bool subtract = q.subtractReference;
    switch (code) {
        case ValueCode::kXCurrentDensity:
        case ValueCode::kYCurrentDensity: {
            if (rules->calcs.empty()) return 0;
            double sum = 0.0;
            for (const auto& calc : rules->calcs) {
                double g = 0.0;
                if (!MeanDifference(*rules, cal, subtract, calc->first, calc->second, first, last,
                                    g))
                    return 0;
                sum += rules->DirectionComponent(code, *calc) * g;
            }
            value = sum / static_cast<double>(rules->calcs.size());
            return 4;
        }
        case ValueCode::kSampleNumber: {
            const int p = q.sampleNumber - 1;
            if (p < 0 || p >= nPoints || last >= nReps || values.size() < ValueCount()) return 0;
            const bool applyCal = rules->applyCal != 0;
            if (applyCal && (cal == nullptr || !cal->IsUsable())) return 0;
            const bool withRef = subtract && refValues.size() >= ValueCount();
            double sum = 0.0;
            for (int r = first; r <= last; ++r)
                sum += values[Slot(r, p)] - (withRef ? refValues[Slot(r, p)] : 0.0);
            value = sum / (last - first + 1);
            if (applyCal) value = cal->Convert(value);
            return 4;
        }
        case ValueCode::kScalar:
            if (!MeanDifference(*rules, cal, subtract, q.gradSample1 - 1, q.gradSample2 - 1, first,
                                last, value))
                return 0;
            return 4;
        case ValueCode::kXYVector:
            return ValueCode::kXYVector;
        default:
            return 0;
    }
}
