// velm-tool adread and adburst, run as a user would from a terminal, on a settings file that
// names a simulated board.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestEnv.h"

namespace {

struct SRun {
    int code = -1;
    std::string out;
};

class AdCommands : public CVelmTest {
  protected:
    SRun Run(const std::string& args) {
        std::string command =
            std::string(VELM_TOOL_PATH) + " --settings '" + profile.Path() + "' " + args + " 2>&1";
        SRun run;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return run;
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            run.out.append(buffer, n);
        int status = ::pclose(pipe);
        run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return run;
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

TEST_F(AdCommands, AdReadPrintsOneChannelAndItsMeanPerLine) {
    Board("Random Number Generator");
    SRun run = Run("adread --first 2 --last 4 --period 0.05");
    ASSERT_EQ(run.code, 0) << run.out;
    auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 3u) << run.out;
    for (int i = 0; i < 3; ++i) {
        int ch = -1;
        double volts = 99;
        ASSERT_EQ(std::sscanf(lines[i].c_str(), "%d %lf", &ch, &volts), 2) << lines[i];
        EXPECT_EQ(ch, 2 + i);
        EXPECT_LE(std::abs(volts), 2.0);
    }
}

TEST_F(AdCommands, AdBurstPrintsEverySampleWithItsScanAndChannel) {
    Board("Sine Wave (0.1 Hz)");
    SRun run = Run("adburst --scans 3 --rate 1000 --first 6 --last 7");
    ASSERT_EQ(run.code, 0) << run.out;
    auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 6u) << run.out;
    int scan = -1, ch = -1;
    double volts = 99;
    ASSERT_EQ(std::sscanf(lines[5].c_str(), "%d %d %lf", &scan, &ch, &volts), 3);
    EXPECT_EQ(scan, 2);
    EXPECT_EQ(ch, 7);
    EXPECT_LE(std::abs(volts), 2.0);
}

TEST_F(AdCommands, RefusesBadArgumentsAndSaysWhy) {
    Board("Random Number Generator");
    struct SCase {
        const char* args;
        const char* says;
    };
    const SCase cases[] = {
        {"adread --first 8", "--first must be a channel from 0 to 7"},
        {"adread --first 3 --last 1", "--last (1) is below --first (3)"},
        {"adread --period nan", "--period must be seconds above 0"},
        {"adread --period -1", "--period must be seconds above 0"},
        {"adread --period", "--period needs a value"},
        {"adread --scans 3", "unknown option '--scans'"},
        {"adburst --scans 10", "--scans and --rate are needed"},
        {"adburst --scans 0 --rate 100", "--scans must be a whole number above 0"},
        {"adburst --scans 10 --rate 0", "--rate must be samples per second above 0"},
        {"adburst --scans 99999999999 --rate 100 --last 7", "more than one burst holds"},
    };
    for (const auto& c : cases) {
        SRun run = Run(c.args);
        EXPECT_EQ(run.code, 2) << c.args << "\n" << run.out;
        EXPECT_NE(run.out.find(c.says), std::string::npos) << c.args << "\n" << run.out;
    }
}

TEST_F(AdCommands, ABoardThatCannotReadFailsWithItsName) {
    SRun none = Run("adread");
    EXPECT_EQ(none.code, 1);
    EXPECT_NE(none.out.find("no A/D board is configured"), std::string::npos) << none.out;

    Board("National Instruments PCI-1200");  // has no read path
    SRun labpc = Run("adread");
    EXPECT_EQ(labpc.code, 1);
    EXPECT_NE(labpc.out.find("reading channels 0-0 of the National Instruments 12-bit failed"),
              std::string::npos)
        << labpc.out;
}

}  // namespace
