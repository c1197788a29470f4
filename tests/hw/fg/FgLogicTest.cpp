#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "hw/FgBoard.h"
#include "hw/fg/AdjustInputLogic.h"
#include "hw/fg/FgSetupLogic.h"
#include "hw/fg/LiveVideo.h"
#include "hw/fg/PickOnImageLogic.h"
#include "settings/RootDirectory.h"
#include "support/TestEnv.h"

namespace {

class FgLogicTest : public CVelmTest {
  protected:
    CFgBoard board;
};

// A source whose frames count up, and which records what the worker handed it.
class CCountingSource : public CLiveFrameSource {
  public:
    struct SShared {
        std::mutex mutex;
        std::vector<SInputSignal> inputs;
        bool ended = false;
    };
    explicit CCountingSource(std::shared_ptr<SShared> shared, int failAt = -1)
        : shared(std::move(shared)), failAt(failAt) {}
    bool Begin(std::string&) override { return true; }
    bool Next(CBitmapImage& frame, std::string& error) override {
        if (++count == failAt) {
            error = "Camera unplugged";
            return false;
        }
        frame = CBitmapImage::Blank(16, 16, 8);
        frame.pixels[0] = static_cast<uint8_t>(count);
        return true;
    }
    void SetInput(const SInputSignal& input) override {
        std::lock_guard lock(shared->mutex);
        shared->inputs.push_back(input);
    }
    void End() override {
        std::lock_guard lock(shared->mutex);
        shared->ended = true;
    }

