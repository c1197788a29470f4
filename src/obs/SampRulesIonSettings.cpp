// A gradient probe's sampling rules and the defaults of its next path point in velm.ini, in the
// probe's own section.

#include <cmath>
#include <cstdio>

#include "obs/IonCalibration.h"
#include "obs/SampRulesIon.h"
#include "platform/Format.h"
#include "settings/Profile.h"
#include "settings/SettingsLines.h"

namespace {

constexpr const char* kRules0 = "rot=%lf  tilt=%lf  PathReps=%d  ApplyCal=%d";
constexpr const char* kRules1Write = "useref=%d  move=%d  csys=%u  npoints=%d  ncalcs=%d";
constexpr const char* kRules1Read = "useref=%d  move=%d  csys=%u  npoints=%d  ncalcs=%d";
// The labels stand over other fields than their names say (da0ad holds da1From, da1on the A/D
// channel of D/A 0); stations have always written them so, and their files are read so.
constexpr const char* kRules2 =
    "bath: wait=%lf  avg=%lf  da0on=%d  da0ad=%d  da1on=%d  da1ad=%d  before=%d  after=%d";
constexpr const char* kPointRead = "%lf %lf %lf %lf    %lf  %lf  %d+%d (%d:%X>%X)  %lf  %lf";
constexpr const char* kCalcFormat = "Point %d - Point %d";
constexpr const char* kDefaultsWrite =
    "wait=%lf  avg=%lf  adChan=%d  daChan=%d  io=%d  port=%X  dataA=%X  dataS=%X";
constexpr const char* kDefaultsRead =
    "wait=%lf  avg=%lf  adChan=%d  daChan=%d  io=%d  port=%X  dataA=%X  dataS=%X";
// The form older stations wrote: both bytes in one number, standby in the high byte.
constexpr const char* kOldDefaultsRead =
    "wait=%lf  avg=%lf  adChan=%d  daChan=%d  io=%d  port=%X  data=%X";
constexpr const char* kGains = "adGain=%lf  daGain=%lf";

bool BathChannel(int c) {
    return c >= 0 && c <= 7;
}

// One "Sample Point %d" line into `point`; false when it cannot be used (the point then keeps
// what it held).
bool ReadPointLine(const std::string& text, CSampPointIon& point) {
    CSampPointIon p = point;
    unsigned port = 0, data = 0;
    const int n = std::sscanf(text.c_str(), kPointRead, &p.offset.x, &p.offset.y, &p.offset.z,
                              &p.offset.w, &p.wait, &p.average, &p.adChan, &p.daChan, &p.io, &port,
                              &data, &p.adGain, &p.daGain);
    // Lines written before the gains were kept end after the data; their gains are the defaults.
    if (n != 11 && n != 13) return false;
    if (port > 0xFFFF || data > 0xFFFF) return false;
    p.port = static_cast<int>(port);
    p.dataA = static_cast<int>(data & 0xFF);
    p.dataS = static_cast<int>(data >> 8);
    p.io = p.io != 0;
    if (!p.Problem().empty()) return false;
    point = p;
    return true;
}

}  // namespace

bool CSampRulesIon::SaveSettings() const {
    CProfile& p = Profile();
    const std::string section = IonProbeSection(name);
    const int nPoints = static_cast<int>(points.size());
    const int nCalcs = static_cast<int>(calcs.size());
    bool ok = p.WriteLine(section, "Sampling Rules 0", kRules0, rot, tilt, pathReps, applyCal);
    ok = p.WriteLine(section, "Sampling Rules 1", kRules1Write, useRef, moveType,
                     static_cast<unsigned>(csys), nPoints, nCalcs) &&
         ok;
    // The line holds the bath wait; whether the rules make references is theirs to know.
    ok = p.WriteLine(section, "Sampling Rules 2", kRules2, std::fabs(bathWait), bathAvg, da0From,
                     da1From, da0AdChan, da1AdChan, bathBefore, bathAfter) &&
         ok;
    for (int i = 0; i < nPoints; ++i) {
        const CSampPointIon& point = *points[static_cast<size_t>(i)];
        ok = p.WriteProfileString(section, StrPrintf("Sample Name %d", i + 1), point.name) && ok;
        ok = p.WriteProfileString(section, StrPrintf("Sample Point %d", i + 1),
                                  point.ValuesText()) &&
             ok;
    }
    for (int i = 0; i < nCalcs; ++i) {
        const CGradCalcIon& calc = *calcs[static_cast<size_t>(i)];
        ok =
            p.WriteProfileString(section, StrPrintf("Calculation Name %d", i + 1), calc.name) && ok;
        ok = p.WriteLine(section, StrPrintf("Calculation %d", i + 1), kCalcFormat, calc.first,
                         calc.second) &&
             ok;
    }
    return ok;
}

