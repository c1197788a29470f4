// The Simulated Station as start-up builds it from a velm.ini: the board on the station's own
// stages, realistic motion timing where velm.ini asks for it, and the road of a CDP reference
// and point through the document commands giving the current density the bench was set up
// with.

#include <gtest/gtest.h>

#include <cmath>

#include "app/MainFrame.h"
#include "tech/Station.h"
#include "hw/AdBoard.h"
#include "hw/BenchHands.h"
#include "hw/MsWcmc.h"
#include "obs/ObsDoc.h"
#include "app/ObsDocCommands.h"
#include "obs/WireObs.h"
#include "tech/StationTestEnv.h"
#include "obs/WireCalibration.h"

namespace {

// The CDP calibration the bench's defaults give (100 uA/cm^2 per volt on each detector at the
// detectors' own phases), as a real calibration on it would store it.
constexpr const char* kSettings =
    "[Probe Motion System]\nLine 1=Steps/micron: 10 10 10 10\nRealistic Timing=1\n"
    "[Sample Motion System]\nLine 1=Steps/micron: 10 10 10 10\n"
    "[Voltage Probe Calibration]\n"
    "Line 0=Zvib: 17472  xCal: 1  yCal: 1  rho: 100.000000  SG: 50000.000000\n"
    "Line 1=xxPh: 0.523599  xxA/V: 500000000.000000  xyPh: 0.000000  xyA/V: 0.000000  "
    "xVibAng=0.000000\n"
    "Line 2=yxPh: 0.000000  yxA/V: 0.000000  yyPh: 1.047198  yyA/V: 500000000.000000  "
    "yVibAng=1.570796\n"
    "[Voltage Probe Sample Rules]\nPoint =pre=0.020000  samp=0.500000  ref=3.000000  fchan=0\n";

class SimStationWiring : public CStationTest {};

}  // namespace

TEST_F(SimStationWiring, StartUpBuildsTheBenchOnTheStationsStagesWithTheirTiming) {
    CMainFrame& f = Station("Simulated Station", kSettings);
    ASSERT_NE(f.AdBoard().Hands(), nullptr);
    EXPECT_TRUE(prompt.shown.empty());

    // The probe's motion system asks for real time, the sample's does not.
    uint64_t start = clock.Ticks();
    ASSERT_EQ(f.ProbeSystem().MoveAbsolute(CDVector4(0, 150, 0, 0), kSpeedModeLinear),
              CMsWcmc::kMoveDone);
    // 150 um at the stage's maximum speed of 2500 um/s (programmed at start-up) takes 60 ms.
    EXPECT_GE(clock.Ticks() - start, 60u);
    start = clock.Ticks();
    ASSERT_EQ(f.SampleSystem().MoveAbsolute(CDVector4(0, 10, 0, 0), kSpeedModeLinear),
              CMsWcmc::kMoveDone);
    EXPECT_LT(clock.Ticks() - start, 100u);  // the status-check delay only
    ASSERT_EQ(f.SampleSystem().MoveAbsolute(CDVector4(), kSpeedModeLinear), CMsWcmc::kMoveDone);

    // The tip stage carries the gradient probe: its travel moves the electrode in the field.
    double before, after;
    ASSERT_TRUE(f.AdBoard().ReadChannels(0.01, 5, 5, &before));
    ASSERT_EQ(f.TipSystem().MoveRelative(CDVector4(100, 0, 0, 0), kSpeedModeTrack),
              CMsWcmc::kMoveDone);
    ASSERT_TRUE(f.AdBoard().ReadChannels(0.01, 5, 5, &after));
    EXPECT_GT(after, before);
}

TEST_F(SimStationWiring, AReferenceWithTheSourceOffAndAPointWithItOnGiveTheCurrentDensity) {
    CMainFrame& f = Station("Simulated Station", kSettings);
    f.Station().SetMeasurementType(kTechniqueCdp);
    ASSERT_EQ(f.ProbeSystem().MoveAbsolute(CDVector4(0, 150, 0, 0), kSpeedModeLinear),
              CMsWcmc::kMoveDone);
    CObsDoc doc;
    CObsDocCommands commands(doc, f);

    // As the calibration procedures will: the user confirms the source is off, then on.
    f.AdBoard().Hands()->SetSourceCurrent(false);
    ASSERT_TRUE(commands.Reference());
    EXPECT_EQ(f.Station().wireReference.reading, CDVector4(0.004, -0.003, 0.002, -0.001));
    f.AdBoard().Hands()->SetSourceCurrent(true);
    ASSERT_TRUE(commands.WirePoint());
    const auto* point = dynamic_cast<const CWireObs*>(commands.LastAdded().back());
    ASSERT_NE(point, nullptr);
    const CDVector4 density = f.Station().wireCalibration->ComputeCurrentDensity(*point, true);
    // 60 nA at 150 um: 21.2207 uA/cm^2 along the X PSD's axis, nothing across it.
    EXPECT_NEAR(density.x, 60.0 * 1e5 / (4.0 * M_PI * 150.0 * 150.0), 1e-5);
    EXPECT_EQ(density.y, 0.0);
    EXPECT_EQ(point->probePosition, CDVector4(0, 150, 0, 0));
}
