// The drawing model through a recording painter: the worked arrow, head and tail origins,
// circles, a point source whose arrows point away and shrink, contours, the pseudocolour map,
// scales that cannot be drawn, image layers with their blend methods, and the PNG and SVG
// writers.

#include "display/DisplayDraw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "display/Contour.h"
#include "display/DispDoc.h"
#include "display/DisplayTestUtil.h"
#include "display/Png.h"
#include "display/RasterPainter.h"
#include "display/SvgPainter.h"
#include "support/TestEnv.h"

namespace {

class DisplayDrawTest : public CVelmTest {
  protected:
    // A data layer over `doc` with the default optical system (1, -1, 640 x 480).
    std::unique_ptr<CDataDispLayer> Layer(CDataDocument& doc) {
        auto layer = std::make_unique<CDataDispLayer>();
        layer->opticalSystem = COpticalSystem();
        layer->sourceDoc = &doc;
        layer->quantity = ValueCode::kVector2D;
        layer->autoScalar = false;
        layer->scalarValue = 10.0;
        return layer;
    }
    std::vector<std::string> Draw(const CDataDispLayer& layer) {
        CRecordingPainter painter;
        const CDisplayFrame frame(640, 480, COpticalSystem());
        DrawDataLayer(layer, frame, painter);
        return painter.lines;
    }
};

TEST_F(DisplayDrawTest, TheWorkedArrow) {
    auto doc = MakeCdpDocument({{1010, 2020, 3, 4}});
    auto layer = Layer(*doc);
    layer->offset = CDVector4(1000, 2000, 0, 0);
    const auto lines = Draw(*layer);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "line 330 220 345 200 255 0 0 1");
    // Head lines 20 % of 25 px at 10 degrees either side of the shaft, at the tip.
    for (int i = 1; i < 3; ++i) {
        double x1, y1, x2, y2;
        ASSERT_EQ(std::sscanf(lines[i].c_str(), "line %lf %lf %lf %lf", &x1, &y1, &x2, &y2), 4);
        EXPECT_EQ(x1, 345);
        EXPECT_EQ(y1, 200);
        EXPECT_NEAR(std::hypot(x2 - x1, y2 - y1), 5.0, 1e-3);
        const double angle = std::acos(((x1 - x2) * 0.6 + (y1 - y2) * -0.8) / 5.0) * 180 / M_PI;
        EXPECT_NEAR(angle, 10.0, 0.05);  // from coordinates printed to 6 digits
    }
    layer->vectorOrigin = kOriginHead;
    layer->headOn = true;  // "No head"
    EXPECT_EQ(Draw(*layer), (std::vector<std::string>{"line 315 240 330 220 255 0 0 1"}));
    // A halo is drawn under the arrow.
    layer->backOn = true;
    layer->backWidth = 2;
    EXPECT_EQ(Draw(*layer), (std::vector<std::string>{"line 315 240 330 220 255 255 255 5",
                                                      "line 315 240 330 220 255 0 0 1"}));
}

TEST_F(DisplayDrawTest, CirclesShowSignAndSize) {
    auto doc = MakeCdpDocument({{10, 20, -5, 0}, {0, 0, 2, 0}});
    auto layer = Layer(*doc);
    layer->quantity = ValueCode::kXCurrentDensity;
    layer->method = kMethodCircle;
    const auto lines = Draw(*layer);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "circle 330 220 25 0 0 255 1 -");
    EXPECT_EQ(lines[1], "circle 320 240 10 255 0 0 1 -");
    layer->lineColorMode = kColorPseudo;
    EXPECT_EQ(Draw(*layer)[0], "circle 330 220 25 0 255 255 1 fill");  // a quarter up the map
}

