// Gradient points and references on the Simulated Station, through the document's Mode menu:
// the worked example of a 10 micron path, the rotated path, the digital outputs and the special point names,
// and every way a walk can fail without leaving a gradient behind.

#include <gtest/gtest.h>

#include <cmath>

#include "app/ObsDocCommands.h"
#include "hw/AdBoard.h"
#include "hw/MsWcmc.h"
#include "hw/sim/SimStationBoard.h"
#include "obs/IonCalibration.h"
#include "obs/IonObs.h"
#include "obs/ObsDoc.h"
#include "obs/SampRulesIon.h"
#include "tech/IonAcquisition.h"
#include "tech/IonTestEnv.h"

namespace {

class IonAcquisitionTest : public CIonStationTest {
  protected:
    ~IonAcquisitionTest() override { SetEscapeCheck(nullptr); }

    CSampRulesIon& Rules() { return *frame->Station().Ion().Rules("K"); }

    const CIonObs* LastPoint(CObsDocCommands& commands) {
        EXPECT_FALSE(commands.LastAdded().empty());
        return commands.LastAdded().empty()
                   ? nullptr
                   : dynamic_cast<const CIonObs*>(commands.LastAdded().back());
    }

    double Value(const CIonObs& obs, CObsDoc& doc, int code) {
        double v = 0.0;
        EXPECT_EQ(obs.GetValue(v, code, &doc, nullptr), 4);
        return v;
    }
};

TEST_F(IonAcquisitionTest, ThePointOfTheWorkedExampleGivesTheFieldsGradient) {
    Start();
    CObsDoc doc;
    CObsDocCommands commands(doc, *frame);
    const uint64_t start = clock.Ticks();
    ASSERT_TRUE(commands.Point());
    EXPECT_TRUE(prompt.shown.empty()) << prompt.LastText();
    // The rules and the calibration of probe K went in first, then the point.
    ASSERT_EQ(commands.LastAdded().size(), 3u);
    EXPECT_NE(dynamic_cast<const CSampRulesIon*>(commands.LastAdded()[0]), nullptr);
    EXPECT_NE(dynamic_cast<const CIonCalibration*>(commands.LastAdded()[1]), nullptr);
    const CIonObs* point = LastPoint(commands);
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(point->name, "K");
    EXPECT_EQ(point->nPoints, 2);
    EXPECT_EQ(point->nReps, 1);
    // The bath update zeroed the offset at the origin: 0.59 V on D/A 0.
    EXPECT_NEAR(point->da0, 0.59, 1e-12);
    EXPECT_NEAR(point->values[0], 59.000000, 1e-9);
    EXPECT_NEAR(point->values[1], 61.442168, 1e-6);
    EXPECT_NEAR(Value(*point, doc, ValueCode::kXCurrentDensity), 2.442168, 1e-6);
    EXPECT_EQ(Value(*point, doc, ValueCode::kYCurrentDensity), 0.0);
    // Bath 1.5 s, then two points of 1.5 s each; the tip is back at the origin.
    EXPECT_GE(clock.Ticks() - start, 4500u);
    EXPECT_EQ(frame->TipSystem().Position(), CDVector4());
    std::string line;
    point->Describe(line, &doc, DetailFlags::kCalculations);
    EXPECT_EQ(line, "  Gradient1=2.442");

    // With the calibration applied the difference is one of concentrations: 1.1 - 1.0 mM.
    Rules().applyCal = 1;
    ASSERT_TRUE(commands.Point());
    ASSERT_EQ(commands.LastAdded().size(), 2u);  // the changed rules, then the point
    EXPECT_NEAR(Value(*LastPoint(commands), doc, ValueCode::kXCurrentDensity), 0.1, 1e-7);
    // A second point with the same rules adds the point alone.
    ASSERT_TRUE(commands.Point());
    EXPECT_EQ(commands.LastAdded().size(), 1u);
}

TEST_F(IonAcquisitionTest, TheRotatedPathWalksAcrossAndReportsTheYComponent) {
    // The field rises along the sample's Y.
    Start(std::string(kIonProbeK) +
          "[Simulated Station]\nLine 4=field: linear  c0=1.000000  g=0.010000  k=100.000000  "
          "at=0.000000 0.000000 0.000000  along=0.000000 1.000000 0.000000\n");
    Rules().rot = 90.0;
    CObsDoc doc;
    CObsDocCommands commands(doc, *frame);
    ASSERT_TRUE(commands.Point()) << prompt.LastText();
    const CIonObs* point = LastPoint(commands);
    ASSERT_NE(point, nullptr);
    // The tip went along Y (a whole step short: the turned offset is a hair under 10 microns).
    const double d = point->values[1] - point->values[0];
    EXPECT_NEAR(d, 59.0 * std::log10(1.099), 1e-9);
    EXPECT_NEAR(Value(*point, doc, ValueCode::kYCurrentDensity), d, 1e-12);
    const double x = Value(*point, doc, ValueCode::kXCurrentDensity);
    EXPECT_NEAR(x / d, -2.3205103e-8, 1e-14);
}

TEST_F(IonAcquisitionTest, AFailedMoveEndsTheWalkAndRecordsNothing) {
    Start();
    Rules().points[1]->offset = CDVector4(1e12, 0, 0, 0);  // beyond any step count
    CObsDoc doc;
    CObsDocCommands commands(doc, *frame);
    EXPECT_FALSE(commands.Point());
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.LastText().rfind("CMsWcmc::MoveRelative() - ", 0), 0u) << prompt.LastText();
    EXPECT_EQ(doc.GetObsCount(), 0u);
    EXPECT_TRUE(commands.LastAdded().empty());

