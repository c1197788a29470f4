#include "obs/SampRulesWire.h"

#include <cmath>

#include "obs/ObsRegister.h"
#include "platform/Format.h"

void CSampRulesWire::Serialize(CArchive& ar) {
    CVelmObs::Serialize(ar);
    ar.Double(WaitPeriod);
    ar.Double(RefPeriod);
    ar.Double(SamplePeriod);
    ar.Word(FirstChan);
}

double CSampRulesWire::GetNumber(bool forReference) const {
    return WaitPeriod + (forReference ? RefPeriod : std::fabs(SamplePeriod));
}

void CSampRulesWire::Describe(std::string& text, const CDataDocument* document,
                              unsigned options) const {
    CVelmObs::Describe(text, document, options);
    if (options & DetailFlags::kType) text += "Current Density Sampling Rules:  ";
    if (WantsData(options)) {
        StrAppendf(text, "wait %.0lf msec, samp avg %.2lf sec, samp avg %.2lf sec, fchan = %d",
                   WaitPeriod * 1000.0, SamplePeriod, RefPeriod, FirstChan);
    }
}

void CSampRulesWire::AddToList(CObsRegister& reg) const {
    reg.Add(*this);
}

void CSampRulesWire::GetOperationName(std::string& text) const {
    if (MakesReferences()) {
        text += "Current Density Reference Observation: ";
        StrAppendf(text, "wait %.2lf sec, avg %.2lf sec", WaitPeriod, RefPeriod);
    } else {
        text += "Current Density Observation: ";
        StrAppendf(text, "wait %.2lf sec, avg %.2lf sec", WaitPeriod, std::fabs(SamplePeriod));
    }
}

void CSampRulesWire::CopyRulesFrom(const CSampRulesWire& other) {
    WaitPeriod = other.WaitPeriod;
    RefPeriod = other.RefPeriod;
    SamplePeriod = other.SamplePeriod;
    FirstChan = other.FirstChan;
}

std::unique_ptr<CVelmObs> CSampRulesWire::Clone() const {
    auto copy = std::make_unique<CSampRulesWire>();
    copy->CopyRulesFrom(*this);
    return copy;
}
