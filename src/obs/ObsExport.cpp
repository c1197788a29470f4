// Export rows of the observation classes, and the values they give the surface export.
// Every cell group carries its trailing separator, so that a row's columns line up under the
// heading of its class whatever groups are chosen; the exceptions (interest points, log
// entries) end the row.

#include <algorithm>

#include "obs/DataDocument.h"
#include "obs/DibObs.h"
#include "obs/ExportFormat.h"
#include "obs/InterestPointObs.h"
#include "obs/IonCalibration.h"
#include "obs/IonObs.h"
#include "obs/LogEntry.h"
#include "obs/RawADObs.h"
#include "obs/SampRulesIon.h"
#include "obs/ScanObs.h"
#include "obs/SurfaceExport.h"
#include "obs/VidSeqObs.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "platform/Format.h"

namespace {

using namespace ExportFlags;

void AppendCell(std::string& text, const char* cell, char s) {
    text += cell;
    text += s;
}

void AppendCells(std::string& text, std::initializer_list<const char*> cells, char s) {
    for (const char* cell : cells)
        AppendCell(text, cell, s);
}

// ---- CDP -------------------------------------------------------------------------------------

void ExportWireReading(const CWireReading& obs, std::string& text, const CDataDocument* document,
                       unsigned options, const char* title) {
    ExportCommonColumns(obs, text, document, options);
    const char s = ExportSeparator(options);
    if (options & kTitle) AppendCell(text, title, s);
    if (IsHeadingRow(options)) {
        if (options & kData) AppendCells(text, {"xInPh", "xQuad", "YInPh", "YQuad"}, s);
        if (options & kCalculations)
            AppendCells(text, {"X_uA/sq.cm.", "Y_uA/sq.cm.", "Total_uA/sq.cm.", "Angle"}, s);
        return;
    }
    // Without a calibration in force there is nothing to convert the voltages with.
    const CWireCalibration* cal = document ? document->Register().WireCalibrationAt(obs) : nullptr;
    if (cal == nullptr) return;
    if (options & kData) {
        const CDVector4 uv = cal->ComputeCurrentDensity(obs, false);
        for (double v : {uv.x, uv.y, uv.z, uv.w})
            AppendLfSep(text, v, s);
    }
    if (options & kCalculations) {
        const CDVector4 j = cal->ComputeCurrentDensity(obs, true);
        for (double v : {j.x, j.y, j.z, j.w})
            AppendLfSep(text, v, s);
    }
}

// ---- Gradient probes -------------------------------------------------------------------------

void ExportIonTitle(const CIonReading& obs, std::string& text, const char* kind, char s) {
    text += obs.name;
    text += kind;
    if (obs.SignedIndex() >= 1) AppendInt(text, obs.SignedIndex());
    text += s;
}

// The name of point `p` for the value headings: the rules' point name, or the name a new point
// would get when the rules are not in the document.
std::string PointName(const CSampRulesIon* rules, int p) {
    if (rules && p >= 0 && p < static_cast<int>(rules->points.size()))
        return rules->points[static_cast<size_t>(p)]->name;
    return StrPrintf("Sample%d", p + 1);
}

bool MoveOnlyPoint(const CSampRulesIon& rules, int p) {
    return p >= 0 && p < static_cast<int>(rules.points.size()) &&
           rules.points[static_cast<size_t>(p)]->adChan < 0;
}

// One heading cell per value, repetition-major like the values: "Sample1(1)mV".
void AppendValueHeadings(const CIonReading& obs, const CSampRulesIon* rules, std::string& text,
                         const char* prefix, const char* unit, char s) {
    for (int r = 0; r < obs.nReps; ++r) {
        for (int p = 0; p < obs.nPoints; ++p) {
            text += prefix;
            text += PointName(rules, p);
            text += '(';
            AppendInt(text, r + 1);
            text += ')';
            text += unit;
            text += s;
        }
    }
}

// A value as exported: the tip value, or with concentrations its conversion through the
// calibration (a move-only point reads nothing, so it stays 0 rather than the conversion of 0).
double ExportedValue(double v, int point, const CSampRulesIon* rules, const CIonCalibration* conc) {
    if (conc == nullptr) return v;
    if (rules && MoveOnlyPoint(*rules, point)) return 0.0;
    return conc->Convert(v);
}

void AppendValues(const CIonReading& obs, const std::vector<double>& values,
                  const CSampRulesIon* rules, const CIonCalibration* conc, bool lg,
                  std::string& text, char s) {
    const size_t n = std::min(values.size(), obs.ValueCount());
    for (size_t k = 0; k < n; ++k) {
        const int point = static_cast<int>(k % static_cast<size_t>(obs.nPoints));
        const double v = ExportedValue(values[k], point, rules, conc);
        if (lg)
            AppendLg(text, v);
        else
            AppendLf(text, v);
        text += s;
    }
}

// The repetitions the gradient results average over: those the rules ask for and the
// observation holds.
int RepetitionsUsed(const CIonReading& obs, const CSampRulesIon& rules) {
    return std::max(0, std::min(rules.pathReps, obs.nReps));
}

// Mean over the repetitions used of point j minus point i (as concentrations with `conc`),
// less the same of the reference values when the rules subtract the reference. False when the
// calculation names a point the observation does not hold.
bool GradientResult(const CIonReading& obs, const CSampRulesIon& rules, const CGradCalcIon& calc,
                    const CIonCalibration* conc, double& out) {
    const int i = calc.first, j = calc.second;
    const int reps = RepetitionsUsed(obs, rules);
    if (i < 0 || j < 0 || i >= obs.nPoints || j >= obs.nPoints || reps < 1) return false;
    if (obs.values.size() < obs.ValueCount()) return false;
    const bool withRef = rules.useRef && obs.refValues.size() >= obs.ValueCount();
    const bool noneI = MoveOnlyPoint(rules, i), noneJ = MoveOnlyPoint(rules, j);
    auto diff = [&](const std::vector<double>& v, int r) {
        const size_t base = static_cast<size_t>(r) * static_cast<size_t>(obs.nPoints);
        const double a = v[base + static_cast<size_t>(i)], b = v[base + static_cast<size_t>(j)];
        return conc ? conc->ConcDifference(a, b, noneI, noneJ) : b - a;
    };
    double sum = 0.0;
    for (int r = 0; r < reps; ++r) {
        double d = diff(obs.values, r);
        if (withRef) d -= diff(obs.refValues, r);
        sum += d;
    }
    out = sum / reps;
    return true;
}

void ExportGradientCalcs(const CIonReading& obs, const CSampRulesIon* rules,
                         const CIonCalibration* conc, unsigned options, std::string& text, char s) {
    if (IsHeadingRow(options)) {
        AppendCells(text, {"numReps", "numdV"}, s);
        if (rules == nullptr) return;
        const char* unit = (options & kConcentrations) ? "dConc" : "uV";
        for (const auto& calc : rules->calcs) {
            text += "Avg";
            text += calc->name;
            text += unit;
            text += s;
        }
        return;
    }
    if (rules == nullptr) return;
    AppendInt(text, RepetitionsUsed(obs, *rules));
    text += s;
    AppendInt(text, static_cast<long>(rules->calcs.size()));
    text += s;
    for (const auto& calc : rules->calcs) {
        double g = 0.0;
        // A calculation that cannot be made leaves its cell empty, so the columns stay in line.
        if (GradientResult(obs, *rules, *calc, conc, g)) AppendLg(text, g);
        text += s;
    }
}

void ExportIonReading(const CIonReading& obs, std::string& text, const CDataDocument* document,
                      unsigned options, bool reference) {
    ExportCommonColumns(obs, text, document, options);
    const char s = ExportSeparator(options);
    if (options & kTitle) ExportIonTitle(obs, text, reference ? "GradientRef" : "Gradient", s);
    const CObsRegister* reg = document ? &document->Register() : nullptr;
    const CSampRulesIon* rules = reg ? reg->IonRulesAt(obs.name, obs.index, obs) : nullptr;
    if (IsHeadingRow(options)) {
        const char* unit = (options & kConcentrations) ? "Conc" : "mV";
        if (options & kData) {
            if (reference)
                AppendCells(text, {"BathOffset0", "BathOffset1", "nReps", "nPoints"}, s);
            else
                AppendCells(text, {"DA0(V)", "DA1(V)", "nReps", "nPoints"}, s);
            AppendValueHeadings(obs, rules, text, "", unit, s);
            if (!reference) AppendValueHeadings(obs, rules, text, "Ref", unit, s);
        }
        if (options & kCalculations) ExportGradientCalcs(obs, rules, nullptr, options, text, s);
        return;
    }
    // A point's values mean something only beside the rules that took them; a reference
    // stands on its own.
    if (!reference && rules == nullptr) return;
    const CIonCalibration* conc = nullptr;
    if ((options & kConcentrations) && reg) conc = reg->IonCalibrationAt(obs.name, obs.index, obs);
    if (options & kData) {
        AppendLfSep(text, obs.da0, s);
        AppendLfSep(text, obs.da1, s);
        AppendInt(text, obs.nReps);
        text += s;
        AppendInt(text, obs.nPoints);
        text += s;
        AppendValues(obs, obs.values, rules, conc, !reference, text, s);
        if (!reference) AppendValues(obs, obs.refValues, rules, conc, true, text, s);
    }
    if (options & kCalculations) ExportGradientCalcs(obs, rules, conc, options, text, s);
}

// ---- Products and notes ----------------------------------------------------------------------

void ExportFileRow(const CVelmObs& obs, const std::string& fileName, const char* title,
                   std::string& text, const CDataDocument* document, unsigned options) {
    ExportCommonColumns(obs, text, document, options);
    const char s = ExportSeparator(options);
    if (options & kTitle) AppendCell(text, title, s);
    if (!(options & kData)) return;
    if (IsHeadingRow(options))
        AppendCell(text, "Filename", s);
    else
        AppendCell(text, fileName.c_str(), s);
}

}  // namespace

