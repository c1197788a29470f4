// Point order and positions of every grid and step type, with the worked numbers: Flyback and
// Zig-Zag rows, W axis first, the four-axis Zig-Zag start, a line of one point, and the
// logarithmic spacings with their exact ends.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "scan/ScanDoc.h"
#include "scan/ScanPoints.h"

namespace {

struct SXY {
    double x, y;
};

CScanDoc& Grid(CScanDoc& doc, int gridType, int firstAxis) {
    doc.stepType = kStepGrid;
    doc.gridType = gridType;
    doc.firstAxis = firstAxis;
    doc.steps = CIVector4(3, 2, 1, 1);
    doc.start = CDVector4(0, 0, 0, 0);
    doc.end = CDVector4(200, 100, 0, 0);
    doc.origin = CDVector4(1000, 2000, 0, 0);
    return doc;
}

std::vector<SXY> Targets(const CScanDoc& doc) {
    const CScanPoints points(doc);
    std::vector<SXY> xy;
    for (int64_t j = 0; j < points.Count(); ++j) {
        const CDVector4 t = points.Target(j);
        xy.push_back({t.x, t.y});
    }
    return xy;
}

void ExpectTargets(const CScanDoc& doc, const std::vector<SXY>& expected) {
    const std::vector<SXY> got = Targets(doc);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_DOUBLE_EQ(got[i].x, expected[i].x) << "point " << i;
        EXPECT_DOUBLE_EQ(got[i].y, expected[i].y) << "point " << i;
    }
}

TEST(ScanPointsTest, GridOrdersByTypeAndFirstAxis) {
    CScanDoc flyback;
    Grid(flyback, kGridFlyback, kFirstAxisX);
    ExpectTargets(
        flyback,
        {{1000, 2000}, {1100, 2000}, {1200, 2000}, {1000, 2100}, {1100, 2100}, {1200, 2100}});
    const CScanPoints loops(flyback);
    EXPECT_EQ(loops.LoopIndices(4), (std::array<int, 4>{1, 1, 0, 0}));

    CScanDoc zigzag;
    Grid(zigzag, kGridZigZag, kFirstAxisX);
    ExpectTargets(
        zigzag,
        {{1000, 2000}, {1100, 2000}, {1200, 2000}, {1200, 2100}, {1100, 2100}, {1000, 2100}});

    CScanDoc wFirst;
    Grid(wFirst, kGridZigZag, kFirstAxisW);
    ExpectTargets(
        wFirst,
        {{1000, 2000}, {1000, 2100}, {1100, 2100}, {1100, 2000}, {1200, 2000}, {1200, 2100}});
}

TEST(ScanPointsTest, FourAxisZigZagStartsWithZAndWAtTheirEnds) {
    CScanDoc doc;
    doc.stepType = kStepGrid;
    doc.gridType = kGridZigZag;
    doc.steps = CIVector4(2, 1, 2, 2);
    doc.end = CDVector4(10, 10, 10, 10);
    EXPECT_EQ(CScanPoints(doc).Target(0), CDVector4(0, 0, 10, 10));
    EXPECT_EQ(CScanPoints(doc).Count(), 8);
    doc.gridType = kGridFlyback;
    EXPECT_EQ(CScanPoints(doc).Target(0), CDVector4(0, 0, 0, 0));
    EXPECT_EQ(CScanPoints(doc).Target(7), CDVector4(10, 0, 10, 10));
}

TEST(ScanPointsTest, LineOfOnePointIsRaisedToTwoAndStoredBack) {
    CScanDoc doc;
    doc.stepType = kStepLine;
    doc.numPoints = 1;
    doc.origin = CDVector4(1000, 2000, 0, 0);
    doc.end = CDVector4(200, 100, 0, 0);
    NormaliseLinePoints(doc);
    EXPECT_EQ(doc.numPoints, 2);
    ExpectTargets(doc, {{1000, 2000}, {1200, 2100}});
}

TEST(ScanPointsTest, LogarithmicSpacingsLandExactlyOnTheirEnds) {
    const double inc[] = {1, 5.623413251903491, 31.62277660168379, 177.82794100389225, 1000};
    const double dec[] = {0, 822.1720589961078, 968.3772233983162, 994.3765867480965, 999.0};
    const double down[] = {99, 94.37658674809651, 68.3772233983162, -77.82794100389225, -900};
    for (int k = 0; k < 5; ++k) {
        EXPECT_NEAR(CScanPoints::AxisCoordinate(0, 1000, k, 5, kStepLogInc), inc[k], 1e-9);
        EXPECT_NEAR(CScanPoints::AxisCoordinate(0, 1000, k, 5, kStepLogDec), dec[k], 1e-9);
        EXPECT_NEAR(CScanPoints::AxisCoordinate(100, -900, k, 5, kStepLogInc), down[k], 1e-9);
    }
    // Exact, not merely near: a stage that truncates steps would otherwise stop one short.
    EXPECT_EQ(CScanPoints::AxisCoordinate(0, 1000, 4, 5, kStepLogInc), 1000.0);
    EXPECT_EQ(CScanPoints::AxisCoordinate(0, 1000, 0, 5, kStepLogDec), 0.0);
    EXPECT_EQ(CScanPoints::AxisCoordinate(5, 5.00001, 3, 5, kStepLogInc), 5.0);

    // "Log Grid" loops as a grid, each axis with its own count.
    CScanDoc doc;
    doc.stepType = kStepLogGrid;
    doc.gridType = kGridFlyback;
    doc.steps = CIVector4(3, 2, 1, 1);
    doc.end = CDVector4(100, 10, 0, 0);
    const CScanPoints points(doc);
    ASSERT_EQ(points.Count(), 6);
    EXPECT_EQ(points.Target(0), CDVector4(1, 1, 0, 0));
    EXPECT_NEAR(points.Target(1).x, 10.0, 1e-9);
    EXPECT_EQ(points.Target(1).y, 1.0);
    EXPECT_EQ(points.Target(5), CDVector4(100, 10, 0, 0));
}

}  // namespace
