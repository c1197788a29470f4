// Register sequences of the port-I/O boards against the scripted register double, and that a
// board which does not answer ends in a message instead of a hang.

#include <gtest/gtest.h>

#include "AdTestSupport.h"
#include "hw/ad/PortBoards.h"

namespace {

class PortBoard : public CAdTest {
  protected:
    CAdBoard board;
};

TEST_F(PortBoard, InitProgramsThe8254PacerOfTheDas08Family) {
    board.base = 0x300;
    board.type = kAdDas08;
    board.Init();
    EXPECT_EQ(
        ports.Writes(),
        (PortWrites{
            {0x307, 0xB4}, {0x306, 0x10}, {0x306, 0x00}, {0x307, 0x74}, {0x305, 62}, {0x305, 0}}));
    // The AO models reset their control register first, then set both outputs and the gain.
    ports.log.clear();
    board.type = kAdDas08Aol;
    board.freq = 0.0;  // clamped to the slowest pace: divisor 65536, loaded as 0
    board.adRange = 1.2;
    board.Init();
    EXPECT_EQ(board.freq, 0.95367431640625);
    EXPECT_EQ(ports.Writes(), (PortWrites{{0x30F, 0x80},
                                          {0x307, 0xB4},
                                          {0x306, 0x10},
                                          {0x306, 0x00},
                                          {0x307, 0x74},
                                          {0x305, 0},
                                          {0x305, 0},
                                          {0x308, 0x00},
                                          {0x309, 0x08},  // D/A 0 at 0 V
                                          {0x310, 0x00},
                                          {0x311, 0x08},  // D/A 1
                                          {0x303, 4}}));  // +/-1.25 V
    EXPECT_EQ(board.adRange, 1.25);
}

TEST_F(PortBoard, Das08ConversionWaitsForThePacerAndTheEndOfConversion) {
    Configure(board, kAdDas08Pga, 0x300);
    ports.levels[0x302] = 0x08;
    ports.queued[0x301] = {0xC0, 0x80};
    ports.queued[0x300] = {0x50, 0x00};
    ports.slowPorts = {0x300};
    double v[1];
    ASSERT_TRUE(board.ReadChannels(0.002, 3, 3, v));
    EXPECT_EQ(ports.Writes(), (PortWrites{{0x303, 8},  // gain for +/-10 V first
                                          {0x302, 3},
                                          {0x301, 0},
                                          {0x302, 8},
                                          {0x302, 3},
                                          {0x301, 0},
                                          {0x302, 8}}));
    // Counts 0xC05 (3077) and 0x800 (2048): mean 2562.5 of 12 bits.
    EXPECT_DOUBLE_EQ(v[0], (2562.5 / 2048.0 - 1.0) * 10.0);
}

TEST_F(PortBoard, Das1602ScansTheChannelRangeAndAveragesInIntegers) {
    Configure(board, kAdDas1602, 0x300);
    ports.levels[0x308] = 0x10;  // converted, not busy
    ports.queued[0x300] = {0x03, 0x00, 0x04, 0x00};
    ports.queued[0x301] = {0x80, 0x00, 0x80, 0x00};
    ports.slowPorts = {0x301};
    double v[2];
    ASSERT_TRUE(board.ReadChannels(0.004, 0, 1, v));
    EXPECT_EQ(ports.Writes(), (PortWrites{{0x302, 0x10},
                                          {0x309, 0xF3},
                                          {0x308, 0},
                                          {0x308, 0},
                                          {0x308, 0},
                                          {0x308, 0},
                                          {0x308, 0},
                                          {0x308, 0},
                                          {0x309, 0}}));
    // 32771 and 32772: the integer mean 32771, not 32771.5.
    EXPECT_DOUBLE_EQ(v[0], (32771.0 / 32768.0 - 1.0) * 10.0);
    EXPECT_DOUBLE_EQ(v[1], -10.0);
}

TEST_F(PortBoard, Dt2801SpeaksItsCommandProtocol) {
    board.type = kAdDt2801;
    board.base = 0x2EC;
    ports.levels[0x2ED] = 0x05;  // ready, input buffer empty, data waiting
    board.Init();
    // STOP, SET CLOCK with 400 periods of 2.5 us for 1000/s; then STOP, WRITE D/A, channel and
    // code for each output.
    EXPECT_EQ(ports.Writes(), (PortWrites{{0x2ED, 0x0F},
                                          {0x2ED, 0x03},
                                          {0x2EC, 0x90},
                                          {0x2EC, 0x01},
                                          {0x2ED, 0x0F},
                                          {0x2ED, 0x08},
                                          {0x2EC, 0},
                                          {0x2EC, 0x00},
                                          {0x2EC, 0x08},
                                          {0x2ED, 0x0F},
                                          {0x2ED, 0x08},
                                          {0x2EC, 1},
                                          {0x2EC, 0x00},
                                          {0x2EC, 0x08}}));
    EXPECT_GE(clock.Ticks(), 1000200u);  // 100 ticks after each D/A write

    ports.log.clear();
    board.adRange = 5.0;
    ports.queued[0x2EC] = {0x99, 0x00, 0x40, 0x00, 0xC0};  // a stale byte, then two values
    ports.slowPorts = {0x2EC};
    double v[2];
    ASSERT_TRUE(board.ReadChannels(0.003, 2, 3, v));
    EXPECT_EQ(ports.Writes(), (PortWrites{{0x2ED, 0x0F},
                                          {0x2ED, 0x0D},
                                          {0x2EC, 1},
                                          {0x2EC, 2},
                                          {0x2EC, 3},
                                          {0x2EC, 10},
                                          {0x2EC, 0},
                                          {0x2ED, 0x2E},
                                          {0x2ED, 0x0F}}));
    // Two's complement: 0x4000 is half of +range, 0xC000 half of -range.
    EXPECT_DOUBLE_EQ(v[0], 2.5);
    EXPECT_DOUBLE_EQ(v[1], -2.5);
}

TEST_F(PortBoard, DaCodesAndGainsOfTheBoards) {
    Configure(board, kAdDas08Aom, 0x300);
    // Full scale is the top code 4095: 4096 would wrap to 0 (-daRange) in 12 bits.
    ASSERT_TRUE(board.SetDA(0, 5.0));
    ASSERT_TRUE(board.SetDA(1, -5.0));
    EXPECT_FALSE(board.SetDA(0, 5.001));
    EXPECT_TRUE(board.SetADRange(0.1));
    EXPECT_EQ(board.adRange, 0.05);
    EXPECT_EQ(
        ports.Writes(),
        (PortWrites{{0x308, 0xFF}, {0x309, 0x0F}, {0x310, 0x00}, {0x311, 0x00}, {0x303, 12}}));
    EXPECT_EQ(board.da0, 5.0);

    Configure(board, kAdDas1602, 0x300);
    ASSERT_TRUE(board.SetDA(1, 0.0));
    EXPECT_TRUE(board.SetADRange(-3.0));  // the size of the range counts
    EXPECT_EQ(ports.Writes(), (PortWrites{{0x306, 0x00}, {0x307, 0x80}, {0x30B, 2}}));

    Configure(board, kAdDt2837, 0x300);
    ports.levels[0x302] = CPortBoardDriver::kDt2837DacReady;
    ASSERT_TRUE(board.SetDA(1, 5.0));
    EXPECT_EQ(ports.Writes(), (PortWrites{{0x316, 1}, {0x310, 0xFFFF}}));

    Configure(board, kAdDas08Aoh, 0x300);
    EXPECT_TRUE(board.SetADRange(0.001));
    EXPECT_EQ(board.adRange, 0.005);
    board.daRange = 0.0;  // no range, no code
    EXPECT_FALSE(board.SetDA(0, 0.0));
    // The digital output is one byte to an I/O address.
    EXPECT_TRUE(board.WriteDigital(board.GetDigitalPort(), 0x15A));
    EXPECT_FALSE(board.WriteDigital(0x10000, 1));
    EXPECT_EQ(ports.Writes(), (PortWrites{{0x303, 6}, {0x30E, 0x5A}}));
}

TEST_F(PortBoard, AnAbsentBoardEndsInAMessageNotAHang) {
    Configure(board, kAdDas08Pga, 0x300);
    ports.levels[0x302] = 0xFF;  // an empty bus: conversion never ends
    double v[1];
    EXPECT_FALSE(board.ReadChannels(1.0, 0, 0, v));
    EXPECT_EQ(prompt.Texts(),
              (std::vector<std::string>{
                  "The Metrabyte/Computer Boards DAS08PGA at base address 300 does not answer "
                  "(no end of conversion).\nCheck that the board is installed and that its base "
                  "address in the A/D Board Setup is right."}));
    EXPECT_LE(clock.Ticks(), 1000000u + 150u);  // a tenth of a second, not the window
    // Further reads fail the same way without piling up message boxes.
    EXPECT_FALSE(board.ReadChannels(1.0, 0, 0, v));
    EXPECT_EQ(prompt.shown.size(), 1u);

    Configure(board, kAdDt2801A, 0x2EC);
    ports.levels[0x2ED] = 0x02;  // input buffer stays full
    EXPECT_FALSE(board.SetDA(0, 1.0));
    EXPECT_NE(prompt.LastText().find("DT2801A at base address 2EC does not answer"),
              std::string::npos);
    EXPECT_EQ(board.da0, 0.0);
}

TEST_F(PortBoard, RefusedPortAccessIsExplainedOnce) {
    ports.refuse = "Direct port access needs root or the CAP_SYS_RAWIO capability.";
    board.type = kAdDas08Aoh;
    board.base = 0x300;
    board.Init();
    EXPECT_EQ(prompt.Texts(),
              (std::vector<std::string>{"The Computer Boards DAS08AOH (base address 300) cannot "
                                        "be used.\nDirect port access needs root or the "
                                        "CAP_SYS_RAWIO capability."}));
    double v[1];
    EXPECT_FALSE(board.ReadChannels(0.5, 0, 0, v));
    EXPECT_FALSE(board.SetDA(0, 1.0));
    EXPECT_EQ(prompt.shown.size(), 1u);
    EXPECT_FALSE(board.WriteDigital(0x378, 1));
    EXPECT_NE(prompt.LastText().find("The digital output port 378 cannot be written."),
              std::string::npos);
    EXPECT_TRUE(ports.log.empty());
}

}  // namespace

