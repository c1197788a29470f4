// Display documents: the .vpd record byte for byte both ways, values that must survive a
// reload (negative offsets, "none" indices), files that must be refused, the layer commands
// with their enabling rules, tiling, the settings lines, and opening the layers' sources.

#include "display/DispDoc.h"

#include <gtest/gtest.h>

#include <sstream>

#include "display/SourceDocuments.h"
#include "scan/ScanDoc.h"
#include "display/TestHex.h"
#include "obs/DataDocument.h"
#include "obs/ObsDoc.h"
#include "support/TestEnv.h"

namespace {

// The note's example: an image layer and a data layer, 536 bytes.
const char* kTwoLayersHex = R"(
04 01 00 00 06 00 00 00 80 02 e0 01 02 00 ff ff 01 00 0f 00 43 49 6d 61 67 65 44 69 73 70 4c 61
79 65 72 1d 2f 64 61 74 61 2f 65 78 70 2f 69 6d 61 67 65 73 2f 69 6d 61 67 65 30 30 37 2e 62 6d
70 0c 00 f4 ff 00 00 00 00 2b 05 07 44 65 66 61 75 6c 74 00 00 00 00 00 00 f0 3f 00 00 00 00 00
00 f0 bf 00 00 00 00 00 00 00 00 00 00 00 00 00 00 f0 3f 00 00 00 00 00 00 f0 bf 00 00 00 00 00
00 f0 bf 00 00 00 00 00 00 00 00 80 02 e0 01 00 00 00 00 00 00 f0 3f ff ff 01 00 0e 00 43 44 61
74 61 44 69 73 70 4c 61 79 65 72 15 2f 64 61 74 61 2f 65 78 70 2f 64 61 74 61 30 30 31 2e 76 70
6f ff 00 00 00 00 00 00 00 00 00 ff 00 00 00 ff 00 00 00 01 00 ff 00 ff 00 ff 00 01 00 00 00 00
00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 21
06 00 00 00 00 01 00 32 00 09 75 41 2f 73 71 2e 63 6d 2e 00 00 00 00 00 00 24 c0 00 00 00 00 00
00 24 40 00 00 00 00 00 00 24 40 00 00 00 00 00 00 00 00 00 00 24 40 00 00 00 00 00 00 49 c0 00
00 00 00 00 00 49 40 00 00 00 00 00 00 34 40 00 00 00 00 00 00 24 40 00 00 00 00 00 00 00 00 00
00 00 00 00 00 00 00 00 00 01 00 01 00 01 00 02 00 01 00 01 00 04 00 00 00 00 00 00 00 00 00 00
00 00 00 00 00 00 00 00 00 9f 04 c8 05 07 05 cf 05 36 05 34 05 05 00 91 06 00 00 00 00 00 40 8f
c0 00 00 00 00 00 40 8f c0 00 00 00 00 00 40 8f c0 00 00 00 00 00 40 8f c0 00 00 00 00 00 40 8f
40 00 00 00 00 00 40 8f 40 00 00 00 00 00 40 8f 40 00 00 00 00 00 40 8f 40 00 00 00 00 00 00 59
c0 00 00 00 00 00 00 59 40 00 00 00 00 00 00 59 40 00 00 00 00 00 00 59 c0 01 00 01 00 00 00 00
00 00 00 00 00 04 00 01 00 03 00 01 00 00 ff ff ff ff ff ff ff ff ff ff)";

class DispDocTest : public CVelmTest {};

std::unique_ptr<CImageDispLayer> ExampleImageLayer() {
    auto image = std::make_unique<CImageDispLayer>();
    image->source = "/data/exp/images/image007.bmp";
    image->offset = CDVector4(12.7, -12.7, 0, 0);
    image->opticalSystem = COpticalSystem();
    image->opticalSystem.name = "Default";
    return image;
}

std::unique_ptr<CDataDispLayer> ExampleDataLayer() {
    auto data = std::make_unique<CDataDispLayer>();
    data->source = "/data/exp/data001.vpo";
    data->quantity = 1183;
    return data;
}

TEST_F(DispDocTest, EmptyDocumentIsFourteenBytesBothWays) {
    CDispDoc doc;
    EXPECT_EQ(HexOf(doc.SaveToBytes()), "04 01 00 00 04 00 00 00 80 02 e0 01 00 00");
    CDispDoc back;
    back.windowWidth = 1;
    ASSERT_EQ(back.LoadFromBytes(BytesOfHex("04 01 00 00 04 00 00 00 20 03 58 02 00 00")),
              EArchiveError::None);
    EXPECT_EQ(back.windowWidth, 800);
    EXPECT_EQ(back.windowHeight, 600);
    EXPECT_TRUE(back.layers.empty());
}

