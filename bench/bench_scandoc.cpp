// What a scan's document side costs per point: appending one CDP point to the journal and
// flushing it to disk (this is the price of losing at most one point in a crash, paid once per
// point), rebuilding the live map of a 100 x 100 scan as its last point arrives, and recovering
// the journal of a 10,000-point scan into its file.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "obs/WireObs.h"
#include "platform/Clock.h"
#include "platform/Prompt.h"
#include "platform/Services.h"
#include "scan/ScanDoc.h"
#include "scan/ScanJournal.h"
#include "scan/ScanMap.h"
#include "scan/ScanRecovery.h"

namespace {

std::string ScratchFolder() {
    // Beside the build rather than on a tmpfs: the flush must reach a real disk.
    char pattern[] = "./velm-bench-scandoc-XXXXXX";
    return std::filesystem::absolute(::mkdtemp(pattern)).string();
}

std::unique_ptr<CWireObs> PointAt(int i) {
    auto obs = std::make_unique<CWireObs>();
    obs->reading = CDVector4(0.001 * (i % 17), 0.002 * (i % 5), 0.001, 0.0005 * (i % 3));
    obs->probePosition = CDVector4(10.0 * (i % 100), 10.0 * (i / 100), 0, 0);
    return obs;
}

void FillGrid(CScanDoc& doc) {
    doc.steps = CIVector4(100, 100, 1, 1);
    doc.end = CDVector4(990, 990, 0, 0);
    doc.wireCal.XXuAperV = doc.wireCal.YYuAperV = 1.0;
}

void BM_JournalAppendFlushed(benchmark::State& state) {
    CSimClock clock;
    CScriptedPrompt prompt;
    CScopedServices services(&clock, &prompt);
    const std::string folder = ScratchFolder();
    CScanDoc doc;
    doc.scanFile = folder + "/Scan0000.scn";
    CScanJournal journal;
    std::string message;
    journal.Begin(doc, "", 0, 1 << 30, message);
    const std::unique_ptr<CWireObs> obs = PointAt(7);
    int n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(journal.Append(*obs, ++n, message));
    journal.Finish();
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_JournalAppendFlushed)->Unit(benchmark::kMicrosecond);

void BM_MapOf10000PointScan(benchmark::State& state) {
    CSimClock clock;
    CScriptedPrompt prompt;
    CScopedServices services(&clock, &prompt);
    CScanDoc doc;
    FillGrid(doc);
    for (int i = 0; i < 10000; ++i)
        doc.AddObs(PointAt(i), false);
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildScanMap(doc).arrows.size());
}
BENCHMARK(BM_MapOf10000PointScan)->Unit(benchmark::kMillisecond);

void BM_Recover10000PointJournal(benchmark::State& state) {
    CSimClock clock;
    CScriptedPrompt prompt;
    CScopedServices services(&clock, &prompt);
    // The journal's bytes are made once in memory-backed /dev/shm (where a flush costs
    // nothing), then laid down again before each recovery.
    std::string bytes;
    {
        char pattern[] = "/dev/shm/velm-bench-journal-XXXXXX";
        const std::string shm = ::mkdtemp(pattern);
        CScanDoc doc;
        FillGrid(doc);
        doc.scanFile = shm + "/Scan0000.scn";
        CScanJournal journal;
        std::string message;
        journal.Begin(doc, "", 0, 10000, message);
        for (int i = 0; i < 10000; ++i)
            journal.Append(*PointAt(i), i + 1, message);
        std::ifstream in(CScanJournal::PathFor(doc.scanFile), std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
        std::filesystem::remove_all(shm);
    }
    const std::string folder = ScratchFolder();
    const std::string scanFile = folder + "/Scan0000.scn";
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(scanFile);
        std::ofstream(CScanJournal::PathFor(scanFile), std::ios::binary) << bytes;
        state.ResumeTiming();
        const SScanRecoveryReport report = RecoverScanJournals(folder);
        benchmark::DoNotOptimize(report.recovered.size());
    }
    state.counters["journal_bytes"] = static_cast<double>(bytes.size());
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_Recover10000PointJournal)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
