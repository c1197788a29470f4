// The station's current gradient reference of a probe in velm.ini.

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "obs/IonCalibration.h"
#include "obs/IonObs.h"
#include "obs/SampRulesIon.h"
#include "platform/Format.h"
#include "settings/Profile.h"
#include "settings/SettingsLines.h"

namespace {

constexpr const char* kShapeFormat = "da0=%lf  da1=%lf  numPoints=%d  numReps=%d";

// Reads the "NNN:value" items of one repetition's line into `row` (point NNN, 1-based). False
// when an item cannot be read (the readable ones are kept).
bool ReadRow(const std::string& text, double* row, int nPoints) {
    bool usable = true;
    const char* s = text.c_str();
    while (*s) {
        while (std::isspace(static_cast<unsigned char>(*s)))
            ++s;
        if (!*s) break;
        const char* start = s;
        while (*s && !std::isspace(static_cast<unsigned char>(*s)))
            ++s;
        const std::string item(start, s);
        const size_t colon = item.find(':');
        if (colon == std::string::npos || colon == 0) {
            usable = false;
            continue;
        }
        char* end = nullptr;
        const long p = std::strtol(item.c_str(), &end, 10);
        if (end != item.c_str() + colon || p < 1 || p > nPoints) {
            usable = false;
            continue;
        }
        const char* valueText = item.c_str() + colon + 1;
        const double v = std::strtod(valueText, &end);
        if (end == valueText || *end != '\0' || !std::isfinite(v)) {
            usable = false;
            continue;
        }
        row[p - 1] = v;
    }
    return usable;
}

}  // namespace

bool CIonReference::SaveSettings() const {
    CProfile& p = Profile();
    const std::string section = IonProbeSection(name);
    bool ok = p.WriteLine(section, "Reference", kShapeFormat, da0, da1, nPoints, nReps);
    if (values.size() < ValueCount()) return false;
    for (int r = 0; r < nReps; ++r) {
        std::string line;
        for (int pt = 0; pt < nPoints; ++pt) {
            if (pt > 0) line += "  ";
            StrAppendf(line, "%03d:%lf", pt + 1, Value(r, pt));
        }
        ok = p.WriteProfileString(section, StrPrintf("Reference %d", r + 1), line) && ok;
    }
    return ok;
}

bool CIonReference::LoadSettings(std::string* problems) {
    const std::string section = IonProbeSection(name);
    const auto shape = ReadSettingsText(section, "Reference");
    if (!shape) return false;
    double d0 = 0.0, d1 = 0.0;
    int points = 0, reps = 0;
    const int n = std::sscanf(shape->c_str(), kShapeFormat, &d0, &d1, &points, &reps);
    if (n != 4 || !std::isfinite(d0) || !std::isfinite(d1) || points < 1 ||
        points > kMaxIonPoints || reps < 1 || reps > kMaxIonPathReps ||
        static_cast<size_t>(points) * static_cast<size_t>(reps) > kMaxIonValues) {
        AddSettingsProblem(problems, section, "Reference", *shape);
        return false;
    }
    da0 = d0;
    da1 = d1;
    SetShape(points, reps);
    for (int r = 0; r < reps; ++r) {
        const std::string key = StrPrintf("Reference %d", r + 1);
        const auto text = ReadSettingsText(section, key);
        if (!text) continue;
        if (!ReadRow(*text, &values[Slot(r, 0)], points))
            AddSettingsProblem(problems, section, key, *text);
    }
    return true;
}
