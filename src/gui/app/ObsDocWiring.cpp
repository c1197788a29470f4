#include "gui/app/ObsDocWiring.h"

#include <QAction>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <functional>

#include "app/ObsDocCommands.h"
#include "app/ObsDocDialogs.h"
#include "gui/app/DocumentWindow.h"
#include "gui/app/MainWindow.h"
#include "gui/app/MenuTable.h"
#include "gui/app/ObsDocDialogsQt.h"
#include "gui/obs/ExportDialogs.h"
#include "gui/obs/ObsView.h"
#include "gui/platform/QtText.h"
#include "gui/scan/ScanDocWindow.h"
#include "gui/scan/ShowAreaDialog.h"
#include "gui/scan/VectorScanWiring.h"
#include "gui/tech/IonDialogsQt.h"
#include "gui/tech/TechDialogsQt.h"
#include "gui/tech/WatchWiring.h"
#include "gui/tech/WireCalibrationDialogQt.h"
#include "obs/DataDocument.h"
#include "obs/ExportOptions.h"
#include "obs/MageExport.h"
#include "obs/ObsDoc.h"
#include "obs/SurfaceExport.h"
#include "obs/TextExport.h"
#include "obs/VelmObs.h"
#include "scan/ScanDoc.h"
#include "tech/Station.h"

namespace {

using SCommand = CMainWindow::SCommand;

class CWiring {
  public:
    explicit CWiring(CMainWindow& window) : window(window) {}

    // A command on the active observation document's commands; disabled without one.
    SCommand OnCommands(std::function<void(CObsDocCommands&)> run,
                        std::function<bool(CObsDocCommands&)> enabled = {},
                        std::function<bool(CObsDocCommands&)> checked = {}) {
        CMainWindow* w = &window;
        SCommand c;
        c.run = [w, run](QAction&) {
            if (CObsDocCommands* cmds = Commands(*w)) run(*cmds);
        };
        c.enabled = [w, enabled] {
            CObsDocCommands* cmds = Commands(*w);
            return cmds != nullptr && (!enabled || enabled(*cmds));
        };
        if (checked) {
            c.checked = [w, checked] {
                CObsDocCommands* cmds = Commands(*w);
                return cmds != nullptr && checked(*cmds);
            };
        }
        return c;
    }

    // A command on the active observation document, or the active scan document (`scan` true).
    SCommand OnDataDocument(std::function<void(CDataDocument&, bool scan)> run) {
        CMainWindow* w = &window;
        auto target = [w](bool& scan) -> CDataDocument* {
            scan = false;
            if (CObsDocCommands* cmds = Commands(*w)) return &cmds->Document();
            if (auto* s = qobject_cast<CScanDocWindow*>(w->ActiveDocumentWindow())) {
                scan = true;
                return &s->Document();
            }
            return nullptr;
        };
        return SCommand{[target, run](QAction&) {
                            bool scan = false;
                            if (CDataDocument* d = target(scan)) run(*d, scan);
                        },
                        [target] {
                            bool scan = false;
                            return target(scan) != nullptr;
                        },
                        {}};
    }

    // A command on the active observation or scan window's list view.
    SCommand OnView(std::function<void(CObsView&)> run, std::function<bool(CObsView&)> enabled) {
        CMainWindow* w = &window;
        return SCommand{[w, run](QAction&) {
                            if (CObsView* v = View(*w)) run(*v);
                        },
                        [w, enabled] {
                            CObsView* v = View(*w);
                            return v != nullptr && enabled(*v);
                        },
                        {}};
    }

    // A technique entry: the menu's title and check marks follow at once.
    SCommand Technique(int technique) {
        CMainWindow* w = &window;
        return OnCommands(
            [w, technique](CObsDocCommands& c) {
                c.ChooseTechnique(technique);
                w->UpdateTechniqueMenu();
            },
            {}, [technique](CObsDocCommands& c) { return c.IsTechniqueChecked(technique); });
    }

