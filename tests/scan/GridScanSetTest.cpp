// Parameter sets in velm.ini and the set-up dialog's logic: the lines both ways, the gradient
// list, names that would overwrite the station's own settings, "Remove", intervals, the
// estimate against the interval (skipped when triggered), rows relative to origin, and the
// group folder with its number.

#include <gtest/gtest.h>

#include <filesystem>

#include "obs/IonCalibration.h"
#include "obs/SampRulesIon.h"
#include "scan/GridScanEngine.h"
#include "scan/GridScanSet.h"
#include "scan/GridScanSetup.h"
#include "scan/GridScanTestEnv.h"
#include "scan/ScanDoc.h"
#include "settings/FileNumbering.h"

namespace {

class GridScanSetTest : public CGridScanTest {};

TEST_F(GridScanSetTest, SetLinesRoundTripInTheirOwnFormats) {
    CScanDoc doc;
    LoadScanParams(doc, "Demo");
    EXPECT_EQ(doc.gridType, kGridFlyback);
    EXPECT_EQ(doc.moveType, kMoveTracking);
    EXPECT_EQ(doc.reps, 3);
    EXPECT_EQ(PointCount(doc), 6);
    EXPECT_EQ(doc.origin, CDVector4(1000, 2000, 0, 0));
    EXPECT_DOUBLE_EQ(doc.wireRules.SamplePeriod, 0.5);

    doc.refBeforeWire = true;
    doc.refAfterBath = true;
    doc.reference = CDVector4(-500, 0, 0, 0);
    doc.numPoints = 7;
    ASSERT_TRUE(SaveScanParams(doc, "Copy"));
    EXPECT_EQ(profile.GetProfileString("Copy", "Line 2", ""),
              "Reference: before: wire=1, gradient=0, bath=0  after: wire=0, gradient=0, bath=1");
    EXPECT_EQ(profile.GetProfileString("Copy", "Line 0", ""),
              "Scan Type: 1028  Scan Tool: 1029  Move Type: 1049  Continuous:0  FirstAxis=1482  "
              "AlongAxes=0");
    EXPECT_EQ(profile.GetProfileString("Copy", "Line 3", ""),
              "Reference: -500.000000 0.000000 0.000000 0.000000");
    EXPECT_EQ(profile.GetProfileString("Copy", "Line 10", ""),
              "Images: before=0, after=0  StepType=1711  num=7");
    CScanDoc back;
    LoadScanParams(back, "Copy");
    EXPECT_TRUE(back.refBeforeWire);
    EXPECT_TRUE(back.refAfterBath);
    EXPECT_FALSE(back.refAfterWire);
    EXPECT_EQ(back.reference, doc.reference);
    EXPECT_EQ(back.numPoints, 7);

    // Two gradient probes come back in order; lists of different lengths store none.
    auto addProbe = [&](CScanDoc& d, const char* name) {
        d.ionRules.push_back(std::make_unique<CSampRulesIon>());
        d.ionRules.back()->name = name;
        d.ionCals.push_back(std::make_unique<CIonCalibration>());
        d.ionCals.back()->name = name;
    };
    addProbe(doc, "K+");
    addProbe(doc, "Ca");
    ASSERT_TRUE(SaveScanParams(doc, "Copy"));
    LoadScanParams(back, "Copy");
    ASSERT_EQ(back.ionRules.size(), 2u);
    ASSERT_EQ(back.ionCals.size(), 2u);
    EXPECT_EQ(back.ionRules[1]->name, "Ca");
    EXPECT_EQ(back.ionCals[0]->name, "K+");
    doc.ionCals.pop_back();
    SaveScanParams(doc, "Copy");
    EXPECT_EQ(profile.GetProfileInt("Copy", "Ion Types", -1), 0);
}

TEST_F(GridScanSetTest, IntervalsAreWholeSecondsAndClamped) {
    CScanDoc doc;
    doc.interval = 2, doc.intervalUnit = kUnitMinutes;
    EXPECT_EQ(IntervalSeconds(doc), 120);
    doc.interval = 1.5, doc.intervalUnit = kUnitHours;
    EXPECT_EQ(IntervalSeconds(doc), 5400);
    doc.interval = 0.5, doc.intervalUnit = kUnitSeconds;
    EXPECT_EQ(IntervalSeconds(doc), 0);
    doc.interval = -10;
    EXPECT_EQ(IntervalSeconds(doc), 0);
    doc.interval = 1e12, doc.intervalUnit = kUnitHours;
    EXPECT_EQ(IntervalSeconds(doc), kMaxIntervalSeconds);
    doc.interval = std::nan("");
    EXPECT_EQ(IntervalSeconds(doc), 0);

    doc.continuous = true;
    EXPECT_EQ(NumberOfScans(doc), 9999);
    doc.storeWire = true;
    SetReference(doc, CDVector4(1, 2, 3, 4));
    EXPECT_TRUE(doc.refBeforeWire);
    EXPECT_FALSE(doc.refBeforeGradient);
}

TEST_F(GridScanSetTest, NewNamesCannotLandOnOtherSettings) {
    CGridScanSetList list;
    ASSERT_EQ(list.names, std::vector<std::string>{"Demo"});
    EXPECT_EQ(list.selected, 0);

    EXPECT_FALSE(list.New(""));
    EXPECT_EQ(prompt.LastText(), "You must specify a name.");
    EXPECT_EQ(prompt.shown.back().caption, "New Parameter Name Error");
    EXPECT_FALSE(list.New("demo"));
    EXPECT_EQ(prompt.LastText(), "Parameter type 'demo' already exists.");
    EXPECT_EQ(prompt.shown.back().caption, "Add New Parameter Error");
    for (const char* bad : {"Mainframe Parameters", "optical systems", "Point", "Calibration",
                            "K+ ISP/PVP Probe", "a=b", " Demo2", "Grid Scan Definition"}) {
        EXPECT_FALSE(list.New(bad)) << bad;
    }
    EXPECT_EQ(profile.GetProfileInt("Grid Scan Definition", "Number of Entries", 0), 1);

    ASSERT_TRUE(list.New("Second"));
    EXPECT_EQ(profile.GetProfileString("Grid Scan Definition", "Entry 1", ""), "Second");
    EXPECT_EQ(list.selected, 1);
    EXPECT_EQ(list.Ok(), "Second");
    EXPECT_EQ(SelectedGridScanSet(), "Second");

    list.selected = 0;
    prompt.answers.push_back(EPromptAnswer::Ok);
    ASSERT_TRUE(list.Remove());
    EXPECT_EQ(GridScanSetNames(), std::vector<std::string>{"Second"});
    EXPECT_FALSE(profile.GetProfileString("Demo", "Line 6", "").empty());  // section kept
}

class GridScanSetupTest : public CGridScanTest {
  protected:
    CScanDoc doc;
    void SetUp() override {
        doc.paramSetName = "Demo";
        LoadScanParams(doc, "Demo");
        TakeStationCalibration(doc, *station);
    }
};

TEST_F(GridScanSetupTest, NewGroupGetsItsFolderAndUsesUpItsNumber) {
    profile.WriteProfileInt("Mainframe Parameters", "Next Scan Group", 7);
    CGridScanSetupLogic setup(doc, *station);
    EXPECT_EQ(setup.params.groupNumber, 7);
    EXPECT_EQ(setup.params.groupDir, "ScnGrp0007WedDec05");
    EXPECT_EQ(setup.params.day, 5);
    EXPECT_EQ(setup.params.month, 12);
    ASSERT_TRUE(setup.Ok()) << prompt.LastText();
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("ScnGrp0007WedDec05")));
    EXPECT_EQ(GetNextScanGroupNumber(), 8);
    EXPECT_EQ(doc.groupDir, "ScnGrp0007WedDec05");
    EXPECT_EQ(doc.rootDir, dir.Path());
    // The station's calibration, not an empty one: scan points show current densities.
    EXPECT_EQ(doc.wireCal.xCal, station->wireCalibration->xCal);

    // A folder that cannot be made keeps the dialog open and the number unused.
    CScanDoc other;
    LoadScanParams(other, "Demo");
    CGridScanSetupLogic blocked(other, *station);
    WriteFileText(dir.File(blocked.params.groupDir), "in the way");
    EXPECT_FALSE(blocked.Ok());
    EXPECT_NE(prompt.LastText().find("Cannot create scan group directory"), std::string::npos);
    EXPECT_EQ(GetNextScanGroupNumber(), 8);
    blocked.params.groupDir = "../elsewhere";
    EXPECT_FALSE(blocked.Ok());
}