// ---- Base ------------------------------------------------------------------------------------

void CVelmObs::Export(std::string& text, const CDataDocument* document, unsigned options) const {
    ExportCommonColumns(*this, text, document, options);
}

bool CVelmObs::GetSurfaceValue(const SSurfaceQuantity&, const CDataDocument*, double& value) const {
    value = 0.0;
    return false;
}

// ---- Measurements ----------------------------------------------------------------------------

void CWireObs::Export(std::string& text, const CDataDocument* document, unsigned options) const {
    ExportWireReading(*this, text, document, options, "CurrentDensityObs");
}

bool CWireObs::GetSurfaceValue(const SSurfaceQuantity& quantity, const CDataDocument* document,
                               double& value) const {
    if (quantity.code < ValueCode::kXCurrentDensity || quantity.code > ValueCode::kYQuadrature) {
        value = 0.0;
        return false;
    }
    return GetValue(value, quantity.code, document, &quantity.query) != 0;
}

void CWireReference::Export(std::string& text, const CDataDocument* document,
                            unsigned options) const {
    ExportWireReading(*this, text, document, options, "CurrentDensityReference");
}

void CIonObs::Export(std::string& text, const CDataDocument* document, unsigned options) const {
    ExportIonReading(*this, text, document, options, false);
}