  private:
    std::shared_ptr<SShared> shared;
    int failAt;
    int count = 0;
};

// The worker runs in real time: wait (briefly, bounded) for what it should produce.
template <typename F>
bool Eventually(F&& condition) {
    for (int i = 0; i < 5000; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

}  // namespace

TEST_F(FgLogicTest, AdjustInputClampsEveryChangeAndCancelRestores) {
    CAdjustInputLogic logic(board);
    logic.Step(CAdjustInputLogic::kGain, 10);
    logic.Step(CAdjustInputLogic::kGain, 10);
    EXPECT_EQ(board.gain, 70);
    logic.Step(CAdjustInputLogic::kOffset, 10);
    logic.Step(CAdjustInputLogic::kOffset, 10);
    logic.Step(CAdjustInputLogic::kOffset, 10);
    EXPECT_EQ(board.offset, 100);
    EXPECT_TRUE(logic.Type(CAdjustInputLogic::kHue, "-20"));
    EXPECT_EQ(board.hue, 0);
    EXPECT_TRUE(logic.Type(CAdjustInputLogic::kSaturation, " 99999999999999999999"));
    EXPECT_EQ(board.saturation, 100);
    EXPECT_FALSE(logic.Type(CAdjustInputLogic::kSaturation, "lots"));
    EXPECT_EQ(prompt.LastText(), "Enter a whole number from 0 to 100.");
    EXPECT_EQ(board.saturation, 100);

    logic.Cancel();
    EXPECT_EQ(board.InputSignal(), (SInputSignal{50, 75, 50, 50}));
    logic.Defaults();
    EXPECT_EQ(board.InputSignal(), (SInputSignal{50, 50, 50, 50}));
    logic.Ok();
    EXPECT_EQ(profile.GetProfileString(kFrameGrabberSection, "Line 2"),
              "G=50  O=50  H=50  S=50  ILUT=0  OLUT=0 (PC=0)  Pal=1487");

    EXPECT_FALSE(logic.ColourControls());
    EXPECT_EQ(logic.Label(CAdjustInputLogic::kGain), "Gain:");
    board.type = kFgNiImaq1411;
    board.pixelMode = kPixelModeRgb24;
    EXPECT_TRUE(logic.ColourControls());
    EXPECT_EQ(logic.Label(CAdjustInputLogic::kGain), "Brightness:");
    EXPECT_EQ(logic.Label(CAdjustInputLogic::kOffset), "Contrast:");
    EXPECT_EQ(logic.Label(CAdjustInputLogic::kSaturation), "Sat:");
}

TEST_F(FgLogicTest, SetupAcceptsCheckedEntriesOnly) {
    CScriptedFgDialogs dialogs;
    CScopedFgDialogs scoped(&dialogs);
    dialogs.editSetup = [](CFgSetupLogic& logic) {
        EXPECT_EQ(logic.controlPort, "230");
        logic.type = kFgNiImaq1428;
        logic.captureWidth = "768";
        logic.captureHeight = "576";
        logic.pixelMode = kPixelModeRgb24;
        logic.cam1Installed = true;
        logic.cam0Installed = false;
        return true;
    };
    ASSERT_TRUE(board.Setup());
    EXPECT_EQ(board.type, kFgNiImaq1428);
    EXPECT_EQ(board.captureWidth, 768);
    EXPECT_TRUE(board.IsColour());
    EXPECT_EQ(board.currentCamera, 1);
    EXPECT_EQ(profile.GetProfileString(kFrameGrabberSection, "Line 0"), "NI-IMAQ (PCI-1428)");

    CFgSetupLogic logic(board);
    logic.captureWidth = "0";
    EXPECT_FALSE(logic.Accept());
    EXPECT_EQ(logic.badEntry, "captureWidth");
    EXPECT_EQ(prompt.LastText(), "Capture width: enter a whole number of pixels from 16 to 8192.");
    logic.captureWidth = "640";
    logic.controlPort = "30G";
    EXPECT_FALSE(logic.Accept());
    EXPECT_EQ(logic.badEntry, "controlPort");
    logic.controlPort = "300";
    logic.aspect = "0";
    EXPECT_FALSE(logic.Accept());
    logic.aspect = "1.1";
    logic.type = kFgMatroxIP8;  // not offered
    EXPECT_FALSE(logic.Accept());

    // A board Linux cannot drive is taken with a word that it gives the test pattern, and
    // keeps to the grey mode it can give.
    logic.type = kFgPCVisionPlus;
    EXPECT_TRUE(logic.PortsUsed());
    EXPECT_FALSE(logic.ColourModesUsed());
    EXPECT_TRUE(logic.Accept());
    EXPECT_EQ(prompt.LastText(),
              "VELM for Linux cannot drive the PCVision Plus board; until it can, its images are a "
              "test pattern.");
    logic.ApplyTo(board);
    EXPECT_EQ(board.pixelMode, kPixelModeGrey);
    EXPECT_EQ(board.controlPort, 0x300);
}

TEST_F(FgLogicTest, PickDialogSwitchesCamerasAndStartsAtTheMarkers) {
    board.cam1Installed = 1;
    board.origin1 = {1, 1000};
    CPickOnImageLogic logic(board, "Show probe ...", SPickMarkers{SPixel{30, 40}, std::nullopt});
    ASSERT_TRUE(logic.Grab());
    EXPECT_EQ(logic.Image().width, 640);
    EXPECT_EQ(logic.Marker(), (SPixel{30, 40}));
    EXPECT_TRUE(logic.SwitchCamera(1));
    EXPECT_EQ(logic.Camera(), 1);
    EXPECT_EQ(logic.Marker(), (SPixel{5, 475}));  // the origin, kept inside
    EXPECT_TRUE(logic.SwitchToOtherCamera());
    EXPECT_EQ(logic.Camera(), 0);
    board.cam1Installed = 0;
    EXPECT_FALSE(logic.SwitchCamera(1));
    EXPECT_FALSE(logic.SwitchToOtherCamera());
    EXPECT_EQ(logic.Camera(), 0);

    EXPECT_EQ(logic.PositionText({10, 10}), "");
    logic.pixelToMicrons = [](int camera, SPixel p) -> std::optional<CDVector4> {
        return CDVector4(p.x, p.y, camera, 0.25);
    };
    EXPECT_EQ(logic.PositionText({10, 700}), "10.0, 475.0, 0.0, 0.2");
    EXPECT_EQ(logic.Click({-3, 9}), (SPixel{5, 9}));
    EXPECT_EQ(logic.result, (SPixel{5, 9}));
}

TEST_F(FgLogicTest, LiveVideoGrabsOnRequestAndStopsCleanly) {
    auto shared = std::make_shared<CCountingSource::SShared>();
    CLiveVideo video(std::make_unique<CCountingSource>(shared));
    board.SetLiveVideo(&video);
    EXPECT_TRUE(board.live);
    std::string error;
    ASSERT_TRUE(video.Start(error));
    CBitmapImage frame;
    ASSERT_TRUE(Eventually([&] { return video.TakeFrame(frame); }));
    EXPECT_EQ(frame.pixels[0], 1);
    EXPECT_FALSE(video.TakeFrame(frame));  // nothing new until asked

    board.gain = 80;
    board.ApplyInputSignal();  // reaches the worker before its next frame
    video.RequestFrame();
    ASSERT_TRUE(Eventually([&] { return video.TakeFrame(frame); }));
    EXPECT_EQ(frame.pixels[0], 2);
    {
        std::lock_guard lock(shared->mutex);
        ASSERT_EQ(shared->inputs.size(), 1u);
        EXPECT_EQ(shared->inputs[0].gain, 80);
    }
    video.Stop();
    video.Stop();
    EXPECT_FALSE(video.Running());
    EXPECT_TRUE(shared->ended);
    board.SetLiveVideo(nullptr);
    EXPECT_FALSE(board.live);

    // A source failing on the worker is reported once, and the worker stops asking it.
    auto failing = std::make_shared<CCountingSource::SShared>();
    CLiveVideo broken(std::make_unique<CCountingSource>(failing, 1));
    ASSERT_TRUE(broken.Start(error));
    std::optional<std::string> reported;
    ASSERT_TRUE(Eventually([&] { return (reported = broken.TakeError()).has_value(); }));
    EXPECT_EQ(*reported, "Camera unplugged");
    broken.RequestFrame();
    EXPECT_FALSE(broken.TakeError().has_value());
    EXPECT_EQ(broken.FramesGrabbed(), 0u);
}

TEST_F(FgLogicTest, LiveSourcesOfTheGrabber) {
    // No board: the live picture is the grabber's own test pattern.
    std::unique_ptr<CLiveFrameSource> source = board.CreateLiveSource();
    ASSERT_TRUE(source);
    std::string error;
    ASSERT_TRUE(source->Begin(error));
    CBitmapImage frame;
    ASSERT_TRUE(source->Next(frame, error));
    std::vector<uint8_t> still;
    ASSERT_TRUE(board.GetImage(still));
    EXPECT_EQ(frame.pixels, still);

    // The file-based grabber without its folder: said once, no source.
    SetRootDirectory(dir.Path());
    board.type = kFgFileBased;
    EXPECT_FALSE(board.CreateLiveSource());
    EXPECT_EQ(prompt.shown.size(), 1u);
}

TEST_F(FgLogicTest, RefreshRateAndFrameRate) {
    CRefreshRateLogic missing;
    EXPECT_EQ(missing.entry, "4");
    missing.entry = "0";
    double rate = 0;
    EXPECT_FALSE(missing.Accept(rate));
    EXPECT_EQ(prompt.LastText(), "Enter a refresh rate from 0.1 to 100 refreshes per second.");
    missing.entry = "3";
    ASSERT_TRUE(missing.Accept(rate));
    EXPECT_EQ(rate, 3.0);
    EXPECT_EQ(profile.GetProfileString(kFrameGrabberSection, "Live Refresh"), "3.000000");
    EXPECT_EQ(CRefreshRateLogic().entry, "3");
    EXPECT_EQ(CRefreshRateLogic::IntervalMs(3.0), 333);
    EXPECT_EQ(CRefreshRateLogic::IntervalMs(0.0), 200);

    CLiveRateCounter counter;
    std::optional<double> shown;
    for (int i = 0; i <= 11 && !shown; ++i)
        shown = counter.AddFrame(1000 + 100 * static_cast<uint64_t>(i));
    ASSERT_TRUE(shown);
    EXPECT_DOUBLE_EQ(*shown, 10.0);
}
