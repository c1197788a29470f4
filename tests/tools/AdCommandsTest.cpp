// velm-tool adread and adburst, run as a user would from a terminal, on a settings file that
// names a simulated board.

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestEnv.h"
#include "support/ToolRun.h"

namespace {

struct SRun {
    int code = -1;
    std::string out;
};

class AdCommands : public CVelmTest {
  protected:
    SRun Run(const std::string& args) {
        const SToolRun r = RunVelmTool(profile.Path(), args, dir.Path());
        return {r.code, r.out + r.err};
    }
    void Board(const char* name) {
        WriteFileText(profile.Path(),
                      std::string("[A/D Board]\nLine 0=") + name +
                          "\nLine 1=base=1 [ a/d +/-2.00V, d/a +/-5.00V ]  da0=0  da1=0  "
                          "freq=1000\n");
    }
    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
};

TEST_F(AdCommands, PrintOneValuePerLineFromTheBoardOfTheSettings) {
    Board("Random Number Generator");
    SRun read = Run("adread --first 2 --last 4 --period 0.05");
    ASSERT_EQ(read.code, 0) << read.out;
    auto lines = Lines(read.out);
    ASSERT_EQ(lines.size(), 3u) << read.out;
    int ch = -1, scan = -1;
    double volts = 99;
    ASSERT_EQ(std::sscanf(lines[2].c_str(), "%d %lf", &ch, &volts), 2) << lines[2];
    EXPECT_EQ(ch, 4);
    EXPECT_LE(std::abs(volts), 2.0);

    Board("Sine Wave (0.1 Hz)");
    SRun burst = Run("adburst --scans 3 --rate 1000 --first 6 --last 7");
    ASSERT_EQ(burst.code, 0) << burst.out;
    lines = Lines(burst.out);
    ASSERT_EQ(lines.size(), 6u) << burst.out;
    ASSERT_EQ(std::sscanf(lines[5].c_str(), "%d %d %lf", &scan, &ch, &volts), 3);
    EXPECT_EQ(scan, 2);
    EXPECT_EQ(ch, 7);
    EXPECT_LE(std::abs(volts), 2.0);
}

TEST_F(AdCommands, RefuseBadArgumentsAndBoardsThatCannotReadAndSayWhy) {
    Board("Random Number Generator");
    const std::pair<const char*, const char*> cases[] = {
        {"adread --first 8", "--first must be a channel from 0 to 7"},
        {"adread --first 3 --last 1", "--last (1) is below --first (3)"},
        {"adread --period nan", "--period must be seconds above 0"},
        {"adburst --scans 10", "--scans and --rate are needed"},
        {"adburst --scans 10 --rate -5", "--rate must be samples per second above 0"},
        {"adburst --scans 99999999999 --rate 100 --last 7", "more than one burst holds"},
    };
    for (const auto& [args, says] : cases) {
        SRun run = Run(args);
        EXPECT_EQ(run.code, 2) << args;
        EXPECT_NE(run.out.find(says), std::string::npos) << args << "\n" << run.out;
    }
    Board("National Instruments PCI-1200");  // no read path
    SRun labpc = Run("adread");
    EXPECT_EQ(labpc.code, 1);
    EXPECT_NE(labpc.out.find("reading channels 0-0 of the National Instruments 12-bit failed"),
              std::string::npos)
        << labpc.out;
}

}  // namespace
