// A vector scan run spends its time in the stages' moves and the board's waits; what the program
// adds per operation (the abort-command look in the transfer folder, the move calls, the
// observation into a growing document) must stay far below the shortest sampling time. Measured
// on the Simulated Station under the simulated clock with moves of no delay, so the waits take
// no time: one run of N raw A/D operations. Also the drawing of Show Area on Image into a
// camera-sized copy.
//
//   build/bench/velm_bench --benchmark_filter='BM_VectorScan|BM_ShowArea'

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "hw/Bmp.h"
#include "hw/Devices.h"
#include "obs/ObsDoc.h"
#include "obs/OpticalSystem.h"
#include "obs/SampRulesRawAD.h"
#include "platform/Prompt.h"
#include "platform/Services.h"
#include "scan/ShowArea.h"
#include "scan/VectorScanRun.h"
#include "settings/Profile.h"
#include "settings/RootDirectory.h"
#include "tech/Station.h"

namespace {

void BM_VectorScanOperationOverhead(benchmark::State& state) {
    char pattern[] = "/tmp/velm-bench-vectorscan-XXXXXX";
    const std::string dir = ::mkdtemp(pattern);
    CProfile profile(dir + "/velm.ini");
    profile.WriteProfileString("A/D Board", "Line 0", "Simulated Station");
    profile.WriteProfileString("FlexMotion MCS", "Line 1",
                               "criteria=0  deadband=0  delay=0  minpulse=0  statuscheckdelay=0");
    CScopedProfile scopedProfile(&profile);
    SetRootDirectory(dir);
    CSimClock clock;
    CScriptedPrompt prompt;
    CScopedServices services(&clock, &prompt);
    CDevices devices;
    CStation station(&devices);
    SVectorScanStation vs;
    vs.station = &station;
    vs.devices = &devices;
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        CObsDoc doc;
        for (int i = 0; i < n; ++i) {
            auto rules = std::make_unique<CSampRulesRawAD>();
            rules->WaitSec = 0.0;
            rules->AvgSec = 0.001;
            rules->probePosition = CDVector4(i % 10, i / 10 % 10, 0, 0);
            doc.vsOps.push_back(std::move(rules));
        }
        doc.vsReps = 1;
        CVectorScanRun run(doc, vs);
        run.transferFolder = dir + "/transfer";
        if (!run.Start() || !run.RunOnce(1) || doc.GetObsCount() != static_cast<size_t>(2 * n) + 4)
            state.SkipWithError("the run did not take every operation");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_VectorScanOperationOverhead)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_ShowAreaDraw(benchmark::State& state) {
    COpticalSystem system;
    system.umPerPixelX = 2.0;
    system.umPerPixelY = -2.0;
    const CBitmapImage grey = CBitmapImage::Blank(1280, 960, 8);
    for (auto _ : state) {
        CBitmapImage copy = grey;
        const auto rect = ShowAreaRect(CDVector4(-500, 400, 0, 0), CDVector4(600, -300, 0, 0),
                                       system, copy.width, copy.height, 5);
        if (!rect) state.SkipWithError("no rectangle");
        DrawShowArea(copy, *rect, 5, 255, 0, 0);
        benchmark::DoNotOptimize(copy.pixels.data());
    }
}
BENCHMARK(BM_ShowAreaDraw)->Unit(benchmark::kMillisecond);

}  // namespace
