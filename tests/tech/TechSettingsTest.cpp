// The measurement settings lines of velm.ini and the sampling-rules dialogs' logic.

#include <gtest/gtest.h>

#include "obs/SampRulesRawAD.h"
#include "obs/SampRulesWire.h"
#include "obs/WireCalibration.h"
#include "tech/DialogFields.h"
#include "tech/StationTestEnv.h"
#include "tech/TechDialogs.h"

namespace {

class TechSettingsTest : public CStationTest {};

TEST_F(TechSettingsTest, CdpRulesLineHoldsTheAveragingTimeWithoutTheReferenceMark) {
    CSampRulesWire rules;
    rules.SamplePeriod = -0.5;
    ASSERT_TRUE(rules.SaveSettings(kPointRulesKey));
    EXPECT_EQ(profile.GetProfileString(kWireRulesSection, "Point"),
              "pre=0.020000  samp=0.500000  ref=3.000000  fchan=0");
    CSampRulesWire back;
    back.SamplePeriod = 9;
    EXPECT_TRUE(back.LoadSettings(kPointRulesKey));
    EXPECT_EQ(back.SamplePeriod, 0.5);
    EXPECT_FALSE(back.LoadSettings(kScanRulesKey));  // missing key: unchanged, false
    EXPECT_EQ(back.SamplePeriod, 0.5);
}

TEST_F(TechSettingsTest, UnusableLinesKeepTheirFieldsAndAreNamed) {
    profile.WriteProfileString(kWireRulesSection, "Point", "pre=0.1  samp=abc  ref=1  fchan=2");
    profile.WriteProfileString(kWireRulesSection, "Scan", "pre=nan  samp=1  ref=1  fchan=1");
    CSampRulesWire rules;
    std::string problems;
    rules.LoadSettings(kPointRulesKey, &problems);
    EXPECT_EQ(rules.WaitPeriod, 0.1);
    EXPECT_EQ(rules.SamplePeriod, 0.5);
    EXPECT_EQ(rules.FirstChan, 0);
    rules.LoadSettings(kScanRulesKey, &problems);
    EXPECT_EQ(rules.WaitPeriod, 0.1);  // "nan" never reaches the settling wait
    EXPECT_EQ(rules.FirstChan, 1);
    EXPECT_EQ(problems,
              "\n  [Voltage Probe Sample Rules] Point =pre=0.1  samp=abc  ref=1  fchan=2"
              "\n  [Voltage Probe Sample Rules] Scan =pre=nan  samp=1  ref=1  fchan=1");

    profile.WriteProfileString(kRawADRulesSection, "Point",
                               "chan: 1 to 3, pre=0.5  avg=0  inter=0  avgperiod=1  "
                               "burstnum=99999999999  burstfreq=10");
    CSampRulesRawAD raw;
    problems.clear();
    raw.LoadSettings("Point ", &problems);
    EXPECT_EQ(raw.LastChan, 3);
    EXPECT_EQ(raw.BurstNum, 100);  // too large for the stored 32 bits
    EXPECT_EQ(raw.BurstFreq, 10.0);
    EXPECT_FALSE(problems.empty());
}

TEST_F(TechSettingsTest, EditingCdpRulesKeepsTheMarkStampsAndSaves) {
    CSampRulesWire rules;
    rules.SamplePeriod = -0.5;
    clock.Advance(5000);
    techDialogs.wireRules = [](CWireRulesLogic& l) {
        EXPECT_EQ(l.waitFor, "0.02");
        EXPECT_EQ(l.averageFor, "0.5");
        EXPECT_EQ(l.referenceAverageFor, "3");
        l.averageFor = " 0.25 ";
        l.firstChannel = "4";
        return true;
    };
    ASSERT_TRUE(EditWireRules(rules, kPointRulesKey));
    EXPECT_EQ(rules.SamplePeriod, -0.25);
    EXPECT_EQ(rules.FirstChan, 4);
    EXPECT_EQ(rules.time, clock.Now().seconds);
    EXPECT_EQ(profile.GetProfileString(kWireRulesSection, "Point"),
              "pre=0.020000  samp=0.250000  ref=3.000000  fchan=4");

    techDialogs.wireRules = [](CWireRulesLogic& l) {
        l.waitFor = "0,5";
        return true;
    };
    EXPECT_FALSE(EditWireRules(rules, kPointRulesKey));
    EXPECT_EQ(prompt.LastText(), "Please enter a number for \"Wait for\" (not \"0,5\").");
    EXPECT_EQ(rules.WaitPeriod, 0.02);
    techDialogs.wireRules = nullptr;  // Cancel
    EXPECT_FALSE(EditWireRules(rules, kPointRulesKey));
}

TEST_F(TechSettingsTest, RawADRulesLineAndDialog) {
    CSampRulesRawAD rules;
    ASSERT_TRUE(rules.SaveSettings("Point "));
    EXPECT_EQ(profile.GetProfileString(kRawADRulesSection, "Point"),
              "chan: 4 to 4, pre=0.020000  avg=1  inter=1  avgperiod=0.200000  burstnum=100  "
              "burstfreq=100.000000");
    techDialogs.rawADRules = [](CRawADRulesLogic& l) {
        EXPECT_EQ(l.waitFor, "0.02");
        EXPECT_EQ(l.burstRate, "100");
        l.firstChannel = "0";
        l.lastChannel = "2";
        l.average = false;
        l.interleave = false;
        l.burstSamples = "50";
        return true;
    };
    ASSERT_TRUE(EditRawADRules(rules, "Point "));
    EXPECT_EQ(rules.ChannelCount(), 3);
    EXPECT_EQ(rules.BurstNum, 50);
    EXPECT_FALSE(rules.average);

    techDialogs.rawADRules = [](CRawADRulesLogic& l) {
        l.burstSamples = "3000000000";
        return true;
    };
    EXPECT_FALSE(EditRawADRules(rules, "Point "));
    EXPECT_EQ(rules.BurstNum, 50);
}

TEST_F(TechSettingsTest, RawADRulesDialogOkWithoutAnEditChangesNoRule) {
    CSampRulesRawAD rules;
    rules.WaitSec = 0.005;
    rules.AvgSec = 0.125;
    rules.BurstFreq = 333.333333;
    techDialogs.rawADRules = [](CRawADRulesLogic& l) {
        EXPECT_EQ(l.waitFor, "0.005");
        EXPECT_EQ(l.averageFor, "0.125");
        EXPECT_EQ(l.burstRate, "333.333333");
        return true;  // OK, nothing typed
    };
    const CSampRulesRawAD before = [&] {
        CSampRulesRawAD copy;
        copy.CopyRulesFrom(rules);
        return copy;
    }();
    ASSERT_TRUE(EditRawADRules(rules, "Point "));
    EXPECT_TRUE(rules.SameRules(before));
}

TEST_F(TechSettingsTest, CalibrationSettingsRoundTripAndStopAtAMissingLine) {
    CWireCalibration cal;
    cal.xVibAxis = kXVibAxisX;
    cal.yVibAxis = kYVibAxisY;
    cal.XXphase = 1.25;
    cal.XXuAperV = 5000000;
    cal.YYuAperV = 2500000;
    cal.Resistivity = 75.5;
    cal.srcpos = CDVector4(1, 2, 3, 4);
    cal.rules.WaitPeriod = 0.125;
    ASSERT_TRUE(cal.SaveSettings());
    EXPECT_EQ(profile.GetProfileString(kWireCalibrationSection, "Line 0"),
              "Zvib: 17215  xCal: 0  yCal: 0  rho: 75.500000  SG: 50000.000000");
    auto back = CWireCalibration::NewFromSettings();
    EXPECT_TRUE(back->SameValues(cal));

    profile.WriteProfileString(kWireCalibrationSection, "Line 1", "");
    profile.WriteProfileString(kWireCalibrationSection, "Line 2", "junk");
    WriteFileText(profile.Path(), [&] {
        std::string text = ReadFileText(profile.Path());
        const size_t at = text.find("Line 2=");
        return text.erase(at, text.find('\n', at) + 1 - at);  // "Line 2" missing
    }());
    std::string problems;
    CWireCalibration partial;
    EXPECT_TRUE(partial.LoadSettings(&problems));
    EXPECT_EQ(partial.Resistivity, 75.5);
    EXPECT_EQ(partial.srcpos, CDVector4());  // reading stopped before "Line 5"
    EXPECT_EQ(problems, "\n  [Voltage Probe Calibration] Line 1=");

    EXPECT_TRUE(SaveWireReferenceLine(CDVector4(0.5, -0.25, 0, 1)));
    EXPECT_EQ(profile.GetProfileString(kWireCalibrationSection, "Reference"),
              "xInPh=0.500000  xQuad=-0.250000  yInPh=0.000000  yQuad=1.000000");
    CDVector4 r;
    EXPECT_TRUE(LoadWireReferenceLine(r));
    EXPECT_EQ(r, CDVector4(0.5, -0.25, 0, 1));
}

TEST(DialogFields, NumbersAreReadInTheCFormOnly) {
    double v = 0;
    std::string error;
    EXPECT_TRUE(ParseNumberField(" 1e-3\t", "x", v, error));
    EXPECT_EQ(v, 0.001);
    for (const char* bad : {"", "0,5", "1.5s", "nan", "inf", "0x10", "1e999"})
        EXPECT_FALSE(ParseNumberField(bad, "x", v, error)) << bad;
    int64_t i = 0;
    EXPECT_TRUE(ParseIntegerField("+7", "n", 0, 10, i, error));
    EXPECT_EQ(i, 7);
    EXPECT_FALSE(ParseIntegerField("11", "n", 0, 10, i, error));
    EXPECT_EQ(error, "Please enter a whole number from 0 to 10 for \"n\" (not \"11\").");
    EXPECT_FALSE(ParseIntegerField("2.5", "n", 0, 10, i, error));

    CResistivityLogic rho(100);
    rho.resistivity = "0";
    EXPECT_FALSE(rho.Accept(error));
    EXPECT_EQ(error, "The media resistivity must be above 0 ohm-cm.");
}

}  // namespace