    Rules().pathReps = 0;
    EXPECT_FALSE(commands.Point());
    EXPECT_EQ(prompt.LastText(),
              "Cannot get ISP/PVP observation with less than one path repetition.");
    EXPECT_EQ(doc.GetObsCount(), 0u);
}

TEST_F(IonAcquisitionTest, ABathUpdateOnABoardWithoutDAFailsTheWalk) {
    Start();
    frame->AdBoard().type = kAdRandom;
    frame->AdBoard().Init();
    CObsDoc doc;
    CObsDocCommands commands(doc, *frame);
    EXPECT_FALSE(commands.Point());
    const std::string text = prompt.LastText();
    EXPECT_EQ(text.rfind("The bath offset could not be set: D/A channel 0 of the A/D board "
                         "\"Random Number Generator\" cannot be set to ",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find(" V.\nNothing was recorded."), std::string::npos);
    EXPECT_EQ(doc.GetObsCount(), 0u);
}

TEST_F(IonAcquisitionTest, MoveOnlyAndKorbePointsAndTheDigitalOutputs) {
    Start();
    CSampRulesIon& rules = Rules();
    rules.bathBefore = 0;
    frame->AdBoard().SetDA(0, 0.59);
    // A moves only; B reads all eight channels once and writes its outputs around the read;
    // C is not moved to and reads what B kept.
    rules.points[0]->adChan = -1;
    rules.points[1]->name = "KorbeSamp1";
    rules.points[1]->io = 1;
    rules.points[1]->dataA = 0x81;
    rules.points[1]->dataS = 0x01;
    auto c = std::make_unique<CSampPointIon>(*rules.points[1]);
    c->name = "KorbeRead1";
    c->io = 0;
    c->offset = CDVector4(500, 0, 0, 0);
    rules.points.push_back(std::move(c));
    CObsDoc doc;
    CObsDocCommands commands(doc, *frame);
    ASSERT_TRUE(commands.Point()) << prompt.LastText();
    const CIonObs* point = LastPoint(commands);
    ASSERT_NE(point, nullptr);
    // A move-only point stores 0: no D/A output is added to a reading that was not made.
    EXPECT_EQ(point->values[0], 0.0);
    EXPECT_NEAR(point->values[1], 61.442168, 1e-6);
    EXPECT_EQ(point->values[2], point->values[1]);
    auto* board = CSimStationBoardDriver::Of(frame->AdBoard());
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->DigitalOutputs().at(0x378), 0x01);  // back on standby

    // A port below 100 (hex) that is not the board's own is never written.
    Rules().points[1]->port = 0x20;
    EXPECT_FALSE(commands.Point());
    EXPECT_EQ(prompt.LastText(),
              "Point 'KorbeSamp1' writes its digital outputs to port 20, which is not the A/D "
              "board's digital port (378) nor an address from 100 to FFFF.\nNothing was "
              "recorded.");
    EXPECT_EQ(board->DigitalOutputs().count(0x20), 0u);
}

