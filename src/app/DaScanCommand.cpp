#include "app/DaScanCommand.h"

#include "app/MainFrame.h"
#include "app/ObsDocCommands.h"
#include "hw/AdBoard.h"
#include "obs/ObsDoc.h"
#include "scan/DaScanSetup.h"
#include "tech/Station.h"

namespace {

// Marks what a scan owns for its length, and gives it back however the scan ends.
class CScanHold {
  public:
    CScanHold(CObsDocCommands& commands, CMainFrame& frame, int channel)
        : commands(commands), frame(frame), channel(channel) {
        commands.SetScanRunning(true);
        frame.HoldDaChannel(channel, true);
    }
    ~CScanHold() {
        frame.HoldDaChannel(channel, false);
        commands.SetScanRunning(false);
    }
    CScanHold(const CScanHold&) = delete;
    CScanHold& operator=(const CScanHold&) = delete;

  private:
    CObsDocCommands& commands;
    CMainFrame& frame;
    int channel;
};

}  // namespace

CDaScanCommand::CDaScanCommand(CObsDocCommands& commands, CMainFrame& frame)
    : commands(commands), frame(frame) {}

EDaScanResult CDaScanCommand::Run() {
    CDaScanSetupLogic setup(commands.Document(), frame.Station(), frame.AdBoard().daRange);
    if (!setupDialog || !setupDialog(setup)) return EDaScanResult::Cancelled;
    setup.Apply(commands.Document());
    return Scan();
}

EDaScanResult CDaScanCommand::Scan() {
    CObsDoc& doc = commands.Document();
    const SDaScanPlan plan = SDaScanPlan::FromDocument(doc);
    CStation& station = frame.Station();
    // The rules and calibration the points are taken with go into the document first, as
    // before any measurement (only when the document does not hold the same already).
    if (!CDaScan::CheckStation(station, plan)) return EDaScanResult::NotStarted;
    if (plan.recordCDP && !commands.EnsureWireSetup()) return EDaScanResult::NotStarted;
    if (plan.recordRawAD && !commands.EnsureRawADSetup()) return EDaScanResult::NotStarted;

    CScanHold hold(commands, frame, plan.channel);
    CDaScan scan(doc, station, plan);
    scan.escapePressed = escapePressed;
    scan.saveDocument = commands.saveDocument;
    scan.monitor = monitor;
    const EDaScanResult result = scan.Run();
    graph = scan.Graph();
    return result;
}
