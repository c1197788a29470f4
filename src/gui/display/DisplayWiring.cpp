#include "gui/display/DisplayWiring.h"

#include <QApplication>
#include <QClipboard>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <algorithm>

#include "app/MainFrame.h"
#include "app/ObsDocCommands.h"
#include "display/DisplayFromSelection.h"
#include "gui/app/DocumentWindow.h"
#include "gui/app/MainWindow.h"
#include "gui/display/DisplayWindow.h"
#include "gui/display/LayerDialogs.h"
#include "gui/obs/ObsView.h"
#include "gui/scan/ScanDocWindow.h"
#include "obs/DibObs.h"
#include "obs/ObsDoc.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "scan/ScanDoc.h"
#include "tech/Station.h"

namespace {

using SCommand = CMainWindow::SCommand;

CDispDocWindow* ActiveDisplay(CMainWindow& w) {
    return qobject_cast<CDispDocWindow*>(w.ActiveDocumentWindow());
}

SCommand OnDisplay(CMainWindow& window, void (CDispDocWindow::*run)(),
                   bool (CDispDoc::*enabled)() const = nullptr) {
    CMainWindow* w = &window;
    return SCommand{[w, run](QAction&) {
                        if (CDispDocWindow* d = ActiveDisplay(*w)) (d->*run)();
                    },
                    [w, enabled] {
                        CDispDocWindow* d = ActiveDisplay(*w);
                        return d != nullptr && (!enabled || (d->Document().*enabled)());
                    },
                    {}};
}

// The display most recently on top, or null.
CDispDocWindow* LatestDisplay(CMainWindow& w) {
    CDispDocWindow* latest = nullptr;
    for (QMdiSubWindow* sub : w.MdiArea()->subWindowList(QMdiArea::ActivationHistoryOrder))
        if (auto* d = qobject_cast<CDispDocWindow*>(sub->widget())) latest = d;
    return latest;
}

// "&Add To Display": the only open display, or those chosen in "Select Documents" when
// several are open (none: a new one is made).
std::vector<CDispDocWindow*> ChooseDisplays(CMainWindow& w) {
    std::vector<CDispDocWindow*> open;
    for (CDocumentWindow* d : w.DocumentWindows())
        if (auto* display = qobject_cast<CDispDocWindow*>(d)) open.push_back(display);
    if (open.size() <= 1) return open;
    std::vector<std::string> names;
    for (CDispDocWindow* d : open)
        names.push_back(d->Title().toStdString());
    // The most recently active display is offered first.
    CDispDocWindow* latest = LatestDisplay(w);
    std::vector<int> chosen =
        SelectDocuments(names,
                        latest ? std::vector<int>{static_cast<int>(
                                     std::find(open.begin(), open.end(), latest) - open.begin())}
                               : std::vector<int>{},
                        &w);
    std::vector<CDispDocWindow*> picked;
    for (int i : chosen)
        picked.push_back(open[static_cast<size_t>(i)]);
    if (picked.empty()) return {nullptr};
    return picked;
}

// The list window a display is made from: an observation document's or a scan file's.
struct SListSource {
    CDataDocument* doc = nullptr;
    CObsView* view = nullptr;
    std::string path;
    CObsDocCommands* commands = nullptr;  // observation documents only (image grabs)
};

SListSource ActiveListSource(CMainWindow& w) {
    if (CObsDocWindow* obsWindow = w.ActiveObsWindow())
        return {&obsWindow->Document(), obsWindow->ListView(), obsWindow->PathName(),
                obsWindow->Commands()};
    if (auto* scan = qobject_cast<CScanDocWindow*>(w.ActiveDocumentWindow()))
        return {&scan->Document(), scan->ListView(), scan->PathName(), nullptr};
    return {};
}

// "&Display" (new display) and "&Add To Display" (chosen displays, else a new one).
void DisplaySelection(CMainWindow& w, bool add) {
    const SListSource source = ActiveListSource(w);
    if (!source.doc || !source.view) return;
    const CObsListModel& model = source.view->Model();
    CDataDocument& doc = *source.doc;
    size_t first = 0, last = doc.GetObsCount() ? doc.GetObsCount() - 1 : 0;
    if (model.HasSelection()) {
        first = static_cast<size_t>(model.FirstSelected());
        last = static_cast<size_t>(model.LastSelected());
    }
    if (doc.GetObsCount() == 0) {
        Prompt().Message("The document holds no observations to display.",
                         EPromptIcon::Information);
        return;
    }
    if (source.path.empty())
        Prompt().Message(
            "This document has no file yet: save it before saving the display, so "
            "that the display can find it again.",
            EPromptIcon::Information);
    COpticalSystem active;
    if (CMainFrame* frame = TheMainFrame()) active = frame->Station().opticalSystem;
    // A new display without an image among the selection offers to grab one to line the data
    // up on; it is kept in the document as "&Grab Image to File" keeps it. A scan file is
    // read-only, so its displays go without.
    const CDibObs* grabbed = nullptr;
    if (!add && source.commands && !SelectionHasImage(doc, first, last) &&
        Prompt().Ask("Grab a new image?", EPromptButtons::YesNo) == EPromptAnswer::Yes &&
        source.commands->GrabImageToFile() && doc.GetObsCount() > 0)
        grabbed = dynamic_cast<const CDibObs*>(doc.GetObsAt(doc.GetObsCount() - 1));
    std::vector<CDispDocWindow*> targets;
    if (add) targets = ChooseDisplays(w);
    if (targets.empty()) {
        auto* made = qobject_cast<CDispDocWindow*>(w.CreateNewDocument(EDocType::Display));
        if (!made) return;
        targets.push_back(made);
    }
    if (targets.size() == 1 && targets[0] == nullptr) return;  // "Select Documents" cancelled
    for (CDispDocWindow* target : targets)
        target->AddLayers(LayersForSelection(doc, source.path, first, last, active, grabbed));
    w.MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(targets.back()->parentWidget()));
}

}  // namespace

