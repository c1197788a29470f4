#include <gtest/gtest.h>

#include "hw/MsWcmc.h"
#include "hw/motion/GoToPositionLogic.h"
#include "hw/motion/MotionSetupLogic.h"
#include "hw/motion/RecordingController.h"
#include "support/TestEnv.h"

namespace {

class MotionSetupTest : public CVelmTest {
  protected:
    MotionSetupTest() : scopedDialogs(&dialogs) {
        auto driver = std::make_unique<CRecordingController>();
        rec = driver.get();
        stage.controller.SetDriver(std::move(driver));
    }
    CScriptedMotionDialogs dialogs;
    CScopedMotionDialogs scopedDialogs;
    CMsWcmc stage;
    CRecordingController* rec = nullptr;
};

}  // namespace

TEST_F(MotionSetupTest, OkSavesAndProgramsTheNewValues) {
    dialogs.editSetup = [](CMotionSetupLogic& logic) {
        EXPECT_EQ(logic.name, "Default");
        EXPECT_EQ(logic.boardId, "1");
        EXPECT_EQ(logic.resolution[0], "20.157");
        EXPECT_EQ(logic.zMinimum, "-100");
        logic.name = " Probe ";
        logic.boardId = "2a";
        logic.resolution[1] = "10";
        logic.maxSpeed[1] = " 1000 ";
        logic.positiveMotion[2] = "1";
        return true;
    };
    ASSERT_TRUE(stage.Setup(kProbeMotionSection));
    EXPECT_EQ(stage.name, "Probe");
    EXPECT_EQ(stage.boardId, 0x2A);
    EXPECT_EQ(stage.stepsPerMicron[0], 20.157);  // untouched entries keep their exact value
    EXPECT_EQ(profile.GetProfileString(kProbeMotionSection, "Line 0"), "Probe: Port 2A");
    EXPECT_EQ(profile.GetProfileString(kProbeMotionSection, "Line 1"),
              "Steps/micron: 20.157000 10.000000 20.157000 20.157000");
    EXPECT_EQ(stage.controller.velocity[1], 10000);
    EXPECT_EQ(rec->commands[2], "StepMode 42 3 5");
    EXPECT_TRUE(prompt.shown.empty());

    dialogs.editSetup = nullptr;  // Cancel
    EXPECT_FALSE(stage.Setup(kProbeMotionSection));
}

TEST_F(MotionSetupTest, BadEntriesAreNamedAndNothingIsSaved) {
    struct SCase {
        std::function<void(CMotionSetupLogic&)> edit;
        const char* entry;
        const char* message;
    };
    const SCase cases[] = {
        {[](auto& l) { l.name = "Probe: left"; }, "name",
         "The system name cannot contain a colon (\":\")."},
        {[](auto& l) { l.name = std::string(33, 'n'); }, "name",
         "The system name may have at most 32 characters."},
        {[](auto& l) { l.boardId = "1G"; }, "boardId",
         "Enter the board ID as 1 to 8 hexadecimal digits."},
        {[](auto& l) { l.resolution[2] = "0"; }, "resolution.2",
         "Z Resolution: enter a number from 0.1 to 1000 steps/micron."},
        {[](auto& l) { l.positiveMotion[0] = "2"; }, "positiveMotion.0",
         "X Positive Motion: enter 0 or 1."},
        {[](auto& l) { l.maxSpeed[3] = "12abc"; }, "maxSpeed.3",
         "W Maximum speed: enter a number from 0.01 to 10000 microns/sec."},
        {[](auto& l) { l.trackingSpeed[1] = "nan"; }, "trackingSpeed.1",
         "Y Tracking speed: enter a number from 0.01 to 10000 microns/sec."},
        {[](auto& l) { l.accelDistance[0] = "1e9"; }, "accelDistance.0",
         "X Acceleration distance: enter a number from 0.1 to 1000 microns."},
        {[](auto& l) { l.zMinimum = ""; }, "zMinimum", "Z Minimum: enter a number of microns."},
    };
    for (const auto& c : cases) {
        CMotionSetupLogic logic(stage);
        c.edit(logic);
        EXPECT_FALSE(logic.Accept());
        EXPECT_EQ(logic.badEntry, c.entry);
        EXPECT_EQ(prompt.LastText(), c.message);
        logic.ApplyTo(stage);
    }
    EXPECT_EQ(stage.name, "Default");
    EXPECT_EQ(stage.stepsPerMicron[2], 20.157);
}

TEST_F(MotionSetupTest, RaisingTheZMinimumAboveTheStageGoesThroughTheWarning) {
    stage.position[2] = 10.0;
    dialogs.editSetup = [](CMotionSetupLogic& logic) {
        logic.zMinimumOn = true;
        logic.zMinimum = "25";
        return true;
    };
    ASSERT_TRUE(stage.Setup(kProbeMotionSection));
    ASSERT_EQ(dialogs.aboveCurrent.size(), 1u);
    // The warning was closed: "Cancel (Keep Current Z Minimum)" keeps the minimum as it was,
    // switched off as it was too.
    EXPECT_EQ(stage.zMinimum, -100.0);
    EXPECT_EQ(stage.zMinimumOn, 0);
    EXPECT_EQ(profile.GetProfileString(kProbeMotionSection, "Line 8"),
              "ZMinimum: -100.000000  on=0");
}

TEST_F(MotionSetupTest, GoToPositionReadsEntriesAndJogs) {
    CGoToPositionLogic logic({1.25, -2.0, 3.0, 0.0});
    EXPECT_EQ(logic.entries[0], "1.2");
    EXPECT_EQ(logic.entries[1], "-2.0");

    std::vector<CDVector4> shown;
    logic.show = [&](const CDVector4& at) { shown.push_back(at); };
    logic.entries[3] = " 7.5 ";
    logic.Show();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], CDVector4(1.2, -2.0, 3.0, 7.5));

    logic.entries[2] = "3,5";
    CDVector4 target;
    EXPECT_FALSE(logic.Finish(CGoToPositionLogic::EResult::MoveTo, target));
    EXPECT_EQ(prompt.LastText(), "Z: enter a position in microns.");

    bool mouse = false;
    logic.startJog = [&](bool withMouse) { mouse = withMouse; };
    logic.endJog = [] { return CDVector4(100.0, 200.0, 300.04, 400.0); };
    prompt.answers.push_back(EPromptAnswer::No);
    logic.ToggleJog();
    EXPECT_EQ(prompt.shown.back().text, "Enable Mouse?");
    EXPECT_FALSE(mouse);
    EXPECT_EQ(logic.JogButtonText(), "<Esc>");
    EXPECT_TRUE(logic.Escape());
    EXPECT_EQ(logic.JogButtonText(), "Move to");
    EXPECT_EQ(logic.entries[2], "300.0");
    EXPECT_FALSE(logic.Escape());
    ASSERT_TRUE(logic.Finish(CGoToPositionLogic::EResult::GoToAndStay, target));
    EXPECT_EQ(target, CDVector4(100.0, 200.0, 300.0, 400.0));
}
