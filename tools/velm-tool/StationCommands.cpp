// Commands on the station's devices without a screen: the etch and rinse bath mover's steps
// and sequences.

#include <cstdio>
#include <string>
#include <vector>

#include "ToolCommand.h"
#include "hw/BathMover.h"
#include "hw/Devices.h"
#include "platform/Services.h"

namespace {

constexpr const char* kBathUsage = "bath status|up|down|etch|rinse|auto-etch|auto-rinse";

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

CToolCommandRegistrar bathCommand(
    {"bath", kBathUsage,
     "a step or automatic sequence of the etch/rinse bath mover (port 0: the simulated "
     "carriage); prints the sensors afterwards",
     RunBath});

}  // namespace
