#include "hw/fg/V4l2Acquisition.h"

#include <gtest/gtest.h>

#include "hw/fg/FakeV4l2.h"
#include "support/TestEnv.h"

namespace {

class V4l2AcquisitionTest : public CVelmTest {
  protected:
    V4l2AcquisitionTest() : acquisition(std::make_unique<CFakeV4l2Device>(camera)) {}

    void Open() {
        ASSERT_EQ(acquisition.InterfaceOpen("img0"), 0) << acquisition.ErrorText(-1);
        ASSERT_EQ(acquisition.SessionOpen(), 0);
    }

    SFakeCamera camera;
    CV4l2Acquisition acquisition;
    SAcquiredFrame frame;
};

}  // namespace

TEST_F(V4l2AcquisitionTest, CamerasAreNumberedOverTheNodesThatCapture) {
    // The camera's metadata node (/dev/video0) is no camera: camera 0 is /dev/video1.
    EXPECT_EQ(acquisition.InterfaceNames(),
              std::vector<std::string>{"/dev/video1 (Microscope camera)"});
    int status = acquisition.InterfaceOpen("img1");
    EXPECT_NE(status, 0);
    EXPECT_EQ(acquisition.ErrorText(status),
              "Camera 1 is not connected: 1 camera is connected (see Frame Grabber Setup).");
    EXPECT_NE(acquisition.InterfaceOpen("../../etc/passwd"), 0);
    EXPECT_NE(acquisition.InterfaceOpen("img"), 0);
    EXPECT_NE(acquisition.Snap(frame), 0);
    Open();
    double width = 0;
    EXPECT_EQ(acquisition.GetAttribute(kImgAttrRoiWidth, width), 0);
    EXPECT_EQ(width, 4);
}

TEST(V4l2Nodes, TwoUsbCamerasWithMetadataNodesAreCamerasZeroAndOne) {
    // Listed as a directory gives them: unsorted, with metadata nodes, and one node this user
    // may not open (kept in its place, so that opening it says why).
    const std::vector<SV4l2Node> nodes = {{"/dev/video3", 3, true, false, "USB Microscope"},
                                          {"/dev/video10", 10, false, false, ""},
                                          {"/dev/video0", 0, true, true, "HD Webcam"},
                                          {"/dev/video2", 2, true, true, "USB Microscope"},
                                          {"/dev/video1", 1, true, false, "HD Webcam"}};
    std::vector<std::string> paths;
    for (const SV4l2Node& node : CameraNodes(nodes))
        paths.push_back(node.path);
    EXPECT_EQ(paths, (std::vector<std::string>{"/dev/video0", "/dev/video2", "/dev/video10"}));
    EXPECT_TRUE(CameraNodes({}).empty());
}

TEST_F(V4l2AcquisitionTest, PictureAttributesSpanEachControlsRange) {
    camera.controls[kV4l2CidBrightness] = {0, 255};
    camera.controls[kV4l2CidContrast] = {-64, 64};
    Open();
    EXPECT_EQ(acquisition.SetAttribute(kImgAttrBrightness, 10.0), 0);  // gain 60 of 100
    EXPECT_EQ(acquisition.SetAttribute(kImgAttrContrast, 0.5), 0);     // offset 0
    EXPECT_EQ(acquisition.SetAttribute(kImgAttrSaturation, 1.5), 0);   // no such control
    EXPECT_EQ(camera.set[kV4l2CidBrightness], 153);
    EXPECT_EQ(camera.set[kV4l2CidContrast], -64);
    EXPECT_EQ(camera.set.count(kV4l2CidSaturation), 0u);
    EXPECT_NE(acquisition.SetAttribute(kImgAttrRoiWidth, 0.0), 0);
    EXPECT_NE(acquisition.SetAttribute(0x1234, 1.0), 0);
}

