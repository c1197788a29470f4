// The board object: its settings lines, and the refusals that keep bad requests (from callers
// or from velm.ini) away from the boards.

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>

#include "AdTestSupport.h"

namespace {

class AdBoard : public CAdTest {
  protected:
    void WriteIni(const std::string& lines) {
        WriteFileText(profile.Path(), "[A/D Board]\r\n" + lines);
    }
    static constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
    static constexpr double kInf = std::numeric_limits<double>::infinity();
};

TEST_F(AdBoard, SettingsLinesRoundTripAndProgramTheBoardAtConstruction) {
    WriteIni(
        "Line 0=CIO-DAS08AOL\r\n"
        "Line 1=base=300 [ a/d +/-2.50V, d/a +/-10.00V ]  da0=1.500000  da1=-2.000000  "
        "freq=500.000000\r\n"
        "Line 2=init=1 (port=37A, value=C)\r\n");
    CAdBoard board;
    EXPECT_EQ(board.type, kAdDas08Aol);
    EXPECT_EQ(board.base, 0x300);
    EXPECT_EQ(board.daRange, 10.0);
    EXPECT_EQ(board.da1, -2.0);
    EXPECT_EQ(board.initPort, 0x37A);
    // Init ran: the initialization byte and the gain for +/-2.5 V reached the board.
    auto writes = ports.Writes();
    EXPECT_NE(std::find(writes.begin(), writes.end(), std::pair<uint16_t, uint16_t>{0x37A, 0x0C}),
              writes.end());
    EXPECT_EQ(writes.back(), (std::pair<uint16_t, uint16_t>{0x303, 2}));

    board.type = kAdNiMSeries;
    board.adRange = 0.625;
    board.initValue = 0xA5;
    board.SaveSettings();
    EXPECT_EQ(profile.GetProfileString("A/D Board", "Line 0"), "National Instruments PCI-6221");
    EXPECT_EQ(profile.GetProfileString("A/D Board", "Line 1"),
              "base=300 [ a/d +/-0.62V, d/a +/-10.00V ]  da0=1.500000  da1=-2.000000  "
              "freq=500.000000");
    EXPECT_EQ(profile.GetProfileString("A/D Board", "Line 2"), "init=1 (port=37A, value=A5)");
}

TEST_F(AdBoard, MalformedSettingsKeepTheDefaults) {
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
    EXPECT_EQ(board.freq, 1000.0);
    EXPECT_EQ(board.initPort, 0x307);

    // A type name not among the nineteen (they are compared exactly) means no board.
    WriteIni("Line 0=Random number generator\r\n");
    board.LoadSettings();
    EXPECT_EQ(board.type, kAdNone);
    double v[1];
    EXPECT_FALSE(board.ReadChannels(0.1, 0, 0, v));
    EXPECT_FALSE(board.ReadBurst(10, 100, 0, 0, v));
    EXPECT_TRUE(board.WriteDigital(0x378, 1));  // nothing to do
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(AdBoard, RefusesChannelsPeriodsRatesAndVoltsOutsideWhatBoardsTake) {
    CAdBoard board;
    board.type = kAdRandom;
    double v[9];
    EXPECT_FALSE(board.ReadChannels(0.1, 3, 1, v));   // n < 0
    EXPECT_FALSE(board.ReadChannels(0.1, 0, 8, v));   // nine channels
    EXPECT_FALSE(board.ReadChannels(0.1, -1, 2, v));  // no channel -1
    EXPECT_FALSE(board.ReadChannels(0.1, 0, 1, nullptr));
    EXPECT_FALSE(board.ReadChannels(0.1, std::numeric_limits<int>::min(), 0, v));
    for (double period : {kNan, kInf, -0.5, 1.0e12})
        EXPECT_FALSE(board.ReadChannels(period, 0, 0, v));
    for (double rate : {kNan, kInf, 0.0, -100.0})
        EXPECT_FALSE(board.ReadBurst(1, rate, 0, 0, v));
    EXPECT_FALSE(board.ReadBurst(0, 100.0, 0, 0, v));
    // 2^31-1 scans of eight channels would be 16 GB: refused before anything is touched.
    EXPECT_FALSE(board.ReadBurst(std::numeric_limits<int>::max(), 100.0, 0, 7, v));
    EXPECT_EQ(clock.waits, 0u);
    EXPECT_EQ(board.freq, 1000.0);

    Configure(board, kAdDas08Aoh, 0x300);
    EXPECT_FALSE(board.SetDA(2, 1.0));
    EXPECT_FALSE(board.SetDA(0, kNan));
    EXPECT_FALSE(board.SetDA(1, kInf));
    EXPECT_FALSE(board.SetADRange(kNan));
    EXPECT_TRUE(ports.log.empty());
    EXPECT_EQ(board.da0, 0.0);
}

TEST_F(AdBoard, TheRefusedMeasurementComputingBoardsSaySoAndReadNothing) {
    for (int id : {kAdPcmDas16, kAdPciDas1602}) {
        prompt.shown.clear();
        CAdBoard board;
        board.type = id;
        board.Init();
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_NE(prompt.LastText().find(board.GetBoardName()), std::string::npos);
        double v[4] = {};
        EXPECT_FALSE(board.ReadChannels(0.1, 0, 3, v));
        // Nothing is read, so the burst does not claim to have filled the buffer.
        EXPECT_FALSE(board.ReadBurst(1, 100, 0, 3, v));
    }
    EXPECT_TRUE(ports.log.empty());
}

TEST_F(AdBoard, BurstPutsTheBoardsOwnPaceBackEvenWhenItFails) {
    CAdBoard board;
    Configure(board, kAdDas08, 0x300);
    board.freq = 250.0;
    ports.levels[0x302] = 0x08;  // pacer ticks, conversions end at once
    double s[4];
    ASSERT_TRUE(board.ReadBurst(2, 2000.0, 0, 1, s));
    EXPECT_EQ(board.freq, 250.0);
    // The pacer was loaded for the burst (62500/2000 = 31) and then for 250/s again.
    std::vector<uint16_t> counter1;
    for (auto [port, value] : ports.Writes())
        if (port == 0x305) counter1.push_back(value);
    EXPECT_EQ(counter1, (std::vector<uint16_t>{31, 0, 250, 0}));

    ports.levels[0x302] = 0x80;  // conversions never end
    EXPECT_FALSE(board.ReadBurst(2, 2000.0, 0, 1, s));
    EXPECT_EQ(board.freq, 250.0);
}

}  // namespace
