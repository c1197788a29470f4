// A station that records CDP points all day ends up with documents of a million observations.
// Saving and loading such a document must stay well under a few seconds, and must not need
// much more memory than the document itself. Measured on 1,000,000 CWireObs with their rules
// and calibration; the counters give the file size and the document's size in memory.
//
//   /usr/bin/time -v build/bench/velm_bench --benchmark_filter=BM_DocumentSave
//   /usr/bin/time -v build/bench/velm_bench --benchmark_filter=BM_DocumentLoad

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "obs/ObsDoc.h"
#include "obs/SampRulesWire.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "platform/Prompt.h"
#include "platform/Services.h"

namespace {

constexpr int kPoints = 1000000;

// Resident memory of this process in bytes.
double ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE));
}

std::unique_ptr<CObsDoc> MakeDocument() {
    auto doc = std::make_unique<CObsDoc>();
    doc->updateView = 0;
    auto rules = std::make_unique<CSampRulesWire>();
    rules->SetTime(1196856000, 0);
    doc->AddObs(std::move(rules));
    auto cal = std::make_unique<CWireCalibration>();
    cal->SetTime(1196856000, 0);
    doc->AddObs(std::move(cal));
    for (int i = 0; i < kPoints; ++i) {
        auto obs = std::make_unique<CWireObs>();
        obs->SetTime(1196856001 + i / 1000, static_cast<uint16_t>(i % 1000));
        obs->probePosition = CDVector4(i % 100 * 10.0, i / 100 * 10.0, 0, 0);
        obs->reading = CDVector4(0.001 * i, 0.002, -0.003, 0.004);
        doc->AddObs(std::move(obs));
    }
    return doc;
}

std::string BenchPath() {
    static std::string path = [] {
        char pattern[] = "/tmp/velm-bench-doc-XXXXXX";
        const char* dir = ::mkdtemp(pattern);
        if (!dir) std::abort();
        return std::string(dir) + "/points.vpo";
    }();
    return path;
}

void BM_DocumentSave(benchmark::State& state) {
    CScriptedPrompt prompt;
    CScopedServices services(nullptr, &prompt);
    const double before = ResidentBytes();
    auto doc = MakeDocument();
    const double inMemory = ResidentBytes() - before;
    const std::string path = BenchPath();
    for (auto _ : state) {
        if (!doc->OnSaveDocument(path)) state.SkipWithError("save failed");
    }
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const auto fileSize = static_cast<int64_t>(in.tellg());
    state.SetBytesProcessed(state.iterations() * fileSize);
    state.counters["file_MB"] = static_cast<double>(fileSize) / 1e6;
    state.counters["doc_in_memory_MB"] = inMemory / 1e6;
}
BENCHMARK(BM_DocumentSave)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_DocumentLoad(benchmark::State& state) {
    CScriptedPrompt prompt;
    CScopedServices services(nullptr, &prompt);
    const std::string path = BenchPath();
    {
        auto doc = MakeDocument();
        if (!doc->OnSaveDocument(path)) state.SkipWithError("save failed");
    }
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const auto fileSize = static_cast<int64_t>(in.tellg());
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = std::make_unique<CObsDoc>();
        state.ResumeTiming();
        if (!doc->OnOpenDocument(path) || doc->GetObsCount() != kPoints + 2)
            state.SkipWithError("load failed");
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * fileSize);
    state.counters["file_MB"] = static_cast<double>(fileSize) / 1e6;
}
BENCHMARK(BM_DocumentLoad)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
