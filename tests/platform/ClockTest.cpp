#include <gtest/gtest.h>

#include <chrono>

#include "platform/Clock.h"

TEST(SimClock, WaitingAdvancesTicksAndWallTimeTogether) {
    CSimClock clock(500, {1000, 900});
    EXPECT_EQ(clock.Ticks(), 500u);
    clock.WaitTicks(250);
    EXPECT_EQ(clock.Ticks(), 750u);
    CTimeStamp now = clock.Now();
    EXPECT_EQ(now.seconds, 1001);
    EXPECT_EQ(now.milliseconds, 150);
    // A deadline in the past returns at once without moving time back.
    clock.WaitUntil(100);
    EXPECT_EQ(clock.Ticks(), 750u);
    EXPECT_EQ(clock.waits, 2u);
}

TEST(SimClock, PollingAdvancesOnlyWhenAsked) {
    CSimClock clock(0);
    EXPECT_EQ(clock.Ticks(), 0u);
    EXPECT_EQ(clock.Ticks(), 0u);
    clock.advancePerTicksCall = 1;
    uint64_t polls = 0;
    while (clock.Ticks() < 10)
        ++polls;
    EXPECT_EQ(polls, 10u);
}

TEST(SimClock, IdleHookRunsDuringWaitsButNeverRecurses) {
    CSimClock clock(0);
    int calls = 0;
    clock.SetIdleHook([&] {
        ++calls;
        clock.WaitTicks(1);  // a hook that waits itself must not re-enter
    });
    clock.WaitTicks(5);
    EXPECT_EQ(calls, 1);
}

TEST(RealClock, WaitEndsOnTheDeadlineNotLongAfter) {
    CRealClock clock;
    uint64_t start = clock.Ticks();
    clock.WaitTicks(30);
    uint64_t end = clock.Ticks();
    EXPECT_GE(end - start, 30u);
    EXPECT_LT(end - start, 200u);  // generous: shared CI machines
}

TEST(RealClock, IdleHookGetsTurnsDuringALongWait) {
    CRealClock clock;
    int calls = 0;
    clock.SetIdleHook([&] { ++calls; });
    clock.WaitTicks(120);
    EXPECT_GE(calls, 2);
}

TEST(ClockFormat, LocalTimeFormatting) {
    // Tests run with TZ=UTC.
    EXPECT_EQ(CClock::FormatLocal(1196856000, "%m/%d/%y %H:%M:%S"), "12/05/07 12:00:00");
    std::tm tm = CClock::LocalTime(0);
    EXPECT_EQ(tm.tm_year, 70);
}
