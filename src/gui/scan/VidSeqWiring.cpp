#include "gui/scan/VidSeqWiring.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMdiArea>

#include "app/ObsDocCommands.h"
#include "app/VidSeqCommand.h"
#include "gui/app/DocumentWindow.h"
#include "gui/app/MainWindow.h"
#include "gui/platform/QtText.h"
#include "gui/scan/VidSeqSetupDialog.h"
#include "gui/scan/VidSeqWindow.h"

namespace {

// While a sequence is acquired the user's input is held back, except Esc, which is noted and
// offers to end the sequence between frames (as the scans do).
class CEscapeWatch : public QObject {
  public:
    CEscapeWatch() { qApp->installEventFilter(this); }
    ~CEscapeWatch() override { qApp->removeEventFilter(this); }

    bool Pressed() {
        QCoreApplication::processEvents();
        const bool was = pressed;
        pressed = false;
        return was;
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        // A message box of the acquisition (a failure, the question Esc asks) takes its input.
        if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) return false;
        switch (event->type()) {
            case QEvent::KeyPress:
                if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) pressed = true;
                return true;
            case QEvent::KeyRelease:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
            case QEvent::Shortcut:
            case QEvent::ShortcutOverride:
                return true;
            default:
                return false;
        }
    }

  private:
    bool pressed = false;
};

CVidSeqDocWindow* ActiveSequenceWindow(CMainWindow& window) {
    return qobject_cast<CVidSeqDocWindow*>(window.ActiveDocumentWindow());
}

}  // namespace

void AttachSequenceCommands(CMainWindow& window) {
    CMainWindow* w = &window;
    window.AttachCommand(
        "modeImageSequence",
        {[w](QAction&) {
             CObsDocWindow* obsWindow = w->ActiveObsWindow();
             if (!obsWindow || !obsWindow->Commands()) return;
             CVidSeqCommand command(obsWindow->Document(), w->Frame().Devices());
             command.setupDialog = [w](CVidSeqSetupLogic& logic) {
                 CVidSeqSetupDialog dialog(logic, w);
                 return dialog.exec() == QDialog::Accepted;
             };
             // Made when the acquisition starts, so an Esc pressed during the first move
             // counts too; what the user typed meanwhile is dropped when it ends.
             std::unique_ptr<CEscapeWatch> escape;
             command.escapePressed = [&escape] { return escape && escape->Pressed(); };
             command.showProgress = [w](const std::string& text) { w->ShowHint(text); };
             command.showBusy = [&escape](bool on) {
                 if (on) {
                     QApplication::setOverrideCursor(Qt::WaitCursor);
                     escape = std::make_unique<CEscapeWatch>();
                 } else {
                     if (escape) escape->Pressed();
                     escape.reset();
                     QApplication::restoreOverrideCursor();
                 }
             };
             const std::string path = command.Run();
             if (!path.empty()) w->OpenDocumentFile(ToQ(path));
         },
         [w] {
             CObsDocWindow* obsWindow = w->ActiveObsWindow();
             return obsWindow && obsWindow->Commands() && !obsWindow->Commands()->IsScanRunning();
         },
         {}});
    window.AttachCommand("sequenceSplit", {[w](QAction&) {
                                               if (auto* s = ActiveSequenceWindow(*w))
                                                   s->SetSplit(true);
                                           },
                                           [w] {
                                               auto* s = ActiveSequenceWindow(*w);
                                               return s && !s->IsSplit();
                                           },
                                           {}});
    window.AttachCommand("sequenceJoin", {[w](QAction&) {
                                              if (auto* s = ActiveSequenceWindow(*w))
                                                  s->SetSplit(false);
                                          },
                                          [w] {
                                              auto* s = ActiveSequenceWindow(*w);
                                              return s && s->IsSplit();
                                          },
                                          {}});
}
