// Raw A/D acquisitions on the simulated sine board: averages and bursts, interleaved and
// sequential, the stored form of multi-channel bursts, and rules that cannot be read.

#include <gtest/gtest.h>

#include "obs/ObsDoc.h"
#include "obs/RawADObs.h"
#include "obs/SampRulesRawAD.h"
#include "tech/Acquisition.h"
#include "tech/StationTestEnv.h"

namespace {

class RawADAcquisitionTest : public CStationTest {
  protected:
    CSampRulesRawAD Rules(int first, int last, bool average, bool interleave) {
        CSampRulesRawAD r;
        r.FirstChan = first;
        r.LastChan = last;
        r.average = average;
        r.interleave = interleave;
        return r;
    }
};

TEST_F(RawADAcquisitionTest, AveragesOneRunOrOneReadPerChannel) {
    CMainFrame& f = Station();
    CRawADObs obs;
    uint64_t start = clock.Ticks();
    ASSERT_TRUE(AcquireRawAD(Rules(4, 4, true, true), obs, f.AdBoard()));  // the defaults
    ASSERT_EQ(obs.values.size(), 1u);
    EXPECT_DOUBLE_EQ(obs.values[0], SineMean(start + 20, 0.2, 0, 1));
    EXPECT_EQ(obs.rules.FirstChan, 4);

    start = clock.Ticks();
    ASSERT_TRUE(AcquireRawAD(Rules(2, 5, true, false), obs, f.AdBoard()));
    ASSERT_EQ(obs.values.size(), 4u);
    for (int i = 0; i < 4; ++i)  // four reads of 0.2 s one after another
        EXPECT_DOUBLE_EQ(obs.values[i], SineMean(start + 20 + 200 * i, 0.2, 0, 1)) << i;
    EXPECT_EQ(clock.Ticks(), start + 20 + 800);
}

TEST_F(RawADAcquisitionTest, BurstLayoutsInterleavedAndInBlocks) {
    CMainFrame& f = Station();
    CSampRulesRawAD r = Rules(0, 2, false, true);
    r.BurstNum = 5;
    EXPECT_DOUBLE_EQ(Rules(0, 2, false, true).GetNumber(), 3.0);  // 100 samples at 100 Hz x 3
    CRawADObs obs;
    uint64_t start = clock.Ticks() + 20;
    ASSERT_TRUE(AcquireRawAD(r, obs, f.AdBoard()));
    ASSERT_EQ(obs.values.size(), 15u);
    for (int k = 0; k < 15; ++k)  // scan s, channel i at s * 3 + i, sampled in that order
        EXPECT_DOUBLE_EQ(obs.values[k], SineSample(start + k + 1)) << k;

    r.interleave = 0;
    start = clock.Ticks() + 20;
    ASSERT_TRUE(AcquireRawAD(r, obs, f.AdBoard()));
    ASSERT_EQ(obs.values.size(), 15u);
    for (int k = 0; k < 15; ++k)  // one block of five per channel
        EXPECT_DOUBLE_EQ(obs.values[k], SineSample(start + k + 1)) << k;
}

TEST_F(RawADAcquisitionTest, AMultiChannelBurstIsStoredAsOneObservationPerChannel) {
    CMainFrame& f = Station();
    CSampRulesRawAD r = Rules(1, 3, false, true);
    r.BurstNum = 4;
    auto obs = std::make_unique<CRawADObs>();
    obs->index = 7;
    ASSERT_TRUE(AcquireRawAD(r, *obs, f.AdBoard()));
    const std::vector<double> all = obs->values;
    auto parts = SplitForStorage(std::move(obs));
    ASSERT_EQ(parts.size(), 3u);

    CObsDoc doc;
    for (auto& p : parts)
        doc.AddObs(std::move(p));
    CObsDoc back;
    ASSERT_EQ(back.LoadFromBytes(doc.SaveToBytes()), EArchiveError::None);
    ASSERT_EQ(back.GetObsCount(), 3u);
    for (int i = 0; i < 3; ++i) {
        const auto& one = static_cast<const CRawADObs&>(*back.GetObsAt(i));
        EXPECT_EQ(one.rules.FirstChan, 1 + i);
        EXPECT_EQ(one.rules.LastChan, 1 + i);
        EXPECT_EQ(one.index, 7);
        ASSERT_EQ(one.values.size(), 4u);
        for (int s = 0; s < 4; ++s)
            EXPECT_EQ(one.values[s], all[s * 3 + i]) << i << "," << s;
    }

    // Sequential blocks come apart the same way; averages stay whole.
    r.interleave = 0;
    obs = std::make_unique<CRawADObs>();
    ASSERT_TRUE(AcquireRawAD(r, *obs, f.AdBoard()));
    const std::vector<double> blocks = obs->values;
    parts = SplitForStorage(std::move(obs));
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[2]->values, std::vector<double>(blocks.begin() + 8, blocks.end()));
    obs = std::make_unique<CRawADObs>();
    ASSERT_TRUE(AcquireRawAD(Rules(1, 3, true, true), *obs, f.AdBoard()));
    EXPECT_EQ(SplitForStorage(std::move(obs)).size(), 1u);
}

