#include "hw/sim/SimStationLogic.h"

#include "hw/AdBoard.h"
#include "hw/sim/SimStationBoard.h"
#include "hw/sim/SimStationSettings.h"
#include "platform/Format.h"
#include "platform/NumberEntry.h"

namespace {

using EKind = SSimField::EKind;

SSimField Number(std::string name, const char* label, double& value) {
    SSimField f;
    f.name = std::move(name);
    f.label = label;
    f.kind = EKind::Number;
    f.number = &value;
    return f;
}

SSimField Whole(std::string name, const char* label, int& value, int low, int high) {
    SSimField f;
    f.name = std::move(name);
    f.label = label;
    f.kind = EKind::Whole;
    f.whole = &value;
    f.low = low;
    f.high = high;
    return f;
}

SSimField CheckBox(std::string name, const char* label, bool& value) {
    SSimField f;
    f.name = std::move(name);
    f.label = label;
    f.kind = EKind::Check;
    f.flag = &value;
    return f;
}

SSimField Choice(std::string name, const char* label, int& value,
                 std::vector<std::string> choices) {
    SSimField f;
    f.name = std::move(name);
    f.label = label;
    f.kind = EKind::Choice;
    f.whole = &value;
    f.choices = std::move(choices);
    return f;
}

SSimGroup Detector(const char* title, const std::string& prefix, SSimDetector& d) {
    auto name = [&prefix](const char* field) { return prefix + field; };
    SSimGroup g{title, 0, {}};
    g.fields.push_back(Choice(name("Axis"), "Vibrates along:", d.axis, {"X", "Y", "Z"}));
    g.fields.push_back(Choice(name("Plane"), "Turned in plane:", d.plane,
                              {"X-Y (X toward Y)", "Y-Z (Y toward Z)"}));
    g.fields.push_back(Number(name("Angle"), "Turned by (degrees):", d.angleDegrees));
    g.fields.push_back(Number(name("Phase"), "Lock-in phase (degrees):", d.phaseDegrees));
    g.fields.push_back(Number(name("InPhaseOffset"), "In-phase offset (V):", d.inPhaseOffset));
    g.fields.push_back(
        Number(name("QuadratureOffset"), "Quadrature offset (V):", d.quadratureOffset));
    return g;
}

SSimGroup Electrode(int number, SSimElectrode& e) {
    const std::string prefix = StrPrintf("electrode%d", number);
    auto name = [&prefix](const char* field) { return prefix + field; };
    SSimGroup g{StrPrintf("Electrode %d", number), 1, {}};
    g.fields.push_back(
        Choice(name("Kind"), "Electrode:", e.kind, {"Off", "Nernst", "Polarographic"}));
    g.fields.push_back(Number(name("E0"), "Nernst E0 (mV at 1):", e.e0));
    g.fields.push_back(Number(name("Slope"), "Nernst slope (mV/decade):", e.slope));
    g.fields.push_back(Number(name("I0"), "Polarographic i0 (pA):", e.i0));
    g.fields.push_back(Number(name("Kp"), "Polarographic kp (pA per unit):", e.kp));
    g.fields.push_back(Number(name("PlateauLow"), "Plateau from (V):", e.plateauLow));
    g.fields.push_back(Number(name("PlateauHigh"), "Plateau to (V):", e.plateauHigh));
    g.fields.push_back(Number(name("PreampGain"), "Preamp gain:", e.preampGain));
    g.fields.push_back(Number(name("MainGain"), "Main amp gain:", e.mainGain));
    g.fields.push_back(Whole(name("HiChan"), "High-gain A/D channel:", e.hiChan, 0, 7));
    g.fields.push_back(Whole(name("LoChan"), "Low-gain A/D channel:", e.loChan, 0, 7));
    g.fields.push_back(Whole(name("DaChan"), "Offset D/A channel:", e.daChan, 0, 1));
    return g;
}

}  // namespace

CSimStationLogic::CSimStationLogic(const SSimStationParams& p) : params(p) {
    Build();
    Show();
}

CSimStationLogic::CSimStationLogic(CAdBoard& board) {
    if (const CSimStationBoardDriver* sim = CSimStationBoardDriver::Of(board))
        params = sim->Params();
    else
        LoadSimStationParams(params, nullptr);
    Build();
    Show();
}

