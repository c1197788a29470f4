// A grid scan's own work at each point (the loop, the position, the move on a stage whose
// moves take no time, the journal, the status) must stay far below any sampling time: goal
// under 50 us a point. Measured on the Simulated Station under the simulated clock with zero
// waits, on a 100 x 100 grid: without samples (the engine alone) and with CDP samples of one
// simulated millisecond (the engine plus the acquisition's bookkeeping). Then the time to save the
// scan file of 10,000 CDP points.
//
//   build/bench/velm_bench --benchmark_filter='BM_GridScan'

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "hw/Devices.h"
#include "obs/WireObs.h"
#include "platform/Prompt.h"
#include "platform/Services.h"
#include "scan/GridScanEngine.h"
#include "scan/ScanDoc.h"
#include "settings/Profile.h"
#include "tech/Station.h"

namespace {

struct SBench {
    SBench() : dir(::mkdtemp(pattern)), profile(dir + "/velm.ini"), scopedProfile(&profile) {
        profile.WriteProfileString("A/D Board", "Line 0", "Simulated Station");
        profile.WriteProfileString(
            "FlexMotion MCS", "Line 1",
            "criteria=1  deadband=4  delay=0  minpulse=10  statuscheckdelay=0");
        profile.WriteProfileString("Probe Motion System", "Line 1", "Steps/micron: 1 1 1 1");
        std::filesystem::create_directory(dir + "/group");
    }
    ~SBench() { std::filesystem::remove_all(dir); }
    char pattern[40] = "/tmp/velm-bench-gridscan-XXXXXX";
    std::string dir;
    CProfile profile;
    CScopedProfile scopedProfile;
    CSimClock clock;
    CScriptedPrompt prompt;
    CScopedServices services{&clock, &prompt};
};

void Grid(CScanDoc& doc, const std::string& dir, bool cdp) {
    doc.rootDir = dir;
    doc.groupDir = "group";
    doc.stepType = kStepGrid;
    doc.gridType = kGridZigZag;
    doc.steps = CIVector4(100, 100, 1, 1);
    doc.end = CDVector4(990, 990, 0, 0);
    doc.storeWire = cdp;
    doc.showStatus = false;
    doc.wireRules.WaitPeriod = 0.0;
    doc.wireRules.SamplePeriod = 0.001;  // the shortest read (simulated time)
}

void BM_GridScanPerPoint(benchmark::State& state) {
    SBench bench;
    CDevices devices;
    CStation station(&devices);
    const bool cdp = state.range(0) != 0;
    int n = 0;
    for (auto _ : state) {
        CScanDoc doc;
        Grid(doc, bench.dir, cdp);
        CGridScanEngine engine(doc, station);
        const SScanOutcome outcome = engine.AcquireScan(n++);
        if (!outcome.Continue()) state.SkipWithError("the scan did not run to its end");
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_GridScanPerPoint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_GridScanSave(benchmark::State& state) {
    SBench bench;
    CScanDoc doc;
    Grid(doc, bench.dir, true);
    for (int i = 0; i < 10000; ++i) {
        auto obs = std::make_unique<CWireObs>();
        obs->StampNow();
        obs->reading = CDVector4(0.1 * i, 0.2, 0.3, 0.4);
        doc.AddObs(std::move(obs), false);
    }
    const std::string path = bench.dir + "/group/bench.scn";
    for (auto _ : state) {
        std::string message;
        if (!doc.SaveFile(path, message)) state.SkipWithError(message.c_str());
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_GridScanSave)->Unit(benchmark::kMillisecond);

}  // namespace
