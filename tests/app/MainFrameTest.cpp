#include <gtest/gtest.h>

#include "app/MainFrame.h"
#include "hw/AdBoard.h"
#include "hw/MsWcmc.h"
#include "obs/LogEntry.h"
#include "support/TestEnv.h"

namespace {
class MainFrameTest : public CVelmTest {};
}  // namespace

TEST_F(MainFrameTest, OwnsTheHardwareBuiltFromSettingsAndStampsStagePositions) {
    profile.WriteProfileString("A/D Board", "Line 0", "Random Number Generator");
    {
        CMainFrame frame;
        EXPECT_EQ(TheMainFrame(), &frame);
        EXPECT_EQ(frame.AdBoard().type, kAdRandom);
        frame.ProbeSystem().SetPosition(1, 2, 3, 4);
        frame.SampleSystem().SetPosition(5, 6, 7, 8);
        CLogEntry entry;
        entry.StampPositions();
        EXPECT_EQ(entry.probePosition, CDVector4(1, 2, 3, 4));
        EXPECT_EQ(entry.samplePosition, CDVector4(5, 6, 7, 8));
    }
    EXPECT_EQ(TheMainFrame(), nullptr);
    CLogEntry later;
    later.StampPositions();  // no frame: positions stay as they are
    EXPECT_EQ(later.probePosition, CDVector4());
}
