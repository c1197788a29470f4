// An averaging window of ReadChannels sets the pace of every point of a scan: it should last
// what was asked, to the millisecond, and the waiting should not burn a core (the clock
// sleeps until the last stretch of each tick). Measured on the Random Number Generator with
// the real clock: 20 windows of 0.5 s over eight channels.

#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "hw/AdBoard.h"
#include "platform/PortIo.h"
#include "platform/Prompt.h"
#include "platform/Services.h"
#include "settings/Profile.h"

namespace {

double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void BM_AdReadChannelsRandomHalfSecond(benchmark::State& state) {
    // A scratch settings file that does not exist: the board starts with every default and
    // never sees the user's own velm.ini.
    char pattern[] = "/tmp/velm-bench-ad-XXXXXX";
    std::string dir = ::mkdtemp(pattern);
    CProfile profile(dir + "/velm.ini");
    CScopedProfile scopedProfile(&profile);
    CRealClock clock;
    CScriptedPrompt prompt;
    CScopedServices services(&clock, &prompt);
    CScriptedPortIo ports;
    CScopedPortIo scopedPorts(&ports);

    CAdBoard board;
    board.type = kAdRandom;
    double volts[8];
    std::vector<double> errorsMs, cpuMs;
    for (auto _ : state) {
        const double cpu0 = CpuSeconds();
        const auto wall0 = std::chrono::steady_clock::now();
        bool ok = board.ReadChannels(0.5, 0, 7, volts);
        const auto wall1 = std::chrono::steady_clock::now();
        const double cpu1 = CpuSeconds();
        benchmark::DoNotOptimize(volts);
        if (!ok) state.SkipWithError("ReadChannels failed");
        const double ms = std::chrono::duration<double, std::milli>(wall1 - wall0).count();
        errorsMs.push_back(std::fabs(ms - 500.0));
        cpuMs.push_back((cpu1 - cpu0) * 1000.0);
    }
    std::sort(errorsMs.begin(), errorsMs.end());
    std::sort(cpuMs.begin(), cpuMs.end());
    if (!errorsMs.empty()) {
        state.counters["window_err_median_ms"] = errorsMs[errorsMs.size() / 2];
        state.counters["window_err_worst_ms"] = errorsMs.back();
        state.counters["cpu_median_ms"] = cpuMs[cpuMs.size() / 2];
        state.counters["cpu_worst_ms"] = cpuMs.back();
    }
    ::rmdir(dir.c_str());
}
BENCHMARK(BM_AdReadChannelsRandomHalfSecond)
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
