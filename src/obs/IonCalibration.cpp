#include "obs/IonCalibration.h"

#include <cmath>

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

double CIonCalibration::Convert(double v) const {
    if (!IsComplete()) return v;
    if (type == kIonNernst) {
        const double c = std::pow(10.0, (v - intercept) / slope);
        if (logScale && c > 0.0) return 3.0 - std::log10(c);
        return c;
    }
    if (type == kIonPolarographic) return slope * v + intercept;
    return 0.0;
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

std::unique_ptr<CVelmObs> CIonCalibration::Clone() const {
    auto copy = std::make_unique<CIonCalibration>();
    copy->CopyCalibrationFrom(*this);
    copy->index = index;
    return copy;
}