void AttachDisplayCommands(CMainWindow& window) {
    CMainWindow* w = &window;
    window.AttachCommand("layerRaiseUp",
                         OnDisplay(window, &CDispDocWindow::RaiseUp, &CDispDoc::CanRaise));
    window.AttachCommand("layerSendDown",
                         OnDisplay(window, &CDispDocWindow::SendDown, &CDispDoc::CanLower));
    window.AttachCommand("layerToTop",
                         OnDisplay(window, &CDispDocWindow::ToTop, &CDispDoc::CanRaise));
    window.AttachCommand("layerToBottom",
                         OnDisplay(window, &CDispDocWindow::ToBottom, &CDispDoc::CanLower));
    window.AttachCommand("layerNew", OnDisplay(window, &CDispDocWindow::NewLayer));
    window.AttachCommand("layerDelete",
                         OnDisplay(window, &CDispDocWindow::DeleteLayer, &CDispDoc::CanDelete));
    window.AttachCommand("layerTileGraphs", OnDisplay(window, &CDispDocWindow::TileGraphs));
    window.AttachCommand("displayWindowSize", OnDisplay(window, &CDispDocWindow::WindowSize));
    window.AttachCommand("displayExportDib", OnDisplay(window, &CDispDocWindow::ExportDib));
    window.AttachCommand("displayExportPng", OnDisplay(window, &CDispDocWindow::ExportPng));
    window.AttachCommand("displayExportSvg", OnDisplay(window, &CDispDocWindow::ExportSvg));
    window.AttachCommand("displayCopy",
                         SCommand{[w](QAction&) {
                                      if (CDispDocWindow* d = ActiveDisplay(*w))
                                          QApplication::clipboard()->setImage(d->Render());
                                  },
                                  [w] { return ActiveDisplay(*w) != nullptr; },
                                  {}});
    auto fromList = [w](bool add) {
        return SCommand{[w, add](QAction&) { DisplaySelection(*w, add); },
                        [w] { return ActiveListSource(*w).view != nullptr; },
                        {}};
    };
    window.AttachCommand("modeDisplay", fromList(false));
    window.AttachCommand("modeAddToDisplay", fromList(true));
    window.AttachCommand("scanDisplay", fromList(false));
    window.AttachCommand("scanAddToDisplay", fromList(true));

    // Open observation documents, for the layers' sources and the data layer's "File:" list.
    CDispDocWindow::findOpenDocument = [w](const std::string& path) -> CDataDocument* {
        for (CDocumentWindow* d : w->DocumentWindows()) {
            if (auto* obs = qobject_cast<CObsDocWindow*>(d); obs && obs->PathName() == path)
                return &obs->Document();
            if (auto* scan = qobject_cast<CScanDocWindow*>(d); scan && scan->PathName() == path)
                return &scan->Document();
        }
        return nullptr;
    };
    openDataDocuments = [w] {
        std::vector<SOpenDataDocument> open;
        for (CDocumentWindow* d : w->DocumentWindows()) {
            if (auto* obs = qobject_cast<CObsDocWindow*>(d))
                open.push_back({obs->PathName(), &obs->Document()});
            if (auto* scan = qobject_cast<CScanDocWindow*>(d))
                open.push_back({scan->PathName(), &scan->Document()});
        }
        return open;
    };
    // An observation document goes only after the displays drawing from it: each is asked
    // whether to save its changes first, and Cancel keeps both open.
    CObsDocWindow::closeDependents = [w](CObsDocWindow& closing) {
        for (CDocumentWindow* d : w->DocumentWindows()) {
            auto* display = qobject_cast<CDispDocWindow*>(d);
            if (!display || !display->Document().DependsOn(&closing.Document())) continue;
            Prompt().Message(StrPrintf("Closing dependent display file %s.",
                                       display->Title().toStdString().c_str()),
                             EPromptIcon::Information);
            if (!display->QueryClose()) return false;
            if (auto* sub = qobject_cast<QMdiSubWindow*>(display->parentWidget())) {
                display->Document().SetModifiedFlag(false);  // answered already
                sub->close();
            }
        }
        return true;
    };
}
