// velm-tool calibrate cdp on the Simulated Station, then measure: the current densities a
// script gets are the bench's, projected on the detectors' axes.

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <string>

#include "obs/ObsDoc.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "platform/Format.h"
#include "support/TestEnv.h"
#include "support/ToolRun.h"

namespace {

class CalibrateCommand : public CVelmTest {
  protected:
    CalibrateCommand() {
        // Short averaging so that the real clock of velm-tool is not waited on for long (the
        // calibration's rules are read after its first three lines).
        WriteFileText(profile.Path(),
                      "[A/D Board]\nLine 0=Simulated Station\n"
                      "[Probe Motion System]\nLine 1=Steps/micron: 10 10 10 10\n"
                      "[Voltage Probe Calibration]\n"
                      "Line 0=Zvib: 17472  xCal: 0  yCal: 0  rho: 100.0  SG: 50000.0\n"
                      "Line 1=xxPh: 0  xxA/V: 0  xyPh: 0  xyA/V: 0  xVibAng=0\n"
                      "Line 2=yxPh: 0  yxA/V: 0  yyPh: 0  yyA/V: 0  yVibAng=0\n"
                      "[Voltage Probe Sample Rules]\n"
                      "Calibration =pre=0.000000  samp=0.010000  ref=0.010000  fchan=0\n"
                      "Point =pre=0.000000  samp=0.010000  ref=0.010000  fchan=0\n");
    }
    SToolRun Run(const std::string& args) { return RunVelmTool(profile.Path(), args, dir.Path()); }
};

}  // namespace

TEST_F(CalibrateCommand, CalibratesThenMeasuresTheBenchsField) {
    const std::string calDoc = dir.File("calibration.vpo");
    SToolRun run = Run("calibrate cdp --distance 150 --current 60 '" + calDoc + "'");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out.rfind("Line 0=Zvib: 17472  xCal: 1  yCal: 1  rho: 100.000000  SG: "
                            "50000.000000\nLine 1=xxPh: 0.523599  xxA/V: 499999992.",
                            0),
              0u)
        << run.out;
    EXPECT_NE(run.out.find("\nReference=xInPh=0.004000  xQuad=-0.003000  yInPh=0.002000  "
                           "yQuad=-0.001000\n"),
              std::string::npos)
        << run.out;
    CObsDoc held;
    std::string message;
    ASSERT_TRUE(held.LoadFile(calDoc, message)) << message;
    ASSERT_EQ(held.GetObsCount(), 2u);
    EXPECT_STREQ(held.GetObsAt(0)->GetRuntimeClass().name, "CWireReference");
    EXPECT_STREQ(held.GetObsAt(1)->GetRuntimeClass().name, "CWireCalibration");

    const std::string doc = dir.File("bench.vpo");
    const CDVector4 points[] = {CDVector4(0, 150, 0, 0), CDVector4(0, 0, 200, 0),
                                CDVector4(0, 100, 100, 0), CDVector4(50, -120, 80, 0)};
    for (const CDVector4& p : points) {
        run =
            Run(StrPrintf("measure --technique cdp --probe-at %g,%g,%g,%g '", p.x, p.y, p.z, p.w) +
                doc + "'");
        ASSERT_EQ(run.code, 0) << run.err;
    }
    CObsDoc measured;
    ASSERT_TRUE(measured.LoadFile(doc, message)) << message;
    ASSERT_EQ(measured.GetObsCount(), 2u + std::size(points));
    for (size_t i = 0; i < std::size(points); ++i) {
        const auto* point = dynamic_cast<const CWireObs*>(measured.GetObsAt(2 + i));
        ASSERT_NE(point, nullptr);
        const CWireCalibration* cal = measured.Register().WireCalibrationAt(*point);
        ASSERT_NE(cal, nullptr);
        const CDVector4 j = cal->ComputeCurrentDensity(*point, true);
        // 60 nA from the origin, along r; the X PSD vibrates along Y, the Y PSD along Z.
        const CDVector4& at = point->probePosition;
        const double r = std::sqrt(at.x * at.x + at.y * at.y + at.z * at.z);
        const double magnitude = 60.0 * 1e5 / (4.0 * M_PI * r * r);
        EXPECT_NEAR(j.x, magnitude * at.y / r, 1e-3 * magnitude) << i;
        EXPECT_NEAR(j.y, magnitude * at.z / r, 1e-3 * magnitude) << i;
    }
}

TEST_F(CalibrateCommand, AStepThatFailsEndsWithItsMessage) {
    SToolRun run = Run("calibrate cdp --distance 4");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("Distance less than 5 microns is illegal."), std::string::npos)
        << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(profile.GetProfileString(kWireCalibrationSection, "Line 4"), "");

    run = Run("calibrate cdp --x-axis Z --y-axis Z");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("The X PSD and the Y PSD must vibrate along different axes."),
              std::string::npos)
        << run.err;

    EXPECT_EQ(Run("calibrate cdp --x-axis W").code, 2);
    EXPECT_EQ(Run("calibrate isp").code, 2);
    EXPECT_EQ(Run("calibrate cdp --sg 0").code, 1);
}
