// The raw A/D sampling rules in velm.ini.

#include <cmath>
#include <cstdio>

#include "obs/SampRulesRawAD.h"
#include "obs/Techniques.h"
#include "settings/Profile.h"
#include "settings/SettingsLines.h"

namespace {
constexpr const char* kFormat =
    "chan: %d to %d, pre=%lf  avg=%d  inter=%d  avgperiod=%lf  burstnum=%ld  burstfreq=%lf";
}

bool CSampRulesRawAD::SameRules(const CSampRulesRawAD& o) const {
    return WaitSec == o.WaitSec && BurstNum == o.BurstNum && BurstFreq == o.BurstFreq &&
           AvgSec == o.AvgSec && average == o.average && interleave == o.interleave &&
           FirstChan == o.FirstChan && LastChan == o.LastChan;
}

bool CSampRulesRawAD::SaveSettings(const char* key) const {
    return Profile().WriteLine(kRawADRulesSection, key, kFormat, FirstChan, LastChan, WaitSec,
                               average, interleave, AvgSec, static_cast<long>(BurstNum), BurstFreq);
}

bool CSampRulesRawAD::LoadSettings(const char* key, std::string* problems) {
    const auto text = ReadSettingsText(kRawADRulesSection, key);
    if (!text) return false;
    int first = FirstChan, last = LastChan, avg = average, inter = interleave;
    double pre = WaitSec, period = AvgSec, freq = BurstFreq;
    long num = BurstNum;
    const int n = std::sscanf(text->c_str(), kFormat, &first, &last, &pre, &avg, &inter, &period,
                              &num, &freq);
    bool usable = n == 8;
    if (n >= 1) FirstChan = first;
    if (n >= 2) LastChan = last;
    if (n >= 3 && std::isfinite(pre)) WaitSec = pre;
    if (n >= 4) average = avg;
    if (n >= 5) interleave = inter;
    if (n >= 6 && std::isfinite(period)) AvgSec = period;
    // The count is stored in 32 bits; a larger one is not a burst anybody asked for.
    if (n >= 7 && num >= INT32_MIN && num <= INT32_MAX) BurstNum = static_cast<int32_t>(num);
    if (n >= 8 && std::isfinite(freq)) BurstFreq = freq;
    if (!std::isfinite(pre) || !std::isfinite(period) || !std::isfinite(freq) || num < INT32_MIN ||
        num > INT32_MAX)
        usable = false;
    if (!usable) AddSettingsProblem(problems, kRawADRulesSection, key, *text);
    return true;
}

bool CSampRulesRawAD::Edit(CTechniques& techniques) {
    return techniques.EditRawADRules(*this, "Point ");
}

CObsList CSampRulesRawAD::TakeObservation(CTechniques& techniques) {
    return techniques.TakeRawAD(*this);
}