TEST_F(GridScanSetupTest, EstimateIsCheckedAgainstTheIntervalUnlessTriggered) {
    doc.refBeforeWire = doc.refAfterWire = true;
    doc.reference = CDVector4(-500, 0, 0, 0);
    doc.origin = CDVector4(0, 0, 0, 0);
    CGridScanSetupLogic setup(doc, *station);
    // Points 6 x 0.52, references 2 x 3.02, moves 4.6 s at the tracking speed.
    EXPECT_NEAR(setup.Estimate(), 13.76, 1e-6);
    setup.Calc();
    EXPECT_EQ(setup.estimateText, "13.8 sec");
    EXPECT_FALSE(setup.Ok());
    EXPECT_EQ(prompt.LastText(),
              "Estimated scan acquisition time (13.8 sec)\nis longer than scan interval (10.0 "
              "sec).");
    EXPECT_EQ(prompt.shown.back().caption, "Grid Scan Definition Error");
    setup.params.interval = 0;  // triggered: no interval to fit into
    EXPECT_TRUE(setup.Ok()) << prompt.LastText();
    setup.params.interval = 0.5;  // would silently become triggered
    EXPECT_FALSE(setup.Ok());
}

TEST_F(GridScanSetupTest, RowsHoldPositionsRelativeToOrigin) {
    CGridScanSetupLogic setup(doc, *station);
    setup.showPosition = [](const std::string& prompt, EStage) -> std::optional<CDVector4> {
        if (prompt == "Show point for start of scan ...") return CDVector4(1010, 2020, 0, 0);
        return std::nullopt;
    };
    ASSERT_TRUE(setup.Show(CGridScanSetupLogic::ERow::Start));
    EXPECT_EQ(setup.params.start, CDVector4(10, 20, 0, 0));
    EXPECT_FALSE(setup.Show(CGridScanSetupLogic::ERow::End));
    setup.SetRowFromStage(CGridScanSetupLogic::ERow::Origin, CDVector4(5, 5, 5, 5));
    EXPECT_EQ(setup.params.origin, CDVector4(5, 5, 5, 5));
    setup.SetRowFromStage(CGridScanSetupLogic::ERow::SampleHome, CDVector4(7, 7, 0, 0));
    EXPECT_EQ(setup.params.sampleHome, CDVector4(7, 7, 0, 0));  // the other stage: absolute
    setup.SetRowFromStage(CGridScanSetupLogic::ERow::ProbeHome, CDVector4(7, 7, 5, 5));
    EXPECT_EQ(setup.params.probeHome, CDVector4(2, 2, 0, 0));

    prompt.answers.push_back(EPromptAnswer::Cancel);
    EXPECT_EQ(setup.BeginMoveTo(), CGridScanSetupLogic::EMoveTo::Cancelled);
    EXPECT_EQ(prompt.LastText(), "Enable Mouse?");
}

}  // namespace