TEST_F(PortBoard, GainThresholdsPickTheLargestRangeThatFits) {
    struct SCase {
        int type;
        double requested;
        double range;
        int code;
    };
    const SCase cases[] = {
        {kAdDas08Aoh, 9.0, 10, 8},       {kAdDas08Aoh, 8.9, 5, 0},
        {kAdDas08Aoh, 0.9, 1.0, 10},     {kAdDas08Aoh, 0.45, 0.5, 2},
        {kAdDas08Aoh, 0.0901, 0.1, 12},  {kAdDas08Aoh, 0.0451, 0.05, 4},
        {kAdDas08Aoh, 0.0091, 0.01, 14}, {kAdDas08Pga, 4.5, 5, 0},
        {kAdDas08Pga, 0.44, 0.05, 4},    {kAdDas08Aol, 2.25, 2.5, 2},
        {kAdDas08Aol, 1.0, 0.625, 6},    {kAdDas1602, 1.125, 1.25, 3},
    };
    for (const SCase& c : cases) {
        Configure(board, c.type, 0x300);
        EXPECT_TRUE(board.SetADRange(c.requested));
        EXPECT_EQ(board.adRange, c.range) << c.type << " " << c.requested;
        ASSERT_FALSE(ports.Writes().empty());
        EXPECT_EQ(ports.Writes().back().second, c.code) << c.type << " " << c.requested;
    }
    Configure(board, kAdDt2801, 0x300);
    EXPECT_FALSE(board.SetADRange(4.6));  // snapped, nothing written
    EXPECT_EQ(board.adRange, 5.0);
}
