#include "hw/MsWcmc.h"

#include <gtest/gtest.h>

#include <cmath>

#include "hw/motion/RecordingController.h"
#include "support/TestEnv.h"

namespace {

class MsWcmcTest : public CVelmTest {
  protected:
    MsWcmcTest() : scopedDialogs(&dialogs) {
        auto driver = std::make_unique<CRecordingController>();
        rec = driver.get();
        stage.controller.SetDriver(std::move(driver));
    }

    // Settings applied, commands so far forgotten.
    void Apply() {
        stage.ApplySettings();
        rec->commands.clear();
    }

    CScriptedMotionDialogs dialogs;
    CScopedMotionDialogs scopedDialogs;
    CMsWcmc stage;
    CRecordingController* rec = nullptr;
};

std::string Line(const CProfile& profile, const char* key) {
    return profile.GetProfileString(kProbeMotionSection, key);
}

}  // namespace

TEST_F(MsWcmcTest, SettingsLinesAreWrittenInTheStationFormatAndReadBack) {
    stage.SaveSettings(kProbeMotionSection);
    EXPECT_EQ(Line(profile, "Line 0"), "Default: Port 1");
    EXPECT_EQ(Line(profile, "FlexMotion Profile"), "VELM73x4.xml");
    EXPECT_EQ(Line(profile, "Line 0a"), "0: 50000 bytes/sec");
    EXPECT_EQ(Line(profile, "Line 1"), "Steps/micron: 20.157000 20.157000 20.157000 20.157000");
    EXPECT_EQ(Line(profile, "Line 4"),
              "Maximum speed: 2500.000000 2500.000000 2500.000000 2500.000000 microns/sec");
    EXPECT_EQ(Line(profile, "Line 7"), "Acceleration type: F F F F");
    EXPECT_EQ(Line(profile, "Line 8"), "ZMinimum: -100.000000  on=0");
    EXPECT_EQ(Line(profile, "Line 9"), "Encoder On: 0  0  0  0");
    EXPECT_EQ(Line(profile, "Line 14"),
              "Encoder Tolerance: 1.000000  1.000000  1.000000  1.000000");
    EXPECT_EQ(Line(profile, "Line 15"), "Encoder Retries: 1  Speed Reduction: 20.000000");
    EXPECT_EQ(profile.GetProfileString(kFlexMotionMcsSection, "Line 1"),
              "criteria=1  deadband=4  delay=0  minpulse=10  statuscheckdelay=25");

    stage.name = "Probe XYZ";
    stage.boardId = 0x1A;
    stage.stepsPerMicron[2] = 12.5;
    stage.positiveMotion[3] = 1;
    stage.accelType[1] = 's';
    stage.zMinimum = -42.25;
    stage.zMinimumOn = 1;
    stage.encoderMinusCtr[0] = 7;
    stage.speedReduction = 33.5;
    stage.SaveSettings(kSampleMotionSection);
    CMsWcmc back;
    back.LoadSettings(kSampleMotionSection);
    EXPECT_EQ(back.name, "Probe XYZ");
    EXPECT_EQ(back.boardId, 0x1A);
    EXPECT_EQ(back.stepsPerMicron[2], 12.5);
    EXPECT_EQ(back.positiveMotion[3], 1);
    EXPECT_EQ(back.accelType[1], 's');
    EXPECT_EQ(back.zMinimum, -42.25);
    EXPECT_EQ(back.zMinimumOn, 1);
    EXPECT_EQ(back.encoderMinusCtr[0], 7);
    EXPECT_EQ(back.speedReduction, 33.5);
    EXPECT_EQ(back.controller.board, 0x1A);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(MsWcmcTest, LineZeroNamesAndUnreadableLinesAreReported) {
    profile.WriteProfileString("S", "Line 0", "Stage 2 (left): Port 1F");
    CMsWcmc a;
    a.LoadSettings("S");
    EXPECT_EQ(a.name, "Stage 2 (left)");
    EXPECT_EQ(a.boardId, 0x1F);

    // An empty name: a system without a board, which still keeps its position.
    profile.WriteProfileString("S", "Line 0", ": Port 3");
    CMsWcmc none;
    none.LoadSettings("S");
    EXPECT_FALSE(none.HasBoard());
    EXPECT_EQ(none.MoveRelative({5.0, 0, 0, 0}, kSpeedModeLinear), CMsWcmc::kMoveDone);
    EXPECT_NEAR(none.position[0], 5.0, 0.05);
    EXPECT_TRUE(prompt.shown.empty());

    profile.WriteProfileString("S", "Line 0", "Lonely");
    profile.WriteProfileString("S", "Line 1", "Steps/micron: 10 x 30 40");
    CMsWcmc partial;
    partial.LoadSettings("S");
    EXPECT_EQ(partial.name, "Lonely");
    EXPECT_EQ(partial.boardId, 1);
    EXPECT_EQ(partial.stepsPerMicron[0], 10.0);
    EXPECT_EQ(partial.stepsPerMicron[1], 20.157);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_NE(prompt.LastText().find("Line 0=Lonely"), std::string::npos);
    EXPECT_NE(prompt.LastText().find("Line 1=Steps/micron: 10 x 30 40"), std::string::npos);
}

TEST_F(MsWcmcTest, PositionFollowsWholeCommandedSteps) {
    Apply();
    // Less than one step: nothing is commanded and nothing remembered.
    EXPECT_EQ(stage.MoveRelative({0.04, 0, 0, 0}, kSpeedModeLinear), CMsWcmc::kMoveDone);
    EXPECT_EQ(stage.position[0], 0.0);
    EXPECT_EQ(rec->Named("LoadVectorTarget")[0], "LoadVectorTarget 1 17 0 0 0");

    // Inverted axes get the negated count; the remembered position still grows by +delta,
    // rounded to the whole steps made (2015 of 2015.7).
    rec->commands.clear();
    stage.MoveRelative({100.0, 0, 0, 0}, kSpeedModeLinear);
    EXPECT_EQ(rec->Named("LoadVectorTarget")[0], "LoadVectorTarget 1 17 -2015 0 0");
    EXPECT_DOUBLE_EQ(stage.position[0], 2015 / 20.157);
    EXPECT_EQ(rec->sim.PositionSteps(1), -2015);

    stage.positiveMotion[1] = 1;
    stage.MoveRelative({0, -10.0, 0, 0}, kSpeedModeTrack);
    EXPECT_DOUBLE_EQ(stage.position[1], -201 / 20.157);
    EXPECT_EQ(rec->sim.PositionSteps(2), -201);

    // Back to where it stands: no steps at all.
    rec->commands.clear();
    stage.MoveAbsolute(stage.Position(), kSpeedModeTrack);
    for (const auto& target : rec->Named("LoadTarget"))
        EXPECT_EQ(target.back(), '0') << target;
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(MsWcmcTest, LinearMovesUseTwoVectorSpacesAtTheSlowestMovingAxis) {
    for (int i = 0; i < 4; ++i)
        stage.positiveMotion[i] = 1;
    stage.maxSpeed[0] = 2000.0;  // 40314 steps/s
    stage.maxSpeed[1] = 100.0;   // slowest, but Y does not move
    stage.maxSpeed[2] = 1000.0;  // 20157 steps/s
    Apply();
    const int32_t vz = stage.controller.velocity[2];
    const uint32_t az = stage.controller.acceleration[2];
    ASSERT_EQ(vz, 20157);
    ASSERT_EQ(az, 503925u);
    stage.MoveRelative({10.0, 0, 5.0, 2.0}, kSpeedModeLinear);
    const std::vector<std::string> expected = {
        "VectorSpace 1 17 1 2 3",
        "LoadVelocity 1 17 20157",
        "LoadAcceleration 1 17 503925",
        "OpMode 1 17 1",
        "LoadVectorTarget 1 17 201 0 100",
        "VectorSpace 1 18 4 0 0",
        StrPrintf("LoadVelocity 1 18 %d", stage.controller.velocity[3]),
        StrPrintf("LoadAcceleration 1 18 %u", stage.controller.acceleration[3]),
        "OpMode 1 18 1",
        "LoadVectorTarget 1 18 40 0 0",
        "Blend 1 16 6",
    };
    ASSERT_GE(rec->commands.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(rec->commands.begin(), rec->commands.begin() + 11),
              expected);
    EXPECT_EQ(rec->commands[11], "ReadStatus 1");

    // Nothing moving in X, Y, Z: the idle vector speed.
    rec->commands.clear();
    stage.MoveRelative({0, 0, 0, 1.0}, kSpeedModeLinear);
    EXPECT_EQ(rec->commands[1], "LoadVelocity 1 17 10000");
    EXPECT_EQ(rec->commands[2], "LoadAcceleration 1 17 100000");
}

TEST_F(MsWcmcTest, TrackMovesLoadEachAxisAndStartAllFour) {
    stage.maxSpeed[3] = 500.0;
    Apply();
    stage.MoveRelative({1.0, 2.0, 0, 3.0}, kSpeedModeTrack);
    std::vector<std::string> expected;
    for (int i = 0; i < 4; ++i) {
        expected.push_back(
            StrPrintf("LoadAcceleration 1 %d %u", i + 1, stage.controller.acceleration[i]));
        expected.push_back(StrPrintf("LoadVelocity 1 %d %d", i + 1, stage.controller.velocity[i]));
    }
    for (int i = 1; i <= 4; ++i)
        expected.push_back(StrPrintf("OpMode 1 %d 1", i));
    for (const char* t :
         {"LoadTarget 1 1 -20", "LoadTarget 1 2 -40", "LoadTarget 1 3 0", "LoadTarget 1 4 -60"})
        expected.push_back(t);
    expected.push_back("Start 1 0 30");
    ASSERT_GT(rec->commands.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(rec->commands.begin(), rec->commands.begin() + 17),
              expected);
    EXPECT_EQ(stage.controller.velocity[3], 10078);
}

TEST_F(MsWcmcTest, ZMinimumWarningOffersThreeWays) {
    Apply();
    stage.zMinimumOn = 1;
    stage.zMinimum = -100.0;
    stage.position[2] = -90.0;

    // Closing the dialog cancels: nothing is sent, nothing changes, and the caller is told.
    EXPECT_EQ(stage.MoveRelative({0, 0, -20.0, 0}, kSpeedModeLinear), CMsWcmc::kMoveCancelled);
    ASSERT_EQ(dialogs.violations.size(), 1u);
    EXPECT_EQ(dialogs.violations[0].currentZ, -90.0);
    EXPECT_EQ(dialogs.violations[0].requestedZ, -110.0);
    EXPECT_EQ(dialogs.violations[0].minimumZ, -100.0);
    EXPECT_TRUE(rec->commands.empty());
    EXPECT_EQ(stage.position[2], -90.0);

    // Truncate: the move stops at the minimum, never below it (whole steps toward zero).
    dialogs.moveAnswers.push_back(EZMinimumMoveAnswer::TruncateMove);
    stage.MoveRelative({0, 0, -20.0, 0}, kSpeedModeLinear);
    EXPECT_GE(stage.position[2], -100.0);
    EXPECT_LT(stage.position[2], -100.0 + 1.0 / 20.157);
    EXPECT_EQ(rec->Named("LoadVectorTarget")[0], "LoadVectorTarget 1 17 0 0 201");

    // Move and reset: the whole move is made and the remembered Z ends at the minimum.
    stage.position[2] = -95.0;
    rec->commands.clear();
    dialogs.moveAnswers.push_back(EZMinimumMoveAnswer::MoveAndResetZ);
    stage.MoveRelative({0, 0, -20.0, 0}, kSpeedModeLinear);
    EXPECT_EQ(rec->Named("LoadVectorTarget")[0], "LoadVectorTarget 1 17 0 0 403");
    EXPECT_NEAR(stage.position[2], -100.0, 1.0 / 20.157);
    EXPECT_GE(stage.position[2], -100.0);

    // Protection off: no question.
    stage.zMinimumOn = 0;
    stage.MoveRelative({0, 0, -50.0, 0}, kSpeedModeLinear);
    EXPECT_EQ(dialogs.violations.size(), 3u);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(MsWcmcTest, MoveAndResetChangesTheRememberedZOnlyOnceTheMoveIsDone) {
    Apply();
    stage.zMinimumOn = 1;
    stage.zMinimum = -100.0;
    stage.position[2] = -95.0;
    // The controller refuses the move: the stage did not move and its Z is what it was.
    rec->failures.insert({"LoadVectorTarget", -77});
    dialogs.moveAnswers.push_back(EZMinimumMoveAnswer::MoveAndResetZ);
    EXPECT_EQ(stage.MoveRelative({0, 0, -20.0, 0}, kSpeedModeLinear), CMsWcmc::kMoveFailed);
    EXPECT_EQ(stage.position[2], -95.0);
    // A move the settings cannot make is refused before anything is sent: the same.
    stage.maxSpeed[2] = 0.0;
    dialogs.moveAnswers.push_back(EZMinimumMoveAnswer::MoveAndResetZ);
    EXPECT_EQ(stage.MoveRelative({0, 0, -20.0, 0}, kSpeedModeLinear), CMsWcmc::kMoveFailed);
    EXPECT_EQ(stage.position[2], -95.0);
    // Done: now the remembered Z ends at the minimum.
    stage.maxSpeed[2] = 2500.0;
    dialogs.moveAnswers.push_back(EZMinimumMoveAnswer::MoveAndResetZ);
    EXPECT_EQ(stage.MoveRelative({0, 0, -20.0, 0}, kSpeedModeLinear), CMsWcmc::kMoveDone);
    EXPECT_NEAR(stage.position[2], -100.0, 1.0 / 20.157);
}

TEST_F(MsWcmcTest, KeepingTheOldZMinimumKeepsItsOnOffStateToo) {
    stage.position[2] = 0.0;
    stage.zMinimum = -100.0;
    stage.zMinimumOn = 0;
    dialogs.setAnswers = {EZMinimumSetAnswer::KeepMinimum};
    EXPECT_FALSE(stage.RequestZMinimum(50.0, true));
    EXPECT_EQ(stage.zMinimum, -100.0);
    EXPECT_EQ(stage.zMinimumOn, 0);
    dialogs.setAnswers = {EZMinimumSetAnswer::SetMinimumToCurrentZ};
    EXPECT_TRUE(stage.RequestZMinimum(50.0, true));
    EXPECT_EQ(stage.zMinimum, 0.0);
    EXPECT_EQ(stage.zMinimumOn, 1);
}

TEST_F(MsWcmcTest, UnusableAxisSettingsRefuseTheMoveInsteadOfDividingByZero) {
    profile.WriteProfileString("S", "Line 1", "Steps/micron: 0.000000 20.157 20.157 20.157");
    profile.WriteProfileString("S", "Line 4", "Maximum speed: 2500 -5 2500 2500 microns/sec");
    profile.WriteProfileString("S", "Line 6", "Acceleration distance: 20 20 0 20 microns");
    stage.LoadSettings("S");
    Apply();
    EXPECT_EQ(stage.controller.velocity[1], 0);
    EXPECT_EQ(stage.controller.acceleration[2], 0u);

    EXPECT_EQ(stage.MoveRelative({5.0, 0, 0, 0}, kSpeedModeLinear), CMsWcmc::kMoveFailed);
    EXPECT_EQ(prompt.LastText(),
              "CMsWcmc::MoveRelative() - The X axis has a resolution of 0 steps/micron; the stage "
              "was not moved.\n\nCorrect the X axis of motion system \"Default\" in Motion "
              "Control Setup.");
    EXPECT_EQ(prompt.shown.back().icon, EPromptIcon::Stop);
    EXPECT_NE(stage.MoveRelative({0, 5.0, 0, 0}, kSpeedModeTrack), CMsWcmc::kMoveDone);
    EXPECT_NE(prompt.LastText().find("maximum speed of -5 microns/sec"), std::string::npos);
    EXPECT_NE(stage.MoveRelative({0, 0, 5.0, 0}, kSpeedModeLinear), CMsWcmc::kMoveDone);
    EXPECT_NE(prompt.LastText().find("acceleration distance of 0 microns"), std::string::npos);
    EXPECT_NE(stage.MoveAbsolute({0, 0, 0, NAN}, kSpeedModeLinear), CMsWcmc::kMoveDone);
    EXPECT_NE(stage.MoveRelative({0, 0, 0, 1e12}, kSpeedModeLinear), CMsWcmc::kMoveDone);
    EXPECT_TRUE(rec->commands.empty());

    // The good W axis still moves, and the broken axes keep a usable position.
    EXPECT_EQ(stage.MoveRelative({0, 0, 0, 10.0}, kSpeedModeLinear), CMsWcmc::kMoveDone);
    EXPECT_EQ(stage.Position(), CDVector4(0, 0, 0, 201 / 20.157));
}

TEST_F(MsWcmcTest, ControllerErrorsStopTheMoveAndLeaveThePosition) {
    Apply();
    rec->failures.insert({"LoadVectorTarget", -77});
    EXPECT_EQ(stage.MoveRelative({10.0, 0, 0, 0}, kSpeedModeLinear), CMsWcmc::kMoveFailed);
    EXPECT_EQ(prompt.LastText(), "Controller error -77");
    EXPECT_EQ(prompt.shown.back().icon, EPromptIcon::Stop);
    EXPECT_TRUE(rec->Named("Blend").empty());
    EXPECT_EQ(stage.position[0], 0.0);
    // The error was described, so the next move is tried afresh.
    EXPECT_EQ(stage.MoveRelative({10.0, 0, 0, 0}, kSpeedModeLinear), CMsWcmc::kMoveDone);
    EXPECT_EQ(stage.position[0], 201 / 20.157);

    // A controller that cannot even describe its fault stays in error: moves are skipped and
    // said to be, until the settings are applied again.
    rec->describeStatus = -1;
    rec->failures.insert({"Blend", -78});
    stage.MoveRelative({10.0, 0, 0, 0}, kSpeedModeLinear);
    rec->commands.clear();
    prompt.shown.clear();
    EXPECT_EQ(stage.MoveRelative({10.0, 0, 0, 0}, kSpeedModeLinear), CMsWcmc::kMoveFailed);
    EXPECT_TRUE(rec->commands.empty());
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_NE(prompt.LastText().find("still in an error state (status -1)"), std::string::npos);
    EXPECT_EQ(stage.position[0], 201 / 20.157);
    stage.ApplySettings();
    EXPECT_EQ(stage.MoveRelative({10.0, 0, 0, 0}, kSpeedModeLinear), CMsWcmc::kMoveDone);
}

TEST_F(MsWcmcTest, CompletionPollIsBoundedAndFollowsTheMoveTime) {
    Apply();
    rec->neverComplete = true;
    const uint64_t before = clock.Ticks();
    EXPECT_EQ(stage.MoveRelative({1000.0, 0, 0, 0}, kSpeedModeLinear), CMsWcmc::kMoveFailed);
    const double expected = stage.controller.ExpectedMoveSeconds();
    EXPECT_GT(expected, 0.39);  // 1000 microns at 2500 microns/s
    const uint64_t waited = clock.Ticks() - before;
    EXPECT_GE(waited, static_cast<uint64_t>((2 * expected + 10.0) * 1000));
    EXPECT_LT(waited, static_cast<uint64_t>((2 * expected + 10.0) * 1000) + 100);
    EXPECT_NE(prompt.LastText().find("did not report the move complete within 10.8 seconds"),
              std::string::npos);
    // The stage was started, so the position counts the move.
    EXPECT_NEAR(stage.position[0], 1000.0, 0.1);

    // A simulated controller with realistic timing: the wait lasts about the move.
    rec->neverComplete = false;
    rec->sim.realisticTiming = true;
    prompt.shown.clear();
    const uint64_t start = clock.Ticks();
    EXPECT_EQ(stage.MoveRelative({-1000.0, 0, 0, 0}, kSpeedModeLinear), CMsWcmc::kMoveDone);
    const uint64_t took = clock.Ticks() - start;
    EXPECT_GE(took, static_cast<uint64_t>(expected * 1000));
    EXPECT_LE(took, static_cast<uint64_t>(expected * 1000) + 60);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(MsWcmcTest, DiagnosticsShowStepsTargetsAndStatus) {
    Apply();
    stage.SetDiagnostics(true);
    stage.MoveRelative({1.0, 2.0, -3.0, 0.5}, kSpeedModeLinear);
    ASSERT_EQ(prompt.shown.size(), 3u);
    EXPECT_EQ(prompt.shown[0].text,
              "CMsWcmc::MoveRelative()\n\n  1.00, 2.00, -3.00, 0.50 microns\n\n  -20, -40, 60, -10 "
              "steps");
    EXPECT_EQ(prompt.shown[1].text,
              "X Axis Target Position: -20\tY Axis Target Position: -40\tZ Axis Target Position: "
              "60\tW Axis Target Position: -10");
    EXPECT_EQ(prompt.shown[2].text, "Move complete status (1): 1E");
}

TEST_F(MsWcmcTest, EstimateMoveTimeUsesTheLongestAxis) {
    stage.trackingSpeed[1] = 250.0;
    EXPECT_DOUBLE_EQ(stage.EstimateMoveTime({0, 0, 0, 0}, {100, -500, 0, 0}, kSpeedModeTrack), 2.0);
    // Linear, beyond the acceleration distance: ramps at the mean of min and max speed.
    EXPECT_DOUBLE_EQ(stage.EstimateMoveTime({0, 0, 0, 0}, {1040, 0, 0, 0}, kSpeedModeLinear),
                     40.0 / 1275.0 + 1000.0 / 2500.0);
    // Within it: d / ((d/a * 0.5 * vmax + vmin) * 0.5).
    EXPECT_DOUBLE_EQ(stage.EstimateMoveTime({0, 0, 0, 0}, {0, 0, 10, 0}, kSpeedModeLinear),
                     10.0 / ((0.5 * 0.5 * 2500.0 + 50.0) * 0.5));
    // Ties take the first axis.
    stage.maxSpeed[1] = 1000.0;
    EXPECT_DOUBLE_EQ(stage.EstimateMoveTime({0, 0, 0, 0}, {50, 50, 0, 0}, kSpeedModeLinear),
                     40.0 / 1275.0 + 10.0 / 2500.0);
    stage.maxSpeed[0] = 0.0;
    EXPECT_EQ(stage.EstimateMoveTime({0, 0, 0, 0}, {50, 0, 0, 0}, kSpeedModeLinear), 0.0);
    EXPECT_EQ(stage.EstimateMoveTime({0, 0, 0, 0}, {0, 50, 0, 0}, 1234), 0.0);
}

TEST_F(MsWcmcTest, ApplySettingsProgramsTheControllerAndSetPositionItsRegisters) {
    profile.WriteProfileString(kFlexMotionMcsSection, "Line 1",
                               "criteria=3  deadband=7  delay=2  minpulse=20  statuscheckdelay=40");
    stage.positiveMotion[0] = 1;
    stage.ApplySettings();
    EXPECT_EQ(rec->commands[0], "StepMode 1 1 5");
    EXPECT_EQ(rec->commands[1], "StepMode 1 2 1");
    EXPECT_EQ(rec->commands[4], "Initialize 1 VELM73x4.xml");
    EXPECT_EQ(rec->commands[5], "ReadReset 1");
    EXPECT_EQ(rec->commands[6], "Criteria 1 1 3 7 2 20");
    EXPECT_EQ(rec->commands[9], "Criteria 1 4 3 7 2 20");
    EXPECT_EQ(stage.controller.statusCheckDelay, 40);
    EXPECT_EQ(stage.controller.velocity[0], 50392);
    EXPECT_EQ(stage.controller.acceleration[0], 3149500u);

    rec->commands.clear();
    stage.SetPosition(10.0, -10.0, 0.5, 0.0);
    EXPECT_EQ(rec->commands,
              (std::vector<std::string>{"ResetPosition 1 1 201", "ResetPosition 1 2 -201",
                                        "ResetPosition 1 3 10", "ResetPosition 1 4 0"}));
    EXPECT_EQ(stage.Position(), CDVector4(10.0, -10.0, 0.5, 0.0));

    rec->commands.clear();
    prompt.shown.clear();
    rec->failures.insert({"Initialize", -5});
    stage.ApplySettings();
    EXPECT_EQ(prompt.LastText(), "Controller error -5");
    EXPECT_TRUE(rec->Named("Criteria").empty());
}

TEST_F(MsWcmcTest, NewZMinimumAboveTheStageAsksFirst) {
    stage.position[2] = 50.0;
    EXPECT_TRUE(stage.RequestZMinimum(20.0, true));
    EXPECT_EQ(stage.zMinimum, 20.0);
    EXPECT_EQ(stage.zMinimumOn, 1);
    EXPECT_TRUE(dialogs.aboveCurrent.empty());

    EXPECT_FALSE(stage.RequestZMinimum(80.0, true));  // closed: keep
    EXPECT_EQ(stage.zMinimum, 20.0);
    ASSERT_EQ(dialogs.aboveCurrent.size(), 1u);
    EXPECT_EQ(dialogs.aboveCurrent[0].requestedMinimum, 80.0);
    EXPECT_EQ(dialogs.aboveCurrent[0].currentMinimum, 20.0);
    EXPECT_EQ(dialogs.aboveCurrent[0].currentZ, 50.0);

    dialogs.setAnswers = {EZMinimumSetAnswer::SetMinimumToCurrentZ,
                          EZMinimumSetAnswer::SetCurrentZToRequested};
    EXPECT_TRUE(stage.RequestZMinimum(80.0, true));
    EXPECT_EQ(stage.zMinimum, 50.0);
    EXPECT_TRUE(stage.RequestZMinimum(80.0, true));
    EXPECT_EQ(stage.zMinimum, 80.0);
    EXPECT_EQ(stage.position[2], 80.0);
    EXPECT_EQ(rec->Named("ResetPosition")[2], "ResetPosition 1 3 1612");
}
