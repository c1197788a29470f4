// velm-tool on display documents: a display made over an observation document, described,
// saved again byte for byte, drawn as the scene, a PNG and an SVG; bad arguments and files.

#include <gtest/gtest.h>

#include "display/DispDoc.h"
#include "display/DisplayTestUtil.h"
#include "support/TestEnv.h"
#include "support/ToolRun.h"

namespace {

class DisplayCommandsTest : public CVelmTest {
  protected:
    SToolRun Tool(const std::string& args) {
        return RunVelmTool(dir.File("velm.ini"), args, dir.Path());
    }
};

TEST_F(DisplayCommandsTest, AFigureFromAnObservationDocumentWithoutAScreen) {
    auto source = MakeCdpDocument({{100, 200, 3, 4}, {140, 200, -3, 0}});
    std::string message;
    ASSERT_TRUE(source->SaveFile(dir.File("grid.vpo"), message)) << message;

    SToolRun run = Tool("display " + dir.File("grid.vpo") + " " + dir.File("fig.vpd"));
    ASSERT_EQ(run.code, 0) << run.err;
    run = Tool("describe " + dir.File("fig.vpd"));
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out.rfind("window=640x480  list=260,5  layers=1\nlayer 1: data " +
                                dir.File("grid.vpo") + "  quantity=1183  method=1480",
                            0),
              0u)
        << run.out;
    EXPECT_NE(run.out.find("offset=(120,200,0,0)"), std::string::npos) << run.out;

    // The points sit either side of the window's middle (centred on their box); the largest
    // current density is 50 pixels long.
    run = Tool("scene " + dir.File("fig.vpd"));
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("line 300 240 330 200 255 0 0 1\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("line 340 240 310 240 255 0 0 1\n"), std::string::npos) << run.out;

    run = Tool("roundtrip " + dir.File("fig.vpd") + " " + dir.File("again.vpd"));
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(ReadFileText(dir.File("again.vpd")), ReadFileText(dir.File("fig.vpd")));

    run = Tool("render " + dir.File("fig.vpd") + " " + dir.File("fig.png") + " --size 320x240");
    ASSERT_EQ(run.code, 0) << run.err;
    const std::string png = ReadFileText(dir.File("fig.png"));
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    EXPECT_EQ(png.substr(16, 8), std::string("\0\0\x01\x40\0\0\0\xf0", 8));  // 320 x 240
    run = Tool("render " + dir.File("fig.vpd") + " " + dir.File("fig.SVG"));
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(ReadFileText(dir.File("fig.SVG")).find("<path d=\"M300.00 240.00L330.00 200.00\""),
              std::string::npos);
}

TEST_F(DisplayCommandsTest, BadArgumentsAndFilesAreRefused) {
    EXPECT_EQ(Tool("render a.vpd out.gif").code, 2);
    EXPECT_EQ(Tool("render a.vpd out.png --size 0x10").code, 2);
    EXPECT_EQ(Tool("render a.vpd out.png --size 99999x10").code, 2);
    EXPECT_EQ(Tool("display --method bars a.vpo b.vpd").code, 2);
    EXPECT_EQ(Tool("display a.vpo b.png").code, 2);
    WriteFileText(dir.File("junk.vpd"), "not a display");
    SToolRun run = Tool("render " + dir.File("junk.vpd") + " " + dir.File("out.png"));
    EXPECT_EQ(run.code, 1);
    EXPECT_FALSE(run.err.empty());
    run = Tool("describe " + dir.File("junk.vpd"));
    EXPECT_EQ(run.code, 1);
    // A display whose source is gone still draws (its layer shows nothing) and says why.
    CDispDoc doc;
    auto layer = std::make_unique<CDataDispLayer>();
    layer->source = dir.File("gone.vpo");
    doc.layers.push_back(std::move(layer));
    std::string message;
    ASSERT_TRUE(doc.SaveFile(dir.File("lost.vpd"), message));
    run = Tool("render " + dir.File("lost.vpd") + " " + dir.File("lost.png"));
    EXPECT_EQ(run.code, 0);
    EXPECT_NE(run.err.find("gone.vpo"), std::string::npos) << run.err;
}

}  // namespace
