// velm-tool watch, run as a script checking a bench without a screen would run it.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/TestEnv.h"
#include "support/ToolRun.h"

namespace {

class WatchCommand : public CVelmTest {
  protected:
    SToolRun Run(const std::string& args) { return RunVelmTool(profile.Path(), args, dir.Path()); }
    void Settings(const char* board) {
        WriteFileText(profile.Path(),
                      std::string("[A/D Board]\nLine 0=") + board +
                          "\n[Voltage Probe Calibration]\n"
                          "Line 0=Zvib: 17472  xCal: 1  yCal: 1  rho: 100.000000  SG: 1.000000\n"
                          "Watch=interval=5.000000  lockin=1  vector=1  picture=0  autoscale=1  "
                          "scale=10.000000  dispfunc=1480\n"
                          "[Voltage Probe Sample Rules]\n"
                          "Point =pre=0.000000  samp=0.010000  ref=0.010000  fchan=0\n"
                          "[Raw A/D Sample Rules]\nPoint =chan: 0 to 1, pre=0.000000  avg=1  "
                          "inter=1  avgperiod=0.010000  burstnum=5  burstfreq=1000.000000\n");
    }
};

TEST_F(WatchCommand, PrintsOneLinePerTickWithTheValuesTheWindowShows) {
    Settings("Random Number Generator");
    SToolRun run = Run("watch --technique rawad --interval 0.1 --count 3");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(LineCount(run.out), 3u);
    EXPECT_NE(run.out.find("Ch0: "), std::string::npos);
    EXPECT_NE(run.out.find("Ch1: "), std::string::npos);
    EXPECT_NE(run.out.find("  Volts\n"), std::string::npos);
    // The third tick starts two intervals after the first (a loaded machine may be late).
    const size_t third = run.out.rfind('\n', run.out.size() - 2) + 1;
    const double seconds = std::stod(run.out.substr(third + 13, 9));
    EXPECT_GE(seconds, 0.2) << run.out;
    EXPECT_LT(seconds, 0.5) << run.out;

    run = Run("watch --technique cdp --interval 0.1 --count 2");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(LineCount(run.out), 2u);
    EXPECT_NE(run.out.find("Sample: "), std::string::npos);
    EXPECT_NE(run.out.find("X Cur: "), std::string::npos);
    EXPECT_NE(run.out.find("uA/sq.cm."), std::string::npos);
    // The window's own interval and settings stay as they were.
    EXPECT_EQ(profile.GetProfileString("Voltage Probe Calibration", "Watch"),
              "interval=5.000000  lockin=1  vector=1  picture=0  autoscale=1  scale=10.000000  "
              "dispfunc=1480");
    EXPECT_EQ(profile.GetProfileString("Voltage Probe Calibration", "Watch 1", "none"), "none");
    EXPECT_EQ(profile.GetProfileString("Raw A/D Sample Rules", "Watch 1", "none"), "none");
}

TEST_F(WatchCommand, RefusesWhatItCannotWatch) {
    Settings("Random Number Generator");
    EXPECT_EQ(Run("watch --technique ion").code, 2);
    EXPECT_EQ(Run("watch --technique rawad --interval 0").code, 2);
    EXPECT_EQ(Run("watch --technique rawad --count 0").code, 2);
    EXPECT_EQ(Run("watch --technique gradient").code, 2);  // which probe?
    SToolRun run = Run("watch --technique gradient --probe K --count 1");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("Define ISP/PVP Probe sampling rules and calibration first."),
              std::string::npos);
    // A board that cannot be read ends the watch after its one message.
    Settings("No A/D Board");
    run = Run("watch --technique rawad --interval 0.1 --count 5");
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(LineCount(run.out), 0u);
}

}  // namespace
