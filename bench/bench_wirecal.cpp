// The CDP calibration runs on the user-interface thread: a watch tick holds the window for its
// read, and the whole procedure should cost no more than its averaging windows. Measured on
// the Simulated Station and the simulated clock (so the windows themselves cost nothing): one
// watch tick, and the whole procedure from the reference to the gains.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "app/MainFrame.h"
#include "hw/AdBoard.h"
#include "obs/WireCalibration.h"
#include "platform/Clock.h"
#include "platform/Prompt.h"
#include "platform/Services.h"
#include "settings/Profile.h"
#include "tech/Station.h"
#include "tech/WireCalibrationSession.h"

namespace {

// A scratch velm.ini naming the Simulated Station, a simulated clock and a prompt that says
// OK to everything, for the length of one benchmark.
class CBenchStation {
  public:
    CBenchStation() : dir(MakeDir()), profile(dir + "/velm.ini"), scoped(&profile) {
        SetServices(&clock, &prompt);
        profile.WriteProfileString(CAdBoard::kSection, "Line 0", "Simulated Station");
        frame = std::make_unique<CMainFrame>();
    }
    ~CBenchStation() {
        frame.reset();
        SetServices(nullptr, nullptr);
        std::remove((dir + "/velm.ini").c_str());
        ::rmdir(dir.c_str());
    }
    static std::string MakeDir() {
        char pattern[] = "/tmp/velm-bench-wirecal-XXXXXX";
        return ::mkdtemp(pattern);
    }

    std::string dir;
    CProfile profile;
    CScopedProfile scoped;
    CSimClock clock;
    CScriptedPrompt prompt;
    std::unique_ptr<CMainFrame> frame;
};

void BM_WireCalibrationWatchTick(benchmark::State& state) {
    CBenchStation bench;
    CWireCalibration calibration;
    CWireCalibrationSession session(bench.frame->Devices(), bench.frame->Station(), calibration);
    session.StartWatch();
    for (auto _ : state) {
        session.WatchTick();
        benchmark::DoNotOptimize(session.lastWatch);
    }
}
BENCHMARK(BM_WireCalibrationWatchTick);

void BM_WireCalibrationWholeProcedure(benchmark::State& state) {
    CBenchStation bench;
    CWireCalibration calibration;
    for (auto _ : state) {
        CWireCalibrationSession session(bench.frame->Devices(), bench.frame->Station(),
                                        calibration);
        bool ok = session.ReferenceObservation();
        for (EPsd psd : {EPsd::X, EPsd::Y})
            ok = ok && session.Go(psd) && session.Sample(psd);
        if (!ok || !session.changed) state.SkipWithError("the calibration failed");
        benchmark::DoNotOptimize(session.work.XXuAperV);
        bench.prompt.shown.clear();
    }
}
BENCHMARK(BM_WireCalibrationWholeProcedure);

}  // namespace
