// The CDP sampling rules in velm.ini.

#include <cmath>
#include <cstdio>

#include "obs/SampRulesWire.h"
#include "obs/Techniques.h"
#include "settings/Profile.h"
#include "settings/SettingsLines.h"

namespace {
constexpr const char* kWriteFormat = "pre=%lf  samp=%lf  ref=%lf  fchan=%d";
constexpr const char* kReadFormat = "pre=%lf  samp=%lf  ref=%lf  fchan=%d";
}  // namespace

bool CSampRulesWire::SameRules(const CSampRulesWire& o) const {
    return WaitPeriod == o.WaitPeriod && RefPeriod == o.RefPeriod &&
           SamplePeriod == o.SamplePeriod && FirstChan == o.FirstChan;
}

bool CSampRulesWire::SaveSettings(const char* key) const {
    // The line holds the averaging time; the reference mark is the rules' own business.
    return Profile().WriteLine(kWireRulesSection, key, kWriteFormat, WaitPeriod,
                               std::fabs(SamplePeriod), RefPeriod, FirstChan);
}

bool CSampRulesWire::LoadSettings(const char* key, std::string* problems) {
    const auto text = ReadSettingsText(kWireRulesSection, key);
    if (!text) return false;
    double pre = WaitPeriod, samp = SamplePeriod, ref = RefPeriod;
    int fchan = FirstChan;
    const int n = std::sscanf(text->c_str(), kReadFormat, &pre, &samp, &ref, &fchan);
    bool usable = n == 4;
    // The fields before the first mismatch take their values; a number that is not finite
    // would reach the tick arithmetic of the settling wait, so it keeps the old value.
    if (n >= 1 && std::isfinite(pre)) WaitPeriod = pre;
    if (n >= 2 && std::isfinite(samp)) SamplePeriod = samp;
    if (n >= 3 && std::isfinite(ref)) RefPeriod = ref;
    if (n >= 4) FirstChan = fchan;
    if (!std::isfinite(pre) || !std::isfinite(samp) || !std::isfinite(ref)) usable = false;
    if (!usable) AddSettingsProblem(problems, kWireRulesSection, key, *text);
    return true;
}

bool CSampRulesWire::Edit(CTechniques& techniques) {
    return techniques.EditWireRules(*this, kPointRulesKey);
}

CObsList CSampRulesWire::TakeObservation(CTechniques& techniques) {
    CObsList taken;
    if (std::unique_ptr<CVelmObs> obs = techniques.TakeWire(*this)) taken.push_back(std::move(obs));
    return taken;
}
