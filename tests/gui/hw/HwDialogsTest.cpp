#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "gui/GuiTestSupport.h"
#include "gui/hw/ImageView.h"
#include "gui/hw/LiveVideoWindow.h"
#include "gui/hw/QtFgDialogs.h"
#include "gui/hw/QtMotionDialogs.h"
#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"
#include "hw/fg/FakeV4l2.h"
#include "hw/fg/V4l2Acquisition.h"
#include "support/TestEnv.h"

namespace {

class HwDialogsTest : public CVelmTest {
  protected:
    HwDialogsTest() : motion(&motionDialogs), grabber(&fgDialogs) {}
    CQtMotionDialogs motionDialogs;
    CQtFgDialogs fgDialogs;
    CScopedMotionDialogs motion;
    CScopedFgDialogs grabber;
};

}  // namespace

TEST_F(HwDialogsTest, ZMinimumWarningsAnswerWithTheirButtons) {
    QString heading, current;
    OnNext<CZMinimumWarningDialog>([&](CZMinimumWarningDialog* d) {
        EXPECT_EQ(d->windowTitle(), "!!! Motion System Warning !!!");
        heading = d->findChildren<QLabel*>().front()->text();
        current = Child<QLabel>(d, "value0")->text();
        EXPECT_TRUE(Child<QPushButton>(d, "answer0")->isDefault());
        Child<QPushButton>(d, "answer1")->click();
    });
    EXPECT_EQ(MotionDialogs().AskZMinimumViolation({-90.0, -110.0, -100.0}),
              EZMinimumMoveAnswer::TruncateMove);
    EXPECT_EQ(heading, "Attempting to violate current Z Minimum!");
    EXPECT_EQ(current, "-90.0");

    OnNext<CZMinimumWarningDialog>([](CZMinimumWarningDialog* d) { d->reject(); });
    EXPECT_EQ(MotionDialogs().AskZMinimumViolation({0, -200, -100}),
              EZMinimumMoveAnswer::CancelMove);

    OnNext<CZMinimumWarningDialog>([](CZMinimumWarningDialog* d) {
        EXPECT_EQ(Child<QPushButton>(d, "answer2")->text(), "Cancel   (Keep Current Z Minimum)");
        Child<QPushButton>(d, "answer1")->click();
    });
    EXPECT_EQ(MotionDialogs().AskZMinimumAboveCurrent({80, 20, 50}),
              EZMinimumSetAnswer::SetCurrentZToRequested);
}

TEST_F(HwDialogsTest, MotionSetupStaysOpenOnABadEntry) {
    CMsWcmc stage;
    bool stayedOpen = false;
    OnNext<CMotionSetupDialog>([&](CMotionSetupDialog* d) {
        EXPECT_EQ(d->windowTitle(),
                  "Motion Control Setup - National Instruments PCI-73x4 Interface");
        Child<QLineEdit>(d, "resolution.1")->setText("0");
        d->accept();
        stayedOpen = d->isVisible();
        Child<QLineEdit>(d, "resolution.1")->setText("40");
        Child<QLineEdit>(d, "name")->setText("Sample");
        d->accept();
    });
    ASSERT_TRUE(stage.Setup(kSampleMotionSection));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(prompt.shown.front().text,
              "Y Resolution: enter a number from 0.1 to 1000 steps/micron.");
    EXPECT_EQ(stage.name, "Sample");
    EXPECT_EQ(stage.stepsPerMicron[1], 40.0);
}

TEST_F(HwDialogsTest, GoToPositionReturnsTheTarget) {
    CGoToPositionLogic logic({1, 2, 3, 4});
    CGoToPositionDialog dialog(logic);
    OnNext<CGoToPositionDialog>([](CGoToPositionDialog* d) {
        EXPECT_FALSE(Child<QPushButton>(d, "jog")->isEnabled());  // no stage to jog
        Child<QLineEdit>(d, "Z")->setText("-12.5");
        Child<QPushButton>(d, "goToAndStay")->click();
    });
    ASSERT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.Result(), CGoToPositionLogic::EResult::GoToAndStay);
    EXPECT_EQ(dialog.Target(), CDVector4(1, 2, -12.5, 4));
}

