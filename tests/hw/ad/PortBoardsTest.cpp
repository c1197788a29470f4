// Register sequences of the port-I/O boards against the scripted register double: what the
// board must see for its pacer, a conversion, a scan and a D/A code, and that a board which
// does not answer ends in a message instead of a hang.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "hw/ad/PortBoards.h"

#include "AdTestSupport.h"

namespace {

class PortBoard : public CAdTest {};

TEST_F(PortBoard, InitProgramsThe8254PacerOfTheDas08Family) {
    CAdBoard board;
    board.type = kAdDas08;
    board.base = 0x300;
    board.Init();
    EXPECT_EQ(ports.Writes(), (PortWrites{{0x307, 0xB4},
                                          {0x306, 0x10},
                                          {0x306, 0x00},
                                          {0x307, 0x74},
                                          {0x305, 62},  // 62500 / 1000
                                          {0x305, 0}}));

    // The AO models first reset their control register, then set both outputs and the gain.
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
                                          {0x308, 0x00},  // D/A 0 at 0 V: code 2048
                                          {0x309, 0x08},
                                          {0x310, 0x00},  // D/A 1
                                          {0x311, 0x08},
                                          {0x303, 4}}));  // +/-1.25 V
    EXPECT_EQ(board.adRange, 1.25);

    board.freq = 1.0e9;
    board.Init();
    EXPECT_EQ(board.freq, 62500.0);
}

TEST_F(PortBoard, Das08ConversionWaitsForThePacerAndTheEndOfConversion) {
    CAdBoard board;
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

TEST_F(PortBoard, FreeRunningDas08WaitsTicksInsteadOfThePacer) {
    CAdBoard board;
    Configure(board, kAdDas08PgaFreeRun, 0x300);
    ports.levels[0x302] = 0x00;  // the pacer bit never comes: it is not waited for
    double v[2];
    ASSERT_TRUE(board.ReadChannels(0.006, 0, 1, v));
    // Each sweep: two ticks, then two ticks after each channel = 6 ticks for one sweep.
    EXPECT_EQ(ports.Writes(),
              (PortWrites{{0x303, 8}, {0x302, 0}, {0x301, 0}, {0x302, 1}, {0x301, 0}}));
    EXPECT_DOUBLE_EQ(v[0], -10.0);

    // Its burst sets the channel range once and starts conversions through +0.
    ports.log.clear();
    ports.queued[0x301] = {0xFF};
    ports.queued[0x300] = {0xF0, 0x00, 0x00, 0x00};
    double s[2];
    ASSERT_TRUE(board.ReadBurst(1, 100.0, 2, 3, s));
    PortWrites burst;
    for (auto w : ports.Writes())
        if (w.first == 0x300 || w.first == 0x302) burst.push_back(w);
    EXPECT_EQ(burst, (PortWrites{{0x302, 0x32}, {0x300, 0}, {0x300, 0}}));
    EXPECT_DOUBLE_EQ(s[0], (0xFFF0 / 32768.0 - 1.0) * 10.0);
}

TEST_F(PortBoard, Das1602ScansTheChannelRangeAndAveragesInIntegers) {
    CAdBoard board;
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

TEST_F(PortBoard, Das1602InitSetsPacerAndOutputs) {
    CAdBoard board;
    board.type = kAdDas1602;
    board.base = 0x300;
    ports.levels[0x707] = 0x01;  // 10 MHz clock
    board.freq = 1.0;            // below 10 MHz / 65536: clamped
    board.Init();
    EXPECT_DOUBLE_EQ(board.freq, 10.0e6 / 65536.0);
    auto writes = ports.Writes();
    ASSERT_GE(writes.size(), 3u);
    EXPECT_EQ(writes[0], std::make_pair(uint16_t{0x706}, uint16_t{0}));
    EXPECT_EQ(writes[1], std::make_pair(uint16_t{0x705}, uint16_t{0}));
    EXPECT_EQ(writes[2], std::make_pair(uint16_t{0x704}, uint16_t{0}));
    auto has = [&](uint16_t port, uint16_t value) {
        return std::find(writes.begin(), writes.end(), std::make_pair(port, value)) != writes.end();
    };
    EXPECT_TRUE(has(0x703, 0x81));
    EXPECT_TRUE(has(0x30B, 0));  // gain for +/-10 V
    // Counter 2 gets 65536 / 2 = 32768 after counter 1 halves the clock.
    EXPECT_TRUE(has(0x30E, 0x00) && has(0x30E, 0x80));
}

TEST_F(PortBoard, Dt2801SpeaksItsCommandProtocol) {
    CAdBoard board;
    board.type = kAdDt2801;
    board.base = 0x2EC;
    ports.levels[0x2ED] = 0x05;  // ready, input buffer empty, data waiting
    board.Init();
    // STOP, then SET CLOCK with 400 periods of 2.5 us for 1000/s.
    EXPECT_EQ(ports.Writes(), (PortWrites{{0x2ED, 0x0F},
                                          {0x2ED, 0x03},
                                          {0x2EC, 0x90},
                                          {0x2EC, 0x01},
                                          // D/A 0 and 1 at 0 V: STOP, WRITE D/A, channel, code
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
    EXPECT_GE(clock.waits, 2u);  // 100 ticks after each D/A write

    ports.log.clear();
    board.adRange = 5.0;
    ports.queued[0x2EC] = {0x99, 0x00, 0x40, 0x00, 0xC0};  // a stale byte, then two values
    ports.slowPorts = {0x2EC};
    double v[2];
    ASSERT_TRUE(board.ReadChannels(0.003, 2, 3, v));
    EXPECT_EQ(ports.Writes(), (PortWrites{{0x2ED, 0x0F},
                                          {0x2ED, 0x0D},
                                          {0x2EC, 1},  // gain for +/-5 V
                                          {0x2EC, 2},
                                          {0x2EC, 3},
                                          {0x2EC, 10},
                                          {0x2EC, 0},
                                          {0x2ED, 0x2E},
                                          {0x2ED, 0x0F}}));
    // Two's complement: 0x4000 is half of +range, 0xC000 half of -range.
    EXPECT_DOUBLE_EQ(v[0], 2.5);
    EXPECT_DOUBLE_EQ(v[1], -2.5);

    // Its range snaps without touching the board, and says the gain was not set.
    ports.log.clear();
    EXPECT_FALSE(board.SetADRange(3.0));
    EXPECT_EQ(board.adRange, 2.5);
    EXPECT_TRUE(ports.log.empty());
}

TEST_F(PortBoard, DaCodesOfTheBoardsWithOutputs) {
    CAdBoard board;
    Configure(board, kAdDas08Aom, 0x300);
    // Full scale is the top code 4095: 4096 would wrap to 0 (-daRange) in 12 bits.
    ASSERT_TRUE(board.SetDA(0, 5.0));
    ASSERT_TRUE(board.SetDA(1, -5.0));
    ASSERT_TRUE(board.SetDA(0, 2.5));
    EXPECT_EQ(ports.Writes(), (PortWrites{{0x308, 0xFF},
                                          {0x309, 0x0F},
                                          {0x310, 0x00},
                                          {0x311, 0x00},
                                          {0x308, 0x00},  // 3072
                                          {0x309, 0x0C}}));
    EXPECT_EQ(board.da0, 2.5);
    EXPECT_EQ(board.da1, -5.0);
    ports.log.clear();
    EXPECT_FALSE(board.SetDA(0, 5.001));
    EXPECT_FALSE(board.SetDA(1, -6.0));
    board.daRange = 0.0;
    EXPECT_FALSE(board.SetDA(0, 0.0));
    EXPECT_TRUE(ports.log.empty());
    EXPECT_EQ(board.da0, 2.5);

    board.daRange = 5.0;
    Configure(board, kAdDas1602, 0x300);
    ASSERT_TRUE(board.SetDA(1, 0.0));
    EXPECT_EQ(ports.Writes(), (PortWrites{{0x306, 0x00}, {0x307, 0x80}}));

    Configure(board, kAdDt2837, 0x300);
    ports.levels[0x302] = CPortBoardDriver::kDt2837DacReady;
    ASSERT_TRUE(board.SetDA(1, 5.0));
    EXPECT_EQ(ports.Writes(), (PortWrites{{0x316, 1}, {0x310, 0xFFFF}}));

    Configure(board, kAdDas08Pga, 0x300);
    EXPECT_FALSE(board.SetDA(0, 0.0));  // no D/A on this board
    EXPECT_TRUE(ports.log.empty());
}

struct SRangeCase {
    int type;
    double request;
    double range;
    int code;
};

TEST_F(PortBoard, GainTablesPickTheRangeAndCode) {
    const SRangeCase cases[] = {
        {kAdDas08Pga, 9.0, 10, 8},         {kAdDas08Pga, 8.99, 5, 0},
        {kAdDas08Pga, 0.45, 0.5, 2},       {kAdDas08Pga, 0.05, 0.05, 4},
        {kAdDas08Pga, 0.04, 0.01, 6},      {kAdDas08Aol, 2.25, 2.5, 2},
        {kAdDas08Aol, 1.2, 1.25, 4},       {kAdDas08Aol, 1.0, 0.625, 6},
        {kAdDas08Aom, 0.5, 0.5, 10},       {kAdDas08Aom, 0.1, 0.05, 12},
        {kAdDas08Aom, 0.02, 0.01, 14},     {kAdDas08Aoh, 0.95, 1.0, 10},
        {kAdDas08Aoh, 0.3, 0.1, 12},       {kAdDas08Aoh, 0.01, 0.01, 14},
        {kAdDas08Aoh, 0.001, 0.005, 6},    {kAdDas08Aoh, -5.0, 5, 0},
        {kAdDas08PgaFreeRun, 0.5, 0.5, 2},
    };
    for (const auto& c : cases) {
        CAdBoard board;
        Configure(board, c.type, 0x300);
        EXPECT_TRUE(board.SetADRange(c.request));
        EXPECT_DOUBLE_EQ(board.adRange, c.range) << c.type << " " << c.request;
        EXPECT_EQ(ports.Writes(), (PortWrites{{0x303, c.code}})) << c.type << " " << c.request;
    }
    CAdBoard board;
    Configure(board, kAdDas1602, 0x300);
    EXPECT_TRUE(board.SetADRange(3.0));
    EXPECT_EQ(board.adRange, 2.5);
    EXPECT_EQ(ports.Writes(), (PortWrites{{0x30B, 2}}));
    Configure(board, kAdDas08, 0x300);
    board.adRange = 3.0;
    EXPECT_FALSE(board.SetADRange(1.0));  // no gain on the plain DAS08
    EXPECT_EQ(board.adRange, 3.0);
    EXPECT_TRUE(ports.log.empty());
}

TEST_F(PortBoard, AnAbsentBoardEndsInAMessageNotAHang) {
    CAdBoard board;
    Configure(board, kAdDas08Pga, 0x300);
    ports.levels[0x302] = 0xFF;  // an empty bus: conversion never ends
    double v[1];
    EXPECT_FALSE(board.ReadChannels(1.0, 0, 0, v));
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.LastText(),
              "The Metrabyte/Computer Boards DAS08PGA at base address 300 does not answer (no end "
              "of conversion).\nCheck that the board is installed and that its base address in "
              "the A/D Board Setup is right.");
    // The bound is short: a tenth of a second, not the whole window.
    EXPECT_LE(clock.Ticks(), 1000000u + 150u);
    // Every further read fails the same way without piling up message boxes.
    EXPECT_FALSE(board.ReadChannels(1.0, 0, 0, v));
    EXPECT_EQ(prompt.shown.size(), 1u);

    ports.levels[0x302] = 0x00;  // no pacer tick
    EXPECT_FALSE(board.ReadChannels(1.0, 0, 0, v));
    EXPECT_NE(prompt.LastText().find("(no pacer tick)"), std::string::npos);

    Configure(board, kAdDt2801A, 0x2EC);
    ports.levels[0x2ED] = 0x02;  // input buffer stays full
    EXPECT_FALSE(board.SetDA(0, 1.0));
    EXPECT_NE(prompt.LastText().find("Data Translation DT2801A at base address 2EC"),
              std::string::npos);
    EXPECT_EQ(board.da0, 0.0);
}

TEST_F(PortBoard, RefusedPortAccessIsExplainedOnce) {
    ports.refuse = "Direct port access needs root or the CAP_SYS_RAWIO capability.";
    CAdBoard board;
    board.type = kAdDas08Aoh;
    board.base = 0x300;
    board.Init();
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.LastText(),
              "The Computer Boards DAS08AOH (base address 300) cannot be used.\nDirect port "
              "access needs root or the CAP_SYS_RAWIO capability.");
    double v[1];
    EXPECT_FALSE(board.ReadChannels(0.5, 0, 0, v));
    EXPECT_FALSE(board.SetDA(0, 1.0));
    EXPECT_EQ(prompt.shown.size(), 1u);
    EXPECT_TRUE(ports.log.empty());
    // The initialization byte and the digital port say which port they could not reach.
    EXPECT_FALSE(board.WriteDigital(0x378, 1));
    EXPECT_NE(prompt.LastText().find("The digital output port 378 cannot be written."),
              std::string::npos);
}

TEST_F(PortBoard, DigitalOutputAndInitializationByte) {
    CAdBoard board;
    board.type = kAdLabMaster;
    board.initOn = 1;
    board.initPort = 0x37A;
    board.initValue = 0x1C5;  // one byte is written
    board.Init();
    EXPECT_EQ(ports.Writes(), (PortWrites{{0x37A, 0xC5}}));
    ports.log.clear();
    EXPECT_TRUE(board.WriteDigital(board.GetDigitalPort(), 0x5A));
    EXPECT_FALSE(board.WriteDigital(0x10000, 1));
    EXPECT_FALSE(board.WriteDigital(-1, 1));
    EXPECT_EQ(ports.Writes(), (PortWrites{{0x378, 0x5A}}));
}

TEST_F(PortBoard, LabMasterWaitsATickPerSweep) {
    CAdBoard board;
    Configure(board, kAdLabMaster, 0x300);
    ports.levels[0x304] = 0x80;
    ports.queued[0x306] = {0x00, 0xFF};
    ports.queued[0x307] = {0x08, 0x0F};
    double v[1];
    ASSERT_TRUE(board.ReadChannels(0.002, 5, 5, v));
    EXPECT_EQ(ports.Writes(), (PortWrites{{0x305, 5}, {0x306, 0}, {0x305, 5}, {0x306, 0}}));
    EXPECT_DOUBLE_EQ(v[0], ((0x800 + 0xFFF) / 2.0 / 2048.0 - 1.0) * 10.0);
}

}  // namespace