TEST_F(DispDocTest, TwoLayerExampleMatchesTheLayoutBothWays) {
    CDispDoc doc;
    doc.listLines = 6;
    doc.layers.push_back(ExampleImageLayer());
    doc.layers.push_back(ExampleDataLayer());
    const std::string bytes = doc.SaveToBytes();
    EXPECT_EQ(bytes.size(), 536u);
    EXPECT_EQ(HexOf(bytes), HexOf(BytesOfHex(kTwoLayersHex)));

    CDispDoc back;
    ASSERT_EQ(back.LoadFromBytes(bytes), EArchiveError::None);
    ASSERT_EQ(back.layers.size(), 2u);
    auto* image = dynamic_cast<CImageDispLayer*>(back.layers[0].get());
    auto* data = dynamic_cast<CDataDispLayer*>(back.layers[1].get());
    ASSERT_TRUE(image && data);
    // Offsets are whole microns, and negative ones come back negative.
    EXPECT_EQ(image->offset, CDVector4(12, -12, 0, 0));
    EXPECT_EQ(image->opticalSystem.name, "Default");
    EXPECT_EQ(data->quantity, 1183);
    EXPECT_EQ(data->indexWireCal, -1);
    EXPECT_EQ(data->indexRulesRawAD, -1);
    EXPECT_EQ(data->units, "uA/sq.cm.");
    EXPECT_EQ(back.listLines, 6);
    EXPECT_EQ(back.SaveToBytes(), bytes);
}

TEST_F(DispDocTest, ThirdLayerOfAKnownClassIsAClassReference) {
    CDispDoc doc;
    doc.layers.push_back(ExampleImageLayer());
    doc.layers.push_back(ExampleDataLayer());
    doc.layers.push_back(ExampleDataLayer());
    const std::string bytes = doc.SaveToBytes();
    // Class numbers: CImageDispLayer 1, its object 2, CDataDispLayer 3, its object 4.
    // 14 header bytes, the image layer 21 + 116, the data layer 20 + 365.
    const size_t third = 536;
    ASSERT_GT(bytes.size(), third + 2);
    EXPECT_EQ(HexOf(bytes.substr(third, 2)), "03 80");
    CDispDoc back;
    ASSERT_EQ(back.LoadFromBytes(bytes), EArchiveError::None);
    EXPECT_EQ(back.layers.size(), 3u);
}

TEST_F(DispDocTest, OutOfRangeValuesAreClampedAndKept) {
    CDispDoc doc;
    auto image = ExampleImageLayer();
    image->offset = CDVector4(-40000.9, 40000, -0.7, 32767.9);
    doc.layers.push_back(std::move(image));
    auto data = ExampleDataLayer();
    data->spare = 7;
    data->timeRange[2] = 99;
    data->indexIonCal = 3;
    doc.layers.push_back(std::move(data));
    CDispDoc back;
    ASSERT_EQ(back.LoadFromBytes(doc.SaveToBytes()), EArchiveError::None);
    EXPECT_EQ(static_cast<CImageDispLayer&>(*back.layers[0]).offset,
              CDVector4(-32768, 32767, 0, 32767));
    auto& d = static_cast<CDataDispLayer&>(*back.layers[1]);
    EXPECT_EQ(d.spare, 7);
    EXPECT_EQ(d.timeRange[2], 99);
    EXPECT_EQ(d.indexIonCal, 3);
}

TEST_F(DispDocTest, FilesThatAreNoDisplaysAreRefused) {
    // A layer list naming an observation class.
    std::string bytes = BytesOfHex("04 01 00 00 04 00 00 00 80 02 e0 01 01 00 ff ff 01 00 08 00");
    bytes += "CWireObs";
    bytes += std::string(80, '\0');
    CDispDoc doc;
    EXPECT_EQ(doc.LoadFromBytes(bytes), EArchiveError::UnexpectedFormat);
    EXPECT_TRUE(doc.layers.empty());
    // A count of layers that the bytes cannot hold, and a file cut short.
    EXPECT_EQ(
        doc.LoadFromBytes(BytesOfHex("04 01 00 00 04 00 00 00 80 02 e0 01 ff ff ff ff ff 7f")),
        EArchiveError::UnexpectedFormat);
    const std::string two = BytesOfHex(kTwoLayersHex);
    for (size_t cut : {size_t{5}, size_t{13}, size_t{100}, size_t{300}, two.size() - 1})
        EXPECT_NE(doc.LoadFromBytes(two.substr(0, cut)), EArchiveError::None) << cut;
}