TEST_F(HwDialogsTest, PickDialogSwitchesCamerasAndReturnsTheClickedPixel) {
    CFgBoard board;
    board.cam1Installed = 1;
    QString cameraShown;
    OnNext<CPickOnImageDialog>([&](CPickOnImageDialog* d) {
        EXPECT_EQ(Child<QLabel>(d, "prompt")->text(), "Show sample position ...");
        // The test pattern, bottom row first: its pixel (1, 0) is drawn at the bottom.
        EXPECT_EQ(d->View()->Image().pixelIndex(1, 479), 1);
        QTest::keyClick(d, Qt::Key_1);
        EXPECT_EQ(board.currentCamera, 1);
        EXPECT_EQ(d->View()->Marker(), (SPixel{320, 240}));
        QTest::mouseClick(d->View(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 300));
    });
    EXPECT_EQ(board.PickOnImage("Show sample position ..."), (SPixel{5, 300}));
    EXPECT_EQ(board.currentCamera, 1);
}

TEST_F(HwDialogsTest, AdjustInputButtonsChangeTheGrabberAtOnce) {
    CFgBoard board;
    OnNext<CAdjustInputDialog>([&](CAdjustInputDialog* d) {
        Child<QPushButton>(d, "gain.plus")->click();
        EXPECT_EQ(board.gain, 51);
        Child<QToolButton>(d, "offset.up10")->click();
        Child<QToolButton>(d, "offset.up10")->click();
        Child<QToolButton>(d, "offset.up10")->click();
        EXPECT_EQ(board.offset, 100);
        EXPECT_EQ(Child<QLineEdit>(d, "offset")->text(), "100");
        EXPECT_FALSE(Child<QLineEdit>(d, "hue")->isEnabled());  // grey grabber
        d->reject();
    });
    board.AdjustInput();
    EXPECT_EQ(board.InputSignal(), (SInputSignal{50, 75, 50, 50}));
}

TEST_F(HwDialogsTest, LiveWindowShowsFramesAndChangesItsRefreshRate) {
    CFgBoard board;
    board.captureWidth = 64;
    board.captureHeight = 32;
    CLiveVideoWindow window(board);
    window.show();
    ASSERT_TRUE(window.Start());
    EXPECT_TRUE(board.live);
    EXPECT_EQ(window.IntervalMs(), 200);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.View()->Image().isNull(); }, 5000));
    EXPECT_EQ(window.View()->Image().size(), QSize(64, 32));
    EXPECT_EQ(window.View()->Image().pixelIndex(63, 30), 0);  // (63 + 1) mod 64, one row up

    OnNext<CRefreshRateDialog>([](CRefreshRateDialog* d) {
        EXPECT_EQ(Child<QLineEdit>(d, "rate")->text(), "4");
        Child<QLineEdit>(d, "rate")->setText("2");
        d->accept();
    });
    QTest::mouseDClick(window.View(), Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_EQ(window.IntervalMs(), 500);
    EXPECT_EQ(profile.GetProfileString(kFrameGrabberSection, "Live Refresh"), "2.000000");

    window.Freeze();
    EXPECT_FALSE(window.Running());
    EXPECT_FALSE(board.live);
    EXPECT_FALSE(window.View()->Image().isNull());
}

TEST_F(HwDialogsTest, ClosingTheLiveWindowStopsTheCameraStream) {
    // Closed by its title bar, the window used only to hide: the camera kept streaming and
    // every later still grab found it busy.
    SFakeCamera camera;
    camera.formats = {kFourccGrey};
    camera.width = camera.height = 16;
    camera.frameBytes.assign(256, 40);
    CFgBoard board;
    board.SetAcquisitionFactory([&camera] {
        return std::make_unique<CV4l2Acquisition>(std::make_unique<CFakeV4l2Device>(camera));
    });
    board.type = kFgNiImaq1408;
    board.captureWidth = board.captureHeight = 16;
    CLiveVideoWindow window(board);
    window.show();
    ASSERT_TRUE(window.Start());
    ASSERT_TRUE(camera.streaming);
    // A still grab while it runs is the stream's next frame.
    CBitmapImage still;
    ASSERT_TRUE(board.GrabBitmap(still)) << prompt.LastText();
    EXPECT_EQ(still.pixels[0], 40);
    window.close();
    EXPECT_FALSE(camera.streaming);
    EXPECT_FALSE(window.Running());
    EXPECT_EQ(board.LiveVideo(), nullptr);
    ASSERT_TRUE(board.GrabBitmap(still)) << prompt.LastText();
    EXPECT_EQ(camera.busyRefusals, 0);
}
