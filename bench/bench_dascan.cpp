// A D/A output scan spends its time in the board's waits; what the program adds at each point
// (the output, the observation into a growing document, the graph's new range) must stay far
// below the shortest sensible sampling time (10 ms). Measured on the Simulated Station under
// the simulated clock, so the waits themselves take no time: a scan of N points with raw A/D
// samples and no interval.
//
//   build/bench/velm_bench --benchmark_filter='BM_DaScan'

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "hw/Devices.h"
#include "obs/ObsDoc.h"
#include "platform/Prompt.h"
#include "platform/Services.h"
#include "scan/DaScan.h"
#include "settings/Profile.h"
#include "tech/Station.h"

namespace {

void BM_DaScanPointOverhead(benchmark::State& state) {
    char pattern[] = "/tmp/velm-bench-dascan-XXXXXX";
    const std::string dir = ::mkdtemp(pattern);
    CProfile profile(dir + "/velm.ini");
    profile.WriteProfileString("A/D Board", "Line 0", "Simulated Station");
    profile.WriteProfileString("Raw A/D Sample Rules", "Point ",
                               "chan: 4 to 5, pre=0.000000  avg=1  inter=1  avgperiod=0.001000  "
                               "burstnum=100  burstfreq=100.000000");
    CScopedProfile scopedProfile(&profile);
    CSimClock clock;
    CScriptedPrompt prompt;
    CScopedServices services(&clock, &prompt);
    CDevices devices;
    CStation station(&devices);

    SDaScanPlan plan;
    plan.start = -1.0;
    plan.end = 1.0;
    plan.points = static_cast<int>(state.range(0));
    plan.recordRawAD = true;
    plan.reset = true;
    for (auto _ : state) {
        CObsDoc doc;
        CDaScan scan(doc, station, plan);
        if (scan.Run() != EDaScanResult::Completed || scan.PointsTaken() != plan.points ||
            doc.GetObsCount() != static_cast<size_t>(plan.points) + 2)
            state.SkipWithError("the scan did not take every point");
        benchmark::DoNotOptimize(scan.Graph().YAxis().Ticks());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_DaScanPointOverhead)->Arg(100)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace
