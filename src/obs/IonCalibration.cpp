#include "obs/IonCalibration.h"

#include <cmath>

#include "obs/IonEditHooks.h"
#include "obs/ObsRegister.h"
#include "platform/Format.h"

namespace {
const char kVersion200[] = "VELM Version 2.00";
const char kVersion105[] = "VELM Version 1.05";
}  // namespace

void CIonCalibration::Serialize(CArchive& ar) {
    CVelmObs::Serialize(ar);
    // Records come in three forms: 2.00 (everything), 1.05 (no preamplifier gain) and the
    // oldest, which starts with the name and has neither channels nor preamplifier gain.
    bool hasChannels = true;
    bool hasPreamp = true;
    if (ar.IsStoring()) {
        ar.WriteString(kVersion200);
        ar.WriteString(name);
    } else {
        std::string first = ar.ReadString();
        if (first == kVersion200) {
            name = ar.ReadString();
        } else if (first == kVersion105) {
            name = ar.ReadString();
            hasPreamp = false;
        } else {
            name = std::move(first);
            hasChannels = false;
            hasPreamp = false;
        }
    }
    if (hasChannels) {
        ar.SignedWord(daChan);
        ar.SignedWord(loGainAdChan);
        ar.SignedWord(hiGainAdChan);
        ar.Word(logScale);
    }
    for (double* d :
         {&conc1, &conc2, &conc3, &volts1, &volts2, &volts3, &samplePeriod, &slope, &intercept})
        ar.Double(*d);
    ar.Word(autoBath);
    ar.Word(cal1);
    ar.Word(cal2);
    ar.Word(cal3);
    ar.Word(use3);
    ar.Double(outputGain);
    if (hasPreamp) ar.Double(preampGain);
    ar.Word(type);
}

std::string IonProbeSection(const std::string& probeName) {
    return probeName + " ISP/PVP Probe";
}

bool CIonCalibration::IsUsable() const {
    return IsComplete() && std::isfinite(slope) && slope != 0.0 && std::isfinite(intercept);
}

double CIonCalibration::Convert(double v) const {
    if (!IsUsable()) return v;
    if (type == kIonNernst) {
        const double c = std::pow(10.0, (v - intercept) / slope);
        if (logScale && c > 0.0) return 3.0 - std::log10(c);
        return c;
    }
    // The fit gives value = slope * concentration + intercept; a reading is turned back into
    // the concentration it stands for.
    if (type == kIonPolarographic) return (v - intercept) / slope;
    return 0.0;
}

bool CIonCalibration::Fit() {
    const int n = use3 ? 3 : 2;
    const double conc[3] = {conc1, conc2, conc3};
    const double volts[3] = {volts1, volts2, volts3};
    const int sampled[3] = {cal1, cal2, cal3};
    for (int i = 0; i < n; ++i) {
        if (!sampled[i] || !std::isfinite(conc[i]) || !std::isfinite(volts[i])) return false;
        // The logarithm of a concentration that is not above 0 is no number.
        if (type == kIonNernst && !(conc[i] > 0.0)) return false;
        for (int j = 0; j < i; ++j)
            if (conc[i] == conc[j]) return false;
    }
    if (n == 2 && volts1 == volts2) return false;
    double sx = 0.0, sy = 0.0, sxy = 0.0, sxx = 0.0;
    for (int i = 0; i < n; ++i) {
        const double x = type == kIonNernst ? std::log10(conc[i]) : conc[i];
        sx += x;
        sy += volts[i];
        sxy += x * volts[i];
        sxx += x * x;
    }
    const double share = n == 2 ? 0.5 : 0.3333333333333333;
    const double mx = sx * share, my = sy * share;
    const double s = (sxy - n * mx * my) / (sxx - n * mx * mx);
    const double b = my - s * mx;
    // Readings that do not change with the concentration give no line to read back.
    if (!std::isfinite(s) || s == 0.0 || !std::isfinite(b)) return false;
    slope = s;
    intercept = b;
    return true;
}

