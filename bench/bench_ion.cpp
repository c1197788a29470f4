// Gradient probes: one gradient point of the worked example on the Simulated Station and the
// simulated clock (a bath update, two points of 1 s wait and 0.5 s average, the way back), the
// cost a gradient scan pays per point in a test; and reading a probe's state from velm.ini the
// first time it is needed (rules of a path of `points` points, calibration, a reference of ten
// repetitions), which velm.ini's one-read-per-key costs grow with.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "hw/AdBoard.h"
#include "hw/MsWcmc.h"
#include "obs/IonCalibration.h"
#include "obs/IonObs.h"
#include "obs/SampRulesIon.h"
#include "platform/Clock.h"
#include "platform/Prompt.h"
#include "platform/Services.h"
#include "settings/Profile.h"
#include "tech/IonAcquisition.h"
#include "tech/IonStation.h"

namespace {

// A scratch velm.ini with the services a station needs, for one benchmark.
class CScratch {
  public:
    CScratch()
        : dir(::mkdtemp(pattern)),
          profile(dir + "/velm.ini"),
          scopedProfile(&profile),
          services(&clock, &prompt) {}
    ~CScratch() {
        std::remove((dir + "/velm.ini").c_str());
        ::rmdir(dir.c_str());
    }
    char pattern[32] = "/tmp/velm-bench-ion-XXXXXX";
    std::string dir;
    CProfile profile;
    CScopedProfile scopedProfile;
    CSimClock clock;
    CScriptedPrompt prompt;
    CScopedServices services;
};

void AddPath(CSampRulesIon& rules, int points) {
    for (int i = 0; i < points; ++i) {
        auto p = std::make_unique<CSampPointIon>();
        p->name = "P" + std::to_string(i + 1);
        p->offset = CDVector4(10.0 * i, 0, 0, 0);
        rules.points.push_back(std::move(p));
    }
    for (int i = 1; i < points; ++i) {
        auto c = std::make_unique<CGradCalcIon>();
        c->name = "G" + std::to_string(i);
        c->first = 0;
        c->second = i;
        rules.calcs.push_back(std::move(c));
    }
}

void BM_IonGradientPoint(benchmark::State& state) {
    CScratch scratch;
    scratch.profile.WriteProfileString(CAdBoard::kSection, "Line 0", "Simulated Station");
    CMsWcmc probe, sample, tip;
    CAdBoard board;
    board.SetBenchStages({&probe, &sample, &tip});
    CSampRulesIon rules;
    rules.name = "K";
    rules.bathBefore = 1;
    AddPath(rules, 2);
    const SIonWalkPlace place{board, tip, kIonNernst};
    for (auto _ : state) {
        CIonObs obs;
        if (!AcquireIonPoint(&rules, obs, place, nullptr)) state.SkipWithError("the walk failed");
        benchmark::DoNotOptimize(obs.values.data());
    }
}
BENCHMARK(BM_IonGradientPoint);

void BM_IonProbeStateFirstUse(benchmark::State& state) {
    CScratch scratch;
    CSampRulesIon rules;
    rules.name = "K";
    AddPath(rules, static_cast<int>(state.range(0)));
    rules.SaveSettings();
    CIonCalibration calibration;
    calibration.name = "K";
    calibration.SaveSettings();
    CIonReference reference;
    reference.name = "K";
    reference.SetShape(static_cast<int>(state.range(0)), 10);
    reference.SaveSettings();
    for (auto _ : state) {
        CIonStation station;
        benchmark::DoNotOptimize(station.Rules("K"));
    }
}
BENCHMARK(BM_IonProbeStateFirstUse)->Arg(2)->Arg(20)->Arg(100);

}  // namespace