bool CSampRulesIon::LoadSettings(std::string* problems) {
    const std::string section = IonProbeSection(name);
    const auto line0 = ReadSettingsText(section, "Sampling Rules 0");
    if (!line0) return false;
    {
        double r = rot, t = tilt;
        int reps = pathReps, cal = applyCal;
        const int n = std::sscanf(line0->c_str(), kRules0, &r, &t, &reps, &cal);
        bool usable = n == 4;
        if (n >= 1 && std::isfinite(r))
            rot = r;
        else
            usable = false;
        if (n >= 2 && std::isfinite(t))
            tilt = t;
        else
            usable = false;
        if (n >= 3 && reps >= 1 && reps <= kMaxIonPathReps)
            pathReps = reps;
        else
            usable = false;
        if (n >= 4) applyCal = cal != 0;
        if (!usable) AddSettingsProblem(problems, section, "Sampling Rules 0", *line0);
    }

    int nPoints = 0, nCalcs = 0;
    if (const auto text = ReadSettingsText(section, "Sampling Rules 1")) {
        int ref = useRef, move = moveType, np = 0, nc = 0;
        unsigned coords = csys;
        const int n = std::sscanf(text->c_str(), kRules1Read, &ref, &move, &coords, &np, &nc);
        bool usable = n == 5;
        if (n >= 1) useRef = ref != 0;
        if (n >= 2 && (move == kMoveLinear || move == kMoveTrack))
            moveType = move;
        else
            usable = false;
        if (n >= 3 && (coords == kCoordAbsolute || coords == kCoordRelative))
            csys = static_cast<uint16_t>(coords);
        else
            usable = false;
        // A damaged count must not drive thousands of reads of velm.ini.
        if (n >= 4 && np >= 0 && np <= kMaxIonPoints)
            nPoints = np;
        else
            usable = false;
        if (n >= 5 && nc >= 0 && nc <= kMaxIonCalcs)
            nCalcs = nc;
        else
            usable = false;
        if (!usable) AddSettingsProblem(problems, section, "Sampling Rules 1", *text);
    }

    if (const auto text = ReadSettingsText(section, "Sampling Rules 2")) {
        double wait = std::fabs(bathWait), avg = bathAvg;
        int on0 = da0From, on1 = da1From, ad0 = da0AdChan, ad1 = da1AdChan;
        int before = bathBefore, after = bathAfter;
        const int n = std::sscanf(text->c_str(), kRules2, &wait, &avg, &on0, &on1, &ad0, &ad1,
                                  &before, &after);
        bool usable = n == 8;
        if (n >= 1 && std::isfinite(wait) && wait >= 0.0)
            bathWait = wait;
        else
            usable = false;
        if (n >= 2 && std::isfinite(avg) && avg >= 0.0)
            bathAvg = avg;
        else
            usable = false;
        if (n >= 3) da0From = on0 != 0;
        if (n >= 4) da1From = on1 != 0;
        if (n >= 5 && BathChannel(ad0))
            da0AdChan = ad0;
        else
            usable = false;
        if (n >= 6 && BathChannel(ad1))
            da1AdChan = ad1;
        else
            usable = false;
        if (n >= 7) bathBefore = before != 0;
        if (n >= 8) bathAfter = after != 0;
        if (!usable) AddSettingsProblem(problems, section, "Sampling Rules 2", *text);
    }

    points.clear();
    for (int i = 1; i <= nPoints; ++i) {
        auto point = std::make_unique<CSampPointIon>();
        point->name = Profile().GetProfileString(section, StrPrintf("Sample Name %d", i));
        const std::string key = StrPrintf("Sample Point %d", i);
        if (const auto text = ReadSettingsText(section, key)) {
            if (!ReadPointLine(*text, *point)) AddSettingsProblem(problems, section, key, *text);
        }
        points.push_back(std::move(point));
    }

    calcs.clear();
    for (int i = 1; i <= nCalcs; ++i) {
        const std::string key = StrPrintf("Calculation %d", i);
        const auto text = ReadSettingsText(section, key);
        if (!text) continue;
        auto calc = std::make_unique<CGradCalcIon>();
        calc->name = Profile().GetProfileString(section, StrPrintf("Calculation Name %d", i));
        const int n = std::sscanf(text->c_str(), kCalcFormat, &calc->first, &calc->second);
        // A calculation between points the path does not have gives nothing but wrong numbers.
        if (n != 2 || calc->first < 0 || calc->first >= nPoints || calc->second < 0 ||
            calc->second >= nPoints) {
            AddSettingsProblem(problems, section, key, *text);
            continue;
        }
        calcs.push_back(std::move(calc));
    }
    return true;
}

