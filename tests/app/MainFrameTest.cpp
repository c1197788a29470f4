#include <gtest/gtest.h>

#include <cmath>

#include "app/DaOutputLogic.h"
#include "app/MainFrame.h"
#include "hw/AdBoard.h"
#include "hw/Bmp.h"
#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"
#include "hw/fg/FgDialogs.h"
#include "hw/motion/MotionDialogs.h"
#include "obs/LogEntry.h"
#include "platform/PortIo.h"
#include "platform/StationBusy.h"
#include "settings/FileNumbering.h"
#include "support/TestEnv.h"
#include "tech/Station.h"

namespace {
// A screen pointer that can be moved (or not), with a record of what was done to it.
class CFakePointer : public CPointer {
  public:
    bool CanWarp() const override { return canWarp; }
    SScreenPoint Position() const override { return at; }
    void MoveTo(SScreenPoint point) override {
        at = point;
        ++moves;
    }
    void SetHidden(bool on) override { hidden = on; }
    SScreenPoint Centre() const override { return {500, 400}; }

    bool canWarp = true;
    SScreenPoint at{10, 20};
    bool hidden = false;
    int moves = 0;
};

// A window stand-in: counts refreshes, answers "Go To A Position" with a script.
class CRecordingView : public CMainFrameView {
  public:
    void ShowSensitivity() override { ++sensitivityShown; }
    void ShowHint(const std::string& text) override { hint = text; }
    void ShowLiveVideo(bool on) override { live.push_back(on); }
    bool RunTracker(bool run) override {
        if (run && !timerAvailable) return false;
        running = run;
        return true;
    }
    CGoToPositionLogic::EResult GoToPosition(CGoToPositionLogic& logic,
                                             CDVector4& target) override {
        if (duringDialog) duringDialog(logic);
        target = goToTarget;
        return goToResult;
    }

    int sensitivityShown = 0;
    std::string hint;
    std::vector<bool> live;
    bool running = false;
    bool timerAvailable = true;
    CDVector4 goToTarget;
    CGoToPositionLogic::EResult goToResult = CGoToPositionLogic::EResult::Cancel;
    std::function<void(CGoToPositionLogic&)> duringDialog;
};

class MainFrameTest : public CVelmTest {
  protected:
    MainFrameTest() {
        // Ten steps per micron, so that every step size used here is a whole number of steps.
        for (const char* section : {kProbeMotionSection, kSampleMotionSection})
            profile.WriteProfileString(section, "Line 1", "Steps/micron: 10 10 10 10");
        profile.WriteProfileString("A/D Board", "Line 0", "Sine Wave (0.1 Hz)");
    }

    static void ExpectNear(const CDVector4& got, const CDVector4& expected) {
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(got[i], expected[i], 1e-6) << "axis " << i;
    }

    CScriptedMotionDialogs motionDialogs;
    CScopedMotionDialogs scopedDialogs{&motionDialogs};
};
}  // namespace

TEST_F(MainFrameTest, OwnsTheHardwareBuiltFromSettingsAndStampsStagePositions) {
    {
        CMainFrame frame;
        EXPECT_EQ(TheMainFrame(), &frame);
        EXPECT_EQ(frame.AdBoard().type, kAdSine);
        frame.ProbeSystem().SetPosition(1, 2, 3, 4);
        frame.SampleSystem().SetPosition(5, 6, 7, 8);
        CLogEntry entry;
        entry.StampPositions();
        EXPECT_EQ(entry.probePosition, CDVector4(1, 2, 3, 4));
        EXPECT_EQ(entry.samplePosition, CDVector4(5, 6, 7, 8));
    }
    EXPECT_EQ(TheMainFrame(), nullptr);
    CLogEntry later;
    later.StampPositions();  // no frame: positions stay as they are
    EXPECT_EQ(later.probePosition, CDVector4());
}

