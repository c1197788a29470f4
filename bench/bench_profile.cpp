// velm.ini is read afresh at every access, so one read or write bounds every dialog that
// opens or closes. Measured on a 2,000-line file like a well-used station's.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/AtomicFile.h"
#include "platform/Format.h"
#include "platform/Prompt.h"
#include "platform/Services.h"
#include "settings/Profile.h"

namespace {

std::string MakeIni(int lines) {
    std::string text;
    int written = 0;
    for (int section = 0; written < lines; ++section) {
        StrAppendf(text, "[Section %d]\r\n", section);
        ++written;
        for (int key = 0; key < 20 && written < lines; ++key, ++written) {
            StrAppendf(text,
                       "Line %d=base=300 [ a/d +/-10.00V, d/a +/-5.00V ]  da0=0.000000  "
                       "da1=0.000000  freq=1000.000000\r\n",
                       key);
        }
    }
    return text;
}

struct SBenchFile {
    SBenchFile() {
        char pattern[] = "/tmp/velm-bench-XXXXXX";
        dir = ::mkdtemp(pattern);
        path = dir + "/velm.ini";
        WriteFileAtomic(path, MakeIni(2000));
    }
    ~SBenchFile() {
        ::unlink(path.c_str());
        ::rmdir(dir.c_str());
    }
    std::string dir, path;
};

void BM_ProfileReadOneKey(benchmark::State& state) {
    SBenchFile file;
    CProfile profile(file.path);
    for (auto _ : state) {
        // A key in the last section: the whole file is scanned.
        benchmark::DoNotOptimize(profile.GetProfileString("Section 95", "Line 5", ""));
    }
}
BENCHMARK(BM_ProfileReadOneKey)->Unit(benchmark::kMicrosecond);

void BM_ProfileWriteOneKey(benchmark::State& state) {
    SBenchFile file;
    CProfile profile(file.path);
    CScriptedPrompt prompt;
    CScopedServices services(nullptr, &prompt);
    int i = 0;
    for (auto _ : state) {
        // A changing value, so that every iteration really replaces the file (with fsync).
        profile.WriteProfileInt("Section 50", "Next Image", ++i);
    }
}
BENCHMARK(BM_ProfileWriteOneKey)->Unit(benchmark::kMicrosecond);

}  // namespace
