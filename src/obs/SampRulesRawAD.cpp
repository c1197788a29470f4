#include "obs/SampRulesRawAD.h"

#include "obs/ObsRegister.h"
#include "platform/Format.h"

void CSampRulesRawAD::Serialize(CArchive& ar) {
    CVelmObs::Serialize(ar);
    ar.Double(WaitSec);
    ar.Double(AvgSec);
    ar.DWord(BurstNum);
    ar.Double(BurstFreq);
    ar.Word(average);
    ar.Word(interleave);
    ar.Word(FirstChan);
    ar.Word(LastChan);
}

double CSampRulesRawAD::GetNumber() const {
    const int n = ChannelCount();
    if (average) return (interleave ? AvgSec : n * AvgSec) + WaitSec;
    return n / BurstFreq * BurstNum;
}

void CSampRulesRawAD::Describe(std::string& text, const CDataDocument* document,
                               unsigned options) const {
    CVelmObs::Describe(text, document, options);
    if (options & DetailFlags::kType) {
        if (SignedIndex() > 0)
            StrAppendf(text, "Raw A/D Sampling Rules %d:  ", SignedIndex());
        else
            text += "Raw A/D Sampling Rules:  ";
    }
    if (!WantsData(options)) return;
    StrAppendf(text, "channels %d to %d, wait %.0lf msec, ", FirstChan, LastChan, WaitSec * 1000.0);
    const char* how = interleave ? "with interleave" : "sequentially";
    if (average)
        StrAppendf(text, "average for %.2lf seconds %s", AvgSec, how);
    else
        StrAppendf(text, "burst of %ld samples @ %.2lf Hz %s", static_cast<long>(BurstNum),
                   BurstFreq, how);
}

void CSampRulesRawAD::AddToList(CObsRegister& reg) const {
    reg.Add(*this);
}

void CSampRulesRawAD::GetOperationName(std::string& text) const {
    StrAppendf(text, "Raw A/D Observation: channels %d-%d, wait %.2lf, ", FirstChan, LastChan,
               WaitSec);
    if (average)
        StrAppendf(text, "average %.2lf sec", AvgSec);
    else
        StrAppendf(text, "burst record %ld samples @ %.2lf Hz", static_cast<long>(BurstNum),
                   BurstFreq);
}

void CSampRulesRawAD::CopyRulesFrom(const CSampRulesRawAD& o) {
    WaitSec = o.WaitSec;
    BurstNum = o.BurstNum;
    BurstFreq = o.BurstFreq;
    AvgSec = o.AvgSec;
    average = o.average;
    interleave = o.interleave;
    FirstChan = o.FirstChan;
    LastChan = o.LastChan;
}

std::unique_ptr<CVelmObs> CSampRulesRawAD::Clone() const {
    auto copy = std::make_unique<CSampRulesRawAD>();
    copy->CopyRulesFrom(*this);
    return copy;
}