TEST_F(IonAcquisitionTest, EscBetweenPointsOffersToEndTheWalk) {
    Start();
    CObsDoc doc;
    CObsDocCommands commands(doc, *frame);
    int looks = 0;
    SetEscapeCheck([&looks] { return ++looks == 1; });
    prompt.answers = {EPromptAnswer::Cancel};
    ASSERT_TRUE(commands.Point());
    EXPECT_EQ(prompt.LastText(), "Terminate gradient observation?");
    const size_t held = doc.GetObsCount();

    looks = 0;
    prompt.answers = {EPromptAnswer::Ok};
    EXPECT_FALSE(commands.Point());
    EXPECT_EQ(doc.GetObsCount(), held);
}

TEST_F(IonAcquisitionTest, AReferenceIsKeptOrPutBackAndFollowsThePointsByShape) {
    Start();
    CObsDoc doc;
    CObsDocCommands commands(doc, *frame);
    prompt.answers = {EPromptAnswer::Ok};
    ASSERT_TRUE(commands.Reference());
    EXPECT_EQ(prompt.LastText().find("K Gradient Ref:  D/A=0.6,0.0  [1x2]: 59.000 61.442"), 0u)
        << prompt.LastText();
    EXPECT_NE(prompt.LastText().find(" - keep this reference?"), std::string::npos);
    EXPECT_EQ(profile.GetProfileString("K ISP/PVP Probe", "Reference 1"),
              "001:59.000000  002:61.442168");

    // Two repetitions now: the reference has one, so the second repetition has none.
    Rules().pathReps = 2;
    ASSERT_TRUE(commands.Point());
    const CIonObs* point = LastPoint(commands);
    ASSERT_NE(point, nullptr);
    EXPECT_NEAR(point->refValues[1], 61.442168, 1e-6);
    EXPECT_EQ(point->refValues[2], 0.0);
    EXPECT_EQ(point->refValues[3], 0.0);

    // A reference the user does not keep leaves the previous one in force.
    prompt.answers = {EPromptAnswer::Cancel};
    EXPECT_FALSE(commands.Reference());
    const CIonReference* current = frame->Station().Ion().Reference("K");
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->nReps, 1);
}

TEST_F(IonAcquisitionTest, EachProbeCarriesItsOwnRulesAndCalibrationIntoTheDocument) {
    // Probe Na is probe K under another name.
    const std::string names = "Ion Types=1\nName 1=K\n";
    std::string two = kIonProbeK;
    two.replace(two.find(names), names.size(), "Ion Types=2\nName 1=K\nName 2=Na\n");
    const std::string section = "[K ISP/PVP Probe]";
    std::string na = two.substr(two.find(section));
    na.replace(0, section.size(), "[Na ISP/PVP Probe]");
    Start(two + na);
    CObsDoc doc;
    CObsDocCommands commands(doc, *frame);
    ASSERT_TRUE(commands.Point());
    commands.ChooseProbe("Na");
    ASSERT_TRUE(commands.Point());
    ASSERT_EQ(commands.LastAdded().size(), 3u);
    EXPECT_EQ(static_cast<const CSampRulesIon*>(commands.LastAdded()[0])->name, "Na");
    double v = 0.0;
    EXPECT_EQ(LastPoint(commands)->GetValue(v, ValueCode::kXCurrentDensity, &doc, nullptr), 4);
    // No rules stored for a probe: nothing is measured with rules nobody made.
    commands.ChooseProbe("Cl");
    EXPECT_FALSE(commands.Point());
    EXPECT_EQ(prompt.LastText(), "Define ISP/PVP Probe sampling rules and calibration first");
}

}  // namespace
