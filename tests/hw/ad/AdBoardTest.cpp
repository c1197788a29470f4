// The board object itself: its settings lines, the type table, and the refusals that keep
// bad requests (from callers or from velm.ini) away from the boards.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "AdTestSupport.h"
#include "hw/ad/AdBoardSetupLogic.h"

namespace {

class AdBoard : public CAdTest {
  protected:
    void WriteIni(const std::string& lines) {
        WriteFileText(profile.Path(), "[A/D Board]\r\n" + lines);
    }
};

TEST_F(AdBoard, SavesItsThreeLinesInTheirFormats) {
    CAdBoard board;
    board.type = kAdNiMSeries;
    board.base = 0x2A0;
    board.adRange = 0.625;
    board.daRange = 5.0;
    board.da0 = 1.25;
    board.freq = 20000;
    board.initOn = 1;
    board.initValue = 0xA5;
    board.SaveSettings();
    EXPECT_EQ(profile.GetProfileString("A/D Board", "Line 0"), "National Instruments PCI-6221");
    EXPECT_EQ(profile.GetProfileString("A/D Board", "Line 1"),
              "base=2A0 [ a/d +/-0.62V, d/a +/-5.00V ]  da0=1.250000  da1=0.000000  "
              "freq=20000.000000");
    EXPECT_EQ(profile.GetProfileString("A/D Board", "Line 2"), "init=1 (port=307, value=A5)");
}

TEST_F(AdBoard, LoadsWhatAStationWroteAndProgramsTheBoardAtConstruction) {
    WriteIni(
        "Line 0=CIO-DAS08AOL\r\n"
        "Line 1=base=300 [ a/d +/-2.50V, d/a +/-10.00V ]  da0=1.500000  da1=-2.000000  "
        "freq=500.000000\r\n"
        "Line 2=init=1 (port=37A, value=C)\r\n");
    CAdBoard board;
    EXPECT_EQ(board.type, kAdDas08Aol);
    EXPECT_EQ(board.base, 0x300);
    EXPECT_DOUBLE_EQ(board.adRange, 2.5);
    EXPECT_DOUBLE_EQ(board.daRange, 10.0);
    EXPECT_DOUBLE_EQ(board.freq, 500.0);
    EXPECT_EQ(board.initOn, 1);
    EXPECT_EQ(board.initPort, 0x37A);
    EXPECT_EQ(board.initValue, 0xC);
    // Init ran: the initialization byte, both D/A outputs and the gain reached the board.
    auto writes = ports.Writes();
    auto has = [&](uint16_t port, uint16_t value) {
        return std::find(writes.begin(), writes.end(), std::make_pair(port, value)) != writes.end();
    };
    EXPECT_TRUE(has(0x37A, 0x0C));
    EXPECT_TRUE(has(0x303, 2));  // +/-2.5 V on the DAS08AOL
    EXPECT_EQ(board.da0, 1.5);
    EXPECT_EQ(board.da1, -2.0);
}

TEST_F(AdBoard, MissingOrMalformedSettingsKeepTheDefaults) {
    CAdBoard fresh;
    EXPECT_EQ(fresh.type, kAdNone);
    EXPECT_EQ(fresh.base, 1);
    EXPECT_EQ(fresh.initPort, 0x307);
    EXPECT_EQ(fresh.freq, 1000.0);

    // A misspelt label stops the scan; "nan" and "inf" are no usable values either.
    WriteIni(
        "Line 0=Random Number Generator\r\n"
        "Line 1=base=2C0 [ a/d +/-nanV, d/a +/-infV ]  da0=0.5  dal=3  freq=10\r\n"
        "Line 2=init=x\r\n");
    CAdBoard board;
    EXPECT_EQ(board.type, kAdRandom);
    EXPECT_EQ(board.base, 0x2C0);
    EXPECT_EQ(board.adRange, 10.0);
    EXPECT_EQ(board.daRange, 5.0);
    EXPECT_EQ(board.da0, 0.5);
    EXPECT_EQ(board.da1, 0.0);
    EXPECT_EQ(board.freq, 1000.0);
    EXPECT_EQ(board.initOn, 0);
}

TEST_F(AdBoard, AnUnknownTypeNameMeansNoBoard) {
    WriteIni("Line 0=Random number generator\r\n");
    CAdBoard board;
    EXPECT_EQ(board.type, kAdNone);
    double v[1];
    EXPECT_FALSE(board.ReadChannels(0.1, 0, 0, v));
    EXPECT_FALSE(board.ReadBurst(10, 100, 0, 0, v));
    EXPECT_FALSE(board.SetDA(0, 0.0));
    EXPECT_TRUE(board.WriteDigital(0x378, 1));  // nothing to do, nothing written
    EXPECT_TRUE(ports.log.empty());
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(AdBoard, TypeTableNamesAndCapabilities) {
    EXPECT_EQ(CAdBoard::TypeFromName("Sine Wave (0.1 Hz)"), kAdSine);
    EXPECT_EQ(CAdBoard::TypeFromName("CIO-DAS1602/16"), kAdDas1602);
    EXPECT_EQ(CAdBoard::TypeFromName("PCI-DAS1602/16"), kAdPciDas1602);
    EXPECT_EQ(CAdBoard::TypeFromName("<None>"), kAdNone);
    EXPECT_EQ(CAdBoard::TypeFromName(""), kAdNone);
    CAdBoard board;
    board.type = kAdNiESeries;
    EXPECT_STREQ(board.GetBoardName(), "National Instruments E Series 16-bit");
    board.type = kAdLabMaster;
    EXPECT_STREQ(board.GetBoardName(), "Labmaster 12-bit");
    board.type = 99;
    EXPECT_STREQ(board.GetBoardName(), "No A/D Board");

    std::vector<int> withDA;
    for (int id = 0; id < CAdBoard::kTypeCount; ++id) {
        board.type = id;
        if (board.HasDA()) withDA.push_back(id);
    }
    EXPECT_EQ(withDA, (std::vector<int>{3, 4, 5, 6, 7, 8, 9, 11, 13, 15, 16, 17, 18}));

    board.base = 0x300;
    const std::pair<int, int> ports[] = {
        {kAdDas08Aom, 0x30E}, {kAdDas1602, 0x702}, {kAdPciDas1602, 0x702}, {kAdPcmDas16, 0x302},
        {kAdNiESeries, 1},    {kAdNiMSeries, 1},   {kAdNi1200, 0x378},     {kAdRandom, 0x378}};
    for (auto [id, port] : ports) {
        board.type = id;
        EXPECT_EQ(board.GetDigitalPort(), port) << id;
    }
}

TEST_F(AdBoard, RefusesChannelRangesOutsideTheEightInputs) {
    CAdBoard board;
    board.type = kAdRandom;
    double v[9];
    EXPECT_FALSE(board.ReadChannels(0.1, 3, 1, v));   // n < 0
    EXPECT_FALSE(board.ReadChannels(0.1, 0, 8, v));   // nine channels
    EXPECT_FALSE(board.ReadChannels(0.1, -1, 2, v));  // no channel -1
    EXPECT_FALSE(board.ReadChannels(0.1, 6, 8, v));   // no channel 8
    EXPECT_FALSE(board.ReadChannels(0.1, 0, 1, nullptr));
    EXPECT_FALSE(board.ReadChannels(0.1, std::numeric_limits<int>::min(),
                                    std::numeric_limits<int>::max(), v));
    EXPECT_FALSE(board.ReadBurst(10, 100, 2, 9, v));
    EXPECT_FALSE(board.ReadBurst(10, 100, 0, 0, nullptr));
    EXPECT_EQ(clock.waits, 0u);
    EXPECT_TRUE(board.ReadChannels(0.1, 0, 7, v));
}

TEST_F(AdBoard, RefusesPeriodsAndRatesThatAreNotUsableNumbers) {
    CAdBoard board;
    board.type = kAdRandom;
    double v[1];
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double period : {nan, inf, -inf, -0.5, 1.0e12}) {
        EXPECT_FALSE(board.ReadChannels(period, 0, 0, v)) << period;
    }
    for (double rate : {nan, inf, 0.0, -100.0}) {
        EXPECT_FALSE(board.ReadBurst(1, rate, 0, 0, v)) << rate;
    }
    EXPECT_FALSE(board.ReadBurst(0, 100.0, 0, 0, v));
    EXPECT_FALSE(board.ReadBurst(-5, 100.0, 0, 0, v));
    // 2^31-1 scans of eight channels would be 16 GB: refused before anything is touched.
    EXPECT_FALSE(board.ReadBurst(std::numeric_limits<int>::max(), 100.0, 0, 7, v));
    EXPECT_EQ(clock.waits, 0u);
    EXPECT_EQ(board.freq, 1000.0);
}

TEST_F(AdBoard, SetDaTakesOnlyChannelZeroOrOneAndRealVolts) {
    CAdBoard board;
    Configure(board, kAdDas08Aoh, 0x300);
    EXPECT_FALSE(board.SetDA(2, 1.0));
    EXPECT_FALSE(board.SetDA(-1, 1.0));
    EXPECT_FALSE(board.SetDA(0, std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(board.SetDA(1, std::numeric_limits<double>::infinity()));
    EXPECT_TRUE(ports.log.empty());
    EXPECT_EQ(board.da0, 0.0);
    EXPECT_FALSE(board.SetADRange(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_EQ(board.adRange, 10.0);
}

TEST_F(AdBoard, TheRefusedMeasurementComputingBoardsSaySoAndReadNothing) {
    for (int id : {kAdPcmDas16, kAdPciDas1602}) {
        prompt.shown.clear();
        CAdBoard board;
        board.type = id;
        board.Init();
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_NE(prompt.LastText().find(board.GetBoardName()), std::string::npos);
        EXPECT_NE(prompt.LastText().find("not supported by this release"), std::string::npos);
        double v[4] = {};
        EXPECT_FALSE(board.ReadChannels(0.1, 0, 3, v));
        // Nothing is read, so the burst does not claim to have filled the buffer.
        EXPECT_FALSE(board.ReadBurst(1, 100, 0, 3, v));
        EXPECT_FALSE(board.SetDA(0, 0.0));
        EXPECT_TRUE(board.WriteDigital(board.GetDigitalPort(), 3));
    }
    EXPECT_TRUE(ports.log.empty());
}

TEST_F(AdBoard, BurstPutsTheBoardsOwnPaceBackEvenWhenItFails) {
    CAdBoard board;
    Configure(board, kAdDas08, 0x300);
    board.freq = 250.0;
    ports.levels[0x302] = 0x08;  // pacer ticks, conversions end at once
    ports.slowPorts = {0x300};
    double s[4];
    ASSERT_TRUE(board.ReadBurst(2, 2000.0, 0, 1, s));
    EXPECT_EQ(board.freq, 250.0);
    // The pacer was loaded for the burst (62500/2000 = 31) and then for 250/s again (250).
    auto writes = ports.Writes();
    std::vector<uint16_t> counter1;
    for (auto [port, value] : writes)
        if (port == 0x305) counter1.push_back(value);
    EXPECT_EQ(counter1, (std::vector<uint16_t>{31, 0, 250, 0}));

    ports.levels[0x302] = 0x80;  // conversions never end
    EXPECT_FALSE(board.ReadBurst(2, 2000.0, 0, 1, s));
    EXPECT_EQ(board.freq, 250.0);
}

TEST_F(AdBoard, SetupRunsTheInstalledDialogAndAppliesOk) {
    CAdBoard board;
    EXPECT_FALSE(board.Setup());  // no dialog installed
    auto saved = CAdBoard::setupDialog;
    int shown = 0;
    CAdBoard::setupDialog = [&](CAdBoardSetupLogic& logic) {
        ++shown;
        logic.typeName = "Sine Wave (0.1 Hz)";
        logic.adRangeText = "2.5";
        return true;
    };
    board.da0 = 1.0;
    EXPECT_TRUE(board.Setup());
    EXPECT_EQ(board.type, kAdSine);
    EXPECT_EQ(board.adRange, 2.5);
    EXPECT_EQ(board.da0, 0.0);
    EXPECT_EQ(profile.GetProfileString("A/D Board", "Line 0"), "Sine Wave (0.1 Hz)");

    CAdBoard::setupDialog = [&](CAdBoardSetupLogic& logic) {
        logic.typeName = "<None>";
        return false;  // Cancel
    };
    EXPECT_FALSE(board.Setup());
    EXPECT_EQ(board.type, kAdSine);
    CAdBoard::setupDialog = saved;
    EXPECT_EQ(shown, 1);
}

}  // namespace
