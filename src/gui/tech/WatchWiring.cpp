#include "gui/tech/WatchWiring.h"

#include <QAction>
#include <QPainter>
#include <QPointer>
#include <cmath>
#include <functional>
#include <map>

#include "app/MainFrame.h"
#include "app/ObsDocCommands.h"
#include "gui/app/DocumentWindow.h"
#include "gui/app/MainWindow.h"
#include "gui/app/MenuTable.h"
#include "gui/hw/ImageView.h"
#include "gui/hw/LiveVideoWindow.h"
#include "gui/tech/WatchWindow.h"
#include "hw/FgBoard.h"
#include "obs/ObsDoc.h"
#include "obs/OpticalSystem.h"
#include "platform/Prompt.h"
#include "platform/Services.h"
#include "tech/Station.h"
#include "tech/watch/IonWatch.h"
#include "tech/watch/RawADWatch.h"
#include "tech/watch/WatchFor.h"
#include "tech/watch/WireWatch.h"

namespace {

// The open watch of each observation document window.
std::map<const CObsDocWindow*, QPointer<CWatchWindow>>& Watches() {
    static std::map<const CObsDocWindow*, QPointer<CWatchWindow>> watches;
    return watches;
}

// The picture option's arrow, painted over the live video image until the next tick.
class CVideoArrowOverlay : public QWidget {
  public:
    explicit CVideoArrowOverlay(QWidget* view) : QWidget(view) {
        setObjectName("watchVideoArrow");
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        resize(view->size());
    }
    SVideoArrow arrow;

  protected:
    void paintEvent(QPaintEvent*) override {
        if (!arrow.shown) return;
        resize(parentWidget()->size());
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(QColor(255, 255, 0), 2));
        const QPointF tail(arrow.tailX, arrow.tailY), tip(arrow.tipX, arrow.tipY);
        p.drawLine(tail, tip);
        const double a = std::atan2(tip.y() - tail.y(), tip.x() - tail.x());
        for (double side : {-0.4, 0.4})
            p.drawLine(tip, tip - QPointF(10 * std::cos(a + side), 10 * std::sin(a + side)));
    }
};

void ShowArrowOnLiveVideo(CMainWindow& window, CWireWatch& watch) {
    CLiveVideoWindow* live = window.LiveVideo();
    if (!live || !live->Running() || !live->View()) return;
    CImageView* view = live->View();
    auto* overlay = static_cast<CVideoArrowOverlay*>(view->findChild<QWidget*>("watchVideoArrow"));
    if (!overlay) {
        overlay = new CVideoArrowOverlay(view);
        overlay->show();
    }
    // The probe tip stands on the optical axis of the camera shown: the arrow starts at its
    // origin pixel and points the way the current flows, +Y up when the image's Y scale is
    // negative.
    const SCameraView camera = CameraViewOf(window.Frame().FgBoard());
    const bool yUp = window.Frame().Station().opticalSystem.umPerPixelY < 0.0;
    const SVectorPixels v = watch.Vector(60.0);
    overlay->arrow =
        watch.VideoArrow(camera.origin.x, camera.origin.y, std::max(10.0, v.length), yUp);
    overlay->resize(view->size());
    overlay->update();
}

// What the watch's document and its commands are: the window's document and commands.
void BindDocument(CWatch& watch, CObsDocWindow& docWindow) {
    CObsDocCommands* commands = docWindow.Commands();
    CObsDocWindow* d = &docWindow;
    watch.document.document = &docWindow.Document();
    if (!commands) return;
    watch.document.ensureSetup = [commands, &watch] {
        if (dynamic_cast<CWireWatch*>(&watch)) return commands->EnsureWireSetup();
        if (dynamic_cast<CRawADWatch*>(&watch)) return commands->EnsureRawADSetup();
        return commands->EnsureIonSetup();
    };
    watch.document.save = [d] { return d->Save(); };
    watch.document.autoSave = [d] {
        if (!d->PathName().empty()) d->Save();
    };
    watch.commands.resistivity = [commands] { return commands->SetResistivity(); };
    watch.commands.samplingRules = [commands] { return commands->EditSampling(); };
    watch.commands.logEntry = [commands] { return commands->LogEntry(); };
}

// A document that closes takes its watch with it, before anything of it goes. Installed when
// a watch opens, after every other wiring has installed its own check, and run after them (one
// of them may keep the document open).
struct SCloseWatchFirst {
    std::function<bool(CObsDocWindow&)> previous;
    bool operator()(CObsDocWindow& closing) const {
        if (previous && !previous(closing)) return false;
        if (CWatchWindow* watch = WatchWindowOf(&closing)) watch->close();
        Watches().erase(&closing);
        return true;
    }
};

