#include "hw/sim/SimStationSettings.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "settings/Profile.h"
#include "platform/Format.h"
#include "settings/SettingsLines.h"

namespace {

constexpr const char* kSourceFormat = "source: x=%lf  y=%lf  z=%lf  nA=%lf  on=%d";
constexpr const char* kMediumFormat = "medium: rho=%lf  SG=%lf  span=%lf  fchan=%d";
constexpr const char* kDetectorWrite =
    "%s: axis=%c  plane=%s  angle=%lf  phase=%lf  offsets=%lf %lf";
constexpr const char* kDetectorRead[2] = {
    "X PSD: axis=%c  plane=%2s  angle=%lf  phase=%lf  offsets=%lf %lf",
    "Y PSD: axis=%c  plane=%2s  angle=%lf  phase=%lf  offsets=%lf %lf"};
constexpr const char* kDetectorNames[2] = {"X PSD", "Y PSD"};
constexpr const char* kFieldWrite =
    "field: %s  c0=%lf  g=%lf  k=%lf  at=%lf %lf %lf  along=%lf %lf %lf";
constexpr const char* kFieldRead =
    "field: %15s  c0=%lf  g=%lf  k=%lf  at=%lf %lf %lf  along=%lf %lf %lf";
constexpr const char* kElectrodeWrite =
    "electrode %d: %s  e0=%lf  slope=%lf  i0=%lf  kp=%lf  plateau=%lf %lf  gains=%lf %lf  hi=%d  "
    "lo=%d  da=%d";
constexpr const char* kElectrodeRead[2] = {
    "electrode 1: %15s  e0=%lf  slope=%lf  i0=%lf  kp=%lf  plateau=%lf %lf  gains=%lf %lf  "
    "hi=%d  lo=%d  da=%d",
    "electrode 2: %15s  e0=%lf  slope=%lf  i0=%lf  kp=%lf  plateau=%lf %lf  gains=%lf %lf  "
    "hi=%d  lo=%d  da=%d"};
constexpr const char* kSolutionsFormat = "solutions: c1=%lf  c2=%lf  c3=%lf  beaker=%d";
constexpr const char* kNoiseFormat = "noise: volts=%lf  seed=%u";

constexpr const char* kAxisLetters = "XYZ";
constexpr const char* kPlaneNames[2] = {"XY", "YZ"};
constexpr const char* kFieldNames[2] = {"linear", "point"};
constexpr const char* kElectrodeNames[3] = {"off", "nernst", "polar"};

bool AllFinite(std::initializer_list<double> values) {
    for (double v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

// The index of `word` in `names`, or -1.
template <size_t N>
int IndexOf(const char* word, const char* const (&names)[N]) {
    for (size_t i = 0; i < N; ++i)
        if (std::strcmp(word, names[i]) == 0) return static_cast<int>(i);
    return -1;
}

std::string SourceProblem(const SSimStationParams& p) {
    if (!AllFinite({p.source.x, p.source.y, p.source.z, p.sourceNanoAmps}))
        return "The calibration source's position and current must be numbers.";
    return {};
}

std::string MediumProblem(const SSimStationParams& p) {
    if (!AllFinite({p.rho, p.systemGain, p.spanMicrons}) || p.rho < 0.0 || p.systemGain < 0.0 ||
        p.spanMicrons < 0.0)
        return "The resistivity, system gain and vibration span cannot be negative.";
    if (p.cdpFirstChan < 0 || p.cdpFirstChan > kSimChannelCount - 4)
        return "The first lock-in channel must be from 0 to 4 (four channels from it).";
    return {};
}

std::string DetectorProblem(const SSimDetector& d, const char* name) {
    if (d.axis < kSimAxisX || d.axis > kSimAxisZ || d.plane < kSimPlaneXY || d.plane > kSimPlaneYZ)
        return StrPrintf("The %s must vibrate along X, Y or Z, turned in the X-Y or Y-Z plane.",
                         name);
    if (!AllFinite({d.angleDegrees, d.phaseDegrees, d.inPhaseOffset, d.quadratureOffset}))
        return StrPrintf("The %s's angle, phase and offsets must be numbers.", name);
    return {};
}

std::string FieldProblem(const SSimStationParams& p) {
    if (p.field != kSimFieldLinear && p.field != kSimFieldPoint)
        return "The concentration field must be linear or a point source.";
    if (!AllFinite({p.c0, p.gradient, p.strength, p.fieldAt.x, p.fieldAt.y, p.fieldAt.z,
                    p.fieldAlong.x, p.fieldAlong.y, p.fieldAlong.z}))
        return "The concentration field's values must be numbers.";
    if (p.fieldAlong.x == 0.0 && p.fieldAlong.y == 0.0 && p.fieldAlong.z == 0.0)
        return "The direction of the concentration gradient cannot be 0, 0, 0.";
    return {};
}

std::string ElectrodeProblem(const SSimElectrode& e, int number) {
    if (e.kind < kSimElectrodeOff || e.kind > kSimElectrodePolarographic)
        return StrPrintf("Electrode %d must be off, Nernst or polarographic.", number);
    if (!AllFinite(
            {e.e0, e.slope, e.i0, e.kp, e.plateauLow, e.plateauHigh, e.preampGain, e.mainGain}))
        return StrPrintf("The values of electrode %d must be numbers.", number);
    if (e.preampGain == 0.0 || e.mainGain == 0.0)
        return StrPrintf("The amplifier gains of electrode %d cannot be 0.", number);
    if (e.plateauLow > e.plateauHigh)
        return StrPrintf("The plateau of electrode %d must run from its lower to its upper end.",
                         number);
    if (e.hiChan < 0 || e.hiChan >= kSimChannelCount || e.loChan < 0 ||
        e.loChan >= kSimChannelCount)
        return StrPrintf("The A/D channels of electrode %d must be from 0 to 7.", number);
    if (e.daChan != 0 && e.daChan != 1)
        return StrPrintf("The D/A channel of electrode %d must be 0 or 1.", number);
    return {};
}

std::string SolutionsProblem(const SSimStationParams& p) {
    if (!AllFinite({p.solutions[0], p.solutions[1], p.solutions[2]}))
        return "The concentrations of the standard solutions must be numbers.";
    if (p.beaker < 0 || p.beaker > 3)
        return "The beaker holds the sample's bath (0) or standard solution 1, 2 or 3.";
    return {};
}

std::string NoiseProblem(const SSimStationParams& p) {
    if (!std::isfinite(p.noiseVolts) || p.noiseVolts < 0.0) return "The noise cannot be negative.";
    return {};
}

// One line: `read` scans the text into a copy of the parameters and returns whether every
// field was there; `problem` judges the copy. Only a line that passes both is taken.
template <typename Read, typename Problem>
void LoadLine(SSimStationParams& params, const char* key, std::string* problems, Read read,
              Problem problem) {
    const auto text = ReadSettingsText(kSimStationSection, key);
    if (!text) return;
    SSimStationParams candidate = params;
    if (read(text->c_str(), candidate) && problem(candidate).empty()) {
        params = candidate;
        return;
    }
    AddSettingsProblem(problems, kSimStationSection, key, *text);
}

}  // namespace

std::string SimStationParamsProblem(const SSimStationParams& p) {
    for (std::string problem :
         {SourceProblem(p), MediumProblem(p), DetectorProblem(p.xPsd, kDetectorNames[0]),
          DetectorProblem(p.yPsd, kDetectorNames[1]), FieldProblem(p),
          ElectrodeProblem(p.electrodes[0], 1), ElectrodeProblem(p.electrodes[1], 2),
          SolutionsProblem(p), NoiseProblem(p)})
        if (!problem.empty()) return problem;
    return {};
}

void LoadSimStationParams(SSimStationParams& params, std::string* problems) {
    LoadLine(
        params, "Line 0", problems,
        [](const char* text, SSimStationParams& p) {
            int on = 0;
            const bool all = std::sscanf(text, kSourceFormat, &p.source.x, &p.source.y, &p.source.z,
                                         &p.sourceNanoAmps, &on) == 5;
            p.sourceOn = on != 0;
            return all;
        },
        SourceProblem);
    LoadLine(
        params, "Line 1", problems,
        [](const char* text, SSimStationParams& p) {
            return std::sscanf(text, kMediumFormat, &p.rho, &p.systemGain, &p.spanMicrons,
                               &p.cdpFirstChan) == 4;
        },
        MediumProblem);
    for (int k = 0; k < 2; ++k) {
        LoadLine(
            params, k == 0 ? "Line 2" : "Line 3", problems,
            [k](const char* text, SSimStationParams& p) {
                SSimDetector& d = k == 0 ? p.xPsd : p.yPsd;
                char axis = 0;
                char plane[3] = {};
                if (std::sscanf(text, kDetectorRead[k], &axis, plane, &d.angleDegrees,
                                &d.phaseDegrees, &d.inPhaseOffset, &d.quadratureOffset) != 6)
                    return false;
                const char* letter = axis ? std::strchr(kAxisLetters, axis) : nullptr;
                d.axis = letter ? static_cast<int>(letter - kAxisLetters) : -1;
                d.plane = IndexOf(plane, kPlaneNames);
                return true;
            },
            [k](const SSimStationParams& p) {
                return DetectorProblem(k == 0 ? p.xPsd : p.yPsd, kDetectorNames[k]);
            });
    }
    LoadLine(
        params, "Line 4", problems,
        [](const char* text, SSimStationParams& p) {
            char kind[16] = {};
            if (std::sscanf(text, kFieldRead, kind, &p.c0, &p.gradient, &p.strength, &p.fieldAt.x,
                            &p.fieldAt.y, &p.fieldAt.z, &p.fieldAlong.x, &p.fieldAlong.y,
                            &p.fieldAlong.z) != 10)
                return false;
            p.field = IndexOf(kind, kFieldNames);
            return true;
        },
        FieldProblem);
    for (int n = 0; n < 2; ++n) {
        LoadLine(
            params, n == 0 ? "Line 5" : "Line 6", problems,
            [n](const char* text, SSimStationParams& p) {
                SSimElectrode& e = p.electrodes[static_cast<size_t>(n)];
                char kind[16] = {};
                if (std::sscanf(text, kElectrodeRead[n], kind, &e.e0, &e.slope, &e.i0, &e.kp,
                                &e.plateauLow, &e.plateauHigh, &e.preampGain, &e.mainGain,
                                &e.hiChan, &e.loChan, &e.daChan) != 12)
                    return false;
                e.kind = IndexOf(kind, kElectrodeNames);
                return true;
            },
            [n](const SSimStationParams& p) {
                return ElectrodeProblem(p.electrodes[static_cast<size_t>(n)], n + 1);
            });
    }
    LoadLine(
        params, "Line 7", problems,
        [](const char* text, SSimStationParams& p) {
            return std::sscanf(text, kSolutionsFormat, &p.solutions[0], &p.solutions[1],
                               &p.solutions[2], &p.beaker) == 4;
        },
        SolutionsProblem);
    LoadLine(
        params, "Line 8", problems,
        [](const char* text, SSimStationParams& p) {
            return std::sscanf(text, kNoiseFormat, &p.noiseVolts, &p.noiseSeed) == 2;
        },
        NoiseProblem);
}

bool SaveSimSourceLine(const SSimStationParams& p) {
    return Profile().WriteLine(kSimStationSection, "Line 0", kSourceFormat, p.source.x, p.source.y,
                               p.source.z, p.sourceNanoAmps, p.sourceOn ? 1 : 0);
}

bool SaveSimSolutionsLine(const SSimStationParams& p) {
    return Profile().WriteLine(kSimStationSection, "Line 7", kSolutionsFormat, p.solutions[0],
                               p.solutions[1], p.solutions[2], p.beaker);
}

bool SaveSimStationParams(const SSimStationParams& p) {
    CProfile& profile = Profile();
    const char* s = kSimStationSection;
    bool ok = SaveSimSourceLine(p);
    ok = profile.WriteLine(s, "Line 1", kMediumFormat, p.rho, p.systemGain, p.spanMicrons,
                           p.cdpFirstChan) &&
         ok;
    for (int k = 0; k < 2; ++k) {
        const SSimDetector& d = k == 0 ? p.xPsd : p.yPsd;
        ok =
            profile.WriteLine(s, k == 0 ? "Line 2" : "Line 3", kDetectorWrite, kDetectorNames[k],
                              kAxisLetters[d.axis >= kSimAxisX && d.axis <= kSimAxisZ ? d.axis : 0],
                              kPlaneNames[d.plane == kSimPlaneYZ ? 1 : 0], d.angleDegrees,
                              d.phaseDegrees, d.inPhaseOffset, d.quadratureOffset) &&
            ok;
    }
    ok = profile.WriteLine(s, "Line 4", kFieldWrite, kFieldNames[p.field == kSimFieldPoint ? 1 : 0],
                           p.c0, p.gradient, p.strength, p.fieldAt.x, p.fieldAt.y, p.fieldAt.z,
                           p.fieldAlong.x, p.fieldAlong.y, p.fieldAlong.z) &&
         ok;
    for (int n = 0; n < 2; ++n) {
        const SSimElectrode& e = p.electrodes[static_cast<size_t>(n)];
        const int kind = e.kind >= kSimElectrodeOff && e.kind <= kSimElectrodePolarographic
                             ? e.kind
                             : kSimElectrodeOff;
        ok = profile.WriteLine(s, n == 0 ? "Line 5" : "Line 6", kElectrodeWrite, n + 1,
                               kElectrodeNames[kind], e.e0, e.slope, e.i0, e.kp, e.plateauLow,
                               e.plateauHigh, e.preampGain, e.mainGain, e.hiChan, e.loChan,
                               e.daChan) &&
             ok;
    }
    ok = SaveSimSolutionsLine(p) && ok;
    ok = profile.WriteLine(s, "Line 8", kNoiseFormat, p.noiseVolts, p.noiseSeed) && ok;
    return ok;
}