TEST_F(MainFrameTest, ParameterLinesAreWrittenInTheStationFormatAndReadBack) {
    {
        CMainFrame frame;
        frame.micronsPerKey = 2.5;
        frame.micronsPer50Pix = 40.0;
        frame.sampleKbd = 1;
        frame.sampleMouse = 1;
        frame.sampleSpeedMode = 1049;
        frame.da.op[1] = kDaTrack[1];
        frame.da.constVolts[0] = -1.25;
        frame.da.trackCh[1] = 7;
        frame.da.trackSec = 3;
        frame.da.avgSec = 0.25;
        frame.Station().measurementType = kTechniqueCdp;
        frame.SaveParameters();
    }
    const char* s = kMainframeSection;
    EXPECT_EQ(profile.GetProfileString(s, "Line 1"), "mpk=2.500000  mpfp=40.000000");
    EXPECT_EQ(profile.GetProfileString(s, "Line 2"), "pm=0  pk=1  pt=1048");
    EXPECT_EQ(profile.GetProfileString(s, "Line 3"), "sm=1  sk=1  st=1049");
    EXPECT_EQ(profile.GetProfileString(s, "Line 4"), "DACh1: Op=1580  CV=-1.250000  TC=4");
    EXPECT_EQ(profile.GetProfileString(s, "Line 5"), "DACh2: Op=1585  CV=0.000000  TC=7");
    EXPECT_EQ(profile.GetProfileString(s, "Line 6"), "DA: TrkSec=3.000000  AvgSec=0.250000");
    EXPECT_EQ(profile.GetProfileString(s, "Line 7"), "MeasurementType=1");

    CMainFrame again;
    EXPECT_DOUBLE_EQ(again.micronsPerKey, 2.5);
    EXPECT_DOUBLE_EQ(again.micronsPer50Pix, 40.0);
    EXPECT_EQ(again.sampleMouse, 1);
    EXPECT_EQ(again.sampleSpeedMode, 1049u);
    EXPECT_EQ(again.da.op[1], kDaTrack[1]);
    EXPECT_EQ(again.da.trackCh[1], 7);
    EXPECT_DOUBLE_EQ(again.da.trackSec, 3.0);
    EXPECT_EQ(again.Station().measurementType, kTechniqueCdp);
    EXPECT_EQ(again.micronsPerKeyEntry, "2.5");
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(MainFrameTest, DamagedParameterLinesAreReportedAndOutOfRangeValuesBroughtIn) {
    const char* s = kMainframeSection;
    profile.WriteProfileString(s, "Line 1", "mpk=0  mpfp=5000");
    profile.WriteProfileString(s, "Line 2", "pm=1  pk=oops");
    profile.WriteProfileString(s, "Line 4", "DACh1: Op=1583  CV=nan  TC=12");
    profile.WriteProfileString(s, "Line 6", "DA: TrkSec=0.2  AvgSec=-1");
    profile.WriteProfileString(s, "Line 7", "MeasurementType=9");
    CMainFrame frame;
    EXPECT_DOUBLE_EQ(frame.micronsPerKey, 0.1);
    EXPECT_DOUBLE_EQ(frame.micronsPer50Pix, 200.0);
    EXPECT_EQ(frame.probeMouse, 1);             // read before the damage
    EXPECT_EQ(frame.probeKbd, 1);               // default kept
    EXPECT_EQ(frame.da.op[0], kDaNoChange[0]);  // channel 2's operation is not channel 1's
    EXPECT_DOUBLE_EQ(frame.da.constVolts[0], 0.0);
    EXPECT_EQ(frame.da.trackCh[0], 4);
    EXPECT_DOUBLE_EQ(frame.da.trackSec, 10.0);
    EXPECT_DOUBLE_EQ(frame.da.avgSec, 0.5);
    EXPECT_EQ(frame.Station().measurementType, kTechniqueRawAD);
    // The station reports its technique line, the frame its own lines.
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_NE(prompt.shown[0].text.find("Line 7=MeasurementType=9"), std::string::npos);
    EXPECT_NE(prompt.shown[1].text.find("Line 2=pm=1  pk=oops"), std::string::npos);
    EXPECT_EQ(prompt.shown[1].text.find("Line 7"), std::string::npos);
}

TEST_F(MainFrameTest, DiagnosticsQuestionKeepsOrTurnsThemOff) {
    profile.WriteProfileString(kMainframeSection, "Diagnostics", "ON");
    prompt.answers = {EPromptAnswer::Yes};
    {
        CMainFrame frame;
        EXPECT_TRUE(frame.diagnostics);
        EXPECT_TRUE(frame.ProbeSystem().Diagnostics());
        EXPECT_TRUE(frame.TipSystem().Diagnostics());
    }
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.LastText(),
              "Diagnostics are ON.\n\nWhen continuing, do you want to keep them on (Yes) or turn "
              "them off (No)?\n\nIf you turn them off they will remain off in future runs.");
    EXPECT_EQ(profile.GetProfileString(kMainframeSection, "Diagnostics"), "ON");

    prompt.answers = {EPromptAnswer::No};
    {
        CMainFrame frame;
        EXPECT_FALSE(frame.diagnostics);
        EXPECT_FALSE(frame.SampleSystem().Diagnostics());
    }
    EXPECT_EQ(profile.GetProfileString(kMainframeSection, "Diagnostics"), "OFF");
    prompt.shown.clear();
    profile.WriteProfileString(kMainframeSection, "Diagnostics", "on");  // only "ON" counts
    CMainFrame quiet;
    EXPECT_FALSE(quiet.diagnostics);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(MainFrameTest, ArrowKeysStepTheKeyboardStagesByRepeatTimesTheStep) {
    CMainFrame frame;
    frame.micronsPerKeyEntry = "5";
    EXPECT_TRUE(frame.OnKey(EMotionKey::Right, 2, false));
    EXPECT_TRUE(frame.OnKey(EMotionKey::Up, 1, false));
    EXPECT_TRUE(frame.OnKey(EMotionKey::Home, 1, false));
    EXPECT_TRUE(frame.OnKey(EMotionKey::PageDown, 3, false));
    ExpectNear(frame.ProbeSystem().Position(), CDVector4(10, 5, 5, -15));
    EXPECT_TRUE(frame.OnKey(EMotionKey::Left, 1, false));
    EXPECT_TRUE(frame.OnKey(EMotionKey::Down, 1, false));
    EXPECT_TRUE(frame.OnKey(EMotionKey::End, 1, false));
    EXPECT_TRUE(frame.OnKey(EMotionKey::PageUp, 1, false));
    ExpectNear(frame.ProbeSystem().Position(), CDVector4(5, 0, 0, -10));
    ExpectNear(frame.SampleSystem().Position(), CDVector4());
    EXPECT_FALSE(frame.OnKey(EMotionKey::Other, 1, false));

    // Both stages at once take the same delta.
    frame.SetKbd(EStage::Sample, true);
    frame.OnKey(EMotionKey::Right, 1, false);
    ExpectNear(frame.ProbeSystem().Position(), CDVector4(10, 0, 0, -10));
    ExpectNear(frame.SampleSystem().Position(), CDVector4(5, 0, 0, 0));

    // With neither keyboard box on the keys are not ours.
    frame.SetKbd(EStage::Probe, false);
    frame.SetKbd(EStage::Sample, false);
    EXPECT_FALSE(frame.OnKey(EMotionKey::Right, 1, false));
    EXPECT_FALSE(frame.OnKey(EMotionKey::KeypadPlus, 1, false));
}

TEST_F(MainFrameTest, TypedStepIsClampedAtTheNextKeyAndTheBoxRefreshed) {
    CMainFrame frame;
    CRecordingView view;
    frame.SetView(&view);
    frame.micronsPerKeyEntry = "0";
    frame.OnKey(EMotionKey::Right, 1, false);
    ExpectNear(frame.ProbeSystem().Position(), CDVector4(0.1, 0, 0, 0));
    EXPECT_EQ(frame.micronsPerKeyEntry, "0.1");
    EXPECT_EQ(view.sensitivityShown, 1);
    frame.micronsPerKeyEntry = "25000";
    frame.OnKey(EMotionKey::Left, 1, false);
    ExpectNear(frame.ProbeSystem().Position(), CDVector4(-9999.9, 0, 0, 0));
    EXPECT_EQ(frame.micronsPerKeyEntry, "10000");
    // A text that is no number keeps the step in use, and the box shows it again.
    frame.micronsPerKeyEntry = "ten";
    frame.OnKey(EMotionKey::Right, 1, false);
    ExpectNear(frame.ProbeSystem().Position(), CDVector4(0.1, 0, 0, 0));
    EXPECT_EQ(frame.micronsPerKeyEntry, "10000");
    EXPECT_EQ(view.hint, "um/keyhit: \"ten\" is not a number; 10000 is kept.");
    frame.SetView(nullptr);
}

TEST_F(MainFrameTest, KeypadPlusAndMinusChangeTheSensitivitiesWithinTheirLimits) {
    CMainFrame frame;
    frame.OnKey(EMotionKey::KeypadPlus, 1, false);
    EXPECT_DOUBLE_EQ(frame.micronsPerKey, 20.0);
    EXPECT_EQ(frame.micronsPerKeyEntry, "20");
    ExpectNear(frame.ProbeSystem().Position(), CDVector4());  // no move

    frame.micronsPerKeyEntry = "1";
    frame.OnKey(EMotionKey::KeypadMinus, 1, false);
    EXPECT_DOUBLE_EQ(frame.micronsPerKey, 0.5);
    frame.OnKey(EMotionKey::KeypadMinus, 1, false);  // below 1: stays
    EXPECT_DOUBLE_EQ(frame.micronsPerKey, 0.5);

    frame.micronsPer50PixEntry = "100";
    frame.OnKey(EMotionKey::KeypadPlus, 1, true);
    EXPECT_DOUBLE_EQ(frame.micronsPer50Pix, 200.0);
    frame.OnKey(EMotionKey::KeypadPlus, 1, true);
    EXPECT_DOUBLE_EQ(frame.micronsPer50Pix, 200.0);
    EXPECT_DOUBLE_EQ(frame.micronsPerKey, 0.5);  // Ctrl leaves the keyboard step alone

    frame.micronsPer50PixEntry = "3";
    frame.OnKey(EMotionKey::KeypadMinus, 1, true);
    EXPECT_DOUBLE_EQ(frame.micronsPer50Pix, 1.5);
    frame.OnKey(EMotionKey::KeypadMinus, 1, true);
    EXPECT_DOUBLE_EQ(frame.micronsPer50Pix, 1.5);
    EXPECT_EQ(profile.GetProfileString(kMainframeSection, "Line 1"), "mpk=0.500000  mpfp=1.500000");

    frame.micronsPerKeyEntry = "8000";
    frame.OnKey(EMotionKey::KeypadPlus, 1, false);
    EXPECT_DOUBLE_EQ(frame.micronsPerKey, 10000.0);
}

TEST_F(MainFrameTest, ZMinimumBoxesAreAppliedBeforeZKeys) {
    CMainFrame frame;
    frame.SetKbd(EStage::Sample, true);
    frame.SampleSystem().SetPosition(0, 0, 50, 0);
    frame.zMinimumEntry[0] = "-20";
    frame.zMinimumEntry[1] = "20";
    frame.ProbeSystem().zMinimumOn = 1;
    frame.SampleSystem().zMinimumOn = 1;
    frame.micronsPerKeyEntry = "10";
    frame.OnKey(EMotionKey::End, 1, false);
    EXPECT_DOUBLE_EQ(frame.ProbeSystem().zMinimum, -20.0);
    EXPECT_DOUBLE_EQ(frame.SampleSystem().zMinimum, 20.0);
    EXPECT_EQ(frame.zMinimumEntry[0], "-20.00");
    ExpectNear(frame.SampleSystem().Position(), CDVector4(0, 0, 40, 0));
    // The minimum is kept with the stage's own settings.
    EXPECT_EQ(profile.GetProfileString(kSampleMotionSection, "Line 8"),
              "ZMinimum: 20.000000  on=1");

    // A minimum above the stage goes through the warning; keeping the old one restores the box.
    frame.zMinimumEntry[1] = "60";
    motionDialogs.setAnswers = {EZMinimumSetAnswer::KeepMinimum};
    frame.ApplyZMinimum(EStage::Sample, true);
    ASSERT_EQ(motionDialogs.aboveCurrent.size(), 1u);
    EXPECT_DOUBLE_EQ(motionDialogs.aboveCurrent[0].requestedMinimum, 60.0);
    EXPECT_EQ(frame.zMinimumEntry[1], "20.00");
    motionDialogs.setAnswers = {EZMinimumSetAnswer::SetCurrentZToRequested};
    frame.zMinimumEntry[1] = "60";
    frame.ApplyZMinimum(EStage::Sample, true);
    ExpectNear(frame.SampleSystem().Position(), CDVector4(0, 0, 60, 0));
    EXPECT_EQ(frame.zMinimumEntry[1], "60.00");
}

TEST_F(MainFrameTest, MouseDrivesFromTheViewCentreAndEscapeGivesThePointerBack) {
    CMainFrame frame;
    CFakePointer pointer;
    frame.SetPointer(&pointer);
    EXPECT_FALSE(frame.OnMouseMove(100, 100));  // no Mouse box on
    frame.SetMouse(EStage::Probe, true);
    frame.micronsPer50PixEntry = "50";
    EXPECT_TRUE(frame.OnMouseMove(11, 21));  // first movement: pinned to the centre
    EXPECT_EQ(pointer.at, (SScreenPoint{500, 400}));
    EXPECT_TRUE(pointer.hidden);
    ExpectNear(frame.ProbeSystem().Position(), CDVector4());
    EXPECT_TRUE(frame.OnMouseMove(500, 400));  // the echo of the warp moves nothing
    EXPECT_TRUE(frame.OnMouseMove(510, 395));  // 10 right, 5 up at 50 um per 50 pixels
    ExpectNear(frame.ProbeSystem().Position(), CDVector4(10, 5, 0, 0));
    EXPECT_EQ(pointer.at, (SScreenPoint{500, 400}));
    EXPECT_TRUE(frame.OnLButtonDown());
    frame.micronsPer50PixEntry = "0.5";  // clamped to 1
    frame.OnMouseMove(450, 400);
    ExpectNear(frame.ProbeSystem().Position(), CDVector4(9, 5, 0, 0));
    ExpectNear(frame.SampleSystem().Position(), CDVector4());

    // Escape works with both keyboard boxes off too: it is the way out of a pinned pointer.
    frame.SetKbd(EStage::Probe, false);
    EXPECT_TRUE(frame.OnKey(EMotionKey::Escape, 1, false));
    EXPECT_EQ(frame.probeMouse, 0);
    EXPECT_EQ(pointer.at, (SScreenPoint{10, 20}));
    EXPECT_FALSE(pointer.hidden);
    EXPECT_FALSE(frame.OnLButtonDown());
    EXPECT_FALSE(frame.OnKey(EMotionKey::Escape, 1, false));  // nothing to end: not ours
    frame.SetPointer(nullptr);
}

TEST_F(MainFrameTest, EscapeEndsKeyboardAndMouseControlAsItsButtonSays) {
    CMainFrame frame;
    EXPECT_EQ(frame.EnableButtonText(), "Enable Kbd/Mouse ...");
    frame.EnableKbdMouse(true);
    EXPECT_EQ(frame.EnableButtonText(), "<Esc> - End");
    EXPECT_TRUE(frame.OnKey(EMotionKey::Right, 1, false));
    EXPECT_TRUE(frame.OnKey(EMotionKey::Escape, 1, false));
    EXPECT_FALSE(frame.kbdMouseEnabled);
    EXPECT_EQ(frame.EnableButtonText(), "Enable Kbd/Mouse ...");
    EXPECT_FALSE(frame.OnKey(EMotionKey::Escape, 1, false));  // nothing left to end
}

TEST_F(MainFrameTest, WithoutWarpingMovementsCountFromThePreviousPosition) {
    CMainFrame frame;
    CFakePointer pointer;
    pointer.canWarp = false;
    frame.SetPointer(&pointer);
    frame.SetMouse(EStage::Sample, true);
    frame.micronsPer50PixEntry = "50";
    frame.OnMouseMove(100, 100);
    frame.OnMouseMove(104, 100);
    frame.OnMouseMove(104, 90);
    ExpectNear(frame.SampleSystem().Position(), CDVector4(4, 10, 0, 0));
    EXPECT_EQ(pointer.moves, 0);
    EXPECT_FALSE(frame.OnLButtonDown());  // the pointer is where the user sees it
    frame.EnableKbdMouse(false);
    EXPECT_FALSE(frame.MouseControlActive());
    frame.SetPointer(nullptr);
}

TEST_F(MainFrameTest, MoveToArmsReturnAndReturnAsksBeforeGoingBack) {
    CMainFrame frame;
    CRecordingView view;
    frame.SetView(&view);
    frame.ProbeSystem().SetPosition(1, 2, 3, 4);
    EXPECT_EQ(frame.MoveToButtonText(EStage::Probe), "MoveTo");
    EXPECT_EQ(frame.MoveToButtonText(EStage::Sample), "Move To");

    view.goToResult = CGoToPositionLogic::EResult::MoveTo;
    view.goToTarget = CDVector4(100, 200, 30, 4);
    frame.OnMoveTo(EStage::Probe);
    ExpectNear(frame.ProbeSystem().Position(), CDVector4(100, 200, 30, 4));
    EXPECT_EQ(frame.MoveToButtonText(EStage::Probe), "Return");

    prompt.answers = {EPromptAnswer::Cancel};
    frame.OnMoveTo(EStage::Probe);
    EXPECT_EQ(prompt.LastText(), "Return probe to original position (1.00,2.00,3.00,4.00) ?");
    ExpectNear(frame.ProbeSystem().Position(), CDVector4(100, 200, 30, 4));
    EXPECT_EQ(frame.MoveToButtonText(EStage::Probe), "Return");
    prompt.answers = {EPromptAnswer::Ok};
    frame.OnMoveTo(EStage::Probe);
    ExpectNear(frame.ProbeSystem().Position(), CDVector4(1, 2, 3, 4));
    EXPECT_EQ(frame.MoveToButtonText(EStage::Probe), "MoveTo");

    view.goToResult = CGoToPositionLogic::EResult::GoToAndStay;
    view.goToTarget = CDVector4(7, 0, 0, 0);
    frame.OnMoveTo(EStage::Sample);
    ExpectNear(frame.SampleSystem().Position(), CDVector4(7, 0, 0, 0));
    EXPECT_EQ(frame.MoveToButtonText(EStage::Sample), "Move To");
    frame.SetView(nullptr);
}

TEST_F(MainFrameTest, AMoveCancelledAtTheZMinimumWarningArmsNoReturn) {
    CMainFrame frame;
    CRecordingView view;
    frame.SetView(&view);
    CMsWcmc& probe = frame.ProbeSystem();
    probe.zMinimumOn = 1;
    probe.zMinimum = 0.0;
    view.goToResult = CGoToPositionLogic::EResult::MoveTo;
    view.goToTarget = CDVector4(10, 0, -50, 0);
    motionDialogs.moveAnswers = {EZMinimumMoveAnswer::CancelMove};
    frame.OnMoveTo(EStage::Probe);
    ExpectNear(probe.Position(), CDVector4());
    EXPECT_EQ(frame.MoveToButtonText(EStage::Probe), "MoveTo");

    // A return cancelled at the warning stays armed: the stage is still away.
    view.goToTarget = CDVector4(0, 0, -50, 0);
    motionDialogs.moveAnswers = {EZMinimumMoveAnswer::MoveAndResetZ};
    frame.OnMoveTo(EStage::Probe);
    ExpectNear(probe.Position(), CDVector4(0, 0, 0, 0));  // reset: Z ends at the minimum
    ASSERT_EQ(frame.MoveToButtonText(EStage::Probe), "Return");
    probe.zMinimum = 10.0;
    prompt.answers = {EPromptAnswer::Ok};
    motionDialogs.moveAnswers = {EZMinimumMoveAnswer::CancelMove};
    frame.OnMoveTo(EStage::Probe);
    EXPECT_EQ(frame.MoveToButtonText(EStage::Probe), "Return");

    // "Cancel (Keep Current Z Minimum)" keeps the check box as it was.
    frame.zMinimumEntry[0] = "30";
    motionDialogs.setAnswers = {EZMinimumSetAnswer::KeepMinimum};
    probe.zMinimumOn = 0;
    frame.ApplyZMinimum(EStage::Probe, true);
    EXPECT_EQ(probe.zMinimumOn, 0);
    EXPECT_EQ(frame.zMinimumEntry[0], "10.00");
    frame.SetView(nullptr);
}

TEST_F(MainFrameTest, JogInGoToPositionLendsKeyboardAndMouseToOneStage) {
    CMainFrame frame;
    CRecordingView view;
    frame.SetView(&view);
    CFakePointer pointer;
    frame.SetPointer(&pointer);
    frame.probeKbd = 1;
    frame.sampleKbd = 1;
    frame.micronsPerKeyEntry = "10";
    view.duringDialog = [&](CGoToPositionLogic& logic) {
        prompt.answers = {EPromptAnswer::Yes};  // "Enable Mouse?"
        logic.ToggleJog();
        EXPECT_EQ(prompt.LastText(), "Enable Mouse?");
        EXPECT_TRUE(frame.Jogging());
        EXPECT_TRUE(frame.kbdMouseEnabled);
        EXPECT_EQ(frame.probeKbd, 0);
        EXPECT_EQ(frame.sampleMouse, 1);
        frame.OnKey(EMotionKey::Right, 1, false);
        frame.OnMouseMove(0, 0);
        frame.OnMouseMove(500, 350);
        // Escape ends the mouse but is left for the dialog, which ends the jog with it.
        EXPECT_FALSE(frame.OnKey(EMotionKey::Escape, 1, false));
        EXPECT_FALSE(pointer.hidden);
        EXPECT_TRUE(logic.Escape());
        EXPECT_EQ(logic.entries[0], "10.0");
        EXPECT_EQ(logic.entries[1], "5.0");
    };
    frame.OnMoveTo(EStage::Sample);
    EXPECT_FALSE(frame.Jogging());
    EXPECT_EQ(frame.probeKbd, 1);
    EXPECT_EQ(frame.sampleKbd, 1);
    EXPECT_EQ(frame.sampleMouse, 0);
    EXPECT_FALSE(frame.kbdMouseEnabled);
    ExpectNear(frame.ProbeSystem().Position(), CDVector4());
    ExpectNear(frame.SampleSystem().Position(), CDVector4(10, 5, 0, 0));
    frame.SetView(nullptr);
    frame.SetPointer(nullptr);
}

TEST_F(MainFrameTest, TrackerReadsTrackedChannelsEveryNthTick) {
    CMainFrame frame;
    CRecordingView view;
    frame.SetView(&view);
    SDaOutput output;
    output.op[1] = kDaTrack[1];
    output.trackCh[1] = 2;
    output.trackSec = 3;
    output.avgSec = 0.1;
    frame.SetDaOutput(output);
    EXPECT_TRUE(view.running);
    EXPECT_EQ(profile.GetProfileString(kMainframeSection, "Line 5"),
              "DACh2: Op=1585  CV=0.000000  TC=2");

    // A reading holds the averaging window on the clock: that is how a tick that read shows.
    std::vector<int> readings;
    for (int tick = 1; tick <= 9; ++tick) {
        uint64_t before = clock.Ticks();
        frame.OnTrackerTick();
        if (clock.Ticks() - before >= 100) readings.push_back(tick);
    }
    EXPECT_EQ(readings, (std::vector<int>{3, 6, 9}));

    output.op[1] = kDaNoChange[1];
    frame.SetDaOutput(output);
    EXPECT_FALSE(view.running);
    uint64_t before = clock.Ticks();
    for (int tick = 0; tick < 5; ++tick)
        frame.OnTrackerTick();
    EXPECT_EQ(clock.Ticks(), before);

    // When the timer cannot be had, both channels fall back to No Change.
    view.timerAvailable = false;
    output.op[0] = kDaTrack[0];
    frame.SetDaOutput(output);
    EXPECT_EQ(prompt.LastText(), "Too many clocks or timers!");
    EXPECT_EQ(prompt.shown.back().caption, "Mainframe D/A Tracker");
    EXPECT_EQ(frame.da.op[0], kDaNoChange[0]);
    frame.SetView(nullptr);
}

TEST_F(MainFrameTest, TheTrackerWaitsForABusyStationAndSaysEachFailureOnce) {
    CScriptedPortIo ports;
    CScopedPortIo scopedPorts(&ports);
    CMainFrame frame;
    CRecordingView view;
    frame.SetView(&view);
    SDaOutput output;
    output.op[0] = kDaTrack[0];
    output.trackCh[0] = 1;
    output.trackSec = 1;
    output.avgSec = 0.1;
    frame.SetDaOutput(output);

    // Inside an acquisition, or inside somebody's clock wait, a tick does nothing.
    uint64_t before = clock.Ticks();
    {
        CStationBusy::CScope acquisition;
        frame.OnTrackerTick();
    }
    int ticksInWait = 0;
    clock.SetIdleHook([&] {
        frame.OnTrackerTick();
        ++ticksInWait;
    });
    clock.WaitTicks(5);
    clock.SetIdleHook(nullptr);
    EXPECT_EQ(ticksInWait, 1);
    EXPECT_EQ(clock.Ticks(), before + 5);  // no averaging window was read
    EXPECT_EQ(frame.TrackerCount(), 0);

    // A DAS08AOM whose input stands at the top of its +/-10 V; its D/A range is 5 V. The
    // output follows at 5 V instead of being refused and left where it was.
    CAdBoard& board = frame.AdBoard();
    board.type = kAdDas08Aom;
    board.base = 0x300;
    board.Init();
    ports.levels[0x302] = 0x08;  // pacer ticked, conversion done
    ports.levels[0x301] = 0xFF;
    ports.levels[0x300] = 0xF0;  // count 4095: +10 V
    clock.advancePerTicksCall = 1;
    frame.OnTrackerTick();
    EXPECT_DOUBLE_EQ(board.da0, 5.0);
    EXPECT_TRUE(prompt.shown.empty()) << prompt.LastText();

    // A board that refuses the output: said once, not at every tick.
    board.type = kAdRandom;  // no D/A outputs
    for (int i = 0; i < 4; ++i)
        frame.OnTrackerTick();
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].caption, "Mainframe D/A Tracker");
    EXPECT_EQ(prompt.shown[0].text.rfind("Error setting D/A Channel 0 to ", 0), 0u);
    EXPECT_NE(prompt.shown[0].text.find("The Random Number Generator has no D/A outputs."),
              std::string::npos);
    // Once it works again, a new failure is news.
    board.type = kAdDas08Aom;
    frame.OnTrackerTick();
    board.type = kAdRandom;
    frame.OnTrackerTick();
    EXPECT_EQ(prompt.shown.size(), 2u);

    // Set D/A Output's constant on a board without D/A is no longer written in silence.
    output.op[0] = kDaConstant[0];
    output.constVolts[0] = 1.0;
    frame.SetDaOutput(output);
    EXPECT_EQ(prompt.LastText(),
              "Error setting D/A Channel 0 to 1.000 volts.\nThe Random Number "
              "Generator has no D/A outputs.");
    frame.SetView(nullptr);
}