void CloseWatchesWithTheirDocuments() {
    if (CObsDocWindow::closeDependents.target<SCloseWatchFirst>()) return;
    CObsDocWindow::closeDependents = SCloseWatchFirst{CObsDocWindow::closeDependents};
}

// F8: the watch of the active document closes when open, else the station's technique opens.
void ToggleWatch(CMainWindow& w) {
    CObsDocWindow* docWindow = w.ActiveObsWindow();
    if (!docWindow) return;
    if (CWatchWindow* open = WatchWindowOf(docWindow)) {
        open->close();
        Watches().erase(docWindow);
        w.UpdateActions();
        return;
    }
    std::unique_ptr<CWatch> watch = MakeWatchFor(w.Frame().Station());
    if (!watch) return;
    CloseWatchesWithTheirDocuments();
    BindDocument(*watch, *docWindow);
    auto* watchWindow = new CWatchWindow(std::move(watch), &w);
    Watches()[docWindow] = watchWindow;
    // Should the document window go by another road, the watch forgets it first.
    QObject::connect(docWindow, &QObject::destroyed, watchWindow, [watchWindow, docWindow] {
        watchWindow->Watch().document = {};
        watchWindow->Watch().commands = {};
        watchWindow->close();
        Watches().erase(docWindow);
    });
    watchWindow->show();
    w.UpdateActions();
}

// The name a watch's technique goes by in its questions.
const char* TechniqueNameOf(CWatch& watch) {
    if (dynamic_cast<CWireWatch*>(&watch)) return "CDP";
    if (dynamic_cast<CRawADWatch*>(&watch)) return "Raw A/D";
    return "ISP/PVP";
}

// Commands that read the board or move the stages cannot share the station with a watch's
// ticks: the watch closes first, when the user agrees. The probe list cannot change under an
// open gradient watch, whose rules and calibration belong to its probe.
bool MayRunWithWatches(CMainWindow& w, const QString& name) {
    static const QStringList hardware = {
        "modePoint",      "modeReference",    "techniqueCalibration", "modeGridScan",
        "modeVectorScan", "modeDaOutputScan", "modeImageSequence"};
    static const QStringList probeList = {"techniqueIspPvpProbe", kIspPvpNewItem,
                                          kIspPvpSelectItem};
    const bool needsHardware = hardware.contains(name);
    const bool changesProbes = probeList.contains(name);
    if (!needsHardware && !changesProbes) return true;
    for (auto it = Watches().begin(); it != Watches().end();) {
        CWatchWindow* open = it->second.data();
        if (!open) {
            it = Watches().erase(it);
            continue;
        }
        if (changesProbes && dynamic_cast<CIonWatch*>(&open->Watch())) {
            Prompt().Message(
                "This operation cannot be performed while\nthe probe watch dialog "
                "is open.",
                EPromptIcon::Exclamation);
            return false;
        }
        if (needsHardware) {
            const std::string question = std::string("Close down ") +
                                         TechniqueNameOf(open->Watch()) +
                                         " probe Watch dialog\nto perform this operation ?";
            if (Prompt().Ask(question, EPromptButtons::YesNo) != EPromptAnswer::Yes) return false;
            open->close();
            it = Watches().erase(it);
            w.UpdateActions();
            continue;
        }
        ++it;
    }
    return true;
}

}  // namespace

CWatchWindow* WatchWindowOf(const CObsDocWindow* document) {
    auto it = Watches().find(document);
    return it == Watches().end() ? nullptr : it->second.data();
}

void AttachWatchCommands(CMainWindow& window) {
    CMainWindow* w = &window;
    window.commandGuard = [w](const QString& name) { return MayRunWithWatches(*w, name); };
    CWatchWindow::showVideoArrow = [w](CWireWatch& watch) { ShowArrowOnLiveVideo(*w, watch); };
    window.AttachCommand(
        "modeWatch",
        {[w](QAction&) { ToggleWatch(*w); }, [w] { return w->ActiveObsWindow() != nullptr; },
         [w] { return WatchWindowOf(w->ActiveObsWindow()) != nullptr; }});
}

void CloseWatchOf(const CObsDocWindow* document) {
    if (CWatchWindow* open = WatchWindowOf(document)) open->close();
    Watches().erase(document);
}
