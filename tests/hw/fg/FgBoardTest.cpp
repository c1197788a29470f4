#include "hw/FgBoard.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "hw/fg/FakeAcquisition.h"
#include "hw/fg/FakeV4l2.h"
#include "hw/fg/FgSetupLogic.h"
#include "hw/fg/LiveVideo.h"
#include "hw/fg/V4l2Acquisition.h"
#include "settings/RootDirectory.h"
#include "support/TestEnv.h"

namespace {

class FgBoardTest : public CVelmTest {
  protected:
    FgBoardTest() : scopedDialogs(&dialogs) {
        SetRootDirectory(dir.Path());
        transfer = dir.File("transfer");
        board.SetAcquisitionFactory([this] {
            auto fake = std::make_unique<CFakeAcquisition>(log);
            fake->frame = frame;
            fake->failOn = failOn;
            fake->attributes[kImgAttrRoiWidth] = cameraWidth;
            return fake;
        });
    }

    std::string ImagePath() const { return transfer + "/velmimg.bmp"; }

    // The grabber on `camera`, a 16 x 16 grey Video4Linux2 camera that serves one streaming
    // session at a time; its frames hold 0, 1, 2, ... row by row from the top.
    void UseV4l2Camera() {
        camera.formats = {kFourccGrey};
        camera.width = camera.height = 16;
        camera.frameBytes.clear();
        for (int i = 0; i < 256; ++i)
            camera.frameBytes.push_back(static_cast<uint8_t>(i));
        board.SetAcquisitionFactory([this] {
            return std::make_unique<CV4l2Acquisition>(std::make_unique<CFakeV4l2Device>(camera));
        });
        board.type = kFgNiImaq1408;
        board.captureWidth = board.captureHeight = 16;
    }

    // Lets the outside program answer `afterWaits` polls into the request.
    void AnswerWith(const std::string& bytes, int afterWaits = 1) {
        clock.SetIdleHook([this, bytes, afterWaits, waits = 0]() mutable {
            if (++waits == afterWaits) WriteFileText(ImagePath(), bytes);
        });
    }

    CScriptedFgDialogs dialogs;
    CScopedFgDialogs scopedDialogs;
    CFgBoard board;
    std::string transfer;
    std::shared_ptr<SFakeAcquisitionLog> log = std::make_shared<SFakeAcquisitionLog>();
    SAcquiredFrame frame = CFakeAcquisition::GreyFrame(4, 3);
    std::string failOn;
    double cameraWidth = 640;
    std::vector<uint8_t> buffer;
    SFakeCamera camera;
};

std::string Line(const CProfile& profile, const char* key) {
    return profile.GetProfileString(kFrameGrabberSection, key);
}

}  // namespace

