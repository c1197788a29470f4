// The road to a scan document in the desktop program: a scan observation in an observation
// document opened by its double click, the scan's list and live map side by side, the map
// growing as a running scan adds points, the saved scan read-only, and the text export of the
// scan from its own window.
//
// VELM_SCANDOC_SHOT=<file.png> keeps a picture of the scan window (run under Xvfb with
// QT_QPA_PLATFORM=xcb to see it as the desktop draws it).

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <cmath>
#include <cstdlib>

#include "display/DispDoc.h"
#include "display/DispLayer.h"
#include "gui/GuiTestSupport.h"
#include "gui/app/DocumentWindow.h"
#include "gui/app/MainWindow.h"
#include "gui/display/DisplayWindow.h"
#include "gui/obs/ObsView.h"
#include "gui/scan/ScanDocWindow.h"
#include "obs/ObsDoc.h"
#include "obs/RawADObs.h"
#include "obs/ScanObs.h"
#include "obs/TextExport.h"
#include "obs/WireObs.h"
#include "scan/ScanDoc.h"
#include "settings/FileNumbering.h"
#include "support/TestEnv.h"

namespace {

// A 9 x 7 grid whose points read a current flowing round the middle, stronger outward.
void FillSwirl(CScanDoc& doc, int upTo) {
    doc.origin = CDVector4(1000, 2000, 0, 0);
    doc.end = CDVector4(400, 300, 0, 0);
    doc.steps = CIVector4(9, 7, 1, 1);
    doc.stepType = kStepGrid;
    doc.gridType = kGridZigZag;
    doc.paramSetName = "Swirl";
    doc.wireCal.XXuAperV = doc.wireCal.YYuAperV = 1.0;
    doc.wireCal.Resistivity = doc.wireCal.SystemGain = 1.0;
    int n = 0;
    for (int j = 0; j < 7; ++j) {
        for (int i = 0; i < 9 && n < upTo; ++i, ++n) {
            const double x = 50.0 * i, y = 50.0 * j;
            const double rx = x - 200, ry = y - 150;
            auto obs = std::make_unique<CWireObs>();
            obs->probePosition = CDVector4(1000 + x, 2000 + y, 0, 0);
            obs->reading = CDVector4(0, -ry / 100.0, 0, rx / 100.0);
            doc.AddObs(std::move(obs));
        }
    }
}

class ScanDocWindowTest : public CVelmTest {
  protected:
    ScanDocWindowTest() {
        WriteFileText(profile.Path(), "[A/D Board]\nLine 0=Simulated Station\n");
        profile.WriteProfileString(kMainframeSection, "Line 0", dir.Path());
    }
};

TEST_F(ScanDocWindowTest, ScanObservationOpensTheScanWithItsMap) {
    const std::string scanPath = dir.File("WedDec05Scan0000.scn");
    {
        CScanDoc scan;
        FillSwirl(scan, 63);
        scan.scanFile = scanPath;
        scan.readOnly = true;
        std::string message;
        ASSERT_TRUE(scan.SaveFile(scanPath, message)) << message;
        CObsDoc obsDoc;
        auto obs = std::make_unique<CScanObs>();
        obs->fileName = scanPath;
        obsDoc.AddObs(std::move(obs));
        ASSERT_TRUE(obsDoc.SaveFile(dir.File("data.vpo"), message)) << message;
    }
    CMainWindow window;
    window.resize(1100, 700);
    window.show();
    ASSERT_TRUE(window.OpenDocumentFile(QString::fromStdString(dir.File("data.vpo"))));
    CObsDocWindow* obsWindow = window.ActiveObsWindow();
    ASSERT_NE(obsWindow, nullptr);
    // What a double click on the line does: the observation opens.
    CVelmObs* scanObs = obsWindow->Document().GetObsAt(0);
    ASSERT_TRUE(scanObs->Open(&obsWindow->Document(), 0));
    auto* scanWindow = qobject_cast<CScanDocWindow*>(window.ActiveDocumentWindow());
    ASSERT_NE(scanWindow, nullptr);
    EXPECT_EQ(scanWindow->Title(), "WedDec05Scan0000.scn");
    EXPECT_EQ(scanWindow->Document().GetObsCount(), 63u);
    EXPECT_EQ(scanWindow->ListView()->Model().ObsRange().count, 63u);
    const SScanMap& map = scanWindow->MapView()->Map();
    EXPECT_EQ(map.grid.size(), 63u);
    EXPECT_EQ(map.arrows.size(), 63u);

    // Read-only: no saving, no question when it closes.
    QApplication::processEvents();
    window.UpdateActions();
    EXPECT_FALSE(scanWindow->CanSave());
    EXPECT_FALSE(window.Action("fileSave")->isEnabled());
    EXPECT_EQ(window.Action("scanReview")->isEnabled(), true);

    if (const char* shot = std::getenv("VELM_SCANDOC_SHOT")) {
        scanWindow->parentWidget()->showMaximized();
        QApplication::processEvents();
        window.grab().toImage().save(shot);
    }

    // Scan > "&Display" draws the scan's points in a new display that reads the open scan.
    window.UpdateActions();
    ASSERT_TRUE(window.Action("scanDisplay")->isEnabled());
    window.Action("scanDisplay")->trigger();
    auto* display = qobject_cast<CDispDocWindow*>(window.ActiveDocumentWindow());
    ASSERT_NE(display, nullptr);
    ASSERT_FALSE(display->Document().layers.empty());
    const auto* layer =
        dynamic_cast<const CDataDispLayer*>(display->Document().layers.back().get());
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->source, scanPath);
    EXPECT_EQ(layer->sourceDoc, &scanWindow->Document());
    window.MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(scanWindow->parentWidget()));

    // The text export from the scan's own window writes the scan's observations.
    const std::string exportPath = dir.File("scan-export.txt");
    SetTextExportDialog([&](CTextExportLogic& logic) {
        logic.outputPath = exportPath;
        return true;
    });
    window.Action("fileTextExport")->trigger();
    const std::string text = ReadFileText(exportPath);
    EXPECT_NE(text.find("CurrentDensityObs"), std::string::npos) << text.substr(0, 400);
    EXPECT_GE(std::count(text.begin(), text.end(), '\n'), 63);
    // The scan document noted the export but stays unsaved and closes without asking.
    EXPECT_FALSE(scanWindow->IsModified());
    prompt.shown.clear();
    EXPECT_TRUE(scanWindow->QueryClose());
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(ScanDocWindowTest, MapFillsInWhileTheScanRuns) {
    CMainWindow window;
    auto* scanWindow = qobject_cast<CScanDocWindow*>(window.CreateNewDocument(EDocType::Scan));
    ASSERT_NE(scanWindow, nullptr);
    CScanDoc& doc = scanWindow->Document();
    doc.closable = false;  // a group acquires into it
    FillSwirl(doc, 0);
    doc.UpdateAllViews();
    EXPECT_EQ(scanWindow->MapView()->Map().arrows.size(), 0u);
    for (int k = 1; k <= 3; ++k) {
        auto obs = std::make_unique<CWireObs>();
        obs->reading = CDVector4(0, 0.1 * k, 0, 0);
        doc.AddObs(std::move(obs));
        EXPECT_EQ(scanWindow->MapView()->Map().arrows.size(), static_cast<size_t>(k));
    }
    auto raw = std::make_unique<CRawADObs>();
    raw->values.assign(1, 0.25);
    doc.AddObs(std::move(raw));
    EXPECT_EQ(scanWindow->MapView()->Map().dots.size(), 1u);
    EXPECT_EQ(scanWindow->ListView()->Model().ObsRange().count, 4u);

    // Closing while the scan runs is refused with the program's words.
    prompt.shown.clear();
    EXPECT_FALSE(scanWindow->QueryClose());
    EXPECT_EQ(prompt.LastText(),
              "Scan sequence in progress.\n\nTerminate scan sequence from Data Document first.");
    doc.closable = true;
    window.Action("scanInterrupt")->trigger();
    EXPECT_EQ(prompt.LastText(),
              "Switch to Observation Data Document (.VPO) window\nand select Scan::Interrupt.");
}

}  // namespace
