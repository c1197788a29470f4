// Gradient probes from a terminal: velm-tool calibrate ion on the Simulated Station's standard
// solutions, then velm-tool measure --technique gradient across its linear field, which must
// give back the field's gradient.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "obs/IonObs.h"
#include "obs/ObsDoc.h"
#include "support/TestEnv.h"
#include "support/ToolRun.h"

namespace {

// Probe K wired as the bench's electrode 1, with a path of two points 20 microns apart along X
// (a bath update first, the calibration applied) on a tip stage of ten steps per micron. Its
// times are short, as the tool waits on the real clock; the calibration line only carries the
// sampling time of the first calibration. (Over much more than 20 microns the main amplifier
// would saturate: 100 times the difference from the bath offset must stay within 10 V.)
constexpr const char* kBench =
    "[A/D Board]\nLine 0=Simulated Station\n"
    "[ISP/PVP Probe Tip Motion System]\nLine 1=Steps/micron: 10 10 10 10\n"
    "[ISP/PVP Name List]\nIon Types=1\nName 1=K\n"
    "[K ISP/PVP Probe]\n"
    "A/D Board Parameters=loGA/D:5  hiGA/D:4  D/A: 0\n"
    "Calibration 0=Conc: lo=0.1  med=1  hi=10    Volts: c1=0  c2=0  c3=0  (use3=0)\n"
    "Calibration 1=Period=0.050000 sec  Slope=0.000000  Calibrated:  c1=0  c2=0  c3=0\n"
    "Sampling Rules 0=rot=0.000000  tilt=0.000000  PathReps=2  ApplyCal=1\n"
    "Sampling Rules 1=useref=0  move=1049  csys=1470  npoints=2  ncalcs=1\n"
    "Sampling Rules 2=bath: wait=0.010000  avg=0.050000  da0on=1  da0ad=0  da1on=5  da1ad=7  "
    "before=1  after=0\n"
    "Sample Name 1=A\n"
    "Sample Point 1=0 0 0 0    0.01  0.05  4+0 (0:378>0)  1000.000000  10.000000\n"
    "Sample Name 2=B\n"
    "Sample Point 2=20 0 0 0    0.01  0.05  4+0 (0:378>0)  1000.000000  10.000000\n"
    "Calculation Name 1=AB\n"
    "Calculation 1=Point 0 - Point 1\n";

class IonToolTest : public CVelmTest {
  protected:
    SToolRun Run(const std::string& args) { return RunVelmTool(profile.Path(), args, dir.Path()); }

    // The X gradient (concentration per micron) of the document's last observation.
    double Gradient(const std::string& path) {
        CObsDoc doc;
        std::string message;
        EXPECT_TRUE(doc.LoadFile(path, message)) << message;
        const auto* obs = dynamic_cast<const CIonObs*>(doc.GetObsAt(doc.GetObsCount() - 1));
        EXPECT_NE(obs, nullptr);
        if (!obs) return 0.0;
        SValueQuery both;
        both.repLast = 2;
        double difference = 0.0;
        EXPECT_EQ(obs->GetValue(difference, ValueCode::kXCurrentDensity, &doc, &both), 4);
        return difference / 20.0;
    }
};

TEST_F(IonToolTest, CalibratingOnTheBenchThenMeasuringGivesTheFieldsGradient) {
    WriteFileText(profile.Path(), kBench);
    SToolRun run = Run("calibrate ion --probe K --solutions 0.1,1,10");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out.rfind("A/D Board Parameters=loGA/D:5  hiGA/D:4  D/A: 0\n"
                            "Calibration 0=Conc: lo=0.1000000000  med=1.0000000000  "
                            "hi=10.0000000000    Volts: c1=",
                            0),
              0u)
        << run.out;
    EXPECT_NE(run.out.find("c2=59.000000  c3=118.000000  (use3=1)\n"
                           "Calibration 1=Period=0.050000 sec  Slope=59.000000  Calibrated:  "
                           "c1=1  c2=1  c3=1\n"
                           "Calibration 2=Type=1482  OutputGain=100.000000  Intercept=59.000000  "
                           "AutoBath=1  PreampGain=10.000000\n"),
              std::string::npos)
        << run.out;
    // The tip is back in the sample's bath for the measurement.
    EXPECT_EQ(profile.GetProfileString("Simulated Station", "Line 7"),
              "solutions: c1=0.100000  c2=1.000000  c3=10.000000  beaker=0");

    const std::string doc = dir.File("field.vpo");
    run = Run("measure --technique gradient --probe K --count 2 " + doc);
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("K Gradient Sampling Rules:"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("K ISP/PVP Calibration:"), std::string::npos);
    EXPECT_NE(run.out.find("K Gradient:  "), std::string::npos);
    // 0.01 mM per micron along X, wherever the probe stands in the linear field.
    EXPECT_NEAR(Gradient(doc), 0.01, 0.01 * 0.005);
    run = Run("measure --technique gradient --probe K --probe-at 250,40,0,0 " + doc);
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out.find("Sampling Rules"), std::string::npos);  // held already
    EXPECT_NEAR(Gradient(doc), 0.01, 0.01 * 0.005);
}

TEST_F(IonToolTest, RefusesWhatItCannotDoAndKeepsNothingOfAFailedCalibration) {
    // Probe K as it stands before its first calibration: wired, with rules, no calibration.
    std::string uncalibrated = kBench;
    for (const char* key : {"Calibration 0=", "Calibration 1="}) {
        const size_t at = uncalibrated.find(key);
        uncalibrated.erase(at, uncalibrated.find('\n', at) + 1 - at);
    }
    WriteFileText(profile.Path(), uncalibrated);
    EXPECT_EQ(Run("calibrate").code, 2);
    EXPECT_EQ(Run("calibrate cdp --probe K").code, 2);
    EXPECT_EQ(Run("calibrate ion").code, 2);
    EXPECT_EQ(Run("calibrate ion --probe K --type ph").code, 2);
    EXPECT_EQ(Run("calibrate ion --probe K --solutions 1").code, 2);
    SToolRun run = Run("calibrate ion --probe 'Na]'");
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("A probe name cannot hold [ ] = ; , tabs or control characters."),
              std::string::npos)
        << run.err;
    EXPECT_EQ(Run("measure --technique gradient x.vpo").code, 2);
    EXPECT_EQ(Run("measure --technique cdp --probe K x.vpo").code, 2);

    // No calibration yet: nothing is measured.
    run = Run("measure --technique gradient --probe K " + dir.File("none.vpo"));
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("Define ISP/PVP Probe sampling rules and calibration first"),
              std::string::npos)
        << run.err;

    // A board without D/A outputs cannot zero the bath offset: nothing is kept.
    std::string random = uncalibrated;
    const std::string board = "Line 0=Simulated Station";
    random.replace(random.find(board), board.size(), "Line 0=Random Number Generator");
    WriteFileText(profile.Path(), random);
    run = Run("calibrate ion --probe K");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("The bath offset could not be set"), std::string::npos) << run.err;
    EXPECT_EQ(profile.GetProfileString("K ISP/PVP Probe", "Calibration 0", "(none)"), "(none)");
}

}  // namespace