TEST_F(DisplayDrawTest, ArrowsPointAwayFromAPointSourceAndShrink) {
    auto doc = MakeCdpDocument(PointSourceGrid(0, 0, 7, 20));
    auto layer = Layer(*doc);
    layer->autoScalar = true;
    layer->headOn = true;
    const auto lines = Draw(*layer);
    ASSERT_EQ(lines.size(), 48u);
    for (const std::string& line : lines) {
        double x1, y1, x2, y2;
        ASSERT_EQ(std::sscanf(line.c_str(), "line %lf %lf %lf %lf", &x1, &y1, &x2, &y2), 4);
        const double rx = x1 - 320, ry = y1 - 240;  // from the source, in pixels
        const double ax = x2 - x1, ay = y2 - y1;
        EXPECT_GT(rx * ax + ry * ay, 0.99 * std::hypot(rx, ry) * std::hypot(ax, ay)) << line;
        // The nearest points get the full 50 pixels; length falls with the square of distance.
        EXPECT_NEAR(std::hypot(ax, ay), 50.0 * 400.0 / (rx * rx + ry * ry), 2e-3) << line;
    }
}

TEST_F(DisplayDrawTest, TimeRangeAndIndicesChooseWhatIsDrawn) {
    auto doc = MakeCdpDocument({{0, 0, 1, 0}, {10, 0, 1, 0}, {20, 0, 1, 0}});
    auto layer = Layer(*doc);
    layer->headOn = true;
    EXPECT_EQ(Draw(*layer).size(), 3u);  // 0 to 0: every observation
    layer->timeRange[0] = 1196856002;
    layer->timeRange[1] = 1196856003;
    EXPECT_EQ(Draw(*layer).size(), 2u);
    // Indices out of the list or on another class fall back to the calibration in force.
    layer->indexWireCal = 2;
    EXPECT_EQ(Draw(*layer).size(), 2u);
    layer->indexWireCal = 500;
    EXPECT_EQ(Draw(*layer).size(), 2u);
    layer->indexWireCal = 0;
    EXPECT_EQ(Draw(*layer).size(), 2u);
}

TEST_F(DisplayDrawTest, ScalesThatCannotBeDrawnDrawNothing) {
    auto doc = MakeCdpDocument({{0, 0, 0, 0}});
    auto layer = Layer(*doc);
    layer->autoScalar = true;
    layer->scalarValue = 0.0;  // all values zero, no stored scale
    CRecordingPainter painter;
    const SLayerDrawn drawn =
        DrawDataLayer(*layer, CDisplayFrame(640, 480, COpticalSystem()), painter);
    EXPECT_TRUE(drawn.noScale);
    EXPECT_TRUE(painter.lines.empty());
    layer->scaleType = kScaleMinMax;
    layer->minValue = layer->maxValue = 0;
    EXPECT_TRUE(Draw(*layer).empty());
    layer->scaleType = kScaleScalar;
    layer->scalarValue = std::nan("");
    layer->autoScalar = false;
    EXPECT_TRUE(Draw(*layer).empty());
    layer->sourceDoc = nullptr;
    EXPECT_TRUE(Draw(*layer).empty());
}

TEST_F(DisplayDrawTest, ContourLevelsAndLines) {
    const auto levels = AutoContourLevels(-10, 10, 5);
    ASSERT_EQ(levels.size(), 5u);
    EXPECT_NEAR(levels[0], -6.667, 1e-3);
    EXPECT_NEAR(levels[1], -3.333, 1e-3);
    EXPECT_NEAR(levels[2], 0.0, 1e-12);
    EXPECT_NEAR(levels[4], 6.667, 1e-3);
    EXPECT_TRUE(AutoContourLevels(1, 1, 5).empty());

    // v = x on a 5 x 5 lattice: the level 1.5 is the vertical line x = 1.5.
    std::vector<SValuePoint> points;
    for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 5; ++i)
            points.push_back({i * 10.0, j * 10.0, static_cast<double>(i)});
    const SValueGrid grid = GridFromPoints(points);
    ASSERT_EQ(grid.nx, 5);
    ASSERT_EQ(grid.ny, 5);
    int segments = 0;
    TraceContour(grid, 1.5, [&](double x1, double y1, double x2, double y2) {
        ++segments;
        EXPECT_DOUBLE_EQ(x1, 1.5);
        EXPECT_DOUBLE_EQ(x2, 1.5);
        EXPECT_NEAR(std::fabs(y2 - y1), 1.0, 1e-12);
    });
    EXPECT_EQ(segments, 4);
    // Scattered points are interpolated; a single line of points has no area.
    points = {{0, 0, 0}, {10, 3, 1}, {4, 9, 2}, {7, 7, 3}};
    EXPECT_FALSE(GridFromPoints(points).Empty());
    EXPECT_TRUE(GridFromPoints({{0, 0, 1}, {1, 0, 2}, {2, 0, 3}}).Empty());
}