void CSimStationLogic::Build() {
    SSimStationParams& p = params;
    groups.clear();

    SSimGroup source{"Calibration source (on the sample)", 0, {}};
    source.fields.push_back(Number("sourceX", "X (microns):", p.source.x));
    source.fields.push_back(Number("sourceY", "Y (microns):", p.source.y));
    source.fields.push_back(Number("sourceZ", "Z (microns):", p.source.z));
    source.fields.push_back(Number("sourceNanoAmps", "Current (nA):", p.sourceNanoAmps));
    source.fields.push_back(CheckBox("sourceOn", "Current on", p.sourceOn));
    groups.push_back(std::move(source));

    SSimGroup medium{"Bath and amplifier", 0, {}};
    medium.fields.push_back(Number("rho", "Resistivity (ohm cm):", p.rho));
    medium.fields.push_back(Number("systemGain", "System gain:", p.systemGain));
    medium.fields.push_back(Number("spanMicrons", "Vibration span (microns):", p.spanMicrons));
    medium.fields.push_back(
        Whole("cdpFirstChan", "First lock-in A/D channel:", p.cdpFirstChan, 0, 4));
    medium.fields.push_back(Number("noiseVolts", "Noise (V per sample):", p.noiseVolts));
    SSimField seed;
    seed.name = "noiseSeed";
    seed.label = "Noise seed:";
    seed.kind = EKind::Whole;
    seed.low = 0;
    seed.high = 4294967295LL;
    seed.seed = &p.noiseSeed;
    medium.fields.push_back(std::move(seed));
    groups.push_back(std::move(medium));

    groups.push_back(Detector("X PSD", "xPsd", p.xPsd));
    groups.push_back(Detector("Y PSD", "yPsd", p.yPsd));

    SSimGroup field{"Concentration in the sample's bath", 1, {}};
    field.fields.push_back(Choice("field", "Field:", p.field,
                                  {"Linear: c0 + g * distance", "Point source: c0 + k / r"}));
    field.fields.push_back(Number("c0", "c0:", p.c0));
    field.fields.push_back(Number("gradient", "g (per micron):", p.gradient));
    field.fields.push_back(Number("strength", "k (times microns):", p.strength));
    field.fields.push_back(Number("fieldAtX", "At X (microns):", p.fieldAt.x));
    field.fields.push_back(Number("fieldAtY", "At Y (microns):", p.fieldAt.y));
    field.fields.push_back(Number("fieldAtZ", "At Z (microns):", p.fieldAt.z));
    field.fields.push_back(Number("fieldAlongX", "Gradient along X:", p.fieldAlong.x));
    field.fields.push_back(Number("fieldAlongY", "Gradient along Y:", p.fieldAlong.y));
    field.fields.push_back(Number("fieldAlongZ", "Gradient along Z:", p.fieldAlong.z));
    groups.push_back(std::move(field));

    SSimGroup solutions{"Standard solutions", 1, {}};
    solutions.fields.push_back(Number("solution1", "Solution 1:", p.solutions[0]));
    solutions.fields.push_back(Number("solution2", "Solution 2:", p.solutions[1]));
    solutions.fields.push_back(Number("solution3", "Solution 3:", p.solutions[2]));
    solutions.fields.push_back(
        Choice("beaker", "Probe tip in:", p.beaker,
               {"The sample's bath", "Solution 1", "Solution 2", "Solution 3"}));
    groups.push_back(std::move(solutions));

    groups.push_back(Electrode(1, p.electrodes[0]));
    groups.push_back(Electrode(2, p.electrodes[1]));
}

void CSimStationLogic::Show() {
    for (SSimGroup& g : groups) {
        for (SSimField& f : g.fields) {
            if (f.number) f.text = FormatNumberEntry(*f.number);
            if (f.whole) f.text = std::to_string(*f.whole);
            if (f.seed) f.text = std::to_string(*f.seed);
            if (f.flag) f.text = std::string(1, *f.flag ? '1' : '0');
        }
    }
}

SSimField* CSimStationLogic::Field(std::string_view name) {
    for (SSimGroup& g : groups)
        for (SSimField& f : g.fields)
            if (f.name == name) return &f;
    return nullptr;
}

bool CSimStationLogic::Check(std::string& error) {
    // Parse into a copy first, so a refused entry changes nothing.
    const SSimStationParams before = params;
    for (SSimGroup& g : groups) {
        for (SSimField& f : g.fields) {
            std::string label = f.label;
            if (!label.empty() && label.back() == ':') label.pop_back();
            if (f.kind == EKind::Number) {
                const std::optional<double> v = ParseNumberEntry(f.text);
                if (!v) {
                    error = StrPrintf("Please enter a number for \"%s\" in %s (not \"%s\").",
                                      label.c_str(), g.title.c_str(), f.text.c_str());
                    params = before;
                    return false;
                }
                *f.number = *v;
            } else if (f.kind == EKind::Check) {
                *f.flag = f.text == "1";
            } else {
                const int64_t low = f.kind == EKind::Choice ? 0 : f.low;
                const int64_t high =
                    f.kind == EKind::Choice ? static_cast<int64_t>(f.choices.size()) - 1 : f.high;
                const std::optional<int64_t> v = ParseWholeEntry(f.text, low, high);
                if (!v) {
                    error = StrPrintf(
                        "Please enter a whole number from %lld to %lld for \"%s\" in %s (not "
                        "\"%s\").",
                        static_cast<long long>(low), static_cast<long long>(high), label.c_str(),
                        g.title.c_str(), f.text.c_str());
                    params = before;
                    return false;
                }
                if (f.seed)
                    *f.seed = static_cast<unsigned>(*v);
                else
                    *f.whole = static_cast<int>(*v);
            }
        }
    }
    error = SimStationParamsProblem(params);
    if (!error.empty()) {
        params = before;
        return false;
    }
    return true;
}

void CSimStationLogic::Apply(CAdBoard& board) const {
    if (CSimStationBoardDriver* sim = CSimStationBoardDriver::Of(board))
        sim->SetParams(params);
    else
        SaveSimStationParams(params);
}
