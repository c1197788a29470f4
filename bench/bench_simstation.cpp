// The Simulated Station has to be cheap: tests and training scans run thousands of points on
// it. Measured: one evaluation of the bench's model, and one point of a scan on the simulated
// clock (a move of the probe stage, then a 0.5 s average of all eight channels), the cost a
// 10,000-point scan pays per point in a test.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "settings/Profile.h"
#include "hw/AdBoard.h"
#include "hw/BenchHands.h"
#include "hw/MsWcmc.h"
#include "hw/sim/StationModel.h"
#include "platform/Clock.h"
#include "platform/Prompt.h"
#include "platform/Services.h"

namespace {

void BM_SimStationModelRead(benchmark::State& state) {
    SSimStationParams params;
    params.sourceOn = true;
    params.electrodes[1].kind = kSimElectrodePolarographic;
    const CStationModel model(params);
    SBenchState bench;
    double x = 0.0;
    for (auto _ : state) {
        bench.probe.x = x;
        bench.probe.y = 150.0;
        x += 0.5;
        benchmark::DoNotOptimize(model.Read(bench));
    }
}
BENCHMARK(BM_SimStationModelRead);

void BM_SimStationScanPoint(benchmark::State& state) {
    char pattern[] = "/tmp/velm-bench-sim-XXXXXX";
    const std::string dir = ::mkdtemp(pattern);
    CProfile profile(dir + "/velm.ini");
    CScopedProfile scopedProfile(&profile);
    CSimClock clock;
    CScriptedPrompt prompt;
    CScopedServices services(&clock, &prompt);
    profile.WriteProfileString(CAdBoard::kSection, "Line 0", "Simulated Station");

    CMsWcmc probe, sample, tip;
    CAdBoard board;
    board.SetBenchStages({&probe, &sample, &tip});
    board.Hands()->SetSourceCurrent(true);
    double volts[8];
    int point = 0;
    for (auto _ : state) {
        const CDVector4 target((point % 100) * 10.0, 150.0 + (point / 100 % 100) * 10.0, 0, 0);
        ++point;
        if (probe.MoveAbsolute(target, kSpeedModeLinear) != CMsWcmc::kMoveDone ||
            !board.ReadChannels(0.5, 0, 7, volts))
            state.SkipWithError("move or read failed");
        benchmark::DoNotOptimize(volts);
    }
    std::remove((dir + "/velm.ini").c_str());
    ::rmdir(dir.c_str());
}
BENCHMARK(BM_SimStationScanPoint);

}  // namespace
