// The gradient rules' dialogs without a screen: the path and its calculations kept in step, the
// checks of OK, the point and calculation entries; F6 and the rules stored in a document; the
// probe names the station keeps.

#include <gtest/gtest.h>

#include "app/ObsDocCommands.h"
#include "obs/ObsDoc.h"
#include "obs/SampRulesIon.h"
#include "tech/IonRulesLogic.h"
#include "tech/IonTestEnv.h"
#include "tech/ProbeNames.h"

namespace {

class IonRulesLogicTest : public CIonStationTest {};

CSampPointIon Point(const char* name, double x) {
    CSampPointIon p;
    p.name = name;
    p.offset = CDVector4(x, 0, 0, 0);
    return p;
}

TEST_F(IonRulesLogicTest, DeletingAPointTakesItsCalculationsWithIt) {
    CSampRulesIon rules;
    rules.name = "K";
    CIonRulesLogic logic(rules, 0x378);
    logic.points = {Point("A", 0), Point("B", 10), Point("C", 20)};
    CGradCalcIon ab, bc, ac;
    ab.name = "AB";
    bc.name = "BC";
    bc.first = 1;
    bc.second = 2;
    ac.name = "AC";
    ac.second = 2;
    logic.calcs = {ab, bc, ac};

    EXPECT_FALSE(logic.DeletePoint());
    EXPECT_EQ(prompt.LastText(), "Select a sampling point to delete.");
    logic.selectedPoint = 1;
    prompt.answers = {EPromptAnswer::Cancel};
    EXPECT_FALSE(logic.DeletePoint());
    EXPECT_EQ(prompt.LastText(), "This may disrupt Gradient Calculations!");
    EXPECT_EQ(logic.points.size(), 3u);
    ASSERT_TRUE(logic.DeletePoint());
    ASSERT_EQ(logic.calcs.size(), 1u);
    EXPECT_EQ(logic.calcs[0].name, "AC");
    EXPECT_EQ(logic.calcs[0].second, 1);  // C is the second point now
    EXPECT_EQ(logic.CalcLines(), std::vector<std::string>{"AC:  1 (A)    2 (C)"});

    EXPECT_FALSE(logic.DeleteCalc());
    EXPECT_EQ(prompt.LastText(), "Select a gradient calculation to delete.");
}

TEST_F(IonRulesLogicTest, OkNeedsAPathAndACalculationAndUsableNumbers) {
    CSampRulesIon rules;
    rules.name = "K";
    CIonRulesLogic logic(rules, 0x378);
    std::string error;
    EXPECT_FALSE(logic.Accept(error));
    EXPECT_EQ(error, "Minimum of 2 (two) sampling points required.");
    logic.points = {Point("A", 0), Point("B", 10)};
    EXPECT_FALSE(logic.Accept(error));
    EXPECT_EQ(error, "Minimum of 1 (one) gradient calculation required.");
    logic.calcs.emplace_back();
    logic.rotation = "190";
    EXPECT_FALSE(logic.Accept(error));
    EXPECT_EQ(error, "The rotation and the tilt must be from -180 to 180 degrees.");
    logic.rotation = "90";
    logic.repetitions = "0";
    EXPECT_FALSE(logic.Accept(error));
    logic.repetitions = "3";
    logic.da1Channel = "8";
    EXPECT_FALSE(logic.Accept(error));
    logic.da1Channel = "6";
    logic.csys = kCoordRelative;
    ASSERT_TRUE(logic.Accept(error)) << error;
    EXPECT_EQ(logic.rules.rot, 90.0);
    EXPECT_EQ(logic.rules.pathReps, 3);
    EXPECT_EQ(logic.rules.da1AdChan, 6);
    EXPECT_EQ(logic.rules.csys, kCoordRelative);
    EXPECT_EQ(logic.PathHeader(),
              "Name    dX      dY      dZ      dW       wait     average    a/d   d/a");
    // The preview turns the path: B lies along Y at 90 degrees.
    const std::vector<SIonPreviewPoint> shown = logic.Preview(false);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].name, "Origin");
    EXPECT_NEAR(shown[2].up, 10.0, 1e-6);
}