TEST_F(MainFrameTest, SetDaOutputDialogChecksItsEntriesAndTests) {
    CScriptedPortIo ports;
    CScopedPortIo scopedPorts(&ports);
    CMainFrame frame;
    // A board whose D/A outputs are registers we can watch.
    frame.AdBoard().type = kAdDas08Aom;
    frame.AdBoard().base = 0x300;
    frame.AdBoard().Init();
    frame.AdBoard().SetDA(0, 0.25);
    CSetDaOutputLogic logic(frame.da, frame.AdBoard());
    EXPECT_EQ(logic.ChannelCaption(0), "D/A Channel 0 (now at 0.250 V):");
    EXPECT_EQ(logic.period, "10");
    EXPECT_EQ(logic.channel[1], "5");
    SDaOutput read;
    for (const char* bad : {"0", "3601", "2.5", "ten"}) {
        logic.period = bad;
        EXPECT_FALSE(logic.Read(read)) << bad;
        EXPECT_EQ(logic.badEntry, "period");
    }
    EXPECT_EQ(prompt.LastText(), "The tracking period is whole seconds from 1 to 3600.");
    logic.period = "3600";
    logic.channel[0] = "8";
    EXPECT_FALSE(logic.Read(read));
    EXPECT_EQ(logic.badEntry, "channel0");
    logic.channel[0] = "1";
    logic.volts[1] = "6.0";  // beyond the board's 5 V
    EXPECT_FALSE(logic.Read(read));
    EXPECT_EQ(logic.badEntry, "volts1");
    logic.volts[1] = "-2";
    logic.window = "4000";
    EXPECT_FALSE(logic.Read(read));
    EXPECT_EQ(logic.badEntry, "window");
    logic.window = "0.2";
    logic.choice[1] = CSetDaOutputLogic::kConstant;
    ASSERT_TRUE(logic.Read(read));
    EXPECT_EQ(read.op[0], kDaNoChange[0]);
    EXPECT_EQ(read.op[1], kDaConstant[1]);
    EXPECT_EQ(read.trackCh[0], 1);
    EXPECT_DOUBLE_EQ(read.trackSec, 3600.0);

    logic.Test();
    EXPECT_DOUBLE_EQ(frame.AdBoard().da1, -2.0);
    EXPECT_EQ(frame.da.op[1], kDaNoChange[1]);  // a test stores nothing

    // OK: constants are written at once, and no timer is needed without a tracking channel.
    CRecordingView view;
    frame.SetView(&view);
    read.constVolts[1] = 1.5;
    frame.SetDaOutput(read);
    EXPECT_DOUBLE_EQ(frame.AdBoard().da1, 1.5);
    EXPECT_DOUBLE_EQ(frame.AdBoard().da0, 0.25);  // No Change leaves it
    EXPECT_FALSE(view.running);
    EXPECT_EQ(profile.GetProfileString(kMainframeSection, "Line 5"),
              "DACh2: Op=1584  CV=1.500000  TC=5");
    frame.SetView(nullptr);
}

