// The Simulated Station from a terminal: the hands (velm-tool sim) and a script that places the
// probe before measuring (velm-tool measure --probe-at).

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "hw/sim/SimStationSettings.h"
#include "obs/ObsDoc.h"
#include "obs/WireObs.h"
#include "support/TestEnv.h"
#include "support/ToolRun.h"

namespace {

class SimCommand : public CVelmTest {
  protected:
    SToolRun Run(const std::string& args) { return RunVelmTool(profile.Path(), args, dir.Path()); }
    void Settings(const char* board) {
        WriteFileText(profile.Path(),
                      std::string("[A/D Board]\nLine 0=") + board +
                          "\n[Probe Motion System]\nLine 1=Steps/micron: 10 10 10 10\n"
                          "Line 8=ZMinimum: -100.000000  on=1\n"
                          "[Voltage Probe Sample Rules]\n"
                          "Point =pre=0.000000  samp=0.010000  ref=0.010000  fchan=0\n"
                          "[Voltage Probe Calibration]\n"
                          "Line 0=Zvib: 17472  xCal: 1  yCal: 1  rho: 100.000000  SG: "
                          "50000.000000\n"
                          "Reference=xInPh=0.004  xQuad=-0.003  yInPh=0.002  yQuad=-0.001\n");
    }
    // The X PSD's signal (without the reference) of observation `index` of the document.
    static double XSignal(const std::string& path, size_t index) {
        CObsDoc doc;
        std::string message;
        EXPECT_TRUE(doc.LoadFile(path, message)) << message;
        const auto* obs = dynamic_cast<const CWireObs*>(doc.GetObsAt(index));
        EXPECT_NE(obs, nullptr);
        if (!obs) return 0.0;
        return std::hypot(obs->reading.x - obs->reference.x, obs->reading.y - obs->reference.y);
    }
};

}  // namespace

TEST_F(SimCommand, SwitchesTheSourceAndTheBeakerAndKeepsThemInVelmIni) {
    Settings("Simulated Station");
    SToolRun run = Run("sim source on");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "Line 0=source: x=0.000000  y=0.000000  z=0.000000  nA=60.000000  on=1\n");
    run = Run("sim solution 3");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "Line 7=solutions: c1=0.100000  c2=1.000000  c3=10.000000  beaker=3\n");
    SSimStationParams saved;
    LoadSimStationParams(saved, nullptr);
    EXPECT_TRUE(saved.sourceOn);
    EXPECT_EQ(saved.beaker, 3);

    EXPECT_EQ(Run("sim source off").code, 0);
    EXPECT_EQ(Run("sim solution 0").code, 0);
    LoadSimStationParams(saved, nullptr);
    EXPECT_FALSE(saved.sourceOn);
    EXPECT_EQ(saved.beaker, 0);
}

TEST_F(SimCommand, RefusesWhatNoBenchHandCanDo) {
    Settings("Simulated Station");
    EXPECT_EQ(Run("sim").code, 2);
    EXPECT_EQ(Run("sim source").code, 2);
    EXPECT_EQ(Run("sim source dim").code, 2);
    EXPECT_EQ(Run("sim solution 4").code, 2);
    EXPECT_EQ(Run("sim solution -1").code, 2);
    EXPECT_EQ(Run("sim beaker 1").code, 2);

    Settings("Random Number Generator");
    SToolRun run = Run("sim source on");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("\"Random Number Generator\", which is no virtual bench"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(profile.GetProfileString(kSimStationSection, "Line 0"), "");
}

TEST_F(SimCommand, MeasureMovesTheProbeFromZeroInEveryRunBeforeMeasuring) {
    Settings("Simulated Station");
    ASSERT_EQ(Run("sim source on").code, 0);
    const std::string doc = dir.File("bench.vpo");
    SToolRun run = Run("measure --technique cdp --probe-at 0,150,0,0 '" + doc + "'");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("CDP Obs:"), std::string::npos);
    run = Run("measure --technique cdp --probe-at 0,300,0,0 '" + doc + "'");
    ASSERT_EQ(run.code, 0) << run.err;
    // Rules, calibration, then the two points: the second twice as far from the source.
    const double near = XSignal(doc, 2), far = XSignal(doc, 3);
    EXPECT_NEAR(near, 60.0 * 1e5 / (4.0 * M_PI * 150.0 * 150.0) * 0.01, 1e-9);
    EXPECT_NEAR(near / far, 4.0, 1e-9);
}

TEST_F(SimCommand, MeasureRefusesAPositionItCannotReach) {
    Settings("Simulated Station");
    const std::string doc = dir.File("bench.vpo");
    for (const char* bad : {"0,150,0", "0,150,0,0,0", "a,b,c,d", "0,,0,0", ""})
        EXPECT_EQ(
            Run("measure --technique cdp --probe-at '" + std::string(bad) + "' '" + doc + "'").code,
            2)
            << bad;
    SToolRun run = Run("measure --technique cdp --probe-at 0,0,-150,0 '" + doc + "'");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("lies below the probe's Z minimum -100"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(doc));
}
