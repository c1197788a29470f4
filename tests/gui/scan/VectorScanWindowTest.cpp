// The road of a vector scan through the desktop program: Mode > "&Vector Scan" (F10) of an
// observation document on the Simulated Station, operations added with the dialog's buttons,
// OK refusing what does not fit, the runs on the window's timer with the entry reading
// "&Interrupt Vector Scan", and the scan windows' "Show A&rea on Image" opening the drawn copy
// as a new image. Both dialogs fit a 1280 x 800 screen.
//
// VELM_VECTORSCAN_SHOT=<file.png> keeps a picture of the dialog.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <cstdlib>

#include "app/MainFrame.h"
#include "app/ObsDocCommands.h"
#include "gui/GuiTestSupport.h"
#include "gui/app/DocumentWindow.h"
#include "gui/app/MainWindow.h"
#include "gui/scan/ShowAreaDialog.h"
#include "gui/scan/VectorScanDialog.h"
#include "gui/scan/VectorScanWiring.h"
#include "hw/Bmp.h"
#include "obs/LogEntry.h"
#include "obs/ObsDoc.h"
#include "obs/OpticalSystem.h"
#include "obs/RawADObs.h"
#include "scan/ScanDoc.h"
#include "settings/FileNumbering.h"
#include "support/TestEnv.h"
#include "tech/TechDialogs.h"

namespace {

constexpr const char* kBench =
    "[A/D Board]\nLine 0=Simulated Station\n"
    "[FlexMotion MCS]\nLine 1=criteria=0  deadband=0  delay=0  minpulse=0  statuscheckdelay=0\n"
    "[Raw A/D Sample Rules]\n"
    "Vector Scan=chan: 4 to 4, pre=0.000000  avg=1  inter=1  avgperiod=0.100000  burstnum=100  "
    "burstfreq=100.000000\n";

class VectorScanWindowTest : public CVelmTest {
  protected:
    VectorScanWindowTest() {
        WriteFileText(profile.Path(), kBench);
        profile.WriteProfileString(kMainframeSection, "Line 0", dir.Path());
        techDialogs.rawADRules = [](CRawADRulesLogic&) { return true; };
    }
    // Installed after the main window, which installs the Qt dialogs.
    CScriptedTechDialogs techDialogs;
};

void ExpectFits(QWidget* widget) {
    widget->adjustSize();
    const QSize size = widget->sizeHint().expandedTo(widget->minimumSizeHint());
    EXPECT_LE(size.width(), 1280) << widget->windowTitle().toStdString();
    EXPECT_LE(size.height(), 760) << widget->windowTitle().toStdString();
}

TEST_F(VectorScanWindowTest, FromTheModeMenuThroughTwoRuns) {
    CMainWindow window;
    CScopedTechDialogs techScope(&techDialogs);
    auto* obsWindow = static_cast<CObsDocWindow*>(window.CreateNewDocument(EDocType::Observation));
    QAction* action = window.Action("modeVectorScan");
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->shortcut(), QKeySequence("F10"));
    window.UpdateActions();
    EXPECT_TRUE(action->isEnabled());

    OnNext<CVectorScanDialog>([this](CVectorScanDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Vector Scan Definition");
        ExpectFits(d);
        Child<QRadioButton>(d, "promptNone")->setChecked(true);
        auto* ok = d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        ok->click();
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(prompt.LastText(),
                  "You must have at least one operation defined in a vector scan.");
        Child<QLineEdit>(d, "probeXEdit")->setText("25");
        Child<QPushButton>(d, "rawADButton")->click();
        Child<QLineEdit>(d, "probeXEdit")->setText("50");
        Child<QPushButton>(d, "intermediateButton")->click();
        auto* list = Child<QListWidget>(d, "operationList");
        ASSERT_EQ(list->count(), 2);
        EXPECT_TRUE(list->item(1)->text().startsWith("2: P [50.00,0.00,0.00,0.00] "))
            << list->item(1)->text().toStdString();
        Child<QPushButton>(d, "calcButton")->click();
        EXPECT_NE(Child<QLabel>(d, "estimateLabel")->text(), "-- sec");
        Child<QLineEdit>(d, "intervalEdit")->setText("2");
        Child<QLineEdit>(d, "repsEdit")->setText("2");
        if (const char* shot = std::getenv("VELM_VECTORSCAN_SHOT")) d->grab().save(shot);
        ok->click();
    });
    action->trigger();

