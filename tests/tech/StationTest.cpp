// The station's measurement state as velm.ini gives it.

#include <gtest/gtest.h>

#include "obs/SampRulesRawAD.h"
#include "obs/SampRulesWire.h"
#include "obs/WireCalibration.h"
#include "support/TestEnv.h"
#include "tech/Station.h"

namespace {

class StationTest : public CVelmTest {};

TEST_F(StationTest, LoadsTechniqueRulesCalibrationReferenceAndProbeNames) {
    WriteFileText(profile.Path(),
                  "[Mainframe Parameters]\r\nLine 7=MeasurementType=1\r\n"
                  "[Voltage Probe Sample Rules]\r\nPoint =pre=0.010000  samp=0.250000  "
                  "ref=1.000000  fchan=4\r\n"
                  "[Voltage Probe Calibration]\r\nLine 0=Zvib: 17215  xCal: 1  yCal: 1  "
                  "rho: 80.000000  SG: 1000.000000\r\n"
                  "Reference=xInPh=0.100000  xQuad=0.200000  yInPh=0.300000  yQuad=0.400000\r\n"
                  "[Raw A/D Sample Rules]\r\nPoint =chan: 0 to 1, pre=0.000000  avg=1  inter=0  "
                  "avgperiod=0.100000  burstnum=10  burstfreq=50.000000\r\n"
                  "[ISP/PVP Name List]\r\nIon Types=2\r\nName 1=pH\r\nName 2=K\r\nSelected=K\r\n");
    CStation station;
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(station.measurementType, kTechniqueCdp);
    EXPECT_EQ(station.wireRules->SamplePeriod, 0.25);
    EXPECT_EQ(station.wireRules->FirstChan, 4);
    EXPECT_EQ(station.wireCalibration->SystemGain, 1000.0);
    EXPECT_EQ(station.resistivity, 80.0);
    EXPECT_EQ(station.wireReference.reading, CDVector4(0.1, 0.2, 0.3, 0.4));
    EXPECT_EQ(station.rawADRules->LastChan, 1);
    EXPECT_EQ(station.rawADRules->interleave, 0);
    EXPECT_EQ(station.probeNames, (std::vector<std::string>{"pH", "K"}));
    EXPECT_EQ(station.selectedProbe, "K");

    station.SetMeasurementType(kTechniqueInterestPoint);
    EXPECT_EQ(profile.GetProfileString("Mainframe Parameters", "Line 7"), "MeasurementType=4");
}

TEST_F(StationTest, AFreshInstallationHasDefaultRulesButNoCalibration) {
    CStation station;
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_TRUE(station.wireRules && station.rawADRules);
    // An uncalibrated probe has no calibration, not one of zero gains that would show every
    // point as 0 uA/sq.cm.
    EXPECT_EQ(station.wireCalibration, nullptr);
    EXPECT_EQ(station.resistivity, 100.0);
    station.ReloadWireCalibration();
    EXPECT_EQ(station.wireCalibration, nullptr);
}

TEST_F(StationTest, TheDemonstrationSettingsKeepTheirSampleCalibration) {
    const std::string demo = ReadFileText(VELM_SOURCE_DIR "/packaging/demo-velm.ini");
    ASSERT_FALSE(demo.empty());
    WriteFileText(profile.Path(), demo);
    CStation station;
    ASSERT_NE(station.wireCalibration, nullptr);
    EXPECT_EQ(station.wireCalibration->SystemGain, 50000.0);
    EXPECT_GT(station.wireCalibration->XXuAperV, 0.0);
}

TEST_F(StationTest, UnusableLinesAreNamedOnceAndLeaveDefaults) {
    WriteFileText(profile.Path(),
                  "[Mainframe Parameters]\nLine 7=MeasurementType=9\n"
                  "[Voltage Probe Calibration]\nReference=xInPh=1  xQuad=oops\n"
                  "[ISP/PVP Name List]\nIon Types=2000000000\nName 1=pH\n");
    CStation station;
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.LastText(),
              "These measurement settings in velm.ini could not be used:"
              "\n  [Mainframe Parameters] Line 7=MeasurementType=9"
              "\n  [ISP/PVP Name List] Ion Types=2000000000"
              "\n  [Voltage Probe Calibration] Reference=xInPh=1  xQuad=oops"
              "\n\nDefaults are used in their place where the values could not be read.");
    EXPECT_EQ(station.measurementType, kTechniqueRawAD);
    EXPECT_EQ(station.wireReference.reading, CDVector4(1, 0, 0, 0));
    EXPECT_EQ(station.probeNames, std::vector<std::string>{"pH"});  // a bounded number of keys
}

}  // namespace
