// One screen of the observation list of a document of a million CDP points: the header, the
// time range and fifty described lines, as the list view paints them. Only the visible lines
// are described, so a screen must cost well under a frame (16 ms) at any scroll position and
// with any time-range filter.
//
//   build/bench/velm_bench --benchmark_filter=BM_ObsList

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "obs/ObsDoc.h"
#include "obs/ObsListModel.h"
#include "obs/SampRulesWire.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"

namespace {

constexpr int kPoints = 1000000;
constexpr int kScreenLines = 50;
constexpr int64_t kStart = 1196856000;

CObsDoc& Document() {
    static std::unique_ptr<CObsDoc> doc = [] {
        auto d = std::make_unique<CObsDoc>();
        d->updateView = 0;
        auto rules = std::make_unique<CSampRulesWire>();
        rules->SetTime(kStart, 0);
        d->AddObs(std::move(rules));
        auto cal = std::make_unique<CWireCalibration>();
        cal->SetTime(kStart, 0);
        cal->XXuAperV = cal->YYuAperV = 5000000;
        d->AddObs(std::move(cal));
        for (int i = 0; i < kPoints; ++i) {
            auto obs = std::make_unique<CWireObs>();
            obs->SetTime(kStart + 1 + i / 1000, static_cast<uint16_t>(i % 1000));
            obs->probePosition = CDVector4(i % 100 * 10.0, i / 100 * 10.0, 0, 0);
            obs->reading = CDVector4(0.001 * i, 0.002, -0.003, 0.004);
            d->AddObs(std::move(obs));
        }
        d->detailFlags = static_cast<int>(DetailFlags::kDefault | DetailFlags::kDate);
        return d;
    }();
    return *doc;
}

// state.range(0): the first line shown, in thousandths of the list.
void Screen(benchmark::State& state, int viewMode) {
    CObsDoc& doc = Document();
    doc.viewMode = viewMode;
    doc.fixedStart = kStart + 100;
    doc.fixedEnd = kStart + 900;
    CObsListModel model(doc);
    std::vector<SListLine> lines;
    for (auto _ : state) {
        const int64_t first = model.LineCount() * state.range(0) / 1000;
        model.DescribeLines(first, kScreenLines, lines);
        benchmark::DoNotOptimize(lines.data());
    }
    state.counters["lines"] = static_cast<double>(lines.size());
}

void BM_ObsListScreenAll(benchmark::State& state) {
    Screen(state, kViewAll);
}
void BM_ObsListScreenFixedRange(benchmark::State& state) {
    Screen(state, kViewFixed);
}
BENCHMARK(BM_ObsListScreenAll)->Arg(0)->Arg(500)->Arg(990)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ObsListScreenFixedRange)->Arg(0)->Arg(500)->Unit(benchmark::kMicrosecond);

// The first screen after the document changed: the register of rules and calibrations in
// force is rebuilt from the whole list once.
void BM_ObsListFirstScreenAfterChange(benchmark::State& state) {
    CObsDoc& doc = Document();
    doc.viewMode = kViewAll;
    CObsListModel model(doc);
    std::vector<SListLine> lines;
    for (auto _ : state) {
        doc.RebuildRegister();
        model.DescribeLines(model.LineCount() / 2, kScreenLines, lines);
        benchmark::DoNotOptimize(lines.data());
    }
}
BENCHMARK(BM_ObsListFirstScreenAfterChange)->Unit(benchmark::kMillisecond);

}  // namespace
