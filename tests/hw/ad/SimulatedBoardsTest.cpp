// The simulated boards are what users train with and what other subsystems' tests measure
// with: their output is fixed to the value under the simulated clock (tick 1000000, wall time
// 1196856000 s, which is also the generator's seed).

#include <gtest/gtest.h>

#include <cmath>

#include "AdTestSupport.h"
#include "hw/ad/SimulatedBoards.h"

namespace {

class SimulatedBoard : public CAdTest {
  protected:
    void SetUp() override { board.type = kAdRandom; }
    CAdBoard board;
};

TEST_F(SimulatedBoard, RandomAveragesOneDrawPerTickPerChannel) {
    CAdLcg lcg(0);
    EXPECT_EQ(lcg.Next(), 38);  // (2531011 >> 16) & 0x7FFF
    double v[2];
    ASSERT_TRUE(board.ReadChannels(0.005, 0, 1, v));
    EXPECT_EQ(clock.Ticks(), 1000005u);
    EXPECT_DOUBLE_EQ(v[0], -1.9444563127536851);
    EXPECT_DOUBLE_EQ(v[1], -3.2672505874813074);
    // An empty window (also one that truncates to no tick) reads nothing.
    EXPECT_FALSE(board.ReadChannels(0.0, 0, 0, v));
    EXPECT_FALSE(board.ReadChannels(0.0009, 0, 0, v));
}

TEST_F(SimulatedBoard, RandomStaysInRangeAndNearZeroOverLongWindows) {
    board.adRange = 2.0;
    double v[8];
    ASSERT_TRUE(board.ReadChannels(20.0, 0, 7, v));
    for (double x : v)
        EXPECT_LT(std::fabs(x), 0.1);
}

TEST_F(SimulatedBoard, RandomBurstIsSpreadOverTheRangeWithoutWaiting) {
    board.adRange = 2.5;
    double s[4];
    ASSERT_TRUE(board.ReadBurst(2, 500.0, 3, 4, s));
    EXPECT_EQ(clock.Ticks(), 1000000u);
    EXPECT_DOUBLE_EQ(s[0], 1.3033692434461503);
    EXPECT_DOUBLE_EQ(s[1], -2.468260750144963);
    EXPECT_DOUBLE_EQ(s[3], -1.6007721182897428);
    EXPECT_DOUBLE_EQ(board.freq, 1000.0);  // the board's own pace is back
}

TEST_F(SimulatedBoard, SineReadsEachChannelInItsOwnSliceOfTheWindow) {
    board.type = kAdSine;
    double v[4];
    ASSERT_TRUE(board.ReadChannels(1.0, 2, 5, v));
    EXPECT_EQ(clock.Ticks(), 1001000u);
    EXPECT_DOUBLE_EQ(v[0], 8.6834375);
    EXPECT_DOUBLE_EQ(v[1], 8.804492187500001);
    EXPECT_DOUBLE_EQ(v[3], 9.0302734375);
}

TEST_F(SimulatedBoard, SineSlicesTruncateToWholeTicks) {
    board.type = kAdSine;
    double v[3];
    // Slices end at 1.5 -> 1 and 3 ticks: one sample, then two, quantised to 1766/2048.
    ASSERT_TRUE(board.ReadChannels(0.003, 0, 1, v));
    EXPECT_DOUBLE_EQ(v[0], 8.623046875);
    EXPECT_DOUBLE_EQ(v[1], 8.623046875);
    // With no window every slice ends at once: no samples, zeros, and still a success.
    const uint64_t waits = clock.waits;
    EXPECT_TRUE(board.ReadChannels(0.0, 0, 2, v));
    EXPECT_EQ(v[0], 0.0);
    EXPECT_EQ(v[2], 0.0);
    EXPECT_EQ(clock.waits, waits);
}

TEST_F(SimulatedBoard, SineBurstSamplesTheCosineEveryTickUnquantised) {
    board.type = kAdSine;
    board.adRange = 3.0;
    double s[3];
    ASSERT_TRUE(board.ReadBurst(3, 100.0, 0, 0, s));
    EXPECT_DOUBLE_EQ(s[0], 2.5871085136203535);
    EXPECT_DOUBLE_EQ(s[2], 2.587412229520183);
    // Its D/A is accepted and ignored; the random board has none.
    EXPECT_TRUE(board.SetDA(0, 1.5));
    EXPECT_EQ(board.da0, 0.0);
    board.type = kAdRandom;
    EXPECT_FALSE(board.SetDA(0, 1.5));
    EXPECT_TRUE(ports.log.empty());
}

}  // namespace
