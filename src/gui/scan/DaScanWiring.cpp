#include "gui/scan/DaScanWiring.h"

#include <QAction>

#include "app/DaScanCommand.h"
#include "app/ObsDocCommands.h"
#include "gui/app/DocumentWindow.h"
#include "gui/app/MainWindow.h"
#include "gui/scan/DaScanDialog.h"
#include "gui/scan/DaScanWindows.h"

void AttachDaScanCommands(CMainWindow& window) {
    CMainWindow* w = &window;
    window.AttachCommand("modeDaOutputScan",
                         {[w](QAction&) {
                              CObsDocWindow* obsWindow = w->ActiveObsWindow();
                              if (!obsWindow || !obsWindow->Commands()) return;
                              CDaScanCommand command(*obsWindow->Commands(), w->Frame());
                              command.setupDialog = [w](CDaScanSetupLogic& logic) {
                                  CDaScanDialog dialog(logic, w);
                                  return dialog.exec() == QDialog::Accepted;
                              };
                              command.escapePressed = EscapePressedDuringWait;
                              CQtDaScanMonitor monitor(w);
                              command.monitor = &monitor;
                              command.Run();
                              w->UpdateActions();
                          },
                          [w] {
                              CObsDocWindow* obsWindow = w->ActiveObsWindow();
                              return obsWindow && obsWindow->Commands() &&
                                     !obsWindow->Commands()->IsScanRunning();
                          },
                          {}});
}