TEST_F(MainFrameTest, MemoryLoadComesFromMeminfo) {
    EXPECT_EQ(CMainFrame::MemoryLoadPercent("MemTotal: 1000 kB\nMemFree: 100 kB\n"
                                            "MemAvailable: 250 kB\n"),
              75);
    EXPECT_EQ(CMainFrame::MemoryLoadPercent("MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 50 kB\n"
                                            "Cached: 250 kB\n"),
              60);
    EXPECT_EQ(CMainFrame::MemoryLoadPercent(""), -1);
    EXPECT_EQ(CMainFrame::MemoryLoadPercent("MemTotal: 0 kB\nMemAvailable: 5 kB\n"), -1);
    EXPECT_EQ(CMainFrame::MemoryLoadPercent("MemTotal: x\n\x01\xff: -3\n"), -1);
    CMainFrame frame;
    EXPECT_TRUE(frame.UpdateMemoryLoad("MemTotal: 200 kB\nMemAvailable: 150 kB\n"));
    EXPECT_EQ(frame.MemoryLoadText(), "25%");
    EXPECT_FALSE(frame.UpdateMemoryLoad("MemTotal: 400 kB\nMemAvailable: 300 kB\n"));
}

TEST_F(MainFrameTest, FrameGrabberTestShowsLiveVideoAndSavesACapture) {
    CScriptedFgDialogs fgDialogs;
    CScopedFgDialogs scopedFg(&fgDialogs);
    profile.WriteProfileString(kMainframeSection, "Line 0", dir.Path());
    CMainFrame frame;
    CRecordingView view;
    frame.SetView(&view);
    frame.TestFrameGrabber();
    EXPECT_EQ(view.live, (std::vector<bool>{true, false}));
    EXPECT_EQ(fgDialogs.picks, 1);
    EXPECT_EQ(prompt.Texts(), (std::vector<std::string>{"Test of Live Video coming up ...",
                                                        "Frame capture successful!"}));
    CBitmapImage saved;
    EXPECT_TRUE(ReadBmpFile(dir.File("fgtest.bmp"), saved).Ok());
    EXPECT_EQ(saved.width, frame.FgBoard().ImageWidth());

    profile.WriteProfileString(kMainframeSection, "Line 0", dir.File("missing/folder"));
    frame.TestFrameGrabber();
    EXPECT_EQ(prompt.LastText(), "Frame capture failed!");

    frame.TestMotionSystem();
    EXPECT_EQ(prompt.LastText(),
              "Click on 'Enable Kbd/Mouse ...' button at top of control bar on left.");
    frame.SetView(nullptr);
}
