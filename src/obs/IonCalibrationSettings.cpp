// A gradient probe's calibration in velm.ini, in the probe's own section.

#include <cmath>
#include <cstdio>

#include "obs/IonCalibration.h"
#include "settings/Profile.h"
#include "settings/SettingsLines.h"

namespace {

constexpr const char* kChannelsKey = "A/D Board Parameters";
constexpr const char* kChannelsFormat = "loGA/D:%d  hiGA/D:%d  D/A: %d";
constexpr const char* kOldChannelsFormat = "A/D:%d  D/A: %d";
constexpr const char* kLine0Write =
    "Conc: lo=%.10lf  med=%.10lf  hi=%.10lf    Volts: c1=%lf  c2=%lf  c3=%lf  (use3=%d)";
constexpr const char* kLine0Read =
    "Conc: lo=%lf  med=%lf  hi=%lf    Volts: c1=%lf  c2=%lf  c3=%lf  (use3=%d)";
constexpr const char* kLine1Write = "Period=%lf sec  Slope=%lf  Calibrated:  c1=%d  c2=%d  c3=%d";
// Older stations also wrote the type here; "Calibration 2" holds it now.
constexpr const char* kLine1Read =
    "Period=%lf sec  Slope=%lf  Calibrated:  c1=%d  c2=%d  c3=%d  Type=%u";
constexpr const char* kLine2Format =
    "Type=%u  OutputGain=%lf  Intercept=%lf  AutoBath=%d  PreampGain=%lf";

bool AdChannel(int c) {
    return c >= 0 && c <= 7;
}
bool UsableGain(double g) {
    return std::isfinite(g) && g != 0.0;
}
bool KnownType(unsigned t) {
    return t == kIonNernst || t == kIonPolarographic;
}
// An averaging time the board can read (0 to a day).
bool UsablePeriod(double s) {
    return std::isfinite(s) && s >= 0.0 && s <= 86400.0;
}

}  // namespace

bool CIonCalibration::SaveSettings() const {
    CProfile& p = Profile();
    const std::string section = IonProbeSection(name);
    bool ok =
        p.WriteLine(section, kChannelsKey, kChannelsFormat, loGainAdChan, hiGainAdChan, daChan);
    ok = p.WriteLine(section, "Calibration 0", kLine0Write, conc1, conc2, conc3, volts1, volts2,
                     volts3, use3) &&
         ok;
    ok =
        p.WriteLine(section, "Calibration 1", kLine1Write, samplePeriod, slope, cal1, cal2, cal3) &&
        ok;
    ok = p.WriteLine(section, "Calibration 2", kLine2Format, static_cast<unsigned>(type),
                     outputGain, intercept, autoBath, preampGain) &&
         ok;
    return ok;
}

bool CIonCalibration::LoadSettings(std::string* problems) {
    const std::string section = IonProbeSection(name);
    // The wiring of a probe is kept before its first calibration: read it in any case.
    if (const auto text = ReadSettingsText(section, kChannelsKey)) {
        int lo = loGainAdChan, hi = hiGainAdChan, da = daChan;
        int n = std::sscanf(text->c_str(), kChannelsFormat, &lo, &hi, &da);
        bool usable = n == 3;
        if (n == 0) {
            // One channel served both the bath offset and the tip value.
            n = std::sscanf(text->c_str(), kOldChannelsFormat, &lo, &da);
            hi = lo;
            usable = n == 2;
            if (n >= 1) n = n == 2 ? 3 : 2;
        }
        if (n >= 2 && AdChannel(lo) && AdChannel(hi)) {
            loGainAdChan = lo;
            hiGainAdChan = hi;
        } else {
            usable = false;
        }
        if (n >= 3 && (da == 0 || da == 1))
            daChan = da;
        else
            usable = false;
        if (!usable) AddSettingsProblem(problems, section, kChannelsKey, *text);
    }
    const auto line0 = ReadSettingsText(section, "Calibration 0");
    if (!line0) return false;

    {
        double c[3] = {conc1, conc2, conc3}, v[3] = {volts1, volts2, volts3};
        int u3 = use3;
        const int n =
            std::sscanf(line0->c_str(), kLine0Read, &c[0], &c[1], &c[2], &v[0], &v[1], &v[2], &u3);
        bool usable = n == 7;
        double* concs[3] = {&conc1, &conc2, &conc3};
        double* volts[3] = {&volts1, &volts2, &volts3};
        for (int i = 0; i < 3; ++i) {
            if (n > i && std::isfinite(c[i])) *concs[i] = c[i];
            if (n > 3 + i && std::isfinite(v[i])) *volts[i] = v[i];
            if ((n > i && !std::isfinite(c[i])) || (n > 3 + i && !std::isfinite(v[i])))
                usable = false;
        }
        if (n >= 7) use3 = u3 != 0;
        if (!usable) AddSettingsProblem(problems, section, "Calibration 0", *line0);
    }

    if (const auto text = ReadSettingsText(section, "Calibration 1")) {
        double period = samplePeriod, s = slope;
        int c[3] = {cal1, cal2, cal3};
        unsigned t = type;
        const int n = std::sscanf(text->c_str(), kLine1Read, &period, &s, &c[0], &c[1], &c[2], &t);
        bool usable = n == 5 || n == 6;
        if (n >= 1 && UsablePeriod(period))
            samplePeriod = period;
        else
            usable = false;
        if (n >= 2 && std::isfinite(s))
            slope = s;
        else
            usable = false;
        int* flags[3] = {&cal1, &cal2, &cal3};
        for (int i = 0; i < 3; ++i)
            if (n > 2 + i) *flags[i] = c[i] != 0;
        if (n == 6) {
            if (KnownType(t))
                type = static_cast<uint16_t>(t);
            else
                usable = false;
        }
        if (!usable) AddSettingsProblem(problems, section, "Calibration 1", *text);
    }

    if (const auto text = ReadSettingsText(section, "Calibration 2")) {
        unsigned t = type;
        double out = outputGain, b = intercept, pre = preampGain;
        int bath = autoBath;
        const int n = std::sscanf(text->c_str(), kLine2Format, &t, &out, &b, &bath, &pre);
        bool usable = n == 5;
        if (n >= 1 && KnownType(t))
            type = static_cast<uint16_t>(t);
        else
            usable = false;
        if (n >= 2 && UsableGain(out))
            outputGain = out;
        else
            usable = false;
        if (n >= 3 && std::isfinite(b))
            intercept = b;
        else
            usable = false;
        if (n >= 4) autoBath = bath != 0;
        if (n >= 5 && UsableGain(pre))
            preampGain = pre;
        else
            usable = false;
        if (!usable) AddSettingsProblem(problems, section, "Calibration 2", *text);
    }
    return true;
}
