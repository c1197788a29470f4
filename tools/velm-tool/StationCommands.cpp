// Commands on the station's devices without a screen: an image sequence acquired on the
// velm.ini grabber and stages, and the etch and rinse bath mover's steps and sequences.

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "ToolCommand.h"
#include "hw/BathMover.h"
#include "hw/Devices.h"
#include "hw/MsWcmc.h"
#include "platform/NumberEntry.h"
#include "platform/Services.h"
#include "scan/VidSeqAcquisition.h"
#include "scan/VidSeqDoc.h"
#include "scan/VidSeqSetup.h"
#include "settings/RootDirectory.h"

namespace {

constexpr const char* kSequenceUsage =
    "sequence [--steps X,Y,Z,W] [--start X,Y,Z,W] [--end X,Y,Z,W] [--ref ignore|background|ratio] "
    "[--tool sample|probe] [--wait S] [ROOT]";
constexpr const char* kBathUsage = "bath status|up|down|etch|rinse|auto-etch|auto-rinse";

int SequenceUsage(const std::string& why) {
    std::fprintf(stderr, "velm-tool sequence: %s\nusage: velm-tool %s\n", why.c_str(),
                 kSequenceUsage);
    return 2;
}

// "1,2.5,0,0" into four entries.
bool SplitFour(const std::string& text, std::string out[4]) {
    size_t from = 0;
    for (int i = 0; i < 4; ++i) {
        const size_t comma = text.find(',', from);
        if ((comma == std::string::npos) != (i == 3)) return false;
        out[i] = text.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
        from = comma + 1;
    }
    return true;
}

int RunSequence(const std::vector<std::string>& args) {
    std::string root;
    CDevices devices;
    CVidSeqDoc doc;
    std::string problems;
    doc.LoadSettings(problems);
    if (!problems.empty())
        std::fprintf(stderr, "velm-tool sequence: these lines of velm.ini keep their defaults:%s\n",
                     problems.c_str());
    doc.probeHome = devices.ProbeSystem().Position();
    doc.sampleHome = devices.SampleSystem().Position();
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            if (!root.empty()) return SequenceUsage("one root folder only");
            root = a;
            continue;
        }
        if (i + 1 >= args.size()) return SequenceUsage(a + " needs a value");
        const std::string& value = args[++i];
        std::string four[4];
        if (a == "--steps" || a == "--start" || a == "--end") {
            if (!SplitFour(value, four)) return SequenceUsage(a + " takes four values: X,Y,Z,W");
            for (int axis = 0; axis < 4; ++axis) {
                if (a == "--steps") {
                    std::optional<int64_t> n =
                        ParseDigitsEntry(four[axis], 1, CVidSeqDoc::kMaxSteps);
                    if (!n) return SequenceUsage("--steps are counts from 1 to 1000");
                    doc.steps[axis] = static_cast<int32_t>(*n);
                } else {
                    std::optional<double> v = ParseNumberEntry(four[axis]);
                    if (!v) return SequenceUsage(a + " takes numbers of microns");
                    (a == "--start" ? doc.start : doc.end)[axis] = *v;
                }
            }
        } else if (a == "--ref") {
            if (value != "ignore" && value != "background" && value != "ratio")
                return SequenceUsage("--ref is ignore, background or ratio");
            doc.refUse = value == "ignore" ? 'I' : value == "background" ? 'B' : 'R';
        } else if (a == "--tool") {
            if (value != "sample" && value != "probe")
                return SequenceUsage("--tool is sample or probe");
            doc.tool = value == "probe" ? 'P' : 'S';
        } else if (a == "--wait") {
            std::optional<double> v = ParseNumberEntry(value);
            if (!v || *v < 0 || *v > CVidSeqDoc::kMaxWait)
                return SequenceUsage("--wait takes seconds from 0 to 3600");
            doc.wait = *v;
        } else {
            return SequenceUsage("unknown option '" + a + "'");
        }
    }
    if (root.empty()) root = GetRootDirectory();

    // The same checks and folder as the set-up dialog's OK.
    CVidSeqSetupLogic setup(doc, root);
    std::string error;
    if (!setup.Accept(error)) {
        if (!error.empty()) std::fprintf(stderr, "velm-tool sequence: %s\n", error.c_str());
        return 1;
    }
    if (!setup.Apply()) return 1;
    CVidSeqAcquisition acquisition(doc, devices, root);
    if (!acquisition.Run()) return 1;
    for (const std::string& file : acquisition.FilesWritten())
        std::printf("%s\n", file.c_str());
    std::printf("%s\n", acquisition.DocumentPath().c_str());
    if (std::fflush(stdout) != 0) return 1;
    return acquisition.EndedEarly() ? 1 : 0;
}

int RunBath(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: velm-tool %s\n", kBathUsage);
        return 2;
    }
    const std::string& what = args[0];
    CDevices devices;
    CBathMover& bath = devices.BathMover();
    bool ok = true;
    if (what == "up") {
        ok = bath.Step(EBathStep::Up);
    } else if (what == "down") {
        ok = bath.Step(EBathStep::Down);
    } else if (what == "etch") {
        ok = bath.Step(EBathStep::Etch);
    } else if (what == "rinse") {
        ok = bath.Step(EBathStep::Rinse);
    } else if (what == "auto-etch" || what == "auto-rinse") {
        ok = bath.Auto(what == "auto-etch" ? EBath::Etch : EBath::Rinse);
        // The 50 ms ticks of the bar, here in a loop on the clock.
        while (ok && bath.Pending()) {
            Clock().WaitTicks(CBathMover::kPollMs);
            bath.Poll();
        }
        ok = ok && bath.ReadStatus().Raised();
    } else if (what != "status") {
        std::fprintf(stderr, "usage: velm-tool %s\n", kBathUsage);
        return 2;
    }
    const SBathStatus& s = bath.ReadStatus();
    if (!s.known) {
        std::fprintf(stderr, "velm-tool bath: %s\n", bath.PortProblem().c_str());
        return 1;
    }
    std::printf("port %X: status %X: %s%s%s%s%s\n", static_cast<unsigned>(bath.port), s.bits,
                s.Raised() ? "raised " : "", s.Lowered() ? "lowered " : "",
                s.EtchCup() ? "etch-cup " : "", s.RinseCup() ? "rinse-cup " : "",
                s.Contradictory() ? "(sensors disagree)" : "");
    if (std::fflush(stdout) != 0) return 1;
    return ok ? 0 : 1;
}

CToolCommandRegistrar sequenceCommand(
    {"sequence", kSequenceUsage,
     "acquire a video image sequence on the velm.ini grabber and stages into a new folder of "
     "ROOT (default: the root directory); prints each file written, the .vsq last",
     RunSequence});
CToolCommandRegistrar bathCommand(
    {"bath", kBathUsage,
     "a step or automatic sequence of the etch/rinse bath mover (port 0: the simulated "
     "carriage); prints the sensors afterwards",
     RunBath});

}  // namespace