TEST_F(V4l2AcquisitionTest, ConvertsWhatTheCameraSendsToGreyOrColour) {
    // YUYV: luma every second byte; a camera without grey keeps its own format.
    camera.frameBytes = {10, 128, 20, 128, 30, 128, 40, 128, 50, 128, 60, 128, 70, 128, 80, 128};
    Open();
    ASSERT_EQ(acquisition.Snap(frame), 0);
    EXPECT_EQ(camera.asked[0].pixelFormat, kFourccGrey);
    EXPECT_EQ(frame.width, 4);
    EXPECT_EQ(frame.bytesPerPixel, 1);
    EXPECT_EQ(frame.data, (std::vector<uint8_t>{10, 20, 30, 40, 50, 60, 70, 80}));
    EXPECT_FALSE(camera.streaming);

    // Colour: asked as BGR24, delivered as blue, green, red, unused.
    camera.formats = {kFourccYuyv, kFourccBgr24};
    camera.frameBytes.assign(4 * 2 * 3, 0);
    camera.frameBytes[0] = 1, camera.frameBytes[1] = 2, camera.frameBytes[2] = 3;
    ASSERT_EQ(acquisition.SetAttribute(kImgAttrColorRepresentation, 0), 0);
    ASSERT_EQ(acquisition.Snap(frame), 0);
    EXPECT_EQ(camera.asked.back().pixelFormat, kFourccBgr24);
    EXPECT_EQ(frame.bytesPerPixel, 4);
    EXPECT_EQ(std::vector<uint8_t>(frame.data.begin(), frame.data.begin() + 4),
              (std::vector<uint8_t>{1, 2, 3, 0}));

    // Formats it cannot convert are asked again as BGR24, and refused if still unknown.
    acquisition.Close();
    camera.formats = {Fourcc('M', 'J', 'P', 'G')};
    Open();
    EXPECT_NE(acquisition.Snap(frame), 0);
    EXPECT_EQ(acquisition.ErrorText(-1),
              "The camera sends pixel format MJPG, which cannot be converted.");
    EXPECT_EQ(camera.asked.back().pixelFormat, kFourccBgr24);
}

TEST_F(V4l2AcquisitionTest, ShortFramesAndSilentCamerasFailCleanly) {
    camera.frameBytes = {1, 2, 3};
    Open();
    EXPECT_NE(acquisition.Snap(frame), 0);
    EXPECT_EQ(acquisition.ErrorText(-1), "The camera sent a short frame (3 bytes of 16).");
    camera.silent = true;
    ASSERT_EQ(acquisition.GrabSetup(), 0);
    EXPECT_NE(acquisition.Grab(frame), 0);
    EXPECT_EQ(acquisition.ErrorText(-1), "The camera sent no frame within 2000 ms.");
    acquisition.StopAcquisition();
    EXPECT_FALSE(camera.streaming);

    // Planar 4:2:0 needs its chroma planes too; padded rows are honoured.
    SV4l2Format planar{2, 2, kFourccYuv420, 4};
    std::string error;
    EXPECT_FALSE(CV4l2Acquisition::Convert({9, 8, 0, 0, 7, 6, 0, 0}, planar, false, frame, error));
    EXPECT_TRUE(CV4l2Acquisition::Convert({9, 8, 0, 0, 7, 6, 0, 0, 128, 128, 128, 128}, planar,
                                          false, frame, error));
    EXPECT_EQ(frame.data, (std::vector<uint8_t>{9, 8, 7, 6}));
}

TEST_F(V4l2AcquisitionTest, TheKernelLayerSaysWhenThereIsNoCamera) {
    // No test machine has 98 cameras; the real device layer must say so and nothing else.
    std::unique_ptr<CImageAcquisition> real = CreateImageAcquisition();
    int status = real->InterfaceOpen("img97");
    ASSERT_NE(status, 0);
#ifdef VELM_HAVE_V4L2
    const std::string text = real->ErrorText(status);
    EXPECT_TRUE(text == "/dev/video97: No such file or directory. No camera is connected there." ||
                text.rfind("Camera 97 is not connected: ", 0) == 0)
        << text;
#else
    EXPECT_NE(real->ErrorText(status).find("without Video4Linux2"), std::string::npos);
#endif
    EXPECT_NE(real->SessionOpen(), 0);
    real->Close();
    real->Close();
}
