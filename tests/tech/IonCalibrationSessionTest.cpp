// "ISP/PVP Calibration" on the Simulated Station: the solutions the bench's hands dip the tip
// into, the bath offset, the watch, the type switch, OK and Cancel; then Calibrate() from F7.

#include <gtest/gtest.h>

#include "platform/StationBusy.h"

#include "app/ObsDocCommands.h"
#include "hw/AdBoard.h"
#include "hw/BenchHands.h"
#include "obs/IonCalibration.h"
#include "obs/ObsDoc.h"
#include "tech/IonCalibrationSession.h"
#include "tech/ProbeNames.h"
#include "tech/IonTestEnv.h"

namespace {

class IonCalibrationSessionTest : public CIonStationTest {
  protected:

    // Probe K as the bench's electrode 1 is wired, not yet calibrated.
    CIonCalibration Fresh() {
        CIonCalibration c;
        c.name = "K";
        c.loGainAdChan = 5;
        c.hiGainAdChan = 4;
        return c;
    }
    CBenchHands& Hands() { return *frame->AdBoard().Hands(); }
};

TEST_F(IonCalibrationSessionTest, TwoSolutionsGiveTheElectrodesNernstSlope) {
    Start("");
    CIonCalibrationSession session(Fresh(), frame->AdBoard());
    EXPECT_EQ(session.Title(), "K Probe Calibration");
    EXPECT_EQ(session.SlopeText(), "--");
    ASSERT_TRUE(session.SampleSolution(1));
    EXPECT_EQ(Hands().Solution(), 1);
    // 0.1 mM: the electrode reads 0 mV, and the bath offset went to 0 V.
    EXPECT_EQ(session.ValueText(1), "0.00");
    ASSERT_TRUE(session.SampleSolution(2));
    EXPECT_EQ(Hands().Solution(), 2);
    EXPECT_NEAR(frame->AdBoard().da0, 0.59, 1e-12);
    EXPECT_EQ(session.ValueText(2), "59.00");
    EXPECT_EQ(session.SlopeText(), "59.00");
    EXPECT_EQ(session.InterceptText(), "59.00");
    EXPECT_EQ(session.BathOffsetText(), "59.00");
    prompt.answers = {EPromptAnswer::Ok};
    ASSERT_TRUE(session.Ok());
    EXPECT_EQ(prompt.LastText(), "Save these calibration values ?");
    EXPECT_TRUE(session.Kept());
    EXPECT_DOUBLE_EQ(session.Calibration().Convert(118.0), 10.0);
    // The dialog has closed: the probe is back over the sample.
    EXPECT_EQ(Hands().Solution(), CBenchHands::kSampleBath);
}

TEST_F(IonCalibrationSessionTest, WithoutTheBathOffsetTheMainAmplifierSaturates) {
    Start("");
    CIonCalibrationSession session(Fresh(), frame->AdBoard());
    session.SetAutoBath(false);
    ASSERT_TRUE(session.SampleSolution(1));
    ASSERT_TRUE(session.SampleSolution(2));
    // 100 x 0.59 V is more than the converter's 10 V.
    EXPECT_EQ(session.ValueText(2), "10.00");
}

TEST_F(IonCalibrationSessionTest, EditsRefitAndATypeSwitchAsksForTheSolutionsAgain) {
    Start("");
    CIonCalibrationSession session(Fresh(), frame->AdBoard());
    ASSERT_TRUE(session.SampleSolution(1));
    ASSERT_TRUE(session.SampleSolution(2));
    // Solution 2 was mislabelled: the slope follows the corrected concentration at once.
    ASSERT_TRUE(session.ConcentrationEdited(2, "10"));
    EXPECT_EQ(session.SlopeText(), "29.50");
    EXPECT_FALSE(session.ConcentrationEdited(2, "ten"));
    // Equal concentrations give no line: shown as "--", and OK does not keep it.
    ASSERT_TRUE(session.ConcentrationEdited(2, "0.1"));
    EXPECT_EQ(session.SlopeText(), "--");

    session.SetType(kIonPolarographic);
    EXPECT_EQ(session.conc[0], "0");
    EXPECT_EQ(session.conc[1], "21");
    EXPECT_EQ(session.ValueText(1), "");
    EXPECT_STREQ(session.SlopeCaption(), "Std Curve");
    EXPECT_STREQ(session.ValueUnit(), "pA");
    EXPECT_EQ(session.PolarizationCaption(), "Polarization Voltage (Ch 1):");
    session.SetVpol();
    EXPECT_EQ(prompt.LastText(), "Polarization Voltage is set by D/A channel 1.");
    EXPECT_FALSE(session.Calibration().IsComplete());

    ASSERT_TRUE(session.Ok());
    EXPECT_EQ(prompt.shown.back().caption, "ISP/PVP Calibration");
    EXPECT_EQ(prompt.LastText(), "Reverting to previous calibration values.");
    EXPECT_FALSE(session.Kept());
}

TEST_F(IonCalibrationSessionTest, CancelAsksBeforeChangedValuesAreLost) {
    Start("");
    CIonCalibrationSession session(Fresh(), frame->AdBoard());
    // Nothing changed: OK reverts without a question, Cancel closes at once.
    {
        CIonCalibrationSession untouched(Fresh(), frame->AdBoard());
        EXPECT_TRUE(untouched.Cancel());
        EXPECT_TRUE(prompt.shown.empty());
    }
    ASSERT_TRUE(session.SampleSolution(1));
    ASSERT_TRUE(session.SampleSolution(2));
    prompt.answers = {EPromptAnswer::Cancel, EPromptAnswer::Ok};
    EXPECT_FALSE(session.Cancel());
    EXPECT_EQ(prompt.shown.back().caption, "ISP/PVP Probe Calibration");
    EXPECT_EQ(prompt.LastText(), "Discard these calibration values ?");
    EXPECT_EQ(Hands().Solution(), 2);
    EXPECT_TRUE(session.Cancel());
    EXPECT_FALSE(session.Kept());

    // Fields that cannot be used keep the dialog open.
    CIonCalibrationSession typed(Fresh(), frame->AdBoard());
    typed.mainGain = "0";
    EXPECT_FALSE(typed.Ok());
    EXPECT_EQ(prompt.LastText(), "The preamplifier and main amplifier gains cannot be 0.");
    typed.mainGain = "100";
    typed.mainChannel = "8";
    EXPECT_FALSE(typed.SampleSolution(1));
    EXPECT_EQ(prompt.LastText(),
              "Please enter a whole number from 0 to 7 for \"Main Amp A/D Chan:\" (not \"8\").");
}

TEST_F(IonCalibrationSessionTest, TheWatchSkipsWhileBusyAndTellsAFailureOnce) {
    Start("");
    CIonCalibrationSession session(Fresh(), frame->AdBoard());
    session.watchInterval = "0";
    EXPECT_EQ(session.WatchPeriodMs(), 0);
    EXPECT_EQ(prompt.LastText(), "The watch interval must be from 0.1 to 3600 seconds.");
    session.watchInterval = "0.5";
    EXPECT_EQ(session.WatchPeriodMs(), 500);

    ASSERT_TRUE(session.ZeroBathOffset());
    ASSERT_TRUE(session.WatchTick());
    EXPECT_EQ(session.TipText(), "59.00");  // the sample's bath, 1 mM

    // A tick that arrives while a solution is being read (from the wait's event loop) waits.
    int nested = 0, skipped = 0;
    clock.SetIdleHook([&] {
        ++nested;
        if (!session.WatchTick()) ++skipped;
    });
    ASSERT_TRUE(session.SampleSolution(1));
    clock.SetIdleHook(nullptr);
    EXPECT_GT(nested, 0);
    EXPECT_EQ(skipped, nested);
    {
        CStationBusy::CScope anotherAcquisition;
        EXPECT_FALSE(session.WatchTick());
    }

    // A board that cannot be read says so once, not at every tick.
    const size_t before = prompt.shown.size();
    session.mainChannel = "8";
    frame->AdBoard().type = kAdNone;
    EXPECT_FALSE(session.WatchTick());
    EXPECT_FALSE(session.WatchTick());
    EXPECT_EQ(prompt.shown.size(), before + 1);
    EXPECT_EQ(prompt.LastText().rfind("Reading A/D channels 4 to 4 failed", 0), 0u);
}

TEST_F(IonCalibrationSessionTest, CalibrateFromTheDocumentKeepsAppendsAndRegistersTheProbe) {
    Start("[ISP/PVP Name List]\nIon Types=0\n"
          "[Ca ISP/PVP Probe]\nA/D Board Parameters=loGA/D:5  hiGA/D:4  D/A: 0\n");
    CObsDoc doc;
    CObsDocCommands commands(doc, *frame);
    // No probe selected: it is chosen by name, made anew in "New ..." of the list.
    ionDialogs.selectProbe = [this](CSelectProbeLogic& logic) {
        EXPECT_TRUE(logic.Names().empty());
        ionDialogs.newProbeName = [](CNewProbeNameLogic& name) {
            name.name = "Ca";
            return true;
        };
        return logic.New();
    };
    ionDialogs.calibrate = [](CIonCalibrationSession& session) {
        return session.SampleSolution(1) && session.SampleSolution(2) && session.Ok();
    };
    prompt.answers = {EPromptAnswer::Ok};
    ASSERT_TRUE(commands.Calibrate()) << prompt.LastText();
    EXPECT_EQ(frame->Station().probeNames, std::vector<std::string>{"Ca"});
    EXPECT_EQ(frame->Station().selectedProbe, "Ca");
    EXPECT_EQ(profile.GetProfileString("ISP/PVP Name List", "Name 1"), "Ca");
    EXPECT_EQ(profile.GetProfileString("Ca ISP/PVP Probe", "Calibration 1"),
              "Period=3.000000 sec  Slope=59.000000  Calibrated:  c1=1  c2=1  c3=0");
    ASSERT_EQ(commands.LastAdded().size(), 1u);
    const auto* kept = dynamic_cast<const CIonCalibration*>(commands.LastAdded()[0]);
    ASSERT_NE(kept, nullptr);
    EXPECT_TRUE(kept->SameValues(*frame->Station().Ion().Calibration("Ca")));
    EXPECT_EQ(doc.storedIonCal, 1);

    // "Edit ISP/PVP Calibration" on the stored copy changes its slope alone.
    ionDialogs.editCalibration = [](CIonCalibrationEditLogic& logic) {
        EXPECT_EQ(logic.concentrations[1], "1");
        EXPECT_EQ(logic.values[1], "59.0");
        logic.slope = "0";
        return true;
    };
    CIonCalibration* stored = const_cast<CIonCalibration*>(kept);
    EXPECT_FALSE(stored->Open(&doc, 0));
    EXPECT_EQ(prompt.LastText(),
              "The slope cannot be 0: every reading would stand for the same concentration.");
    ionDialogs.editCalibration = [](CIonCalibrationEditLogic& logic) {
        logic.slope = "58.5";
        return true;
    };
    doc.SetModifiedFlag(false);
    EXPECT_TRUE(stored->Open(&doc, 0));
    EXPECT_EQ(stored->slope, 58.5);
    EXPECT_TRUE(doc.IsModified());
}

}  // namespace
