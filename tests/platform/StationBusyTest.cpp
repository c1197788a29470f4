#include "platform/StationBusy.h"

#include <gtest/gtest.h>

#include "platform/MessageOnce.h"
#include "support/TestEnv.h"

namespace {
class StationBusyTest : public CVelmTest {};
}  // namespace

TEST_F(StationBusyTest, BusyWhileAScopeIsHeldOrTheClockWaits) {
    EXPECT_FALSE(CStationBusy::IsBusy());
    {
        CStationBusy::CScope scan;
        EXPECT_TRUE(CStationBusy::IsBusy());
        {
            CStationBusy::CScope acquisition;  // an acquisition inside a scan step
            EXPECT_TRUE(CStationBusy::IsBusy());
        }
        EXPECT_TRUE(CStationBusy::IsBusy());
        EXPECT_FALSE(CStationBusy::ClockWaiting());
    }
    EXPECT_FALSE(CStationBusy::IsBusy());

    // What the clock runs while it waits (the GUI's repaints and timers) finds it busy.
    bool busyInWait = false, waitingInWait = false;
    clock.SetIdleHook([&] {
        busyInWait = CStationBusy::IsBusy();
        waitingInWait = CStationBusy::ClockWaiting();
    });
    clock.WaitTicks(10);
    clock.SetIdleHook(nullptr);
    EXPECT_TRUE(busyInWait);
    EXPECT_TRUE(waitingInWait);
    EXPECT_FALSE(CStationBusy::IsBusy());
}

TEST_F(StationBusyTest, OneMessagePerCauseUntilItChanges) {
    CMessageOnce failures;
    EXPECT_TRUE(failures.Show("Channel 4 cannot be read.", EPromptIcon::Stop, "Tracker"));
    EXPECT_FALSE(failures.Show("Channel 4 cannot be read.", EPromptIcon::Stop, "Tracker"));
    EXPECT_FALSE(failures.Show("Channel 4 cannot be read."));
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].caption, "Tracker");
    EXPECT_EQ(prompt.shown[0].icon, EPromptIcon::Stop);
    // Another cause is news, and so is the first one once it has come back.
    EXPECT_TRUE(failures.Show("The D/A output is refused."));
    EXPECT_TRUE(failures.Show("Channel 4 cannot be read."));
    failures.Clear();
    EXPECT_TRUE(failures.Show("Channel 4 cannot be read."));
    EXPECT_EQ(prompt.shown.size(), 4u);

    // Attempts: success without a report ends the cause; success after a report does not
    // (a library that reports an error and still says "done").
    CMessageOnce library;
    library.BeginAttempt();
    library.Show("NI DAQ error code -10608.");
    library.EndAttempt(true);
    library.BeginAttempt();
    library.Show("NI DAQ error code -10608.");
    library.EndAttempt(false);
    EXPECT_EQ(prompt.shown.size(), 5u);
    library.BeginAttempt();
    library.EndAttempt(true);
    library.Show("NI DAQ error code -10608.");
    EXPECT_EQ(prompt.shown.size(), 6u);
}