bool CIonObs::GetSurfaceValue(const SSurfaceQuantity& quantity, const CDataDocument* document,
                              double& value) const {
    value = 0.0;
    if (quantity.code != ValueCode::kSampleNumber && quantity.code != ValueCode::kScalar)
        return false;
    if (!quantity.probeName.empty() && quantity.probeName != name) return false;
    return GetValue(value, quantity.code, document, &quantity.query) != 0;
}

void CIonReference::Export(std::string& text, const CDataDocument* document,
                           unsigned options) const {
    ExportIonReading(*this, text, document, options, true);
}

void CRawADObs::Export(std::string& text, const CDataDocument* document, unsigned options) const {
    ExportCommonColumns(*this, text, document, options);
    const char s = ExportSeparator(options);
    if (options & kTitle) {
        text += "RawADObs";
        if (SignedIndex() >= 1) AppendInt(text, SignedIndex());
        text += s;
    }
    // A burst holds thousands of samples per channel: they go into the block that follows the
    // row (ExportBurstBlock), one line per sample, instead of into the row.
    if (!(options & kData) || !rules.average) return;
    if (IsHeadingRow(options)) {
        for (int c = rules.FirstChan; c <= rules.LastChan; ++c) {
            text += "Ch";
            AppendInt(text, c);
            text += "(V)";
            text += s;
        }
        return;
    }
    const size_t n = std::min(values.size(), StoredValueCount());
    for (size_t c = 0; c < n; ++c)
        AppendLfSep(text, values[c], s);
}

