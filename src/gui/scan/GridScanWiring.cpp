#include "gui/scan/GridScanWiring.h"

#include <QAction>
#include <QApplication>
#include <QTimer>

#include "app/ObsDocCommands.h"
#include "gui/app/DocumentWindow.h"
#include "gui/app/MainWindow.h"
#include "gui/scan/GridScanDialogs.h"
#include "gui/scan/GridScanStatus.h"
#include "gui/scan/VectorScanWiring.h"
#include "gui/tech/WatchWiring.h"
#include "obs/ObsDoc.h"
#include "platform/Services.h"
#include "scan/ScanSequencer.h"

namespace {

constexpr const char* kGridScanText = "&Grid Scan";
constexpr const char* kInterruptText = "&Interrupt Grid Scan";

// The sequencer of one observation window with its one-second timer and its status window.
// It lives as a child of the window, so it goes with it.
class CScanRunner : public QObject {
  public:
    CScanRunner(CObsDocWindow& window, CMainWindow& main)
        : QObject(&window),
          window(window),
          sequencer(window.Document(), main.Frame().Station()),
          status(&main) {
        setObjectName("scanRunner");
        timer.setInterval(CScanSequencer::kTickMs);
        connect(&timer, &QTimer::timeout, this, [this] { sequencer.OnTimerTick(); });
        sequencer.status = &status;
        sequencer.escapePressed = EscapePressedDuringWait;
        // A question or dialog on screen holds the scans back until it is answered.
        sequencer.modalOpen = [] { return QApplication::activeModalWidget() != nullptr; };
        CMainWindow* m = &main;
        CObsDocWindow* w = &window;
        sequencer.runningChanged = [this, m, w](bool running) {
            if (running)
                timer.start();
            else
                timer.stop();
            if (CObsDocCommands* commands = w->Commands()) commands->SetScanRunning(running);
            m->UpdateActions();
        };
        sequencer.scanAdded = [w](const CScanObs&) { w->DocumentUpdated(); };
        // A vector scan of this window keeps its own timer and state, and has the ticks while
        // it runs.
        sequencer.vectorRunning = [w] {
            const CVectorScanController* vector = CVectorScanController::Find(*w);
            return vector && vector->IsRunning();
        };
        // A group does not share the station with this document's watch.
        sequencer.stopWatch = [w] { CloseWatchOf(w); };
    }

    CObsDocWindow& window;
    CScanSequencer sequencer;
    CQtScanStatus status;
    QTimer timer;
};

CScanRunner* FindRunner(CObsDocWindow& window) {
    return window.findChild<CScanRunner*>("scanRunner", Qt::FindDirectChildrenOnly);
}

}  // namespace

CScanSequencer* FindScanSequencer(CObsDocWindow& window) {
    CScanRunner* runner = FindRunner(window);
    return runner ? &runner->sequencer : nullptr;
}

CScanSequencer& ScanSequencerOf(CObsDocWindow& window, CMainWindow& main) {
    if (CScanSequencer* sequencer = FindScanSequencer(window)) return *sequencer;
    return (new CScanRunner(window, main))->sequencer;
}

void AttachGridScanCommands(CMainWindow& window) {
    CMainWindow* w = &window;
    CMainWindow::SCommand command;
    command.run = [w](QAction&) {
        CObsDocWindow* obsWindow = w->ActiveObsWindow();
        if (!obsWindow) return;
        CScanSequencer& sequencer = ScanSequencerOf(*obsWindow, *w);
        CQtGridScanDialogs dialogs(&w->Frame(), w);
        sequencer.GridScanCommand(dialogs);
        w->UpdateActions();
    };
    command.enabled = [w] {
        CObsDocWindow* obsWindow = w->ActiveObsWindow();
        return obsWindow != nullptr && obsWindow->Commands() != nullptr;
    };
    command.text = [w] {
        CObsDocWindow* obsWindow = w->ActiveObsWindow();
        CScanSequencer* sequencer = obsWindow ? FindScanSequencer(*obsWindow) : nullptr;
        return QString::fromLatin1(sequencer && sequencer->GridRunning() ? kInterruptText
                                                                         : kGridScanText);
    };
    window.AttachCommand("modeGridScan", command);

    // Leaving the program stops running groups, once the user agrees.
    window.AddExitCheck([w] {
        std::vector<CScanSequencer*> running;
        for (CDocumentWindow* doc : w->DocumentWindows())
            if (auto* obsWindow = qobject_cast<CObsDocWindow*>(doc))
                if (CScanSequencer* sequencer = FindScanSequencer(*obsWindow);
                    sequencer && sequencer->GridRunning())
                    running.push_back(sequencer);
        if (running.empty()) return true;
        if (Prompt().Ask("Scan sequence in progress.\n\nTerminate scan sequence and exit?",
                         EPromptButtons::YesNo, EPromptIcon::Question) != EPromptAnswer::Yes)
            return false;
        for (CScanSequencer* sequencer : running)
            sequencer->StopGridGroup();
        return true;
    });
}
