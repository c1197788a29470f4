// The simulated boards are what users train with and what every other subsystem's tests
// measure with: their output is fixed to the value under the simulated clock (tick 1000000,
// wall time 1196856000 s, which is also the generator's seed).

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "AdTestSupport.h"
#include "hw/ad/SimulatedBoards.h"

namespace {

class SimulatedBoard : public CAdTest {};

TEST_F(SimulatedBoard, GeneratorIsTheClassicLinearCongruentialOne) {
    CAdLcg lcg(1196856000u);
    const int expected[] = {24925, 208, 5133, 5893, 25537, 6551};
    for (int value : expected)
        EXPECT_EQ(lcg.Next(), value);
    CAdLcg zero(0);
    EXPECT_EQ(zero.Next(), 38);  // (2531011 >> 16) & 0x7FFF
}

TEST_F(SimulatedBoard, RandomAveragesOneDrawPerTickPerChannel) {
    CAdBoard board;
    board.type = kAdRandom;
    double v[2] = {99, 99};
    const uint64_t start = clock.Ticks();
    ASSERT_TRUE(board.ReadChannels(0.005, 0, 1, v));
    EXPECT_EQ(clock.Ticks() - start, 5u);
    EXPECT_DOUBLE_EQ(v[0], -1.9444563127536851);
    EXPECT_DOUBLE_EQ(v[1], -3.2672505874813074);
}

TEST_F(SimulatedBoard, RandomStaysInRangeAndNearZeroOverLongWindows) {
    CAdBoard board;
    board.type = kAdRandom;
    board.adRange = 2.0;
    double v[8];
    ASSERT_TRUE(board.ReadChannels(20.0, 0, 7, v));
    for (double x : v) {
        EXPECT_LE(std::fabs(x), 2.0);
        EXPECT_LT(std::fabs(x), 0.1);
    }
    ASSERT_TRUE(board.ReadChannels(0.001, 4, 4, v));
    EXPECT_LE(std::fabs(v[0]), 2.0);
}

TEST_F(SimulatedBoard, RandomWithAnEmptyWindowFails) {
    CAdBoard board;
    board.type = kAdRandom;
    double v[1];
    EXPECT_FALSE(board.ReadChannels(0.0, 0, 0, v));
    EXPECT_FALSE(board.ReadChannels(0.0009, 0, 0, v));  // truncates to no tick at all
}

TEST_F(SimulatedBoard, RandomBurstIsSpreadOverTheRangeWithoutWaiting) {
    CAdBoard board;
    board.type = kAdRandom;
    board.adRange = 2.5;
    double s[4];
    const uint64_t start = clock.Ticks();
    ASSERT_TRUE(board.ReadBurst(2, 500.0, 3, 4, s));
    EXPECT_EQ(clock.Ticks(), start);
    EXPECT_DOUBLE_EQ(s[0], 1.3033692434461503);
    EXPECT_DOUBLE_EQ(s[1], -2.468260750144963);
    EXPECT_DOUBLE_EQ(s[2], -1.7167424542985321);
    EXPECT_DOUBLE_EQ(s[3], -1.6007721182897428);
    EXPECT_DOUBLE_EQ(board.freq, 1000.0);  // the board's own pace is back
}

TEST_F(SimulatedBoard, SineReadsEachChannelInItsOwnSliceOfTheWindow) {
    CAdBoard board;
    board.type = kAdSine;
    double v[4];
    ASSERT_TRUE(board.ReadChannels(1.0, 2, 5, v));
    EXPECT_EQ(clock.Ticks(), 1001000u);
    EXPECT_DOUBLE_EQ(v[0], 8.6834375);
    EXPECT_DOUBLE_EQ(v[1], 8.804492187500001);
    EXPECT_DOUBLE_EQ(v[2], 8.92017578125);
    EXPECT_DOUBLE_EQ(v[3], 9.0302734375);
}

TEST_F(SimulatedBoard, SineSlicesTruncateToWholeTicks) {
    CAdBoard board;
    board.type = kAdSine;
    double v[2];
    // Slices end at 1.5 -> 1 and 3 ticks: one sample, then two; both quantised to 1766/2048.
    ASSERT_TRUE(board.ReadChannels(0.003, 0, 1, v));
    EXPECT_DOUBLE_EQ(v[0], 8.623046875);
    EXPECT_DOUBLE_EQ(v[1], 8.623046875);
}

TEST_F(SimulatedBoard, SineWithAnEmptyWindowSucceedsWithZeros) {
    CAdBoard board;
    board.type = kAdSine;
    double v[3] = {5, 5, 5};
    EXPECT_TRUE(board.ReadChannels(0.0, 0, 2, v));
    EXPECT_EQ(v[0], 0.0);
    EXPECT_EQ(v[2], 0.0);
    EXPECT_EQ(clock.waits, 0u);
}

TEST_F(SimulatedBoard, SineBurstSamplesTheCosineEveryTickUnquantised) {
    CAdBoard board;
    board.type = kAdSine;
    board.adRange = 3.0;
    double s[3];
    ASSERT_TRUE(board.ReadBurst(3, 100.0, 0, 0, s));
    EXPECT_DOUBLE_EQ(s[0], 2.5871085136203535);
    EXPECT_DOUBLE_EQ(s[1], 2.5872603845065703);
    EXPECT_DOUBLE_EQ(s[2], 2.587412229520183);
}

TEST_F(SimulatedBoard, OutputsOfTheSimulatedBoards) {
    CAdBoard board;
    board.type = kAdSine;
    EXPECT_TRUE(board.SetDA(0, 1.5));
    EXPECT_EQ(board.da0, 0.0);  // accepted, nothing stored
    EXPECT_TRUE(board.WriteDigital(board.GetDigitalPort(), 0xFF));
    EXPECT_TRUE(ports.log.empty());
    board.type = kAdRandom;
    EXPECT_FALSE(board.SetDA(0, 1.5));
    EXPECT_FALSE(board.HasDA());
}

}  // namespace
