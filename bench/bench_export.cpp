// A day of CDP points is a million rows of text export. With every column chosen (number label,
// date, clock time, both positions, title, data and calculations) the export must stay under
// two seconds. Measured into a file through the same temporary-file-and-rename path as the
// desktop program's command; the counter gives the file size. A million raw A/D averages of
// four channels measure the rows whose heading is checked against each row's columns.
//
//   build/bench/velm_bench --benchmark_filter=BM_TextExport

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "obs/ObsDoc.h"
#include "obs/RawADObs.h"
#include "obs/SampRulesWire.h"
#include "obs/TextExport.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "platform/Prompt.h"
#include "platform/Services.h"

namespace {

constexpr int kPoints = 1000000;

std::unique_ptr<CObsDoc> MakeDocument() {
    auto doc = std::make_unique<CObsDoc>();
    doc->updateView = 0;
    doc->referenceTime = 1196856000;
    auto rules = std::make_unique<CSampRulesWire>();
    rules->SetTime(1196856000, 0);
    doc->AddObs(std::move(rules));
    auto cal = std::make_unique<CWireCalibration>();
    cal->SetTime(1196856000, 0);
    cal->XXuAperV = cal->YYuAperV = 5e6;
    cal->XXphase = 0.3;
    cal->YYphase = -0.2;
    doc->AddObs(std::move(cal));
    for (int i = 0; i < kPoints; ++i) {
        auto obs = std::make_unique<CWireObs>();
        obs->SetTime(1196856001 + i / 2, static_cast<uint16_t>(i % 2 * 500));
        obs->probePosition = CDVector4(i % 100 * 10.0, i / 100 * 10.0, -125.5, 0);
        obs->samplePosition = CDVector4(1000.0, 2000.0, 0, 0);
        obs->reading = CDVector4(0.001 * (i % 997), 0.002, -0.003, 0.0001 * (i % 89));
        doc->AddObs(std::move(obs));
    }
    return doc;
}

std::unique_ptr<CObsDoc> MakeRawADDocument() {
    auto doc = std::make_unique<CObsDoc>();
    doc->updateView = 0;
    doc->referenceTime = 1196856000;
    for (int i = 0; i < kPoints; ++i) {
        auto obs = std::make_unique<CRawADObs>();
        obs->SetTime(1196856001 + i / 2, static_cast<uint16_t>(i % 2 * 500));
        obs->rules.FirstChan = 4;
        obs->rules.LastChan = 7;
        obs->values = {0.001 * (i % 997), 0.25, -0.5, 0.0001 * (i % 89)};
        doc->AddObs(std::move(obs));
    }
    return doc;
}

std::string BenchPath() {
    static std::string path = [] {
        char pattern[] = "/tmp/velm-bench-export-XXXXXX";
        const char* dir = ::mkdtemp(pattern);
        if (!dir) std::abort();
        return std::string(dir) + "/expor000.txt";
    }();
    return path;
}

void BM_TextExport(benchmark::State& state) {
    CScriptedPrompt prompt;
    CScopedServices services(nullptr, &prompt);
    auto doc = MakeDocument();
    SExportOptions options = ExportOptionsOf(*doc);
    options.useData = 1;  // "Number label"
    options.useSampPos = 1;
    options.exportTimeType = kTimeClock;
    options.exportDataType = state.range(0) ? kDataComma : kDataTab;
    const std::string path = BenchPath();
    for (auto _ : state) {
        CExportFile file;
        if (!file.Open(path) || !WriteTextExport(*doc, options, SExportRange{}, path, file) ||
            !file.Commit())
            state.SkipWithError("export failed");
    }
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const auto fileSize = static_cast<int64_t>(in.tellg());
    state.SetBytesProcessed(state.iterations() * fileSize);
    state.counters["file_MB"] = static_cast<double>(fileSize) / 1e6;
    std::remove(path.c_str());
}
BENCHMARK(BM_TextExport)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("comma")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

void BM_TextExportRawAD(benchmark::State& state) {
    CScriptedPrompt prompt;
    CScopedServices services(nullptr, &prompt);
    auto doc = MakeRawADDocument();
    SExportOptions options = ExportOptionsOf(*doc);
    options.useData = 1;  // "Number label"
    const std::string path = BenchPath();
    for (auto _ : state) {
        CExportFile file;
        if (!file.Open(path) || !WriteTextExport(*doc, options, SExportRange{}, path, file) ||
            !file.Commit())
            state.SkipWithError("export failed");
    }
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const auto fileSize = static_cast<int64_t>(in.tellg());
    state.SetBytesProcessed(state.iterations() * fileSize);
    state.counters["file_MB"] = static_cast<double>(fileSize) / 1e6;
    std::remove(path.c_str());
}
BENCHMARK(BM_TextExportRawAD)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
