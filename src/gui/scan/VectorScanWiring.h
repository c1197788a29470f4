#pragma once
// Mode > "&Vector Scan" (F10) of the observation documents: the "Vector Scan Definition"
// dialog, then the runs on a one-second timer of the document's window; while a vector scan
// runs the entry reads "&Interrupt Vector Scan" and ends it after asking. The timer is the
// window's own until the observation view's shared scan sequencer drives the runs.

#include <QObject>
#include <QTimer>
#include <memory>

#include "gui/scan/VectorScanWindows.h"
#include "scan/VectorScanRun.h"

class CMainWindow;
class CObsDocWindow;

class CVectorScanController : public QObject {
    Q_OBJECT
  public:
    CVectorScanController(CObsDocWindow& window, CMainWindow& main);
    ~CVectorScanController() override;

    // The controller of a window (made when first asked for).
    static CVectorScanController& Of(CObsDocWindow& window, CMainWindow& main);
    static CVectorScanController* Find(CObsDocWindow& window);

    bool IsRunning() const { return run && run->IsRunning(); }
    // F10: the dialog and the start, or the question that ends a running scan.
    void Command();
    CVectorScanRun* Run() const { return run.get(); }
    QTimer& Timer() { return timer; }

  private:
    void Tick();
    void Ended();

    CObsDocWindow& window;
    CMainWindow& main;
    QTimer timer;
    CQtVectorScanMonitor monitor;
    std::unique_ptr<CVectorScanRun> run;
};

void AttachVectorScanCommands(CMainWindow& window);