TEST_F(DispDocTest, LayerCommandsFollowTheirEnablingRules) {
    CDispDoc doc;
    for (const char* name : {"a", "b", "c"}) {
        auto layer = std::make_unique<CDataDispLayer>();
        layer->source = name;
        doc.layers.push_back(std::move(layer));
    }
    auto order = [&] {
        std::string s;
        for (const auto& l : doc.layers)
            s += l->source;
        return s;
    };
    doc.selected = 2;
    ASSERT_TRUE(doc.RaiseUp());
    EXPECT_EQ(order(), "acb");
    EXPECT_EQ(doc.selected, 3);
    EXPECT_FALSE(doc.CanRaise());
    EXPECT_FALSE(doc.RaiseUp());
    EXPECT_FALSE(doc.ToTop());
    ASSERT_TRUE(doc.ToBottom());
    EXPECT_EQ(order(), "bac");
    EXPECT_EQ(doc.selected, 1);
    EXPECT_FALSE(doc.CanLower());
    EXPECT_FALSE(doc.SendDown());
    ASSERT_TRUE(doc.ToTop());
    EXPECT_EQ(order(), "acb");
    EXPECT_EQ(doc.selected, 3);
    ASSERT_TRUE(doc.SendDown());
    EXPECT_EQ(order(), "abc");
    doc.selected = 2;
    auto fresh = std::make_unique<CImageDispLayer>();
    fresh->source = "n";
    doc.Insert(std::move(fresh));
    EXPECT_EQ(order(), "anbc");
    EXPECT_EQ(doc.selected, 2);
    doc.selected = 1;
    ASSERT_TRUE(doc.DeleteSelected());
    EXPECT_EQ(doc.selected, 0);
    EXPECT_FALSE(doc.CanDelete());
    doc.Insert(std::make_unique<CDataDispLayer>());  // none selected: appended
    EXPECT_EQ(doc.selected, 4);
    EXPECT_TRUE(doc.IsModified());
    // Rows under the pointer (line height 16).
    EXPECT_EQ(doc.RowAt(58, 16), 4);
    EXPECT_EQ(doc.RowAt(5, 16), 0);
    EXPECT_EQ(doc.RowAt(10 + 16 * 4, 16), 0);
}

TEST_F(DispDocTest, TilingStacksGraphsAndNeverTurnsThemOver) {
    const auto rects = CDispDoc::TileRects(2, {0, 0, 640, 480}, 16);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0], (SPixelRect{64, 0, 608, 184}));
    EXPECT_EQ(rects[1], (SPixelRect{64, 232, 608, 416}));
    for (const SPixelRect& r : CDispDoc::TileRects(40, {0, 0, 640, 480}, 16))
        EXPECT_GE(r.bottom - r.top, 16);
    EXPECT_TRUE(CDispDoc::TileRects(0, {0, 0, 640, 480}, 16).empty());

    CDispDoc doc;
    for (int i = 0; i < 2; ++i) {
        auto graph = std::make_unique<CDataDispLayer>();
        graph->method = kMethodValueGraph;
        graph->opticalSystem = COpticalSystem();
        doc.layers.push_back(std::move(graph));
    }
    doc.TileGraphs({0, 0, 640, 480}, 16);
    const double* w0 = static_cast<CDataDispLayer&>(*doc.layers[0]).graphWindow;
    const double* w1 = static_cast<CDataDispLayer&>(*doc.layers[1]).graphWindow;
    EXPECT_EQ((std::vector<double>(w0, w0 + 4)), (std::vector<double>{-256, 240, 288, 56}));
    EXPECT_EQ((std::vector<double>(w1, w1 + 4)), (std::vector<double>{-256, 8, 288, -176}));
}

