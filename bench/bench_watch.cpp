// The watch windows' time plot: a day of 1 s samples (86,400 points per trace) reduced to one
// minimum/maximum pair per pixel column, as each repaint does before it draws. The full repaint
// with Qt drawing is timed by the GUI tests' DISABLED_RepaintTimeOfADayOfOneSecondSamples.
//
//   build/bench/velm_bench --benchmark_filter=BM_Watch

#include <benchmark/benchmark.h>

#include <cmath>

#include "tech/watch/WatchPlot.h"

namespace {

constexpr int kDay = 86400;
constexpr double kStart = 1196856000.0;

const CPlotTrace& DayTrace() {
    static const CPlotTrace trace = [] {
        CPlotTrace t;
        for (int i = 0; i < kDay; ++i)
            t.Add({std::sin(i / 500.0), std::cos(i / 700.0), kStart + i}, kDay);
        return t;
    }();
    return trace;
}

// One trace's repaint data for a plot `state.range(0)` pixels wide.
void BM_WatchDecimateDay(benchmark::State& state) {
    const CPlotTrace& t = DayTrace();
    const int columns = static_cast<int>(state.range(0));
    for (auto _ : state) {
        auto cols = DecimateTrace(t, 0, kStart, kStart + kDay, columns);
        benchmark::DoNotOptimize(cols.data());
    }
    state.SetItemsProcessed(state.iterations() * kDay);
}
BENCHMARK(BM_WatchDecimateDay)->Arg(800)->Arg(1920)->Unit(benchmark::kMicrosecond);

// A tick: one point added to a full day's trace (the oldest dropped) and the autoscale
// magnitude over the window.
void BM_WatchTickOnAFullDay(benchmark::State& state) {
    CPlotTrace t = DayTrace();
    double now = kStart + kDay;
    for (auto _ : state) {
        t.Add({0.5, -0.5, now}, kDay);
        now += 1.0;
        benchmark::DoNotOptimize(t.MaxMagnitude(0));
    }
}
BENCHMARK(BM_WatchTickOnAFullDay)->Unit(benchmark::kMicrosecond);

}  // namespace