bool CRawADObs::GetSurfaceValue(const SSurfaceQuantity& quantity, const CDataDocument* document,
                                double& value) const {
    value = 0.0;
    if (quantity.code != ValueCode::kChannel) return false;
    return GetValue(value, quantity.code, document, &quantity.query) != 0;
}

void CDibObs::Export(std::string& text, const CDataDocument* document, unsigned options) const {
    ExportFileRow(*this, fileName, "DIBObs", text, document, options);
}

void CScanObs::Export(std::string& text, const CDataDocument* document, unsigned options) const {
    ExportFileRow(*this, fileName, "ScanObs", text, document, options);
}

void CVidSeqObs::Export(std::string& text, const CDataDocument* document, unsigned options) const {
    ExportCommonColumns(*this, text, document, options);
    const char s = ExportSeparator(options);
    if (options & kTitle) AppendCell(text, "VidSeqObs", s);
    if (!(options & (kData | kCalculations))) return;
    if (IsHeadingRow(options)) {
        AppendCells(text, {"Filename", "Xsteps", "Ysteps", "Zsteps", "Wsteps"}, s);
        return;
    }
    AppendCell(text, fileName.c_str(), s);
    for (int v : {steps.x, steps.y, steps.z, steps.w}) {
        AppendInt(text, v);
        text += s;
    }
}

void CInterestPointObs::Export(std::string& text, const CDataDocument* document,
                               unsigned options) const {
    ExportCommonColumns(*this, text, document, options);
    const char s = ExportSeparator(options);
    if (options & kTitle) AppendCell(text, "InterestPoint", s);
    // The marked position is where the probe was shown; the last cell ends the row.
    if (IsHeadingRow(options)) {
        AppendCells(text, {"X", "Y", "Z"}, s);
        text += 'W';
        return;
    }
    const CDVector4& p = probePosition;
    AppendFixed(text, p.x, 2);
    text += s;
    AppendFixed(text, p.y, 2);
    text += s;
    AppendFixed(text, p.z, 2);
    text += s;
    AppendFixed(text, p.w, 2);
}

void CLogEntry::Export(std::string& out, const CDataDocument* document, unsigned options) const {
    ExportCommonColumns(*this, out, document, options);
    const char s = ExportSeparator(options);
    if (options & kTitle) AppendCell(out, "LogEntry", s);
    if (IsHeadingRow(options) || !(options & (kData | kCalculations))) return;
    // A note typed over several lines would split its row and shift every later row's line
    // number in a reader: its line breaks become blanks.
    const size_t at = out.size();
    out += text;
    std::replace_if(
        out.begin() + static_cast<std::ptrdiff_t>(at), out.end(),
        [](char c) { return c == '\n' || c == '\r'; }, ' ');
}
