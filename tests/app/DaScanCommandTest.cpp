// Mode > "&D/A Output Scan" without a screen, on a station built from velm.ini as start-up
// builds it: the dialog's values into the document and velm.ini, the rules and calibration
// appended before the first scan that records with them (and not again), the document held
// open and the scanned channel kept from the D/A tracker while the scan runs.

#include <gtest/gtest.h>

#include <string>

#include "app/DaScanCommand.h"
#include "app/MainFrame.h"
#include "app/ObsDocCommands.h"
#include "hw/AdBoard.h"
#include "obs/LogEntry.h"
#include "obs/ObsDoc.h"
#include "obs/SampRulesWire.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "scan/DaScanSetup.h"
#include "tech/StationTestEnv.h"

namespace {

// Asks the command's state while the scan runs.
class CWatchingMonitor : public CDaScanMonitor {
  public:
    CWatchingMonitor(CObsDocCommands& commands, CMainFrame& frame)
        : commands(commands), frame(frame) {}
    void Status(const std::string&) override {
        heldWhileRunning = heldWhileRunning && frame.DaChannelHeld(1) && !frame.DaChannelHeld(0);
        runningWhileRunning = runningWhileRunning && commands.IsScanRunning();
        closable = commands.CanClose();
        ++statuses;
    }
    CObsDocCommands& commands;
    CMainFrame& frame;
    bool heldWhileRunning = true, runningWhileRunning = true, closable = true;
    int statuses = 0;
};

class DaScanCommandTest : public CStationTest {};

TEST_F(DaScanCommandTest, TheDialogsValuesAreScannedWithTheStationsRulesAndCalibration) {
    CMainFrame& frame = Station("Simulated Station", kBenchCalibration);
    CObsDoc doc;
    CObsDocCommands commands(doc, frame);
    CWatchingMonitor monitor(commands, frame);
    CDaScanCommand command(commands, frame);
    command.monitor = &monitor;
    int dialogs = 0;
    command.setupDialog = [&](CDaScanSetupLogic& logic) {
        ++dialogs;
        logic.end = "1";
        logic.points = "5";
        logic.interval = "0.6";
        logic.recordRawAD = false;
        logic.recordCDP = true;
        std::string error;
        return logic.Accept(error);
    };
    ASSERT_EQ(command.Run(), EDaScanResult::Completed);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(monitor.statuses, 5);
    EXPECT_TRUE(monitor.heldWhileRunning);
    EXPECT_TRUE(monitor.runningWhileRunning);
    EXPECT_FALSE(monitor.closable);
    EXPECT_EQ(prompt.LastText(), "Scan sequence in progress.\n\nTerminate scan sequence first.");
    EXPECT_FALSE(frame.DaChannelHeld(1));
    EXPECT_FALSE(commands.IsScanRunning());
    EXPECT_EQ(
        profile.GetProfileString("Observation Document", "Line 1"),
        "DaOutputScan: chan=1  range=0.000000 to 1.000000  steps=5  inc=1483  (0.600000 sec)");

    // Rules, calibration, begin, five points, end.
    ASSERT_EQ(doc.GetObsCount(), 9u);
    EXPECT_NE(dynamic_cast<const CSampRulesWire*>(doc.GetObsAt(0)), nullptr);
    EXPECT_NE(dynamic_cast<const CWireCalibration*>(doc.GetObsAt(1)), nullptr);
    EXPECT_NE(dynamic_cast<const CLogEntry*>(doc.GetObsAt(2)), nullptr);
    EXPECT_NE(dynamic_cast<const CWireObs*>(doc.GetObsAt(7)), nullptr);
    EXPECT_EQ(command.Graph().Points().size(), 5u);

    // A second scan finds the same rules and calibration in the document.
    command.setupDialog = [](CDaScanSetupLogic& logic) {
        std::string error;
        return logic.Accept(error);
    };
    ASSERT_EQ(command.Run(), EDaScanResult::Completed);
    EXPECT_EQ(doc.GetObsCount(), 16u);

    // Cancel in the dialog: nothing is scanned or stored.
    command.setupDialog = [](CDaScanSetupLogic& logic) {
        logic.points = "7";
        return false;
    };
    EXPECT_EQ(command.Run(), EDaScanResult::Cancelled);
    EXPECT_EQ(doc.GetObsCount(), 16u);
    EXPECT_EQ(doc.daPoints, 5);
}

TEST_F(DaScanCommandTest, WithoutACalibrationNoCdpScanBegins) {
    CMainFrame& frame = Station("Simulated Station");
    CObsDoc doc;
    doc.daRecordCDP = true;
    CObsDocCommands commands(doc, frame);
    CDaScanCommand command(commands, frame);
    EXPECT_EQ(command.Scan(), EDaScanResult::NotStarted);
    EXPECT_EQ(prompt.LastText(), "Failed reading CDP Calibration in D/A Output Scan");
    EXPECT_EQ(doc.GetObsCount(), 0u);
    EXPECT_FALSE(commands.IsScanRunning());
}

TEST_F(DaScanCommandTest, ABoardWithoutOutputsEndsTheScanAtItsFirstPoint) {
    CMainFrame& frame = Station("");  // no board chosen
    ASSERT_FALSE(frame.AdBoard().HasDA());
    CObsDoc doc;
    doc.daEnd = 1.0;
    CObsDocCommands commands(doc, frame);
    CDaScanCommand command(commands, frame);
    EXPECT_EQ(command.Scan(), EDaScanResult::Stopped);
    ASSERT_EQ(prompt.shown.size(), 1u) << "no second message for the reset";
    EXPECT_NE(prompt.LastText().find("Error setting D/A Channel 1 to 0.000 volts."),
              std::string::npos);
    EXPECT_NE(prompt.LastText().find("The D/A output scan ends here."), std::string::npos);
    ASSERT_EQ(doc.GetObsCount(), 3u);  // raw A/D rules, begin, end
    EXPECT_EQ(static_cast<const CLogEntry*>(doc.GetObsAt(2))->text.rfind("End D/A", 0), 0u);
}

TEST_F(DaScanCommandTest, TheTrackerLeavesAHeldChannelAlone) {
    CMainFrame& frame = Station("Simulated Station");
    SDaOutput output;
    for (int c = 0; c < 2; ++c) {
        output.op[c] = kDaTrack[c];
        output.trackCh[c] = 4;
    }
    output.trackSec = 1;
    output.avgSec = 0.1;
    frame.da = output;
    frame.AdBoard().SetDA(0, 3.0);
    frame.AdBoard().SetDA(1, 3.0);
    frame.HoldDaChannel(1, true);
    frame.OnTrackerTick();
    EXPECT_EQ(frame.AdBoard().da1, 3.0);
    EXPECT_NE(frame.AdBoard().da0, 3.0);  // tracked: channel 4 reads no 3 V
    frame.HoldDaChannel(1, false);
    frame.OnTrackerTick();
    EXPECT_NE(frame.AdBoard().da1, 3.0);
}

}  // namespace
