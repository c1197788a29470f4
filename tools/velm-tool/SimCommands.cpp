// The Simulated Station by hand: what a person at a real bench would do with the calibration
// source's switch and the beakers of standard solution. The change goes through the board's
// hands, as the calibration procedures' confirmations do, and is kept in velm.ini, so the next
// measurement (of this tool or of the desktop program) sees it.

#include <cstdio>
#include <string>
#include <vector>

#include "ToolCommand.h"
#include "settings/Profile.h"
#include "hw/AdBoard.h"
#include "hw/BenchHands.h"
#include "hw/sim/SimStationSettings.h"
#include "platform/NumberEntry.h"

namespace {

constexpr const char* kUsage = "sim source on|off | sim solution N";

int Usage(const char* why) {
    std::fprintf(stderr,
                 "velm-tool sim: %s\nusage: velm-tool sim source on|off\n"
                 "       velm-tool sim solution N   (N = 1, 2, 3; 0 = back in the sample's "
                 "bath)\n",
                 why);
    return 2;
}

// The saved line, as velm-tool get would show it.
void PrintLine(const char* key) {
    const std::string line = Profile().GetProfileString(kSimStationSection, key);
    std::printf("%s=%s\n", key, line.c_str());
}

int RunSim(const std::vector<std::string>& args) {
    if (args.size() != 2) return Usage("two arguments expected");
    const std::string& what = args[0];
    const std::string& value = args[1];
    int solution = 0;
    if (what == "source") {
        if (value != "on" && value != "off") return Usage("the source is switched on or off");
    } else if (what == "solution") {
        const std::optional<int64_t> n =
            ParseDigitsEntry(value, CBenchHands::kSampleBath, CBenchHands::kSolutionCount);
        if (!n) return Usage(("no standard solution '" + value + "'").c_str());
        solution = static_cast<int>(*n);
    } else {
        return Usage(("unknown setting '" + what + "'").c_str());
    }

    CAdBoard board;
    CBenchHands* hands = board.Hands();
    if (!hands) {
        std::fprintf(stderr,
                     "velm-tool sim: the A/D board in velm.ini is \"%s\", which is no virtual "
                     "bench; choose \"Simulated Station\" in the A/D Board Setup first.\n",
                     board.GetBoardName());
        return 1;
    }
    if (what == "source") {
        hands->SetSourceCurrent(value == "on");
        PrintLine("Line 0");
    } else {
        hands->PlaceInSolution(solution);
        PrintLine("Line 7");
    }
    if (Profile().WriteFailed()) return 1;
    return std::fflush(stdout) == 0 ? 0 : 1;
}

CToolCommandRegistrar simCommand(
    {"sim", kUsage,
     "the Simulated Station's calibration source switch and beaker, as a person at the bench "
     "would set them (kept in velm.ini); prints the saved line",
     RunSim});

}  // namespace
