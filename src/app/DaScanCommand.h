#pragma once
// Mode > "&D/A Output Scan" (F3) of an observation document, without the GUI: the "D/A Output
// Scan" dialog on the document's settings (OK keeps them in the document and in velm.ini),
// the station's rules and calibration appended to the document as before any measurement,
// then the scan (CDaScan). While it runs the document refuses to close and the main frame's
// D/A tracker leaves the scanned channel alone.

#include <functional>

#include "scan/DaScan.h"

class CDaScanSetupLogic;
class CMainFrame;
class CObsDocCommands;

class CDaScanCommand {
  public:
    CDaScanCommand(CObsDocCommands& commands, CMainFrame& frame);

    // The dialog: true when closed with OK (the logic has then accepted its entries). Empty:
    // the dialog is cancelled.
    std::function<bool(CDaScanSetupLogic&)> setupDialog;
    // Passed on to the scan.
    std::function<bool()> escapePressed;
    CDaScanMonitor* monitor = nullptr;

    // The dialog, then the scan with what it accepted.
    EDaScanResult Run();
    // The scan with the settings the document holds (velm-tool sets them first).
    EDaScanResult Scan();

    // The scan's graph as it ended (empty before a scan).
    const CDaScanGraph& Graph() const { return graph; }

  private:
    CObsDocCommands& commands;
    CMainFrame& frame;
    CDaScanGraph graph;
};