    SCommand TimeRange(int viewMode) {
        return OnCommands(
            [viewMode](CObsDocCommands& c) { c.SetTimeRange(viewMode); }, {},
            [viewMode](CObsDocCommands& c) { return c.IsTimeRangeChecked(viewMode); });
    }

    SCommand Detail(unsigned bit) {
        return OnCommands([bit](CObsDocCommands& c) { c.ToggleDetail(bit); }, {},
                          [bit](CObsDocCommands& c) { return c.IsDetailChecked(bit); });
    }

    void Print(bool preview) {
        CObsView* view = View(window);
        if (!view) return;
        const QString title = window.ActiveDocumentWindow()->Title();
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(title);
        if (preview) {
            QPrintPreviewDialog dialog(&printer, &window);
            QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, view,
                             [view, title](QPrinter* p) { view->Print(*p, title); });
            dialog.exec();
            return;
        }
        QPrintDialog dialog(&printer, &window);
        if (dialog.exec() == QDialog::Accepted) view->Print(printer, title);
    }

    static CObsDocCommands* Commands(CMainWindow& w) {
        CObsDocWindow* obsWindow = w.ActiveObsWindow();
        return obsWindow ? obsWindow->Commands() : nullptr;
    }
    static CObsView* View(CMainWindow& w) {
        if (CObsDocWindow* obsWindow = w.ActiveObsWindow()) return obsWindow->ListView();
        if (auto* s = qobject_cast<CScanDocWindow*>(w.ActiveDocumentWindow())) return s->ListView();
        return nullptr;
    }

  private:
    CMainWindow& window;
};

// "Define Time Range" serves the exports too.
bool DefineTimeRangeWithDialog(int64_t& start, int64_t& end) {
    CTimeRangeLogic logic(start, end);
    if (!ObsDocDialogs().DefineTimeRange(logic)) return false;
    start = logic.start;
    end = logic.end;
    return true;
}

}  // namespace

