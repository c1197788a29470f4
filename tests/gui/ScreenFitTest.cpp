// Every dialog and window of the program fits a 1280 x 720 screen (a small laptop), at the
// font size of a usual desktop, so that OK and Cancel can always be reached.
//
// The catalogue below is the one list of the program's dialogs: a new dialog is one more
// entry, made as the program makes it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFont>
#include <QLayout>
#include <QRegularExpression>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "app/DaOutputLogic.h"
#include "app/MainFrame.h"
#include "app/ObsDocDialogs.h"
#include "gui/app/AdBoardTestDialog.h"
#include "gui/app/Dialogs.h"
#include "gui/app/MainWindow.h"
#include "gui/app/ObsDocDialogsQt.h"
#include "gui/app/RootDirectoryDialogs.h"
#include "gui/hw/AdBoardSetupDialog.h"
#include "gui/hw/LiveVideoWindow.h"
#include "gui/hw/QtFgDialogs.h"
#include "gui/hw/QtMotionDialogs.h"
#include "gui/obs/ExportTextDialog.h"
#include "gui/obs/MageExportDialog.h"
#include "gui/obs/SurfaceExportDialog.h"
#include "gui/scan/DaScanDialog.h"
#include "gui/scan/DaScanWindows.h"
#include "gui/scan/GridScanDialogs.h"
#include "gui/scan/GridScanStatus.h"
#include "gui/tech/TechDialogsQt.h"
#include "hw/AdBoard.h"
#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"
#include "hw/ad/AdBoardSetupLogic.h"
#include "hw/fg/AdjustInputLogic.h"
#include "hw/fg/FgSetupLogic.h"
#include "hw/fg/PickOnImageLogic.h"
#include "hw/motion/GoToPositionLogic.h"
#include "hw/motion/MotionSetupLogic.h"
#include "obs/ExportOptions.h"
#include "obs/IonObs.h"
#include "obs/MageExport.h"
#include "obs/ObsDoc.h"
#include "obs/SampRulesRawAD.h"
#include "obs/SampRulesWire.h"
#include "obs/SurfaceExport.h"
#include "obs/TextExport.h"
#include "scan/DaScanSetup.h"
#include "scan/GridScanSet.h"
#include "scan/ScanDoc.h"
#include "support/TestEnv.h"
#include "tech/Station.h"
#include "tech/TechDialogs.h"

namespace {

// The screen, less a window title bar and a desktop panel.
constexpr int kScreenWidth = 1280;
constexpr int kUsableHeight = 720 - 48;

// What the dialogs are made on: a station from a scratch velm.ini and a document with a few
// observations. Logic objects live as long as the world.
class CDialogWorld {
  public:
    CDialogWorld() {
        for (const char* name : {"K+", "Ca++", "pH"}) {
            auto ion = std::make_unique<CIonObs>();
            ion->name = name;
            doc.AddObs(std::move(ion));
        }
    }
    template <class T, class... Args>
    T& Keep(Args&&... args) {
        auto owned = std::make_shared<T>(std::forward<Args>(args)...);
        kept.push_back(owned);
        return *owned;
    }

    CMainFrame frame;
    CObsDoc doc;

