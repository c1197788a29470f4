// Optical systems: the list kept in velm.ini, names that could damage the list, loading and
// removing, and the pixel-to-stage mapping both ways for both cameras.

#include "obs/OpticalSystem.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/TestEnv.h"

namespace {

class OpticalSystemTest : public CVelmTest {
  protected:
    std::string Get(const std::string& key) {
        return profile.GetProfileString(kOpticalSystemsSection, key, "<none>");
    }
};

TEST_F(OpticalSystemTest, FirstLoadMakesTheRequestedSystemWithUnitScales) {
    COpticalSystem s;
    ASSERT_TRUE(s.Load("Default"));
    EXPECT_EQ(s.name, "Default");
    EXPECT_EQ(s.umPerPixelY, 1.0);
    EXPECT_EQ(s.cam1UmPerPixelZ, 1.0);
    EXPECT_EQ(Get("Number of systems"), "1");
    EXPECT_EQ(Get("Name 0"), "Default");
    EXPECT_EQ(Get("Active system"), "Default");
    EXPECT_EQ(Get("Default"),
              "1.000000, 1.000000, 0.000000; 1.000000, 1.000000, 1.000000, 0.000000  "
              "DefFrame=640,480  Aspect=1.000000");
}

TEST_F(OpticalSystemTest, SaveListsNewNamesAndSetActiveNamesIt) {
    COpticalSystem s;
    s.Load("Default");
    COpticalSystem scope;
    scope.name = "Scope10x";
    scope.umPerPixelY = -1.25;
    scope.twist = 1.329554464746252e-06;
    ASSERT_TRUE(scope.Save());
    ASSERT_TRUE(scope.SetActive());
    EXPECT_EQ(Get("Number of systems"), "2");
    EXPECT_EQ(Get("Name 1"), "Scope10x");
    EXPECT_EQ(Get("Active system"), "Scope10x");
    EXPECT_EQ(Get("Scope10x"),
              "1.000000, -1.250000, 0.000001; 1.000000, -1.000000, -1.000000, 0.000000  "
              "DefFrame=640,480  Aspect=1.000000");
    // Saving again rewrites the line, the list stays.
    scope.umPerPixelX = 2.0;
    ASSERT_TRUE(scope.Save());
    EXPECT_EQ(Get("Number of systems"), "2");
    COpticalSystem back;
    ASSERT_TRUE(back.Load("scope10x"));  // keys ignore letter case
    EXPECT_EQ(back.name, "Scope10x");
    EXPECT_EQ(back.umPerPixelX, 2.0);
    EXPECT_EQ(back.umPerPixelY, -1.25);
}

TEST_F(OpticalSystemTest, UnusableLinesAreNotLoadedAndLeaveTheObjectAlone) {
    WriteFileText(profile.Path(),
                  "[Optical Systems]\nNumber of systems=4\nName 0=Zero\nName 1=Short\n"
                  "Name 2=Inf\nName 3=Good\n"
                  "Zero=0.0, 1, 0; 1, 1, 1, 0  DefFrame=640,480  Aspect=1\n"
                  "Short=2.0, 3.0\n"
                  "Inf=inf, 1, 0; 1, 1, 1, 0  DefFrame=640,480  Aspect=1\n"
                  "Good=2, 3, 0; 1, 1, 1, 0  DefFrame=0,480  Aspect=1\n");
    COpticalSystem s;
    s.name = "Mine";
    s.umPerPixelX = 7.0;
    for (const char* name : {"Zero", "Short", "Inf", "Good", "Missing"})
        EXPECT_FALSE(s.Load(name)) << name;
    EXPECT_EQ(s.name, "Mine");
    EXPECT_EQ(s.umPerPixelX, 7.0);

    WriteFileText(profile.Path(),
                  "[Optical Systems]\nNumber of systems=1\nName 0=Gone\n"
                  "Active system=Gone\n");
    COpticalSystem active;
    EXPECT_FALSE(LoadActiveOpticalSystem(active));
    EXPECT_EQ(prompt.LastText(), "Cannot load optical system Gone from profile.");
}

TEST_F(OpticalSystemTest, NamesThatWouldOverwriteTheListAreRefused) {
    COpticalSystem s;
    s.Load("Default");
    for (const char* bad : {"", " lead", "trail ", "a=b", "[x]", "semi;colon", "Active System",
                            "NUMBER OF SYSTEMS", "Name 0", "name 12", "default"})
        EXPECT_NE(CheckNewOpticalSystemName(bad), "") << bad;
    EXPECT_EQ(CheckNewOpticalSystemName("default"), "Optical system 'default' already exists.");
    EXPECT_EQ(CheckNewOpticalSystemName("Name x"), "");
    EXPECT_EQ(CheckNewOpticalSystemName("Lens 10x"), "");
}

TEST_F(OpticalSystemTest, RemoveShiftsLaterNamesAndKeepsAnActiveSystem) {
    for (const char* name : {"A", "B", "C"}) {
        COpticalSystem s;
        s.name = name;
        s.Save();
    }
    COpticalSystem b;
    ASSERT_TRUE(b.Load("B"));
    b.SetActive();
    prompt.answers = {EPromptAnswer::Cancel};
    EXPECT_FALSE(RemoveOpticalSystem(1));
    EXPECT_EQ(OpticalSystemNames(), (std::vector<std::string>{"A", "B", "C"}));
    ASSERT_TRUE(RemoveOpticalSystem(1));
    EXPECT_EQ(prompt.shown.back().text, "Remove optical system 1 - B ? ");
    EXPECT_EQ(prompt.shown.back().caption, "Remove Optical System");
    EXPECT_EQ(OpticalSystemNames(), (std::vector<std::string>{"A", "C"}));
    EXPECT_NE(Get("B"), "<none>");  // its line stays
    EXPECT_EQ(Get("Active system"), "A");
    RemoveOpticalSystem(-1);
    EXPECT_EQ(prompt.LastText(), "Select an optical system to remove.");
    RemoveOpticalSystem(5);
    EXPECT_EQ(prompt.LastText(), "Optical system 5 -  not found.");
}

TEST_F(OpticalSystemTest, MapsCameraZeroBothWays) {
    COpticalSystem s;
    s.umPerPixelX = 2.0;
    s.umPerPixelY = -1.5;
    SCameraView view;  // origin (320, 240), capture 640 x 480
    const CDVector4 shown(5000, 6000, 10, 0);
    auto at = s.ImageToStage(SPixel{100, 50}, view, shown, 320, 240);
    ASSERT_TRUE(at);
    EXPECT_EQ(*at, CDVector4(4760, 6210, 10, 0));
    auto px = s.StageToImage(*at, view, shown, 320, 240);
    ASSERT_TRUE(px);
    EXPECT_EQ(*px, (SPixel{100, 50}));
    // Triggered-region numbers: a = 2, b = -2.
    s.umPerPixelY = -2.0;
    EXPECT_EQ(*s.ImageToStage(SPixel{220, 140}, view, CDVector4()), CDVector4(-200, 200, 0, 0));
    EXPECT_EQ(*s.ImageToStage(SPixel{320, 100}, view, CDVector4()), CDVector4(0, 280, 0, 0));
}

TEST_F(OpticalSystemTest, MapsCameraOneOnItsPlane) {
    COpticalSystem s;
    s.cam1UmPerPixelX = 3.0;
    s.cam1UmPerPixelY = 4.0;
    s.cam1UmPerPixelZ = -2.0;
    SCameraView view;
    view.camera = 1;
    view.origin = SPixel{300, 200};
    view.cam1Plane = 1480;  // X-Z
    EXPECT_EQ(*s.ImageToStage(SPixel{310, 190}, view, CDVector4(1, 1, 1, 1)),
              CDVector4(31, 1, 21, 1));
    view.cam1Plane = 1481;  // Y-Z
    EXPECT_EQ(*s.ImageToStage(SPixel{310, 190}, view, CDVector4(1, 1, 1, 1)),
              CDVector4(1, 41, 21, 1));
    EXPECT_EQ(*s.StageToImage(CDVector4(1, 41, 21, 1), view, CDVector4(1, 1, 1, 1)),
              (SPixel{310, 190}));
}

TEST_F(OpticalSystemTest, UnusableSystemsAndDisplaysMapNothing) {
    COpticalSystem s;
    s.umPerPixelX = 0.0;
    SCameraView view;
    EXPECT_FALSE(s.ImageToStage(SPixel{1, 1}, view, CDVector4()));
    EXPECT_FALSE(s.StageToImage(CDVector4(), view, CDVector4()));
    s.umPerPixelX = 1e-300;  // usable, but the pixel lies beyond any int
    EXPECT_FALSE(s.StageToImage(CDVector4(1e10, 0, 0, 0), view, CDVector4()));
    COpticalSystem ok;
    EXPECT_FALSE(ok.ImageToStage(SPixel{1, 1}, view, CDVector4(), 0, 240));
}

}  // namespace