TEST_F(DisplayDrawTest, ContoursOfAPointSourceAreClosedRings) {
    auto doc = MakeCdpDocument(PointSourceGrid(5, 5, 21, 10));
    auto layer = Layer(*doc);
    layer->quantity = ValueCode::kTotalCurrentDensity;
    layer->method = kMethodContour;
    layer->scalarValue = 5.0;
    layer->numAutoContours = 2;
    layer->showLabels = true;
    const auto lines = Draw(*layer);
    ASSERT_FALSE(lines.empty());
    // Every line of the level 1.667 lies near the circle where 1000 / r^2 = 1.667.
    const double radius = std::sqrt(1000.0 / (5.0 / 3.0)) * 1.0;
    int near = 0, all = 0;
    for (const std::string& line : lines) {
        double x1, y1, x2, y2;
        if (std::sscanf(line.c_str(), "line %lf %lf %lf %lf", &x1, &y1, &x2, &y2) != 4) continue;
        const double r = std::hypot(x1 - 325, y1 - 235);
        if (r > radius * 0.5) {
            ++all;
            near += std::fabs(r - radius) < 4.0;
        }
    }
    EXPECT_GT(all, 10);
    EXPECT_EQ(near, all);
    EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                           [](const std::string& l) { return l.rfind("text", 0) == 0; }),
              lines.end());
}

TEST_F(DisplayDrawTest, PseudocolourMap) {
    EXPECT_EQ(PseudoColour(0), (SColor{0, 0, 255, 255}));
    EXPECT_EQ(PseudoColour(0.25), (SColor{0, 255, 255, 255}));
    EXPECT_EQ(PseudoColour(0.5), (SColor{0, 255, 0, 255}));
    EXPECT_EQ(PseudoColour(0.75), (SColor{255, 255, 0, 255}));
    EXPECT_EQ(PseudoColour(1), (SColor{255, 0, 0, 255}));
    EXPECT_EQ(PseudoColour(7), PseudoColour(1));
    EXPECT_EQ(PseudoColour(std::nan("")), PseudoColour(0));
}

TEST_F(DisplayDrawTest, ValueGraphsAndScaleBars) {
    auto doc = MakeCdpDocument({{-50, 0, 5, 0}, {0, 0, -5, 0}, {50, 0, 10, 0}, {5000, 0, 1, 0}});
    auto layer = Layer(*doc);
    layer->quantity = ValueCode::kXCurrentDensity;
    layer->method = kMethodValueGraph;
    layer->graphType = kGraphX;
    layer->graphFrom[0] = -100, layer->graphTo[0] = 100;
    layer->showAxes = false;
    const auto lines = Draw(*layer);
    // Border (4 lines), the three points inside the area joined (2 lines) and dotted (3).
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.rfind("circle", 0) == 0; }),
              3);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.rfind("line", 0) == 0; }),
              6);
    // x = -50 sits a quarter into the box (-100..100 -> 220..420), value 5 a quarter below the
    // top of -10..10 (340..140).
    EXPECT_NE(std::find(lines.begin(), lines.end(), "circle 270 190 2 255 0 0 1 fill"),
              lines.end());

    auto bar = Layer(*doc);
    bar->sourceDoc = nullptr;
    auto empty = MakeCdpDocument({});
    bar->sourceDoc = empty.get();
    bar->scaleBarHorz = true;
    bar->scaleBarHead = false;
    const auto barLines = Draw(*bar);
    ASSERT_EQ(barLines.size(), 2u);
    EXPECT_EQ(barLines[0], "line 270 190 320 190 255 0 0 1");
    EXPECT_EQ(barLines[1], "text 270 194 255 0 0 10 uA/sq.cm.");
}

