// "Edit Current Density Probe Calibration": a double click on a calibration in the list edits
// it; the document's last one becomes the station's; boxes left alone keep their exact values.

#include <gtest/gtest.h>

#include "obs/ObsDoc.h"
#include "obs/ObsListModel.h"
#include "obs/WireCalibration.h"
#include "tech/StationTestEnv.h"
#include "tech/WireCalibrationDialogs.h"
#include "tech/WireCalibrationEdit.h"
#include "tech/WireCalibrationSession.h"

namespace {

using EPair = CWireCalibrationEditLogic::EPair;

class WireCalibrationEditTest : public CStationTest {
  protected:
    WireCalibrationEditTest() : scope(&dialogs) {}
    CScriptedWireCalibrationDialogs dialogs;

  private:
    CScopedWireCalibrationDialogs scope;
};

}  // namespace

TEST_F(WireCalibrationEditTest, ADoubleClickEditsAndTheLastCalibrationBecomesTheStations) {
    CMainFrame& f = Station("Sine Wave (0.1 Hz)", kBenchCalibration);
    CObsDoc doc;
    for (int64_t t : {kTestEpoch - 100, kTestEpoch}) {
        auto calibration = CWireCalibration::NewFromSettings();
        calibration->SetTime(t, 0);
        calibration->document = &doc;
        doc.AddObs(std::move(calibration));
    }
    doc.SetModifiedFlag(false);
    auto* older = static_cast<CWireCalibration*>(doc.GetObsAt(0));
    auto* latest = static_cast<CWireCalibration*>(doc.GetObsAt(1));

    dialogs.edit = [](CWireCalibrationEditLogic& logic) {
        EXPECT_EQ(logic.gain[EPair::kXX], "100.0000");
        EXPECT_EQ(logic.phase[EPair::kXX], "30.00");
        EXPECT_EQ(logic.phase[EPair::kYY], "60.00");
        EXPECT_EQ(logic.systemGain, "50000");
        EXPECT_EQ(logic.resistivity, "100");
        EXPECT_EQ(logic.VibAngleText(EPsd::Y), "90");
        EXPECT_EQ(logic.DistanceText(EPsd::X), "150");
        logic.gain[EPair::kXX] = "50";
        return true;
    };
    CObsListModel list(doc);
    std::string row;
    ASSERT_TRUE(list.Open(1, row));
    EXPECT_EQ(dialogs.shown, 1);
    EXPECT_EQ(latest->XXuAperV, 50.0 * 100.0 * 50000.0);
    EXPECT_EQ(latest->XXphase, 0.523599);  // left alone: exactly as it was
    EXPECT_EQ(latest->YYphase, 1.047198);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(f.Station().wireCalibration->SameValues(*latest));
    EXPECT_EQ(profile.GetProfileString(kWireCalibrationSection, "Line 1"),
              "xxPh: 0.523599  xxA/V: 250000000.000000  xyPh: 0.000000  xyA/V: 0.000000  "
              "xVibAng=0.000000");

    // An older calibration is the document's business only.
    const std::string line2 = profile.GetProfileString(kWireCalibrationSection, "Line 2");
    dialogs.edit = [](CWireCalibrationEditLogic& logic) {
        logic.gain[EPair::kYY] = "1";
        return true;
    };
    ASSERT_TRUE(list.Open(0, row));
    EXPECT_EQ(older->YYuAperV, 5e6);
    EXPECT_EQ(profile.GetProfileString(kWireCalibrationSection, "Line 2"), line2);
    EXPECT_TRUE(f.Station().wireCalibration->SameValues(*latest));

    // A refused entry keeps the calibration as it was.
    dialogs.edit = [](CWireCalibrationEditLogic& logic) {
        logic.systemGain = "0";
        return true;
    };
    EXPECT_FALSE(latest->EditValues(&doc));
    EXPECT_EQ(prompt.LastText(), "The system gain must be from 1 to 100000.");
    EXPECT_EQ(latest->SystemGain, 50000.0);
}

TEST_F(WireCalibrationEditTest, SetToRescalesTheGainsAndRefusesAZeroResistivity) {
    CWireCalibration calibration;
    calibration.XXuAperV = 5e8;
    calibration.YYuAperV = -2.5e8;
    calibration.XXphase = 0.1234567890123;
    CWireCalibrationEditLogic logic(calibration);
    std::string error;
    logic.setTo = "200";
    logic.assumingWas = "0";
    EXPECT_FALSE(logic.SetTo(error));
    EXPECT_EQ(error,
              "\"Set to\" and \"assuming this was\" must both be resistivities above 0 ohm-cm.");
    EXPECT_EQ(logic.gain[EPair::kXX], "100.0000");
    logic.assumingWas = "100";
    ASSERT_TRUE(logic.SetTo(error));
    EXPECT_EQ(logic.gain[EPair::kXX], "200.0000");
    EXPECT_EQ(logic.gain[EPair::kYY], "-100.0000");
    EXPECT_EQ(logic.resistivity, "200");
    ASSERT_TRUE(logic.Accept(error)) << error;
    EXPECT_EQ(logic.result.XXuAperV, 1e9);
    EXPECT_EQ(logic.result.YYuAperV, -5e8);
    EXPECT_EQ(logic.result.Resistivity, 200.0);
    EXPECT_EQ(logic.result.XXphase, 0.1234567890123);

    logic.resistivity = "0";
    EXPECT_FALSE(logic.Accept(error));
    EXPECT_EQ(error, "The media resistivity must be above 0 ohm-cm.");
    logic.resistivity = "1e-3";
    logic.phase[EPair::kXY] = "ninety";
    EXPECT_FALSE(logic.Accept(error));
    EXPECT_EQ(error, "Please enter a number for \"phase\" (not \"ninety\").");
}

TEST_F(WireCalibrationEditTest, LoadingFromVelmIniShowsItsValuesAndKeepsThemExact) {
    profile.WriteProfileString(kWireCalibrationSection, "Line 0",
                               "Zvib: 17472  xCal: 1  yCal: 1  rho: 50.000000  SG: 1000.000000");
    profile.WriteProfileString(kWireCalibrationSection, "Line 1",
                               "xxPh: 0.5  xxA/V: 50000.0  xyPh: 0.0  xyA/V: 0.0  xVibAng=0.0");
    CWireCalibration calibration;
    calibration.probeOffset = CDVector4(1, 2, 3, 4);
    CWireCalibrationEditLogic logic(calibration);
    logic.LoadFromSettings();
    EXPECT_EQ(logic.gain[EPair::kXX], "1.0000");
    EXPECT_EQ(logic.resistivity, "50");
    std::string error;
    ASSERT_TRUE(logic.Accept(error));
    // The shown gain stands for velm.ini's stored one, whatever the edited calibration held.
    EXPECT_EQ(logic.result.XXuAperV, 50000.0);
    EXPECT_EQ(logic.result.XXphase, 0.5);
    EXPECT_EQ(logic.result.Resistivity, 50.0);
    EXPECT_EQ(logic.result.probeOffset, CDVector4(1, 2, 3, 4));
}
