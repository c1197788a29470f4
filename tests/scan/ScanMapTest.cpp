// The live map's geometry: the scan's area and grid in stage coordinates, arrows of the CDP
// points scaled to the largest so far, coloured dots of raw A/D points, and a map that grows
// as observations arrive.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "obs/RawADObs.h"
#include "obs/WireObs.h"
#include "scan/ScanDoc.h"
#include "scan/ScanMap.h"
#include "support/TestEnv.h"

namespace {

class ScanMapTest : public CVelmTest {
  protected:
    ScanMapTest() {
        doc.origin = CDVector4(1000, 2000, 0, 0);
        doc.end = CDVector4(200, 100, 0, 0);
        doc.steps = CIVector4(3, 2, 1, 1);
        doc.stepType = kStepGrid;
        // A calibration whose X detector reads X density and Y detector Y density.
        doc.wireCal.XXphase = 0.0;
        doc.wireCal.YYphase = 0.0;
        doc.wireCal.XXuAperV = 1.0;
        doc.wireCal.YYuAperV = 1.0;
        doc.wireCal.Resistivity = 1.0;
        doc.wireCal.SystemGain = 1.0;
    }
    // A CDP point at (x, y) whose density is (jx, jy) with the calibration above.
    void AddPoint(double x, double y, double jx, double jy) {
        auto obs = std::make_unique<CWireObs>();
        obs->probePosition = CDVector4(x, y, 0, 0);
        obs->reading = CDVector4(0, jx, 0, jy);  // cos(0) picks the quadrature components
        doc.AddObs(std::move(obs));
    }
    CScanDoc doc;
};

TEST_F(ScanMapTest, AreaAndGridInStageCoordinates) {
    const SScanMap map = BuildScanMap(doc);
    EXPECT_DOUBLE_EQ(map.left, 1000);
    EXPECT_DOUBLE_EQ(map.right, 1200);
    EXPECT_DOUBLE_EQ(map.bottom, 2000);
    EXPECT_DOUBLE_EQ(map.top, 2100);
    ASSERT_EQ(map.grid.size(), 6u);
    EXPECT_DOUBLE_EQ(map.grid[1].x, 1100);
    EXPECT_DOUBLE_EQ(map.grid[4].y, 2100);
    EXPECT_TRUE(map.arrows.empty());
    EXPECT_EQ(map.legend, "6 grid points; no observations yet");
    EXPECT_LT(map.viewLeft, map.left);
    EXPECT_GT(map.viewTop, map.top);
}

TEST_F(ScanMapTest, LineAndLogarithmicSpacing) {
    const std::vector<double> inc = MapAxisPositions(0, 1000, 5, kStepLogInc);
    EXPECT_NEAR(inc[0], 1.0, 1e-12);
    EXPECT_NEAR(inc[1], 5.623413251903491, 1e-9);
    EXPECT_EQ(inc[4], 1000.0);  // exactly the end
    const std::vector<double> dec = MapAxisPositions(0, 1000, 5, kStepLogDec);
    EXPECT_EQ(dec[0], 0.0);
    EXPECT_NEAR(dec[1], 822.1720589961078, 1e-9);
    EXPECT_NEAR(MapAxisPositions(100, -900, 5, kStepLogInc)[1], 94.37658674809651, 1e-9);
    EXPECT_EQ(MapAxisPositions(3, 3, 4, kStepLogInc)[2], 3.0);

    doc.stepType = kStepLine;
    doc.numPoints = 1;
    const SScanMap map = BuildScanMap(doc);
    ASSERT_EQ(map.grid.size(), 2u);  // a line has its two ends at least
    EXPECT_DOUBLE_EQ(map.grid[1].x, 1200);
    EXPECT_DOUBLE_EQ(map.grid[1].y, 2100);
}

TEST_F(ScanMapTest, ArrowsScaleToTheLargestSoFar) {
    AddPoint(1000, 2000, 3, 4);  // 5 uA/sq.cm toward (0.6, 0.8)
    SScanMap map = BuildScanMap(doc);
    ASSERT_EQ(map.arrows.size(), 1u);
    EXPECT_TRUE(map.calibrated);
    EXPECT_DOUBLE_EQ(map.largest, 5.0);
    // The largest is as long as 0.9 of the grid's smaller step (100 um).
    EXPECT_NEAR(map.arrows[0].head.x - 1000, 0.6 * 90, 1e-9);
    EXPECT_NEAR(map.arrows[0].head.y - 2000, 0.8 * 90, 1e-9);

    AddPoint(1100, 2000, -10, 0);  // a larger one shortens the first
    map = BuildScanMap(doc);
    ASSERT_EQ(map.arrows.size(), 2u);
    EXPECT_DOUBLE_EQ(map.largest, 10.0);
    EXPECT_NEAR(std::hypot(map.arrows[0].head.x - 1000, map.arrows[0].head.y - 2000), 45, 1e-9);
    EXPECT_NEAR(map.arrows[1].head.x, 1100 - 90, 1e-9);
    EXPECT_NE(map.legend.find("2 CDP points, longest arrow 10 uA/sq.cm"), std::string::npos)
        << map.legend;
}

// Without gains in the calibration the arrows still show which way the probe reads.
TEST_F(ScanMapTest, UncalibratedArrowsShowMicrovolts) {
    doc.wireCal.XXuAperV = doc.wireCal.YYuAperV = 0.0;
    auto obs = std::make_unique<CWireObs>();
    obs->reading = CDVector4(0.5, 0, 0, 0);
    doc.AddObs(std::move(obs));
    const SScanMap map = BuildScanMap(doc);
    EXPECT_FALSE(map.calibrated);
    ASSERT_EQ(map.arrows.size(), 1u);
    EXPECT_GT(map.largest, 0.0);
    EXPECT_NE(map.legend.find("uV"), std::string::npos);
}

TEST_F(ScanMapTest, RawADPointsAreColouredDotsAtTheSampleStage) {
    doc.scanTool = kScanToolSample;
    doc.storeWire = false;
    doc.storeRawAD = true;
    for (int i = 0; i < 3; ++i) {
        auto obs = std::make_unique<CRawADObs>();
        obs->rules = doc.rawADRules;
        obs->values.assign(static_cast<size_t>(obs->rules.ChannelCount()), 1.0 * i);
        obs->samplePosition = CDVector4(1000 + 100 * i, 2000, 0, 0);
        doc.AddObs(std::move(obs));
    }
    const SScanMap map = BuildScanMap(doc);
    ASSERT_EQ(map.dots.size(), 3u);
    EXPECT_DOUBLE_EQ(map.dots[2].at.x, 1200);
    ASSERT_TRUE(map.dots[0].hasValue);
    EXPECT_EQ(map.dots[0].color, MapColorRamp(0.0));
    EXPECT_EQ(map.dots[1].color, MapColorRamp(0.5));
    EXPECT_EQ(map.dots[2].color, MapColorRamp(1.0));
    EXPECT_EQ(MapColorRamp(0.0), (SRgb{0, 0, 255}));
    EXPECT_EQ(MapColorRamp(1.0), (SRgb{255, 0, 0}));
}

// A grid too large to draw point by point is still outlined; nothing grows without bound.
TEST_F(ScanMapTest, HugeGridKeepsOnlyItsOutline) {
    doc.steps = CIVector4(30000, 30000, 1, 1);
    const SScanMap map = BuildScanMap(doc);
    EXPECT_TRUE(map.grid.empty());
    EXPECT_DOUBLE_EQ(map.right, 1200);
}

}  // namespace