  private:
    std::vector<std::shared_ptr<void>> kept;
};

struct SDialogCase {
    const char* name;
    std::function<std::unique_ptr<QWidget>(CDialogWorld&)> make;
};

const std::vector<SDialogCase>& DialogCatalogue() {
    static const std::vector<SDialogCase> cases = {
        // The shell.
        {"VELM File Locations",
         [](CDialogWorld&) { return std::make_unique<CFileLocationsDialog>("/tmp"); }},
        {"VELM Root Directory",
         [](CDialogWorld&) { return std::make_unique<CRootDirectoryDialog>("/"); }},
        {"Create New Root Directory",
         [](CDialogWorld&) {
             return std::make_unique<CCreateRootDirectoryDialog>("/", "1205070");
         }},
        {"Default Filenames",
         [](CDialogWorld&) { return std::make_unique<CDefaultFilenamesDialog>(); }},
        {"New", [](CDialogWorld&) { return std::make_unique<CNewDocumentDialog>(); }},
        {"About", [](CDialogWorld&) { return std::make_unique<CAboutDialog>(); }},
        {"VELM Keys", [](CDialogWorld&) { return std::make_unique<CKeysHelpDialog>(); }},
        {"Set D/A Output",
         [](CDialogWorld& w) {
             return std::make_unique<CSetDaOutputDialog>(
                 w.Keep<CSetDaOutputLogic>(w.frame.da, w.frame.AdBoard()));
         }},
        {"A/D Board Test",
         [](CDialogWorld& w) { return std::make_unique<CAdBoardTestDialog>(w.frame.AdBoard()); }},
        // The observation document's.
        {"Log Entry",
         [](CDialogWorld& w) {
             return std::make_unique<CLogEntryDialog>(w.Keep<CLogEntryLogic>());
         }},
        {"Auto Save Feature",
         [](CDialogWorld& w) {
             return std::make_unique<CAutoSaveDialog>(w.Keep<CAutoSaveLogic>(10));
         }},
        {"Define Time Range",
         [](CDialogWorld& w) {
             return std::make_unique<CTimeRangeDialog>(
                 w.Keep<CTimeRangeLogic>(kTestEpoch - 1800, kTestEpoch));
         }},
        {"Open Observations With ...",
         [](CDialogWorld& w) {
             return std::make_unique<COpenWithDialog>(w.Keep<COpenWithLogic>());
         }},
        {"Edit Current Density Probe Reference",
         [](CDialogWorld& w) {
             return std::make_unique<CWireReferenceDialog>(
                 w.Keep<CWireReferenceLogic>(CDVector4(1, 2, 3, 4)));
         }},
        {"Edit ISP/PVP Reference",
         [](CDialogWorld& w) {
             CIonReference reference;
             reference.values.assign(40, 1.25);
             return std::make_unique<CIonReferenceDialog>(w.Keep<CIonReferenceLogic>(reference));
         }},
        {"Export Observations To Text File",
         [](CDialogWorld& w) {
             return std::make_unique<CExportTextDialog>(w.Keep<CTextExportLogic>(
                 w.doc, ExportOptionsOf(w.doc), "/data/expt/expor001.txt"));
         }},
        {"Surface Export Definition",
         [](CDialogWorld& w) {
             return std::make_unique<CSurfaceExportDialog>(
                 w.Keep<CSurfaceExportLogic>(w.doc, "/data/expt/expor002.txt"));
         }},
        {"Mage Export Definition",
         [](CDialogWorld& w) {
             return std::make_unique<CMageExportDialog>(
                 w.Keep<CMageExportLogic>(w.doc, "/data/expt/expor003.txt"));
         }},
        // The scans'.
        {"D/A Output Scan",
         [](CDialogWorld& w) {
             return std::make_unique<CDaScanDialog>(
                 w.Keep<CDaScanSetupLogic>(w.doc, w.frame.Station(), w.frame.AdBoard().daRange));
         }},
        {"D/A Output Scan Status",
         [](CDialogWorld&) { return std::make_unique<CDaScanStatusWindow>(); }},
        {"Graph", [](CDialogWorld&) { return std::make_unique<CDaScanGraphWindow>(); }},
        {"Load Grid Scan Parameters",
         [](CDialogWorld& w) {
             return std::make_unique<CGridScanSetListDialog>(w.Keep<CGridScanSetList>());
         }},
        {"New Grid Scan Parameter Name",
         [](CDialogWorld&) { return std::make_unique<CGridScanNewNameDialog>(); }},
        {"Grid Scan Setup",
         [](CDialogWorld& w) {
             CScanDoc& scan = w.Keep<CScanDoc>();
             return std::make_unique<CGridScanSetupDialog>(
                 w.Keep<CGridScanSetupLogic>(scan, w.frame.Station()), &w.frame);
         }},
        {"Scan Status", [](CDialogWorld&) { return std::make_unique<CGridScanStatusWindow>(); }},
        // The techniques'.
        {"Current Density Probe Sampling Rules",
         [](CDialogWorld& w) {
             return std::make_unique<CWireRulesDialog>(w.Keep<CWireRulesLogic>(CSampRulesWire()));
         }},
        {"Raw A/D Sampling Rules",
         [](CDialogWorld& w) {
             return std::make_unique<CRawADRulesDialog>(
                 w.Keep<CRawADRulesLogic>(CSampRulesRawAD()));
         }},
        {"Set CDP Resistivity",
         [](CDialogWorld& w) {
             return std::make_unique<CResistivityDialog>(w.Keep<CResistivityLogic>(100.0));
         }},
        // The hardware's.
        {"A/D Board Setup",
         [](CDialogWorld& w) {
             return std::make_unique<CAdBoardSetupDialog>(
                 w.Keep<CAdBoardSetupLogic>(w.frame.AdBoard()));
         }},
        {"Frame Grabber Setup",
         [](CDialogWorld& w) {
             return std::make_unique<CFgSetupDialog>(w.Keep<CFgSetupLogic>(w.frame.FgBoard()));
         }},
        {"Adjust Frame Grabber Input Signal",
         [](CDialogWorld& w) {
             return std::make_unique<CAdjustInputDialog>(
                 w.Keep<CAdjustInputLogic>(w.frame.FgBoard()));
         }},
        {"Show Position on Frame Grabber",
         [](CDialogWorld& w) {
             auto& logic =
                 w.Keep<CPickOnImageLogic>(w.frame.FgBoard(), "Show probe ...", SPickMarkers{});
             logic.Grab();
             return std::make_unique<CPickOnImageDialog>(logic);
         }},
        {"Live Video refresh rate",
         [](CDialogWorld&) { return std::make_unique<CRefreshRateDialog>(); }},
        {"Motion Control Setup",
         [](CDialogWorld& w) {
             return std::make_unique<CMotionSetupDialog>(
                 w.Keep<CMotionSetupLogic>(w.frame.ProbeSystem()));
         }},
        {"Go To A Position",
         [](CDialogWorld& w) {
             return std::make_unique<CGoToPositionDialog>(
                 w.Keep<CGoToPositionLogic>(CDVector4(1, 2, 3, 4)));
         }},
        {"Z minimum warning",
         [](CDialogWorld&) {
             return std::make_unique<CZMinimumWarningDialog>(
                 "Requested Z Minimum is Above Current Z Coordinate!",
                 std::vector<std::pair<QString, double>>{{"Requested Minimum:", 10.0},
                                                         {"Current Minimum:", 0.0},
                                                         {"Current Z Coordinate:", 5.0}},
                 QStringList{"Set Z Minimum to Current Z Coordinate",
                             "Set Current Z Coordinate to Requested Z Minimum",
                             "Cancel   (Keep Current Z Minimum)"});
         }},
    };
    return cases;
}

class ScreenFitTest : public CVelmTest {
  protected:
    ScreenFitTest() : font(QApplication::font()) {
        // GNOME's and KDE's usual interface fonts are 10 to 11 points.
        QFont desktop = font;
        desktop.setPointSizeF(11.0);
        QApplication::setFont(desktop);
    }
    ~ScreenFitTest() override { QApplication::setFont(font); }