TEST_F(IonRulesLogicTest, PointEntriesAreCheckedBeforeTheyReachABoardOrAFile) {
    CSampPointIon p;
    CIonPointLogic logic(p, 0x300);
    EXPECT_EQ(logic.port, "378");
    std::string error;
    logic.adGain = "0";
    EXPECT_FALSE(logic.Accept(error));
    EXPECT_EQ(error, "The A/D and D/A channel gains cannot be 0.");
    logic.adGain = "1000";
    logic.adChannel = "8";
    EXPECT_FALSE(logic.Accept(error));
    logic.adChannel = "-1";
    logic.assertData = "1FF";
    EXPECT_FALSE(logic.Accept(error));
    EXPECT_EQ(error,
              "Please enter a hexadecimal number from 0 to FF for \"hex (assert)\" (not \"1FF\").");
    logic.assertData = "ff";
    logic.port = "20";
    EXPECT_FALSE(logic.Accept(error));
    EXPECT_EQ(error,
              "The port must be the A/D board's digital port (300) or an address from 100 to FFFF.");
    logic.port = "300";
    logic.name = "Tip\nB";
    EXPECT_FALSE(logic.Accept(error));
    logic.name = "B";
    logic.write = true;
    ASSERT_TRUE(logic.Accept(error)) << error;
    EXPECT_EQ(logic.point.dataA, 0xFF);
    EXPECT_EQ(logic.point.port, 0x300);
    EXPECT_EQ(logic.point.adChan, -1);

    // A calculation without a name is named after its points.
    std::vector<CSampPointIon> points = {Point("A", 0), Point("B", 10)};
    CGradCalcIon calc;
    CGradCalcLogic calcLogic(calc, points);
    EXPECT_EQ(calcLogic.choices[1].rfind("B:     10.0", 0), 0u);
    calcLogic.name = "";
    ASSERT_TRUE(calcLogic.Accept(error));
    EXPECT_EQ(calcLogic.calc.name, "A-B");
}

TEST_F(IonRulesLogicTest, SamplingMakesTheProbesRulesThroughTheDialogs) {
    Start("[ISP/PVP Name List]\nIon Types=1\nName 1=Ca\nSelected=Ca\n"
          "[Ca ISP/PVP Probe]\nSample Point Gains=adGain=500.000000  daGain=5.000000\n");
    CObsDoc doc;
    CObsDocCommands commands(doc, *frame);
    ASSERT_TRUE(commands.CanEditSampling());
    int added = 0;
    ionDialogs.editPoint = [&added](CIonPointLogic& logic) {
        EXPECT_EQ(logic.name, "Sample" + std::to_string(added + 1));
        EXPECT_EQ(logic.adGain, "500");  // the probe's point defaults
        logic.move[0] = std::to_string(10 * added++);
        logic.wait = "0.5";
        return true;
    };
    ionDialogs.editCalc = [](CGradCalcLogic&) { return true; };
    ionDialogs.editRules = [](CIonRulesLogic& logic) {
        EXPECT_TRUE(logic.AddCalc() == false);  // no path yet
        EXPECT_TRUE(logic.AddPoint() && logic.AddPoint() && logic.AddCalc());
        logic.bathBefore = true;
        return true;
    };
    ASSERT_TRUE(commands.EditSampling());
    EXPECT_EQ(prompt.Texts(),
              std::vector<std::string>{"Not enough points in path to calculate gradient."});
    const CSampRulesIon* rules = frame->Station().Ion().Rules("Ca");
    ASSERT_NE(rules, nullptr);
    ASSERT_EQ(rules->points.size(), 2u);
    EXPECT_EQ(rules->points[1]->offset.x, 10.0);
    EXPECT_EQ(rules->calcs[0]->name, "Gradient1");
    EXPECT_EQ(profile.GetProfileString("Ca ISP/PVP Probe", "Sample Point Rules"),
              "wait=0.500000  avg=0.500000  adChan=4  daChan=0  io=0  port=378  dataA=0  dataS=0");
    EXPECT_EQ(profile.GetProfileString("Ca ISP/PVP Probe", "Sampling Rules 1"),
              "useref=0  move=1049  csys=1470  npoints=2  ncalcs=1");
    // Rules but no calibration yet: nothing is measured.
    EXPECT_FALSE(commands.Point());
    EXPECT_EQ(prompt.LastText(), "Define ISP/PVP Probe sampling rules and calibration first");
}