    CVectorScanController* controller = CVectorScanController::Find(*obsWindow);
    ASSERT_NE(controller, nullptr);
    ASSERT_TRUE(controller->IsRunning());
    EXPECT_TRUE(controller->Timer().isActive());
    EXPECT_EQ(action->text(), "&Interrupt Vector Scan");
    EXPECT_FALSE(obsWindow->CanClose());
    // The window's timer ticks once a second; here the simulated clock stands in for it.
    for (int i = 0; i < 6 && controller->IsRunning(); ++i) {
        clock.Advance(1000);
        controller->Run()->OnTick();
    }
    EXPECT_FALSE(controller->IsRunning());
    EXPECT_FALSE(controller->Timer().isActive());
    window.UpdateActions();
    EXPECT_EQ(action->text(), "&Vector Scan");

    const CObsDoc& doc = obsWindow->Document();
    EXPECT_EQ(doc.vsOps.size(), 2u);
    int points = 0;
    for (const auto& obs : doc.Observations())
        if (const auto* raw = dynamic_cast<const CRawADObs*>(obs.get())) {
            ++points;
            EXPECT_EQ(raw->index, 1);
            EXPECT_NEAR(raw->probePosition.x, 25.0, 0.1);  // within a whole step
        }
    EXPECT_EQ(points, 2);
    EXPECT_EQ(static_cast<const CLogEntry*>(doc.GetObsAt(doc.GetObsCount() - 1))->text,
              "End Vector Scan 2 of 2: 2 points");
    EXPECT_EQ(profile.GetProfileString("Vector Scan", "Line 0"), "Prompt=1482  Interval=1422");
}

TEST_F(VectorScanWindowTest, ShowAreaOpensTheDrawnCopyAsANewImage) {
    COpticalSystem system;
    system.name = "Scope";
    system.umPerPixelX = 2.0;
    system.umPerPixelY = -2.0;
    ASSERT_TRUE(system.Save());
    const std::string picture = dir.File("sample.bmp");
    ASSERT_TRUE(WriteBmpFile(picture, CBitmapImage::Blank(640, 480, 8)));
    CScanDoc scan;
    scan.start = CDVector4(-100, 50, 0, 0);
    scan.end = CDVector4(300, -150, 0, 0);
    std::string message;
    ASSERT_TRUE(scan.SaveFile(dir.File("area.scn"), message)) << message;

    CMainWindow window;
    ASSERT_NE(window.OpenDocumentWindow(dir.File("area.scn"), EDocType::Scan), nullptr);
    window.UpdateActions();
    QAction* action = window.Action("scanShowArea");
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->shortcut(), QKeySequence("Shift+F9"));
    EXPECT_TRUE(action->isEnabled());
    OnNext<CShowAreaDialog>([&](CShowAreaDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Show Area on Image");
        ExpectFits(d);
        Child<QComboBox>(d, "imageCombo")->setEditText(QString::fromStdString(picture));
        Child<QComboBox>(d, "systemCombo")->setCurrentText("Scope");
        Child<QLineEdit>(d, "penEdit")->setText("5");
        d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    action->trigger();
    auto* image = dynamic_cast<CImageDocWindow*>(window.ActiveDocumentWindow());
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(image->IsModified());
    EXPECT_TRUE(image->PathName().empty());
    ASSERT_EQ(image->Image().bitsPerPixel, 24);
    // The outline's bottom edge, row 163 from the bottom, in the default red.
    EXPECT_EQ(image->Image().Row(163)[3 * 300 + 2], 255);
    EXPECT_EQ(image->Image().Row(200)[3 * 300 + 2], 0);
}

}  // namespace