TEST_F(FgBoardTest, SettingsLinesAreWrittenInTheStationFormat) {
    board.SaveSettings();
    EXPECT_EQ(Line(profile, "Line 0"), "<None>");
    EXPECT_EQ(Line(profile, "Line 1"), "C=230  M=D000  Preview=320x240  Capture=640x480  (avg 1)");
    EXPECT_EQ(Line(profile, "Line 2"), "G=50  O=75  H=50  S=50  ILUT=0  OLUT=0 (PC=0)  Pal=1487");
    EXPECT_EQ(Line(profile, "Line 3"),
              "Aspect: 1.000000  Origin0: 320,240  Origin1: 320,240  TVStandard: 1483  "
              "SecToSave=5.000000");
    EXPECT_EQ(Line(profile, "Line 4"),
              "Cam0=1 [ Chan=0  Inv0=0/0 ]  Cam1=0 [ Chan=1  Axis=1481, Inv1=0/0, ZOnly=0 ]");

    board.type = kFgFileBased;
    board.captureWidth = 768;
    board.pixelMode = kPixelModeRgb24;
    board.origin1 = {100, 50};
    board.cam1Installed = 1;
    board.cam1Axis = kCameraPlaneXZ;
    board.gain = 61;
    board.SaveSettings();
    CFgBoard back;
    back.LoadSettings();
    EXPECT_EQ(back.type, kFgFileBased);
    EXPECT_EQ(back.captureWidth, 768);
    EXPECT_EQ(back.pixelMode, kPixelModeRgb24);
    EXPECT_EQ(back.origin1, (SPixel{100, 50}));
    EXPECT_EQ(back.cam1Installed, 1);
    EXPECT_EQ(back.cam1Axis, kCameraPlaneXZ);
    EXPECT_EQ(back.gain, 61);
    EXPECT_TRUE(back.IsColour());
    // "Live Refresh" was missing: 5 is written and used.
    EXPECT_EQ(Line(profile, "Live Refresh"), "5");
    EXPECT_EQ(back.liveRefresh, 5.0);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(FgBoardTest, OldNamesAndUnusableValuesAreHandledOnLoad) {
    profile.WriteProfileString(kFrameGrabberSection, "Line 0", "NI-IMAQ (PCI-1408)");
    profile.WriteProfileString(kFrameGrabberSection, "Live Refresh", "2.5");
    board.LoadSettings();
    EXPECT_EQ(board.type, kFgNiImaq1408);
    EXPECT_EQ(board.liveRefresh, 2.5);
    EXPECT_TRUE(prompt.shown.empty());

    profile.WriteProfileString(kFrameGrabberSection, "Line 0", "Frame-O-Matic 3000");
    profile.WriteProfileString(kFrameGrabberSection, "Line 1",
                               "C=230  M=D000  Preview=320x240  Capture=100000x0  (avg 1)");
    profile.WriteProfileString(kFrameGrabberSection, "Line 2",
                               "G=500  O=75  H=50  S=50  ILUT=0  OLUT=0 (PC=0)  Pal=7");
    profile.WriteProfileString(kFrameGrabberSection, "Live Refresh", "0");
    CFgBoard odd;
    odd.LoadSettings();
    EXPECT_EQ(odd.type, kFgNone);
    EXPECT_EQ(odd.captureWidth, 640);
    EXPECT_EQ(odd.captureHeight, 480);
    EXPECT_EQ(odd.gain, 100);
    EXPECT_EQ(odd.pixelMode, kPixelModeGrey);
    EXPECT_EQ(odd.liveRefresh, 5.0);
    ASSERT_EQ(prompt.shown.size(), 1u);
    const std::string text = prompt.LastText();
    for (const char* part :
         {"Frame-O-Matic 3000", "Capture size 100000 x 0", "Pixel mode 7", "Live Refresh=0"})
        EXPECT_NE(text.find(part), std::string::npos) << part;
}

TEST_F(FgBoardTest, WithoutACapturePathTheImageIsTheTestPattern) {
    board.captureWidth = 100;
    board.captureHeight = 20;
    for (int type : {kFgNone, kFgComputerEyes1024, kFgMatroxIP8, kFgAverKeyOverlay}) {
        board.type = type;
        ASSERT_TRUE(board.GetImage(buffer));
        ASSERT_EQ(buffer.size(), 2000u);
        EXPECT_EQ(buffer[0], 0);
        EXPECT_EQ(buffer[1], 1);
        EXPECT_EQ(buffer[99], 99);
        EXPECT_EQ(buffer[100 + 99], 0);  // (99 + 1) mod 100
        EXPECT_EQ(buffer[19 * 100 + 5], 24);
    }
    board.type = kFgComputerEyes1024;
    board.pixelMode = kPixelModeColour8;
    ASSERT_TRUE(board.GetImage(buffer));
    ASSERT_EQ(buffer.size(), 6000u);
    EXPECT_EQ(buffer[3 * 7], 7);
    EXPECT_EQ(buffer[3 * 7 + 2], 7);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(FgBoardTest, FileBasedGrabberWaitsThirtySecondsForTheOutsideProgram) {
    board.type = kFgFileBased;
    std::filesystem::create_directory(transfer);
    WriteFileText(ImagePath(), "an old answer");
    const uint64_t start = clock.Ticks();
    EXPECT_FALSE(board.GetImage(buffer));
    EXPECT_GE(clock.Ticks() - start, 30000u);
    EXPECT_LE(clock.Ticks() - start, 30200u);
    EXPECT_EQ(prompt.LastText(),
              "CFgBoard::GetImage() timeout error waiting for file " + ImagePath());
    EXPECT_EQ(ReadFileText(transfer + "/velmresp.txt"), "Get Image");
    EXPECT_FALSE(std::filesystem::exists(ImagePath()));
}

TEST_F(FgBoardTest, FileBasedGrabberSaysAtOnceWhenItCannotAsk) {
    board.type = kFgFileBased;
    const uint64_t start = clock.Ticks();
    EXPECT_FALSE(board.GetImage(buffer));
    EXPECT_EQ(clock.Ticks(), start);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.LastText().rfind("CFgBoard::GetImage() - Couldn't write the image request " +
                                          transfer + "/velmresp.txt",
                                      0),
              0u)
        << prompt.LastText();
}

TEST_F(FgBoardTest, FileBasedGrabberCopiesGreyAndColourBitmaps) {
    board.type = kFgFileBased;
    std::filesystem::create_directory(transfer);
    CBitmapImage colour = CBitmapImage::Blank(640, 480, 24);
    for (size_t i = 0; i < colour.pixels.size(); ++i)
        colour.pixels[i] = static_cast<uint8_t>(i * 7);
    AnswerWith(EncodeBmp(colour), 3);
    ASSERT_TRUE(board.GetImage(buffer));
    ASSERT_EQ(buffer.size(), 640u * 480u);
    for (size_t p : {size_t{0}, size_t{1}, size_t{640 * 480 - 1}}) {
        const uint8_t* bgr = &colour.pixels[3 * p];
        EXPECT_EQ(buffer[p], (bgr[0] + bgr[1] + bgr[2]) / 3) << p;
    }

    // An 8-bit file in a colour mode: each byte three times.
    board.pixelMode = kPixelModeRgb24;
    CBitmapImage grey = CBitmapImage::Blank(640, 480, 8);
    grey.pixels[1] = 77;
    AnswerWith(EncodeBmp(grey));
    ASSERT_TRUE(board.GetImage(buffer));
    ASSERT_EQ(buffer.size(), 3u * 640u * 480u);
    EXPECT_EQ(buffer[3], 77);
    EXPECT_EQ(buffer[5], 77);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(FgBoardTest, FileBasedGrabberRefusesWrongAndBrokenFiles) {
    board.type = kFgFileBased;
    std::filesystem::create_directory(transfer);
    AnswerWith(EncodeBmp(CBitmapImage::Blank(320, 240, 8)));
    EXPECT_FALSE(board.GetImage(buffer));
    EXPECT_EQ(prompt.LastText(),
              "Frame Grabber image size (640 x 480) is different from image file size (320,240).");

    AnswerWith("BM this is not a bitmap at all");
    EXPECT_FALSE(board.GetImage(buffer));
    EXPECT_EQ(prompt.LastText(), "CFgBoard::GetImage() - Couldn't load DIB");

    // A file still being written is waited for; it is complete on the next poll.
    const std::string whole = EncodeBmp(CBitmapImage::Blank(640, 480, 8));
    clock.SetIdleHook([&, waits = 0]() mutable {
        ++waits;
        if (waits == 1) WriteFileText(ImagePath(), whole.substr(0, 5000));
        if (waits == 2) WriteFileText(ImagePath(), whole);
    });
    prompt.shown.clear();
    EXPECT_TRUE(board.GetImage(buffer));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(FgBoardTest, CameraImagesGoThroughTheAcquisitionAttributes) {
    board.type = kFgNiImaq1408;
    board.gain = 60;
    board.offset = 75;
    board.saturation = 40;
    // 16 x 16 is the smallest usable grabber size; a smaller camera frame fills its top rows.
    board.captureWidth = 16;
    board.captureHeight = 16;
    ASSERT_TRUE(board.GetImage(buffer));
    const std::vector<std::string> expected = {"InterfaceOpen img0",
                                               "SessionOpen",
                                               "Get 3FF601A6",
                                               "Get 3FF601A7",
                                               "Set 3FF601A6 16",
                                               "Set 3FF601A7 16",
                                               "Set 3FF600C1 16",
                                               "Set 3FF60099 10",
                                               "Set 3FF6009A 1.25",
                                               "Set 3FF6009B 0.9",
                                               "Snap"};
    EXPECT_EQ(log->calls, expected);
    EXPECT_EQ(log->closes, 1);
    // Bottom row first: the frame's top row lands in the buffer's last row.
    EXPECT_EQ(buffer[15 * 16 + 0], 0);
    EXPECT_EQ(buffer[15 * 16 + 3], 3);
    EXPECT_EQ(buffer[13 * 16 + 2], 22);

    // Colour on the 1408: colour attributes, and grey frames tripled.
    board.pixelMode = kPixelModeColour8;
    log->calls.clear();
    ASSERT_TRUE(board.GetImage(buffer));
    EXPECT_EQ(log->calls[10], "Set 3FF600AD 2");
    EXPECT_EQ(log->calls[11], "Set 3FF600AE 13");
    EXPECT_EQ(buffer[(13 * 16 + 2) * 3 + 1], 22);

    // Four-byte colour frames in grey mode average blue, green and red.
    board.pixelMode = kPixelModeGrey;
    frame.bytesPerPixel = 4;
    frame.width = 1;
    frame.rowBytes = 4;
    frame.height = 1;
    frame.data = {30, 60, 90, 255};
    ASSERT_TRUE(board.GetImage(buffer));
    EXPECT_EQ(buffer[15 * 16], 60);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(FgBoardTest, CameraFailuresAreShownAndTheSessionClosed) {
    board.type = kFgNiImaq1411;
    board.cam1Installed = 1;
    ASSERT_TRUE(board.SelectCamera(1));
    failOn = "Snap";
    EXPECT_FALSE(board.GetImage(buffer));
    EXPECT_EQ(log->calls.front(), "InterfaceOpen img1");
    EXPECT_EQ(prompt.LastText(), "Camera says -3");
    EXPECT_EQ(prompt.shown.back().icon, EPromptIcon::Stop);
    EXPECT_EQ(log->closes, 1);

    // A camera wider than the grabber is cut to it.
    failOn.clear();
    cameraWidth = 1280;
    log->calls.clear();
    EXPECT_TRUE(board.GetImage(buffer));
    EXPECT_EQ(log->calls[4], "Set 3FF601A6 640");
}

TEST_F(FgBoardTest, AStillGrabWhileLiveVideoRunsTakesTheStreamsNextFrame) {
    // A Video4Linux2 camera serves one streaming session at a time, as the kernel does.
    UseV4l2Camera();
    CLiveVideo live(board.CreateLiveSource());
    std::string error;
    ASSERT_TRUE(live.Start(error)) << error;
    board.SetLiveVideo(&live);
    ASSERT_TRUE(camera.streaming);

    // Frame Grabber Test, Grab Image to File, Update, Show Origin: all grab a still.
    for (int grab = 0; grab < 3; ++grab) {
        ASSERT_TRUE(board.GetImage(buffer)) << prompt.LastText();
        EXPECT_EQ(buffer[15 * 16 + 5], 5);   // the camera's top row is the buffer's last
        EXPECT_EQ(buffer[0 * 16 + 7], 247);  // and its bottom row the first
    }
    EXPECT_EQ(camera.busyRefusals, 0);
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_GE(live.FramesGrabbed(), 3u);
    // The size asked for changed under the running stream: said, not garbled.
    board.captureWidth = 32;
    EXPECT_FALSE(board.GetImage(buffer));
    EXPECT_EQ(prompt.LastText(),
              "CFgBoard::GetImage() - The live video runs at 16 x 16 pixels and the image is to "
              "be 32 x 16; freeze the live video and grab again.");
    board.captureWidth = 16;

    // What happened before: a session of its own on the streaming camera is refused.
    board.SetLiveVideo(nullptr);
    EXPECT_FALSE(board.GetImage(buffer));
    EXPECT_EQ(camera.busyRefusals, 1);
    EXPECT_EQ(prompt.LastText(), "VIDIOC_S_FMT: Device or resource busy.");

    // With the stream stopped, stills open their own session again.
    live.Stop();
    EXPECT_FALSE(camera.streaming);
    ASSERT_TRUE(board.GetImage(buffer));
    EXPECT_EQ(buffer[15 * 16 + 5], 5);
}

TEST_F(FgBoardTest, AStillFromALiveStreamThatStoppedSaysWhy) {
    UseV4l2Camera();
    CLiveVideo live(board.CreateLiveSource());
    std::string error;
    camera.silent = true;
    ASSERT_TRUE(live.Start(error)) << error;
    board.SetLiveVideo(&live);
    EXPECT_FALSE(board.GetImage(buffer));
    EXPECT_EQ(prompt.LastText(), "CFgBoard::GetImage() - The camera sent no frame within 2000 ms.");
    board.SetLiveVideo(nullptr);
}

TEST_F(FgBoardTest, TwoUsbCamerasAreCamerasZeroAndOneAndSetupSaysWhichIsWhich) {
    // Each USB camera makes a capture node and a metadata node.
    UseV4l2Camera();
    camera.path = "/dev/video2";
    camera.nodes = {{"/dev/video0", 0, true, true, "HD Webcam"},
                    {"/dev/video1", 1, true, false, "HD Webcam"},
                    {"/dev/video2", 2, true, true, "USB Microscope"},
                    {"/dev/video3", 3, true, false, "USB Microscope"}};
    CFgSetupLogic logic(board);
    EXPECT_EQ(logic.CameraDeviceText(0), "Camera 0 is /dev/video0 (HD Webcam).");
    EXPECT_EQ(logic.CameraDeviceText(1), "Camera 1 is /dev/video2 (USB Microscope).");

    board.cam1Installed = 1;
    ASSERT_TRUE(board.SelectCamera(1));
    ASSERT_TRUE(board.GetImage(buffer)) << prompt.LastText();  // /dev/video2, not video1
    EXPECT_EQ(buffer[15 * 16 + 9], 9);

    camera.nodes.resize(2);
    EXPECT_EQ(CFgSetupLogic(board).CameraDeviceText(1), "No camera 1 is connected.");
}

TEST_F(FgBoardTest, CamerasOriginsAndPicks) {
    EXPECT_FALSE(board.SelectCamera(1));
    EXPECT_FALSE(board.SelectCamera(2));
    EXPECT_TRUE(board.SelectCamera(0));

    board.captureWidth = 768;
    board.captureHeight = 576;
    board.ZeroOrigin();
    EXPECT_EQ(board.origin0, (SPixel{384, 288}));
    EXPECT_EQ(board.origin1, (SPixel{384, 288}));
    EXPECT_NE(Line(profile, "Line 3").find("Origin0: 384,288  Origin1: 384,288"),
              std::string::npos);

    // Cancelled: (0, 0), and nothing clicked.
    EXPECT_EQ(board.PickOnImage("Show sample position ..."), (SPixel{0, 0}));
    // Clicks are kept five pixels inside the image.
    dialogs.clicks = {SPixel{2, 700}, SPixel{766, 3}};
    EXPECT_EQ(board.PickOnImage("x"), (SPixel{5, 571}));
    EXPECT_EQ(board.PickOnImage("x"), (SPixel{763, 5}));

    board.cam1Installed = 1;
    dialogs.clicks = {SPixel{100, 110}, SPixel{200, 210}};
    board.LocateOrigin();
    EXPECT_EQ(board.origin0, (SPixel{100, 110}));
    EXPECT_EQ(board.origin1, (SPixel{200, 210}));
    EXPECT_EQ(board.currentCamera, 0);
    EXPECT_NE(Line(profile, "Line 3").find("Origin0: 100,110  Origin1: 200,210"),
              std::string::npos);

    // A cancel keeps the origin instead of moving it to the corner.
    dialogs.clicks = {SPixel{50, 60}, std::nullopt};
    board.LocateOrigin();
    EXPECT_EQ(board.origin0, (SPixel{50, 60}));
    EXPECT_EQ(board.origin1, (SPixel{200, 210}));

    // No usable camera: no dialog at all.
    board.cam0Installed = 0;
    board.currentCamera = 0;
    const int picks = dialogs.picks;
    EXPECT_EQ(board.PickOnImage("x"), (SPixel{0, 0}));
    EXPECT_EQ(dialogs.picks, picks);
}