void AttachObservationCommands(CMainWindow& window) {
    InstallTechDialogs();
    AttachVectorScanCommands(window);
    AttachShowAreaCommand(window);
    InstallWireCalibrationDialogs();
    CMainWindow* w = &window;
    InstallIonDialogs(
        [w] {
            if (QAction* setDaOutput = w->Action("techniqueSetDaOutput")) setDaOutput->trigger();
        },
        EscapePressedDuringWait);
    // A probe name made or removed anywhere shows in the Technique menu at once.
    window.Frame().Station().probeNamesChanged = [w] { w->UpdateTechniqueMenu(); };
    InstallObsDocDialogs();
    InstallExportDialogs(&window);
    SetDefineTimeRangeHook(DefineTimeRangeWithDialog);

    CWiring wire(window);

    // Technique.
    window.AttachCommand("techniqueCurrentDensity", wire.Technique(kTechniqueCdp));
    window.AttachCommand("techniqueRawAD", wire.Technique(kTechniqueRawAD));
    window.AttachCommand("techniqueInterestPoint", wire.Technique(kTechniqueInterestPoint));
    {
        // The probe entries carry their name as the action's data.
        SCommand probe = wire.OnCommands([](CObsDocCommands&) {});
        probe.run = [w](QAction& action) {
            if (CObsDocCommands* c = CWiring::Commands(*w)) {
                c->ChooseProbe(FromQ(action.data().toString()));
                w->UpdateTechniqueMenu();
            }
        };
        window.AttachCommand("techniqueIspPvpProbe", probe);
    }
    window.AttachCommand(kIspPvpNewItem, wire.OnCommands([w](CObsDocCommands& c) {
        if (c.NewProbe()) w->UpdateTechniqueMenu();
    }));
    window.AttachCommand(kIspPvpSelectItem, wire.OnCommands([w](CObsDocCommands& c) {
        c.SelectProbeByName();
        w->UpdateTechniqueMenu();
    }));
    window.AttachCommand("techniqueCalibration",
                         wire.OnCommands(
                             [w](CObsDocCommands& c) {
                                 c.Calibrate();
                                 w->UpdateTechniqueMenu();
                             },
                             [](CObsDocCommands& c) { return c.CanCalibrate(); }));
    window.AttachCommand("techniqueSampling",
                         wire.OnCommands(
                             [w](CObsDocCommands& c) {
                                 c.EditSampling();
                                 // A probe chosen by name for its rules is the selected one now.
                                 w->UpdateTechniqueMenu();
                             },
                             [](CObsDocCommands& c) { return c.CanEditSampling(); }));
    window.AttachCommand("techniqueSetResistivity",
                         wire.OnCommands([](CObsDocCommands& c) { c.SetResistivity(); }));

    // Mode.
    window.AttachCommand("modePoint", wire.OnCommands([](CObsDocCommands& c) { c.Point(); }));
    window.AttachCommand("modeReference",
                         wire.OnCommands([](CObsDocCommands& c) { c.Reference(); },
                                         [](CObsDocCommands& c) { return c.CanReference(); }));

    // Edit and Video.
    window.AttachCommand("editLogEntry", wire.OnCommands([](CObsDocCommands& c) { c.LogEntry(); }));
    window.AttachCommand("editHideObs", wire.OnView([](CObsView& v) { v.HideObs(); },
                                                    [](CObsView& v) { return v.CanHideShow(); }));
    window.AttachCommand("editShowObs", wire.OnView([](CObsView& v) { v.ShowObs(); },
                                                    [](CObsView& v) { return v.CanHideShow(); }));
    window.AttachCommand("videoGrabImage",
                         wire.OnCommands([](CObsDocCommands& c) { c.GrabImageToFile(); }));

    // File.
    window.AttachCommand("fileAutosave",
                         wire.OnCommands([](CObsDocCommands& c) { c.AutoSave(); }, {},
                                         [](CObsDocCommands& c) { return c.IsAutoSaveChecked(); }));
    // The exports serve the scan documents' windows too.
    window.AttachCommand("fileTextExport", wire.OnDataDocument([](CDataDocument& d, bool scan) {
        TextExportCommand(d, scan ? kScanDocSection : kObsDocSection);
    }));
    window.AttachCommand("fileSurfaceExport", wire.OnDataDocument([](CDataDocument& d, bool) {
        SurfaceExportCommand(d);
    }));
    window.AttachCommand("fileMageExport", wire.OnCommands([](CObsDocCommands& c) {
        MageExportCommand(c.Document());
    }));
    window.AttachCommand("filePrint", SCommand{[w](QAction&) { CWiring(*w).Print(false); },
                                               [w] { return CWiring::View(*w) != nullptr; },
                                               {}});
    window.AttachCommand("filePrintPreview", SCommand{[w](QAction&) { CWiring(*w).Print(true); },
                                                      [w] { return CWiring::View(*w) != nullptr; },
                                                      {}});

    // View: time range and details.
    window.AttachCommand("viewLatestHalfHour", wire.TimeRange(kViewLatestHalfHour));
    window.AttachCommand("viewAllTimes", wire.TimeRange(kViewAll));
    window.AttachCommand(
        "viewFixedRange",
        wire.OnCommands([](CObsDocCommands& c) { c.DefineTimeRange(); }, {},
                        [](CObsDocCommands& c) { return c.IsTimeRangeChecked(kViewFixed); }));
    window.AttachCommand("detailsDate", wire.Detail(DetailFlags::kDate));
    window.AttachCommand("detailsTime", wire.Detail(DetailFlags::kTime));
    window.AttachCommand("detailsType", wire.Detail(DetailFlags::kType));
    window.AttachCommand("detailsProbePosition", wire.Detail(DetailFlags::kProbePosition));
    window.AttachCommand("detailsSamplePosition", wire.Detail(DetailFlags::kSamplePosition));
    window.AttachCommand("detailsInformation", wire.Detail(DetailFlags::kInformation));
    window.AttachCommand("detailsCalculations", wire.Detail(DetailFlags::kCalculations));
    window.AttachCommand("detailsAll", wire.OnCommands([](CObsDocCommands& c) { c.DetailsAll(); }));

    // Mode > Watch (F8).
    AttachWatchCommands(window);
}
