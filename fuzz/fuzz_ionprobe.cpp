// Fuzzes the readers of a gradient probe's section of velm.ini: its sampling rules (path points
// and calculations), calibration, reference and point defaults. Damaged counts, channels, bytes
// and numbers must be refused without crashing, hanging or allocating what the file cannot
// justify, and what is read must be walkable: every point usable, every calculation inside the
// path.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "obs/IonCalibration.h"
#include "obs/IonObs.h"
#include "obs/SampRulesIon.h"
#include "platform/AtomicFile.h"
#include "platform/Prompt.h"
#include "platform/Services.h"
#include "settings/Profile.h"
#include "tech/IonStation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::string path = [] {
        char pattern[] = "/dev/shm/velm-fuzz-XXXXXX";
        if (::access("/dev/shm", W_OK) != 0) std::memcpy(pattern, "/tmp/velm-fuzz-XXXXXX", 22);
        char* dir = ::mkdtemp(pattern);
        if (!dir) std::abort();
        return std::string(dir) + "/velm.ini";
    }();
    static CScriptedPrompt prompt;
    static CScopedServices services(nullptr, &prompt);
    prompt.shown.clear();

    if (!WriteFileAtomic(path, std::string(reinterpret_cast<const char*>(data), size))) return 0;
    CProfile profile(path);
    CScopedProfile scoped(&profile);
    CIonStation station;
    CIonStation::SProbe& probe = station.Probe("K");
    if (probe.rules) {
        if (probe.rules->pathReps < 1 || probe.rules->pathReps > kMaxIonPathReps) std::abort();
        if (probe.rules->points.size() > static_cast<size_t>(kMaxIonPoints)) std::abort();
        for (const auto& point : probe.rules->points)
            if (!point->Problem().empty()) std::abort();
        const int n = static_cast<int>(probe.rules->points.size());
        for (const auto& calc : probe.rules->calcs)
            if (calc->first < 0 || calc->first >= n || calc->second < 0 || calc->second >= n)
                std::abort();
    }
    if (probe.calibration && !probe.calibration->SetupProblem().empty()) std::abort();
    if (probe.reference && probe.reference->values.size() > kMaxIonValues) std::abort();
    CSampPointIon defaults;
    LoadIonPointDefaults("K", defaults);
    if (!defaults.Problem().empty()) std::abort();
    ::unlink(path.c_str());
    return 0;
}