TEST_F(RawADAcquisitionTest, StoredRulesTakeABurstAlreadySplitPerChannel) {
    CMainFrame& f = Station();
    // As a watch window or a scan takes it: through the rules and the station.
    CSampRulesRawAD r = Rules(2, 3, false, false);
    r.BurstNum = 6;
    CObsList taken = r.TakeObservation(f.Station());
    ASSERT_EQ(taken.size(), 2u);
    CObsDoc doc;
    for (auto& one : taken)
        doc.AddObs(std::move(one));
    CObsDoc back;
    ASSERT_EQ(back.LoadFromBytes(doc.SaveToBytes()), EArchiveError::None);
    ASSERT_EQ(back.GetObsCount(), 2u);
    for (int i = 0; i < 2; ++i) {
        const auto& one = static_cast<const CRawADObs&>(*back.GetObsAt(i));
        EXPECT_EQ(one.rules.FirstChan, 2 + i);
        EXPECT_EQ(one.values.size(), 6u);  // every sample of the channel survives the file
    }
    // Averages stay one observation; a failed read takes nothing.
    EXPECT_EQ(Rules(0, 3, true, true).TakeObservation(f.Station()).size(), 1u);
    Station("No A/D Board");
    EXPECT_TRUE(r.TakeObservation(frame->Station()).empty());
}

TEST_F(RawADAcquisitionTest, RulesThatCannotBeReadAreRefusedBeforeAnyWait) {
    CMainFrame& f = Station();
    CRawADObs obs;
    const uint64_t waits = clock.waits;
    EXPECT_FALSE(AcquireRawAD(Rules(5, 4, true, true), obs, f.AdBoard()));
    EXPECT_EQ(prompt.LastText(),
              "Raw A/D sampling rules for channels 5 to 4 hold no channel: the last channel must "
              "not be below the first.");
    CSampRulesRawAD huge = Rules(0, 7, false, true);
    huge.BurstNum = 2000000000;  // 16 billion values: never allocated
    EXPECT_FALSE(AcquireRawAD(huge, obs, f.AdBoard()));
    EXPECT_EQ(prompt.LastText(),
              "Cannot allocate buffer for burst raw A/D values - aborting observation.");
    EXPECT_EQ(clock.waits, waits);

    CSampRulesRawAD zeroRate = Rules(0, 0, false, true);
    zeroRate.BurstFreq = 0.0;
    EXPECT_FALSE(AcquireRawAD(zeroRate, obs, f.AdBoard()));
    EXPECT_NE(prompt.LastText().find("a burst rate of 0 samples/sec cannot be used"),
              std::string::npos);
    EXPECT_TRUE(obs.values.empty());
}

}  // namespace