TEST_F(DisplayDrawTest, ImageLayersSitOnTheirOpticalAxis) {
    CBitmapImage bmp = CBitmapImage::Blank(4, 2, 8);
    bmp.Row(1)[0] = 200;  // top-left pixel bright
    auto image = std::make_unique<CImageDispLayer>();
    image->opticalSystem = COpticalSystem();
    image->opticalSystem.umPerPixelX = 2.0;
    image->opticalSystem.umPerPixelY = -2.0;
    image->image = bmp;
    image->offset = CDVector4(10, 0, 0, 0);
    CDispDoc doc;
    doc.layers.push_back(std::move(image));
    SDrawContext context;
    CRecordingPainter painter;
    DrawDisplay(doc, painter, context);
    // The display takes the image's system: the picture fills the window, shifted by the
    // offset (10 microns = 5 window pixels).
    ASSERT_EQ(painter.lines.size(), 2u);
    EXPECT_EQ(painter.lines[1], "image 4 2 at 5 0 scale 160 240");

    const SRgbaImage copy = BlendedImage(bmp, kBlendCopy);
    EXPECT_EQ(copy.pixels[0], 200);
    EXPECT_EQ(copy.pixels[3], 255);
    EXPECT_EQ(BlendedImage(bmp, kBlendMix).pixels[3], 128);
    const SRgbaImage threshold = BlendedImage(bmp, kBlendThreshold);
    EXPECT_EQ(threshold.pixels[3], 255);
    EXPECT_EQ(threshold.pixels[7], 0);
    const SRgbaImage outline = BlendedImage(bmp, kBlendOutline);
    EXPECT_EQ(outline.pixels[0], 255);  // yellow at the edge of the bright pixel
    EXPECT_EQ(outline.pixels[2], 0);
    EXPECT_EQ(outline.pixels[4 * 3 + 3], 0);  // nothing far from it
}

TEST_F(DisplayDrawTest, RasterPngAndSvgWriters) {
    auto doc = std::make_unique<CDispDoc>();
    auto source = MakeCdpDocument({{10, 20, 3, 4}});
    auto layer = Layer(*source);
    doc->layers.push_back(std::move(layer));
    CRasterPainter raster(640, 480);
    SDrawContext context;
    context.active = COpticalSystem();
    DrawDisplay(*doc, raster, context);
    EXPECT_EQ(raster.PixelAt(330, 220), (SColor{255, 0, 0, 255}));  // the tail
    EXPECT_EQ(raster.PixelAt(10, 10), (SColor{0, 0, 0, 255}));
    const std::string png = raster.Png();
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(png.size(), 8 + 25 + 12 + 2 + (640 * 3 + 1) * 480 + 5 * 15 + 4 + 12);
    EXPECT_EQ(png.substr(png.size() - 8, 4), "IEND");
    EXPECT_EQ(Base64("Man"), "TWFu");
    EXPECT_EQ(Base64("Ma"), "TWE=");
    EXPECT_EQ(Base64("M"), "TQ==");

    CSvgPainter svg(640, 480);
    DrawDisplay(*doc, svg, context);
    const std::string text = svg.Document();
    EXPECT_NE(text.find("<path d=\"M330.00 220.00L345.00 200.00\" stroke=\"#ff0000\""),
              std::string::npos);
    EXPECT_NE(text.find("</svg>"), std::string::npos);
    CSvgPainter escaped(10, 10);
    escaped.Text({0, 0}, "a<b&\"c\"\xe9", {});
    EXPECT_NE(escaped.Document().find(">a&lt;b&amp;&quot;c&quot;?</text>"), std::string::npos);
}

}  // namespace
