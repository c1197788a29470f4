// Show Area on Image: the worked example (a 640 x 480 image, 2 microns per pixel, pen 5), rows
// counted from the bottom as the live mapping counts them, clipping with its message, the
// outline drawn into a copy while the chosen file stays as it was, and the settings line.

#include <gtest/gtest.h>

#include <string>

#include "hw/Bmp.h"
#include "obs/OpticalSystem.h"
#include "scan/ShowArea.h"
#include "settings/RootDirectory.h"
#include "support/TestEnv.h"

namespace {

COpticalSystem TwoMicrons() {
    COpticalSystem system;
    system.name = "Scope";
    system.umPerPixelX = 2.0;
    system.umPerPixelY = -2.0;
    return system;
}

TEST(ShowAreaRectTest, TheWorkedExampleCountsRowsFromTheBottom) {
    const auto rect = ShowAreaRect(CDVector4(-100, 50, 0, 0), CDVector4(300, -150, 0, 0),
                                   TwoMicrons(), 640, 480, 5);
    ASSERT_TRUE(rect);
    EXPECT_EQ(rect->left, 268);
    EXPECT_EQ(rect->right, 472);
    EXPECT_EQ(rect->bottom, 163);
    EXPECT_EQ(rect->top, 267);
    EXPECT_FALSE(rect->clipped);
    // Seen from the top, y = 50 is row 214 and y = -150 row 314 before the pen: where the live
    // mapping shows them.
    EXPECT_EQ(479 - (rect->top - 2), 214);
    EXPECT_EQ(479 - (rect->bottom + 2), 314);

    // x = -1000 is column -180: clipped to the image's edge.
    const auto clipped = ShowAreaRect(CDVector4(-1000, 50, 0, 0), CDVector4(300, -150, 0, 0),
                                      TwoMicrons(), 640, 480, 5);
    ASSERT_TRUE(clipped);
    EXPECT_EQ(clipped->left, 0);
    EXPECT_TRUE(clipped->clipped);
    // A system that cannot map, an empty image and an area wholly off the image give nothing.
    COpticalSystem zero = TwoMicrons();
    zero.umPerPixelX = 0.0;
    EXPECT_FALSE(ShowAreaRect(CDVector4(), CDVector4(10, 10, 0, 0), zero, 640, 480, 1));
    EXPECT_FALSE(ShowAreaRect(CDVector4(), CDVector4(10, 10, 0, 0), TwoMicrons(), 0, 480, 1));
    EXPECT_FALSE(ShowAreaRect(CDVector4(5000, 0, 0, 0), CDVector4(6000, 10, 0, 0), TwoMicrons(),
                              640, 480, 1));
}

class ShowAreaTest : public CVelmTest {
  protected:
    ShowAreaTest() { SetRootDirectory(dir.Path()); }
};

TEST_F(ShowAreaTest, TheCopyIsDrawnAndTheFileKept) {
    ASSERT_TRUE(TwoMicrons().Save());
    const std::string file = dir.File("grey.bmp");
    ASSERT_TRUE(WriteBmpFile(file, CBitmapImage::Blank(640, 480, 8)));
    const std::string before = ReadFileText(file);

    CShowAreaLogic logic;
    EXPECT_EQ(logic.pen, "2");
    logic.imageFile = file;
    logic.systemName = "Scope";
    logic.pen = "5";
    logic.red = "10";
    logic.green = "200";
    logic.blue = "30";
    ASSERT_TRUE(logic.Accept()) << prompt.LastText();
    EXPECT_EQ(profile.GetProfileString("Mainframe Parameters", "Show Area on Image"),
              "Pen: 5  Color: (10,200,30)");
    std::optional<CBitmapImage> drawn =
        logic.Draw(CDVector4(-1000, 50, 0, 0), CDVector4(300, -150, 0, 0));
    ASSERT_TRUE(drawn);
    EXPECT_EQ(prompt.LastText(),
              "Clipping scan area to fit on image\nusing optical system \n'Scope'.");
    ASSERT_EQ(drawn->bitsPerPixel, 24);
    // The outline's corner and its inside edge: colour on the pen, grey just inside it.
    const uint8_t* row = drawn->Row(163);
    EXPECT_EQ(row[3 * 100 + 2], 10);
    EXPECT_EQ(row[3 * 100 + 1], 200);
    EXPECT_EQ(drawn->Row(168)[3 * 100 + 1], 0);
    EXPECT_EQ(drawn->Row(200)[3 * 472 + 1], 200);
    EXPECT_EQ(drawn->Row(200)[3 * 467 + 1], 0);
    EXPECT_EQ(ReadFileText(file), before);

    // The next dialog starts from what was kept; a pen of 0 is refused.
    CShowAreaLogic again;
    EXPECT_EQ(again.pen, "5");
    EXPECT_EQ(again.green, "200");
    again.pen = "0";
    again.imageFile = file;
    EXPECT_FALSE(again.Accept());
}

}  // namespace
