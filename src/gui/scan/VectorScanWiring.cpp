#include "gui/scan/VectorScanWiring.h"

#include <QApplication>

#include <QAction>

#include "app/MainFrame.h"
#include "app/ObsDocCommands.h"
#include "gui/app/DocumentWindow.h"
#include "gui/app/MainWindow.h"
#include "gui/scan/GridScanDialogs.h"
#include "gui/scan/GridScanWiring.h"
#include "gui/scan/VectorScanDialog.h"
#include "hw/MsWcmc.h"
#include "obs/ObsDoc.h"
#include "scan/ScanSequencer.h"
#include "scan/VectorScanDefinition.h"

namespace {

SVectorScanStation StationOf(CMainFrame& frame) {
    SVectorScanStation station;
    station.station = &frame.Station();
    station.devices = &frame.Devices();
    station.speedMode = [&frame](EStage stage) {
        return static_cast<int>(stage == EStage::Probe ? frame.probeSpeedMode
                                                       : frame.sampleSpeedMode);
    };
    return station;
}

// The station's calibration and rules go into the document before CDP and raw A/D operations
// measure, as before any measurement, so that their observations can be read.
bool PrepareDocument(CObsDocCommands& commands, const CObsList& ops) {
    const bool cdp =
        HasOperation(ops, EVectorOp::CdpPoint) || HasOperation(ops, EVectorOp::CdpReference);
    if (cdp && !commands.EnsureWireSetup()) return false;
    if (HasOperation(ops, EVectorOp::RawAD) && !commands.EnsureRawADSetup()) return false;
    return true;
}

}  // namespace

CVectorScanController::CVectorScanController(CObsDocWindow& window, CMainWindow& main)
    : QObject(&window), window(window), main(main), monitor(&main) {
    setObjectName("vectorScanController");
    timer.setInterval(1000);
    connect(&timer, &QTimer::timeout, this, &CVectorScanController::Tick);
    monitor.stopped = [this] { Ended(); };
}

CVectorScanController::~CVectorScanController() {
    timer.stop();
    monitor.stopped = nullptr;
}

CVectorScanController* CVectorScanController::Find(CObsDocWindow& window) {
    return window.findChild<CVectorScanController*>("vectorScanController",
                                                    Qt::FindDirectChildrenOnly);
}

CVectorScanController& CVectorScanController::Of(CObsDocWindow& window, CMainWindow& main) {
    if (CVectorScanController* found = Find(window)) return *found;
    return *new CVectorScanController(window, main);
}

void CVectorScanController::Command() {
    CObsDocCommands* commands = window.Commands();
    if (!commands) return;
    if (IsRunning()) {
        run->Stop(true);
        return;
    }
    CMainFrame& frame = main.Frame();
    CObsDoc& doc = window.Document();
    const SVectorScanStation station = StationOf(frame);
    CVectorScanDefinition logic(doc, station);
    logic.pointOnVideo = [&frame](EStage stage, CDVector4& at) {
        const std::optional<CDVector4> shown =
            frame.ShowPointOnImage(stage == EStage::Probe ? "Show desired probe location ..."
                                                          : "Show desired sample location ...");
        if (!shown) return false;
        // The point in the probe stage's frame; a sample row brings that point to the probe.
        const CDVector4 sample = frame.SampleSystem().Position();
        const CDVector4 point = *shown + sample;
        at = stage == EStage::Probe ? point : sample + (point - frame.ProbeSystem().Position());
        return true;
    };
    logic.enableMotion = [&frame](EStage stage, bool on, bool mouse) {
        if (on)
            frame.StartJog(stage, mouse);
        else
            frame.EndJog(stage);
    };
    logic.showOnVideo = [&frame](EStage stage, const CDVector4& at) {
        frame.ShowOnImage(stage, at);
    };
    logic.setResistivity = [commands] { return commands->SetResistivity(); };
    // "Grid Scan" operations are set up with the dialogs of F9.
    CQtGridScanDialogs gridDialogs(&frame, &main);
    logic.UseGridScanDialogs(gridDialogs);
    logic.escapePressed = EscapePressedDuringWait;
    CQtVectorScanMonitor previewMonitor(&main);
    logic.previewMonitor = &previewMonitor;
    CVectorScanDialog dialog(logic, &main);
    if (dialog.exec() != QDialog::Accepted) return;
    logic.Store(doc);
    window.DocumentUpdated();

    run = std::make_unique<CVectorScanRun>(doc, station);
    run->escapePressed = EscapePressedDuringWait;
    run->saveDocument = commands->saveDocument;
    run->monitor = &monitor;
    // Grid-scan operations show their scans in the window's "Scan Status", as F9's scans do.
    run->scanStatus = ScanSequencerOf(window, main).status;
    run->prepareDocument = [commands, &doc] { return PrepareDocument(*commands, doc.vsOps); };
    if (!run->Start()) {
        run.reset();
        return;
    }
    commands->SetScanRunning(true);
    window.DocumentUpdated();
    timer.start();
    main.UpdateActions();
}

void CVectorScanController::Tick() {
    // A question or dialog on screen holds the runs back until it is answered.
    if (!run || QApplication::activeModalWidget()) return;
    run->OnTick();
}

void CVectorScanController::Ended() {
    timer.stop();
    if (CObsDocCommands* commands = window.Commands()) commands->SetScanRunning(false);
    window.DocumentUpdated();
    main.UpdateActions();
}

void AttachVectorScanCommands(CMainWindow& window) {
    CMainWindow* w = &window;
    window.AttachCommand(
        "modeVectorScan",
        {[w](QAction& action) {
             CObsDocWindow* obsWindow = w->ActiveObsWindow();
             if (!obsWindow || !obsWindow->Commands()) return;
             CVectorScanController::Of(*obsWindow, *w).Command();
             action.setText(QObject::tr(CVectorScanController::Of(*obsWindow, *w).IsRunning()
                                            ? VectorScanText::kMenuInterrupt
                                            : VectorScanText::kMenuRun));
         },
         [w] {
             CObsDocWindow* obsWindow = w->ActiveObsWindow();
             const CVectorScanController* controller =
                 obsWindow ? CVectorScanController::Find(*obsWindow) : nullptr;
             const bool running = controller && controller->IsRunning();
             // The entry says what it will do for the active document.
             if (QAction* action = w->Action("modeVectorScan"))
                 action->setText(QObject::tr(running ? VectorScanText::kMenuInterrupt
                                                     : VectorScanText::kMenuRun));
             if (!obsWindow || !obsWindow->Commands()) return false;
             // Another kind of scan running in this document leaves the entry off.
             return running || !obsWindow->Commands()->IsScanRunning();
         },
         {}});
}
