// "&Display" from a list selection: the layers it makes, the image that lines the data up,
// the quantity and method chosen by the kind of measurement, and the selection's time range.
// The software painter's limits: coordinates far outside the picture cost nothing.

#include "display/DisplayFromSelection.h"

#include <gtest/gtest.h>

#include "display/DispDoc.h"
#include "display/DisplayTestUtil.h"
#include "display/RasterPainter.h"
#include "obs/DibObs.h"
#include "obs/RawADObs.h"
#include "support/TestEnv.h"

namespace {

class DisplayFromSelectionTest : public CVelmTest {};

TEST_F(DisplayFromSelectionTest, PointsAloneFillTheMiddleOfTheWindow) {
    auto doc = MakeCdpDocument({{100, 200, 1, 0}, {300, 260, 1, 0}, {500, 0, 1, 0}});
    const auto layers = LayersForSelection(*doc, "/data/grid.vpo", 1, 2, COpticalSystem());
    ASSERT_EQ(layers.size(), 1u);
    auto& data = dynamic_cast<CDataDispLayer&>(*layers[0]);
    EXPECT_EQ(data.source, "/data/grid.vpo");
    EXPECT_EQ(data.sourceDoc, doc.get());
    EXPECT_EQ(data.quantity, ValueCode::kVector2D);
    EXPECT_EQ(data.method, kMethodVector);
    EXPECT_EQ(data.offset, CDVector4(200, 230, 0, 0));
    EXPECT_EQ(data.timeRange[0], doc->GetObsAt(1)->time);
    EXPECT_EQ(data.timeRange[1], doc->GetObsAt(2)->time);
    EXPECT_EQ(data.timeRangeText, "12/05/07 12:00:01 to 12/05/07 12:00:02");
    // Nothing to show from an empty or reversed range.
    EXPECT_TRUE(LayersForSelection(*doc, "", 3, 1, COpticalSystem()).empty());
    EXPECT_TRUE(LayersForSelection(*doc, "", 9, 12, COpticalSystem()).empty());
}

TEST_F(DisplayFromSelectionTest, AnImageGoesUnderneathAndTheDataLineUpOnIt) {
    auto doc = MakeCdpDocument({{100, 200, 1, 0}});
    auto dib = std::make_unique<CDibObs>();
    dib->SetTime(kTestEpoch + 10, 0);
    dib->fileName = dir.File("image007.bmp");
    dib->probePosition = CDVector4(150, 250, 5, 0);
    dib->samplePosition = CDVector4(50, 50, 0, 0);
    doc->AddObs(std::move(dib));
    ASSERT_TRUE(SelectionHasImage(*doc, 0, 2));
    EXPECT_FALSE(SelectionHasImage(*doc, 0, 1));
    COpticalSystem active;
    active.name = "Scope";
    active.umPerPixelX = 2.0;
    const auto layers = LayersForSelection(*doc, dir.File("doc.vpo"), 0, 2, active);
    ASSERT_EQ(layers.size(), 2u);
    auto& image = dynamic_cast<CImageDispLayer&>(*layers[0]);
    auto& data = dynamic_cast<CDataDispLayer&>(*layers[1]);
    EXPECT_EQ(image.source, dir.File("image007.bmp"));
    EXPECT_EQ(image.offset, CDVector4());
    EXPECT_EQ(image.opticalSystem.name, "Scope");
    // Where the image was grabbed sits on its optical axis.
    EXPECT_EQ(data.offset, CDVector4(100, 200, 5, 0));
    EXPECT_EQ(data.opticalSystem.umPerPixelX, 2.0);
}

TEST_F(DisplayFromSelectionTest, RawADPointsAreCirclesOfTheirChannel) {
    CObsDoc doc;
    auto raw = std::make_unique<CRawADObs>();
    raw->SetTime(kTestEpoch, 0);
    doc.AddObs(std::move(raw));
    const auto layers = LayersForSelection(doc, "", 0, 0, COpticalSystem());
    ASSERT_EQ(layers.size(), 1u);
    auto& data = dynamic_cast<CDataDispLayer&>(*layers[0]);
    EXPECT_EQ(data.quantity, ValueCode::kChannel);
    EXPECT_EQ(data.method, kMethodCircle);
}

TEST_F(DisplayFromSelectionTest, TheSoftwarePainterStaysInsideItsPicture) {
    CRasterPainter painter(40, 30);
    painter.Clear({1, 2, 3, 255});
    // Lines and circles far outside, huge or not numbers at all draw nothing and end at once.
    painter.Line({-1e12, -1e12}, {1e12, 1e12}, {255, 0, 0, 255}, 1);
    painter.Line({0, 1e300}, {5, 5}, {255, 0, 0, 255}, 7);
    painter.Line({std::nan(""), 0}, {5, 5}, {255, 0, 0, 255}, 1);
    painter.Circle({20, 15}, 1e9, {255, 0, 0, 255}, 1, std::nullopt);
    painter.Text({1e9, 0}, "far", {255, 0, 0, 255});
    painter.Text({0, 0}, std::string(1000, 'W'), {9, 9, 9, 255});
    EXPECT_EQ(painter.PixelAt(20, 15), (SColor{1, 2, 3, 255}));
    // The long diagonal crosses the picture.
    EXPECT_EQ(painter.PixelAt(29, 29), (SColor{255, 0, 0, 255}));
    // A mirrored image lands mirrored; half-transparent pixels mix.
    SRgbaImage image{2, 1, {10, 10, 10, 255, 200, 200, 200, 128}};
    painter.Image(image, {10, 5}, -4, 4);  // covers x 2..10, first pixel on the right
    EXPECT_EQ(painter.PixelAt(8, 8), (SColor{10, 10, 10, 255}));
    EXPECT_EQ(painter.PixelAt(3, 8).r, (200 * 128 + 1 * 127) / 255);
    CRasterPainter none(0, 10);
    EXPECT_EQ(none.Width(), 0);
    EXPECT_TRUE(none.Png().empty());
}

}  // namespace