    static void ExpectFits(QWidget& widget, const char* name) {
        if (widget.layout()) widget.layout()->activate();
        const QSize wanted = widget.sizeHint().expandedTo(widget.minimumSizeHint());
        // VELM_SCREEN_FIT_SHOTS=<folder> keeps a picture of each at the size it opens at.
        if (const char* folder = std::getenv("VELM_SCREEN_FIT_SHOTS")) {
            widget.resize(wanted);
            widget.grab().save(QString::fromLocal8Bit(folder) + "/" +
                               QString::fromLatin1(name).replace(QRegularExpression("\\W+"), "_") +
                               ".png");
        }
        const QSize least = widget.minimumSizeHint().expandedTo(widget.minimumSize());
        EXPECT_LE(least.width(), kScreenWidth) << name;
        EXPECT_LE(least.height(), kUsableHeight) << name;
        // The size it opens at fits too (a scroll area may hold more).
        EXPECT_LE(wanted.width(), kScreenWidth) << name << " " << wanted.width();
        EXPECT_LE(wanted.height(), kUsableHeight) << name << " " << wanted.height();
    }

  private:
    QFont font;
};

}  // namespace

TEST_F(ScreenFitTest, EveryDialogFitsASmallLaptopScreen) {
    CDialogWorld world;
    for (const SDialogCase& c : DialogCatalogue()) {
        std::unique_ptr<QWidget> dialog = c.make(world);
        ASSERT_NE(dialog, nullptr) << c.name;
        ExpectFits(*dialog, c.name);
    }
}

TEST_F(ScreenFitTest, TheMainWindowFitsItToo) {
    CMainWindow window;
    window.CreateNewDocument(EDocType::Observation);
    ExpectFits(window, "main window");
}
