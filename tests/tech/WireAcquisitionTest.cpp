// CDP acquisitions on the simulated sine board: the settling wait, the stamps, the channel
// layout, references, the reference mark of TakeObservation, and failed reads.

#include <gtest/gtest.h>

#include <cmath>

#include "hw/MsWcmc.h"
#include "obs/SampRulesWire.h"
#include "obs/WireObs.h"
#include "platform/Format.h"
#include "tech/Acquisition.h"
#include "tech/StationTestEnv.h"

namespace {

class WireAcquisitionTest : public CStationTest {};

TEST_F(WireAcquisitionTest, PointWaitsStampsBeforeTheWaitAndReadsTheFourLockIns) {
    CMainFrame& f = Station();
    f.ProbeSystem().SetPosition(1, 2, 3, 4);
    f.SampleSystem().SetPosition(5, 6, 7, 8);
    clock.Advance(123);
    CSampRulesWire rules;
    rules.WaitPeriod = 0.0205;  // waits 20 ms, not 21
    rules.FirstChan = 2;
    const uint64_t start = clock.Ticks();
    const CTimeStamp wall = clock.Now();
    CWireObs obs;
    const CDVector4 reference(0.1, 0.2, 0.3, 0.4);
    ASSERT_TRUE(AcquireWirePoint(&rules, obs, f.AdBoard(), reference));

    EXPECT_EQ(obs.time, wall.seconds);
    EXPECT_EQ(obs.milliseconds, wall.milliseconds);
    EXPECT_EQ(obs.probePosition, CDVector4(1, 2, 3, 4));
    EXPECT_EQ(obs.samplePosition, CDVector4(5, 6, 7, 8));
    EXPECT_EQ(obs.reference, reference);
    for (int i = 0; i < 4; ++i)
        EXPECT_DOUBLE_EQ(obs.reading[i], SineMean(start + 20, 0.5, i, 4)) << i;
    EXPECT_EQ(clock.Ticks(), start + 20 + 500);
}

TEST_F(WireAcquisitionTest, ReferenceReplacesTheCurrentOneAndKeepsTheOldAsItsReference) {
    CMainFrame& f = Station();
    CSampRulesWire rules;  // defaults: 0.02 s wait, 3.0 s reference average
    const uint64_t start = clock.Ticks();
    CDVector4 current(1, 1, 1, 1);
    CWireReference ref;
    ASSERT_TRUE(AcquireWireReference(&rules, ref, f.AdBoard(), current));
    EXPECT_EQ(ref.reference, CDVector4(1, 1, 1, 1));
    EXPECT_DOUBLE_EQ(ref.reading.x, SineMean(start + 20, 3.0, 0, 4));
    EXPECT_EQ(current, ref.reading);
    EXPECT_EQ(clock.Ticks(), start + 3020);
}

TEST_F(WireAcquisitionTest, TakeObservationFollowsTheReferenceMarkAndTheStationReference) {
    CMainFrame& f = Station();
    f.Station().wireReference.reading = CDVector4(0.5, 0, 0, 0);
    CSampRulesWire rules;
    CObsList point = rules.TakeObservation(f.Station());
    ASSERT_EQ(point.size(), 1u);
    ASSERT_NE(dynamic_cast<CWireObs*>(point[0].get()), nullptr);
    EXPECT_EQ(static_cast<CWireObs&>(*point[0]).reference.x, 0.5);

    rules.SamplePeriod = -0.5;
    CObsList ref = rules.TakeObservation(f.Station());
    ASSERT_EQ(ref.size(), 1u);
    ASSERT_NE(dynamic_cast<CWireReference*>(ref[0].get()), nullptr);
    EXPECT_EQ(f.Station().wireReference.reading, static_cast<CWireReference&>(*ref[0]).reading);
}

TEST_F(WireAcquisitionTest, AFailedReadNamesTheBoardAndTheReasonAndChangesNothing) {
    CMainFrame& f = Station("No A/D Board");
    CSampRulesWire rules;
    CWireObs obs;
    EXPECT_FALSE(AcquireWirePoint(&rules, obs, f.AdBoard(), CDVector4()));
    EXPECT_EQ(prompt.LastText(),
              "Reading A/D channels 0 to 3 failed on the A/D board \"No A/D Board\": no A/D board "
              "is set up (System > A/D Board > Setup chooses one).\nNothing was recorded.");

    CMainFrame& sine = Station();
    rules.FirstChan = 6;
    CDVector4 current(7, 7, 7, 7);
    CWireReference ref;
    EXPECT_FALSE(AcquireWireReference(&rules, ref, sine.AdBoard(), current));
    EXPECT_EQ(current, CDVector4(7, 7, 7, 7));
    EXPECT_NE(prompt.LastText().find("channels 6 to 9 cannot be read"), std::string::npos);

    EXPECT_FALSE(AcquireWirePoint(nullptr, obs, sine.AdBoard(), CDVector4()));
    EXPECT_EQ(prompt.LastText(),
              "NULL wire sampling rules - execute Wire::Sampling... Command First");
}

TEST_F(WireAcquisitionTest, OverlongAndNonsenseWaitsNeitherOverflowNorHang) {
    const uint64_t now = clock.Ticks();
    EXPECT_EQ(SettleDeadline(-1.0), now);
    EXPECT_EQ(SettleDeadline(std::nan("")), now);
    EXPECT_EQ(SettleDeadline(1e300), now + 86400000u);
    EXPECT_EQ(SettleDeadline(0.0209), now + 20);
}

}  // namespace