TEST_F(IonRulesLogicTest, RulesStoredInADocumentChangeOnlyWhenTheUserSaysSo) {
    Start();
    CObsDoc doc;
    CObsDocCommands commands(doc, *frame);
    ASSERT_TRUE(commands.Point());
    auto* stored = const_cast<CVelmObs*>(commands.LastAdded()[0]);
    auto* rules = dynamic_cast<CSampRulesIon*>(stored);
    ASSERT_NE(rules, nullptr);
    ionDialogs.editRules = [](CIonRulesLogic& logic) {
        logic.repetitions = "4";
        return true;
    };
    prompt.answers = {EPromptAnswer::No};
    EXPECT_FALSE(rules->Open(&doc, 0));
    EXPECT_EQ(prompt.LastText(), "Save changes (cannot undo later) ?");
    EXPECT_EQ(rules->pathReps, 1);
    doc.SetModifiedFlag(false);
    prompt.answers = {EPromptAnswer::Yes};
    EXPECT_TRUE(rules->Open(&doc, 0));
    EXPECT_EQ(rules->pathReps, 4);
    EXPECT_TRUE(doc.IsModified());
    // The station's own rules are not the document's.
    EXPECT_EQ(frame->Station().Ion().Rules("K")->pathReps, 1);
}

TEST_F(IonRulesLogicTest, ProbeNamesAreCheckedKeptAndRemoved) {
    const std::vector<std::string> names = {"K", "pH"};
    EXPECT_EQ(NewProbeNameProblem("k", names), "The name 'k' already exists.  Use a new name.");
    EXPECT_EQ(NewProbeNameProblem("", names), "Enter a name for the probe.");
    EXPECT_EQ(NewProbeNameProblem(" Na", names), "A probe name cannot begin or end with a blank.");
    for (const char* bad : {"Na]", "Na=1", "a;b", "a,b", "a\tb", "a[b"})
        EXPECT_EQ(NewProbeNameProblem(bad, names),
                  "A probe name cannot hold [ ] = ; , tabs or control characters.")
            << bad;
    EXPECT_NE(NewProbeNameProblem(std::string(64, 'x'), names), "");
    EXPECT_EQ(NewProbeNameProblem(std::string(63, 'x'), names), "");
    EXPECT_EQ(NewProbeNameProblem("Ca 2+", names), "");

    Start();
    CStation& station = frame->Station();
    int changes = 0;
    station.probeNamesChanged = [&changes] { ++changes; };
    EXPECT_FALSE(station.AddProbeName("Na]"));
    ASSERT_TRUE(station.AddProbeName("Na"));
    EXPECT_EQ(profile.GetProfileString("ISP/PVP Name List", "Name 2"), "Na");
    CSelectProbeLogic logic(station, "K");
    EXPECT_EQ(logic.selected, 0);
    prompt.answers = {EPromptAnswer::Ok};
    ASSERT_TRUE(logic.Remove());
    EXPECT_EQ(prompt.LastText(), "Permanently remove 'K' probe from the list?");
    EXPECT_EQ(station.probeNames, std::vector<std::string>{"Na"});
    EXPECT_EQ(station.selectedProbe, "");
    EXPECT_EQ(profile.GetProfileInt("ISP/PVP Name List", "Ion Types", -1), 1);
    EXPECT_EQ(profile.GetProfileString("ISP/PVP Name List", "Name 1"), "Na");
    EXPECT_EQ(changes, 2);
    std::string error;
    EXPECT_FALSE(logic.Accept(error));
    EXPECT_EQ(error, "Select a name first.");
    // The section stays: the name brings its rules back when it is added again.
    ASSERT_TRUE(station.AddProbeName("K"));
    EXPECT_NE(station.Ion().Rules("K"), nullptr);
}

}  // namespace
