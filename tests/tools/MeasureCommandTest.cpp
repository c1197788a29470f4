// velm-tool measure, run as a lab's script would run it.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "obs/ObsDoc.h"
#include "support/TestEnv.h"
#include "support/ToolRun.h"

namespace {

class MeasureCommand : public CVelmTest {
  protected:
    SToolRun Run(const std::string& args) { return RunVelmTool(profile.Path(), args, dir.Path()); }
    void Settings(const char* board) {
        WriteFileText(profile.Path(),
                      std::string("[A/D Board]\nLine 0=") + board +
                          "\n[Voltage Probe Calibration]\n"
                          "Line 0=Zvib: 17472  xCal: 0  yCal: 0  rho: 100.000000  SG: 1.000000\n"
                          "[Voltage Probe Sample Rules]\n"
                          "Point =pre=0.000000  samp=0.010000  ref=0.010000  fchan=0\n"
                          "[Raw A/D Sample Rules]\nPoint =chan: 0 to 1, pre=0.000000  avg=1  "
                          "inter=1  avgperiod=0.010000  burstnum=5  burstfreq=1000.000000\n");
    }
};

TEST_F(MeasureCommand, CreatesTheDocumentAndAppendsAsModePointDoes) {
    Settings("Random Number Generator");
    const std::string doc = dir.File("lab.vpo");
    SToolRun run = Run("measure --technique cdp --count 2 '" + doc + "'");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(LineCount(run.out), 4u);  // rules, calibration, two points
    EXPECT_NE(run.out.find("Current Density Sampling Rules:"), std::string::npos);
    EXPECT_NE(run.out.find("CDP Obs:"), std::string::npos);

    run = Run("measure --technique rawad '" + doc + "'");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(LineCount(run.out), 2u);  // the raw A/D rules, then the point
    run = Run("measure --technique cdp '" + doc + "'");
    EXPECT_EQ(LineCount(run.out), 1u);  // the document holds the rules and calibration now

    CObsDoc loaded;
    std::string message;
    ASSERT_TRUE(loaded.LoadFile(doc, message)) << message;
    EXPECT_EQ(loaded.GetObsCount(), 7u);
}

TEST_F(MeasureCommand, AFailedReadSavesNothingAndSaysWhy) {
    Settings("No A/D Board");
    const std::string doc = dir.File("lab.vpo");
    SToolRun run = Run("measure --technique cdp '" + doc + "'");
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("Reading A/D channels 0 to 3 failed on the A/D board \"No A/D Board\""),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(doc));

    WriteFileText(doc, "not a document");
    Settings("Random Number Generator");
    run = Run("measure --technique cdp '" + doc + "'");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("Unexpected file format."), std::string::npos);
    EXPECT_EQ(ReadFileText(doc), "not a document");
}

TEST_F(MeasureCommand, AnUncalibratedProbeMeasuresNoCurrentDensity) {
    WriteFileText(profile.Path(), "[A/D Board]\nLine 0=Random Number Generator\n");
    const std::string doc = dir.File("lab.vpo");
    SToolRun run = Run("measure --technique cdp '" + doc + "'");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("Define CDP sampling rules and calibration first"), std::string::npos)
        << run.err;
    EXPECT_FALSE(std::filesystem::exists(doc));
}

TEST_F(MeasureCommand, RefusesWhatItCannotDo) {
    Settings("Random Number Generator");
    EXPECT_EQ(Run("measure --technique isp x.vpo").code, 2);
    EXPECT_EQ(Run("measure --technique cdp --count 0 x.vpo").code, 2);
    EXPECT_EQ(Run("measure --technique cdp --count 5x x.vpo").code, 2);
    EXPECT_EQ(Run("measure --technique cdp").code, 2);
    EXPECT_EQ(Run("measure --technique cdp a.vpo b.vpo").code, 2);
}

}  // namespace