double CIonCalibration::ConcDifference(double a, double b, bool noneA, bool noneB) const {
    return (noneB ? 0.0 : Convert(b)) - (noneA ? 0.0 : Convert(a));
}

double CIonCalibration::TipValue(double volts, double vda) const {
    const double v = volts / (outputGain * preampGain) + vda / preampGain;
    return v * (type == kIonPolarographic ? 10000.0 : 1000.0);
}

void CIonCalibration::Describe(std::string& text, const CDataDocument* document,
                               unsigned options) const {
    CVelmObs::Describe(text, document, options);
    if (options & DetailFlags::kType) StrAppendf(text, "%s ISP/PVP Calibration:", name.c_str());
    if (!WantsData(options)) return;
    StrAppendf(text,
               "Sampled for %.1lf seconds with loGA/D=%d, hiGA/D=%d, D/A=%d gives slope of %.2lf "
               "mV/decade",
               samplePeriod, loGainAdChan, hiGainAdChan, daChan, slope);
    StrAppendf(text,
               "Concentrations: c1=%.2lg  c2=%.2lg  c3=%.2lg  Voltages: v1=%.1lf  v2=%.1lf  "
               "v3=%.1lf (Using %s)",
               conc1, conc2, conc3, volts1, volts2, volts3, use3 ? "1 & 2 & 3" : "1 & 2");
}

void CIonCalibration::AddToList(CObsRegister& reg) const {
    reg.Add(*this);
}

void CIonCalibration::CopyCalibrationFrom(const CIonCalibration& o) {
    name = o.name;
    conc1 = o.conc1;
    conc2 = o.conc2;
    conc3 = o.conc3;
    volts1 = o.volts1;
    volts2 = o.volts2;
    volts3 = o.volts3;
    samplePeriod = o.samplePeriod;
    loGainAdChan = o.loGainAdChan;
    hiGainAdChan = o.hiGainAdChan;
    daChan = o.daChan;
    logScale = o.logScale;
    slope = o.slope;
    intercept = o.intercept;
    autoBath = o.autoBath;
    cal1 = o.cal1;
    cal2 = o.cal2;
    cal3 = o.cal3;
    use3 = o.use3;
    outputGain = o.outputGain;
    preampGain = o.preampGain;
    type = o.type;
}

bool CIonCalibration::SameValues(const CIonCalibration& o) const {
    return name == o.name && conc1 == o.conc1 && conc2 == o.conc2 && conc3 == o.conc3 &&
           volts1 == o.volts1 && volts2 == o.volts2 && volts3 == o.volts3 &&
           samplePeriod == o.samplePeriod && loGainAdChan == o.loGainAdChan &&
           hiGainAdChan == o.hiGainAdChan && daChan == o.daChan && logScale == o.logScale &&
           slope == o.slope && intercept == o.intercept && autoBath == o.autoBath &&
           cal1 == o.cal1 && cal2 == o.cal2 && cal3 == o.cal3 && use3 == o.use3 &&
           outputGain == o.outputGain && preampGain == o.preampGain && type == o.type &&
           index == o.index;
}

std::string CIonCalibration::SetupProblem() const {
    auto adChannel = [](int c) { return c >= 0 && c <= 7; };
    if (!adChannel(loGainAdChan) || !adChannel(hiGainAdChan))
        return "The A/D channels of the preamplifier and the main amplifier must be from 0 to 7.";
    if (daChan != 0 && daChan != 1) return "The bath offset's D/A channel must be 0 or 1.";
    if (!std::isfinite(outputGain) || outputGain == 0.0 || !std::isfinite(preampGain) ||
        preampGain == 0.0)
        return "The preamplifier and main amplifier gains must be numbers other than 0.";
    return {};
}

bool CIonCalibration::Open(CDataDocument* document, unsigned options) {
    if (IonEditHooks().openCalibration) return IonEditHooks().openCalibration(*this, document);
    return CVelmObs::Open(document, options);
}

std::unique_ptr<CVelmObs> CIonCalibration::Clone() const {
    auto copy = std::make_unique<CIonCalibration>();
    copy->CopyCalibrationFrom(*this);
    copy->index = index;
    return copy;
}