bool SaveIonPointDefaults(const std::string& probeName, const CSampPointIon& point) {
    CProfile& p = Profile();
    const std::string section = IonProbeSection(probeName);
    bool ok = p.WriteLine(section, "Sample Point Rules", kDefaultsWrite, point.wait, point.average,
                          point.adChan, point.daChan, point.io, static_cast<unsigned>(point.port),
                          static_cast<unsigned>(point.dataA), static_cast<unsigned>(point.dataS));
    ok = p.WriteLine(section, "Sample Point Gains", kGains, point.adGain, point.daGain) && ok;
    return ok;
}

bool LoadIonPointDefaults(const std::string& probeName, CSampPointIon& point,
                          std::string* problems) {
    const std::string section = IonProbeSection(probeName);
    const auto rules = ReadSettingsText(section, "Sample Point Rules");
    const auto gains = ReadSettingsText(section, "Sample Point Gains");
    if (!rules && !gains) return false;
    if (rules) {
        CSampPointIon p = point;
        unsigned port = 0, a = 0, s = 0;
        int n = std::sscanf(rules->c_str(), kDefaultsRead, &p.wait, &p.average, &p.adChan,
                            &p.daChan, &p.io, &port, &a, &s);
        bool usable = n == 8;
        if (n == 6) {
            unsigned data = 0;
            n = std::sscanf(rules->c_str(), kOldDefaultsRead, &p.wait, &p.average, &p.adChan,
                            &p.daChan, &p.io, &port, &data);
            usable = n == 7 && data <= 0xFFFF;
            a = data & 0xFF;
            s = data >> 8;
        }
        usable = usable && port <= 0xFFFF && a <= 0xFF && s <= 0xFF;
        if (usable) {
            p.port = static_cast<int>(port);
            p.dataA = static_cast<int>(a);
            p.dataS = static_cast<int>(s);
            p.io = p.io != 0;
            usable = p.Problem().empty();
        }
        if (usable)
            point = p;
        else
            AddSettingsProblem(problems, section, "Sample Point Rules", *rules);
    }
    if (gains) {
        double ad = point.adGain, da = point.daGain;
        const int n = std::sscanf(gains->c_str(), kGains, &ad, &da);
        if (n == 2 && std::isfinite(ad) && ad != 0.0 && std::isfinite(da) && da != 0.0) {
            point.adGain = ad;
            point.daGain = da;
        } else {
            AddSettingsProblem(problems, section, "Sample Point Gains", *gains);
        }
    }
    return true;
}