TEST_F(DispDocTest, SettingsLinesPresetNewLayers) {
    COpticalSystem lens;
    lens.name = "Lens 10x";  // a name with a blank must come back whole
    lens.umPerPixelX = 2.0;
    lens.Save();
    CDataDispLayer data;
    data.contourType = kContourLevels;
    data.numAutoContours = 7;
    data.units = "mM";
    data.offset = CDVector4(1, 2, 3, 4);
    data.indexWireCal = -1;
    data.opticalSystem = lens;
    data.SaveSettings();
    EXPECT_EQ(profile.GetProfileString(kDataLayerSection, "Line 7", ""),
              "contType=1331  numAuto=7");
    CDataDispLayer preset;
    preset.LoadSettings();
    EXPECT_EQ(preset.contourType, kContourLevels);
    EXPECT_EQ(preset.numAutoContours, 7);
    EXPECT_EQ(preset.units, "mM");
    EXPECT_EQ(preset.offset, CDVector4(1, 2, 3, 4));
    EXPECT_EQ(preset.opticalSystem.name, "Lens 10x");
    EXPECT_EQ(preset.opticalSystem.umPerPixelX, 2.0);

    CImageDispLayer image;
    image.blend = kBlendOutline;
    image.opticalSystem = lens;
    image.SaveSettings();
    CImageDispLayer imagePreset;
    imagePreset.LoadSettings();
    EXPECT_EQ(imagePreset.blend, kBlendOutline);
    EXPECT_EQ(imagePreset.opticalSystem.name, "Lens 10x");

    // A damaged count of contour levels reads at most 1,000 keys.
    CDataDispLayer::SaveContourLevels({-1.5, 0, 2.25});
    EXPECT_EQ(CDataDispLayer::LoadContourLevels(), (std::vector<double>{-1.5, 0, 2.25}));
    profile.WriteProfileInt(kDataLayerSection, "Number of Contours", 50000000);
    EXPECT_EQ(CDataDispLayer::LoadContourLevels().size(), 3u);
}

TEST_F(DispDocTest, SourcesOpenAfterTheFileAndOnlyOfTheirKind) {
    // A data document beside the display, stored with a Windows path.
    CObsDoc source;
    std::string message;
    ASSERT_TRUE(source.SaveFile(dir.File("data001.vpo"), message)) << message;
    CDispDoc doc;
    auto data = ExampleDataLayer();
    data->source = "C:\\velm\\exp\\data001.vpo";
    doc.layers.push_back(std::move(data));
    auto again = ExampleDataLayer();
    again->source = dir.File("data001.vpo");
    doc.layers.push_back(std::move(again));
    auto self = ExampleDataLayer();
    self->source = dir.File("display.vpd");  // a display is never a source
    doc.layers.push_back(std::move(self));
    auto picture = ExampleImageLayer();
    picture->source = dir.File("missing.bmp");
    doc.layers.push_back(std::move(picture));
    ASSERT_TRUE(doc.SaveFile(dir.File("display.vpd"), message)) << message;

    CDispDoc back;
    ASSERT_TRUE(back.LoadFile(dir.File("display.vpd"), message)) << message;
    std::string problems;
    back.OpenSources(problems);
    auto& a = static_cast<CDataDispLayer&>(*back.layers[0]);
    auto& b = static_cast<CDataDispLayer&>(*back.layers[1]);
    auto& c = static_cast<CDataDispLayer&>(*back.layers[2]);
    ASSERT_NE(a.sourceDoc, nullptr);
    EXPECT_EQ(a.sourceDoc, b.sourceDoc);  // one read, shared
    EXPECT_EQ(c.sourceDoc, nullptr);
    EXPECT_NE(problems.find("display.vpd: not an observation or scan document"), std::string::npos);
    EXPECT_NE(problems.find("missing.bmp"), std::string::npos);
    EXPECT_TRUE(back.DependsOn(a.sourceDoc));
    EXPECT_EQ(back.ProposedName(), "data001.vpd");
    EXPECT_TRUE(IsSourceDocumentPath("X.VPO"));
    EXPECT_FALSE(IsSourceDocumentPath("x.vpd"));
}

TEST_F(DispDocTest, AScanFileIsASourceReadWithItsScanPart) {
    CScanDoc scan;
    scan.paramSetName = "Demo";
    scan.steps = CIVector4(3, 2, 1, 1);
    std::string message;
    ASSERT_TRUE(scan.SaveFile(dir.File("WedDec05Scan0000.SCN"), message)) << message;
    auto doc = OpenSourceDocument(dir.File("WedDec05Scan0000.SCN"), message);
    ASSERT_NE(doc, nullptr) << message;
    auto* back = dynamic_cast<CScanDoc*>(doc.get());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->paramSetName, "Demo");
    EXPECT_EQ(back->steps, CIVector4(3, 2, 1, 1));
}

}  // namespace
