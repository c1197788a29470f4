// The optical-system definition: the three-corner procedure with its worked numbers, the
// refusals (zero distances, cancelled clicks, reticule), "New ..." and the value checks, and
// the station's users of the active system (Locate, the pick read-out, the calibration
// question).

#include "app/OpticalSystemDefinition.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>

#include "app/MainFrame.h"
#include "app/ObsDocCommands.h"
#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"
#include "hw/fg/FgDialogs.h"
#include "tech/StationTestEnv.h"

namespace {

class OpticalSystemDefinitionTest : public CVelmTest {
  protected:
    // A definition scripted with stage positions and clicks.
    COpticalSystemDefinition& Logic() {
        COpticalSystem started;  // as at start-up: the first load makes "Default"
        started.Load("Default");
        logic = std::make_unique<COpticalSystemDefinition>("Default");
        logic->jogStage = [this](EStage, const std::string& prompt) -> std::optional<CDVector4> {
            prompts.push_back(prompt);
            if (stages.empty()) return std::nullopt;
            CDVector4 p = stages.front();
            stages.pop_front();
            return p;
        };
        logic->pick = [this](int, const std::string& prompt) -> std::optional<SPixel> {
            prompts.push_back(prompt);
            if (clicks.empty()) return std::nullopt;
            auto q = clicks.front();
            clicks.pop_front();
            return q;
        };
        return *logic;
    }
    std::unique_ptr<COpticalSystemDefinition> logic;
    std::deque<CDVector4> stages;
    std::deque<std::optional<SPixel>> clicks;
    std::vector<std::string> prompts;
};

TEST_F(OpticalSystemDefinitionTest, ThreeCornersGiveTheScalesAndTwist) {
    COpticalSystemDefinition& l = Logic();
    stages = {CDVector4(1000, 2000, 0, 0), CDVector4(1500, 2000, 0, 0),
              CDVector4(1500, 1600, 0, 0)};
    clicks = {SPixel{100, 80}, SPixel{600, 80}, SPixel{600, 400}};
    ASSERT_TRUE(l.Define(0));
    EXPECT_DOUBLE_EQ(l.system.umPerPixelX, 1.0);
    EXPECT_DOUBLE_EQ(l.system.umPerPixelY, -1.25);
    EXPECT_NEAR(l.system.twist, 1.329554464746252e-06, 1e-15);
    EXPECT_EQ(l.corners[0].stage[0], "( 1000.0, 2000.0 )");
    EXPECT_EQ(l.corners[0].pixel[2], "( 600, 400 )");
    EXPECT_EQ(l.corners[0].stageDistance, "500.0 um");
    EXPECT_EQ(l.corners[0].pixelDistance, "500 pix");
    EXPECT_EQ(prompts.front(), "Move to upper left corner and press <ENTER> ...");
    EXPECT_EQ(prompts.back(), "Show probe in lower right and click <LEFT> ...");
    // Nothing is stored until "Save Definition".
    COpticalSystem stored;
    stored.Load("Default");
    EXPECT_EQ(stored.umPerPixelY, 1.0);
    ASSERT_TRUE(l.SaveDefinition());
    stored.Load("Default");
    EXPECT_EQ(stored.umPerPixelY, -1.25);
}

TEST_F(OpticalSystemDefinitionTest, CameraOneTakesItsPlaneAndTilt) {
    COpticalSystemDefinition& l = Logic();
    l.cam1Plane = 1481;  // Y-Z
    stages = {CDVector4(0, 100, 50, 0), CDVector4(0, 400, 50, 0), CDVector4(0, 400, -150, 0)};
    clicks = {SPixel{100, 100}, SPixel{400, 100}, SPixel{400, 300}};
    ASSERT_TRUE(l.Define(1));
    EXPECT_DOUBLE_EQ(l.system.cam1UmPerPixelY, 1.0);
    EXPECT_DOUBLE_EQ(l.system.cam1UmPerPixelZ, -1.0);
    EXPECT_EQ(l.system.cam1UmPerPixelX, 1.0);  // untouched
    EXPECT_NEAR(l.system.tilt, 0.0, 1e-5);
    EXPECT_EQ(l.system.umPerPixelX, 1.0);
}

TEST_F(OpticalSystemDefinitionTest, ZeroDistancesAndCancelsChangeNothing) {
    COpticalSystemDefinition& l = Logic();
    const COpticalSystem before = l.system;
    stages = {CDVector4(1000, 2000, 0, 0), CDVector4(1500, 2000, 0, 0),
              CDVector4(1500, 1600, 0, 0)};
    clicks = {SPixel{100, 80}, SPixel{100, 80}, SPixel{600, 400}};
    EXPECT_FALSE(l.Define(0));
    EXPECT_EQ(prompt.LastText(),
              "Unallowable zero pixel distance - aborting optical system definition");
    // The stage never moved along X: a zero scale would follow.
    stages = {CDVector4(1000, 2000, 0, 0), CDVector4(1000, 2000, 0, 0),
              CDVector4(1000, 1600, 0, 0)};
    clicks = {SPixel{100, 80}, SPixel{600, 80}, SPixel{600, 400}};
    EXPECT_FALSE(l.Define(0));
    EXPECT_EQ(prompt.LastText(),
              "Unallowable zero stage distance - aborting optical system definition");
    // A cancelled click is not the pixel (0, 0).
    stages = {CDVector4(1000, 2000, 0, 0), CDVector4(1500, 2000, 0, 0)};
    clicks = {SPixel{100, 80}, std::nullopt};
    const size_t shown = prompt.shown.size();
    EXPECT_FALSE(l.Define(0));
    EXPECT_EQ(prompt.shown.size(), shown);
    EXPECT_EQ(l.system.umPerPixelX, before.umPerPixelX);
    EXPECT_EQ(l.system.twist, before.twist);
    l.defineUsing = COpticalSystemDefinition::EDefineUsing::Reticule;
    EXPECT_FALSE(l.DefineEnabled());
    EXPECT_FALSE(l.Define(0));
    EXPECT_EQ(prompt.LastText(), "Reticule optical system definition not yet supported");
}

TEST_F(OpticalSystemDefinitionTest, VerticalRightEdgeHasNoTwist) {
    EXPECT_NEAR(COpticalSystemDefinition::EdgeAngle({600, 80}, {600, 400}), 0.0, 1e-5);
    EXPECT_NEAR(COpticalSystemDefinition::EdgeAngle({600, 400}, {600, 80}), 0.0, 1e-5);
    EXPECT_NEAR(COpticalSystemDefinition::EdgeAngle({600, 80}, {700, 80}), 90.0, 1e-5);
}

TEST_F(OpticalSystemDefinitionTest, NewSystemsTakeTheGrabberFieldAndRefuseBadNames) {
    COpticalSystemDefinition& l = Logic();
    l.grabberField = [](int& w, int& h, double& a) { w = 768, h = 576, a = 1.1; };
    EXPECT_FALSE(l.New("Active system"));
    EXPECT_FALSE(l.New("Default"));
    EXPECT_EQ(prompt.LastText(), "Optical system 'Default' already exists.");
    ASSERT_TRUE(l.New("Lens 10x"));
    EXPECT_EQ(l.names, (std::vector<std::string>{"Default", "Lens 10x"}));
    EXPECT_EQ(l.selected, 1);
    COpticalSystem stored;
    ASSERT_TRUE(stored.Load("Lens 10x"));
    EXPECT_EQ(stored.frameWidth, 768);
    EXPECT_EQ(stored.umPerPixelY, 1.0);
    l.system.umPerPixelX = 0.0;
    EXPECT_FALSE(l.SaveDefinition());
    l.system.umPerPixelX = 1001.0;
    EXPECT_FALSE(l.SaveDefinition());
    l.system.umPerPixelX = 2.0;
    l.system.twist = 190.0;
    EXPECT_FALSE(l.SaveDefinition());
    l.system.twist = 10.0;
    EXPECT_TRUE(l.SaveDefinition());
    ASSERT_TRUE(l.Select(0));
    EXPECT_EQ(l.system.name, "Default");
}

class OpticalStationTest : public CStationTest {};

TEST_F(OpticalStationTest, StartUpLoadsTheActiveSystemAndItsUsersFollowIt) {
    Station("Sine Wave (0.1 Hz)",
            "[Optical Systems]\nNumber of systems=1\nName 0=Scope\nActive system=Scope\n"
            "Scope=2.0, -2.0, 0; 1, 1, 1, 0  DefFrame=640,480  Aspect=1\n");
    EXPECT_EQ(frame->Station().opticalSystem.name, "Scope");
    EXPECT_TRUE(prompt.shown.empty());

    CScriptedFgDialogs fg;
    CScopedFgDialogs scope(&fg);
    frame->ProbeSystem().SetPosition(100, 200, 30, 0);
    // Locate: the clicked pixel is where the tip really is.
    fg.clicks = {SPixel{330, 230}};
    ASSERT_TRUE(frame->Locate(EStage::Probe));
    EXPECT_EQ(frame->ProbeSystem().Position(), CDVector4(120, 220, 30, 0));
    // The pick dialog's read-out maps through the same system: microns from the origin.
    auto readOut = frame->FgBoard().pixelToMicrons(0, SPixel{330, 230});
    ASSERT_TRUE(readOut);
    EXPECT_EQ(*readOut, CDVector4(20, 20, 0, 0));
    // Points shown for the displays are relative to the sample stage.
    frame->SampleSystem().SetPosition(20, 20, 0, 0);
    fg.clicks = {SPixel{320, 240}, std::nullopt};
    auto shown = frame->ShowPointOnImage("Show upper left of scale bar position ...");
    ASSERT_TRUE(shown);
    EXPECT_EQ(*shown, CDVector4(100, 200, 30, 0));
    EXPECT_FALSE(frame->ShowPointOnImage("Show offset point ..."));
    // The calibration question names it.
    prompt.answers = {EPromptAnswer::Ok};
    EXPECT_TRUE(ConfirmCalibrationOpticalSystem(frame->Station()));
    EXPECT_EQ(prompt.LastText(), "Calibrate with 'Scope' optical system?");
}

TEST_F(OpticalStationTest, AMissingActiveSystemIsReportedAtStartUp) {
    Station("Sine Wave (0.1 Hz)",
            "[Optical Systems]\nNumber of systems=1\nName 0=Scope\n"
            "Active system=Gone\n");
    EXPECT_EQ(prompt.LastText(), "Cannot load optical system Gone from profile.");
}

}  // namespace
