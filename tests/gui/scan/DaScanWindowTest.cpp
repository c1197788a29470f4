// The road of a D/A output scan through the desktop program: Mode > "&D/A Output Scan" (F3)
// of an observation document on the Simulated Station, the dialog refusing an entry and going
// back to it, the scan of a polarographic electrode's polarising voltage, the status window
// gone at the end and the Graph left open with the curve.
//
// VELM_DASCAN_GRAPH_SHOT=<file.png> keeps a picture of the graph window (run under Xvfb with
// QT_QPA_PLATFORM=xcb to see it as the desktop draws it).

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cstdlib>

#include "app/MainFrame.h"
#include "app/ObsDocCommands.h"
#include "gui/GuiTestSupport.h"
#include "gui/app/DocumentWindow.h"
#include "gui/app/MainWindow.h"
#include "gui/scan/DaScanDialog.h"
#include "gui/scan/DaScanWindows.h"
#include "hw/AdBoard.h"
#include "obs/LogEntry.h"
#include "obs/ObsDoc.h"
#include "obs/RawADObs.h"
#include "settings/FileNumbering.h"
#include "support/TestEnv.h"

namespace {

constexpr const char* kBench =
    "[A/D Board]\nLine 0=Simulated Station\n"
    "[Raw A/D Sample Rules]\n"
    "Point =chan: 4 to 4, pre=0.010000  avg=1  inter=1  avgperiod=0.100000  burstnum=100  "
    "burstfreq=100.000000\n"
    "[Simulated Station]\n"
    "Line 5=electrode 1: polar  e0=59.000000  slope=59.000000  i0=5.000000  kp=5.000000  "
    "plateau=-0.900000 -0.500000  gains=10.000000 100.000000  hi=4  lo=5  da=0\n";

class DaScanWindowTest : public CVelmTest {
  protected:
    DaScanWindowTest() {
        WriteFileText(profile.Path(), kBench);
        profile.WriteProfileString(kMainframeSection, "Line 0", dir.Path());
    }
};

TEST_F(DaScanWindowTest, FromTheModeMenuToTheGraphOfThePlateau) {
    CMainWindow window;
    auto* obsWindow = static_cast<CObsDocWindow*>(window.CreateNewDocument(EDocType::Observation));
    QAction* scan = window.Action("modeDaOutputScan");
    ASSERT_NE(scan, nullptr);
    EXPECT_EQ(scan->text(), "&D/A Output Scan");
    EXPECT_EQ(scan->shortcut(), QKeySequence("F3"));
    EXPECT_TRUE(scan->isEnabled());

    OnNext<CDaScanDialog>([this](CDaScanDialog* d) {
        EXPECT_EQ(d->windowTitle(), "D/A Output Scan");
        Child<QLineEdit>(d, "startEdit")->setText("-1.3");
        Child<QLineEdit>(d, "endEdit")->setText("-0.1");
        Child<QLineEdit>(d, "pointsEdit")->setText("1");
        Child<QLineEdit>(d, "intervalEdit")->setText("0.5");
        Child<QCheckBox>(d, "recordRawAD")->setChecked(true);
        Child<QCheckBox>(d, "recordCDP")->setChecked(false);
        Child<QCheckBox>(d, "resetCheck")->setChecked(true);
        Child<QLineEdit>(d, "resetVoltsEdit")->setText("-0.7");
        auto* ok = d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        ok->click();
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(prompt.LastText(),
                  "Please enter a whole number from 2 to 65535 for \"Number of points in scan:\" "
                  "(not \"1\").");
        EXPECT_EQ(d->focusWidget(), Child<QLineEdit>(d, "pointsEdit"));
        Child<QLineEdit>(d, "pointsEdit")->setText("17");
        ok->click();
    });
    scan->trigger();

    const CObsDoc& doc = obsWindow->Document();
    // The rules, the begin entry, 17 points, the end entry.
    ASSERT_EQ(doc.GetObsCount(), 20u);
    EXPECT_EQ(static_cast<const CLogEntry*>(doc.GetObsAt(19))->text,
              "End D/A Output Scan of Channel 1 from -1.300V to -0.100V in 17 steps, 1 Scans, Auto "
              "Increment at 0.5 second intervals");
    EXPECT_EQ(window.Frame().AdBoard().da1, -0.7);
    EXPECT_EQ(prompt.shown.size(), 1u) << prompt.LastText();
    EXPECT_TRUE(scan->isEnabled());

    for (CDaScanStatusWindow* status : window.findChildren<CDaScanStatusWindow*>())
        EXPECT_FALSE(status->isVisible());
    CDaScanGraphWindow* graph = CQtDaScanMonitor::GraphWindow();
    ASSERT_NE(graph, nullptr);
    EXPECT_TRUE(graph->isVisible());
    EXPECT_EQ(graph->windowTitle(), "Graph");
    ASSERT_EQ(graph->Graph().Points().size(), 17u);
    EXPECT_NEAR(graph->Graph().Points()[8].value, 1.0, 1e-9);  // -0.7 V: on the plateau
    EXPECT_NEAR(graph->Graph().Points()[0].value, 0.5, 1e-9);

    // The picture has the curve in it: the plateau's points are drawn above the others.
    graph->resize(560, 400);
    const QImage picture = graph->grab().toImage();
    if (const char* shot = std::getenv("VELM_DASCAN_GRAPH_SHOT")) picture.save(shot);
    const QColor curve = graph->palette().color(QPalette::Highlight);
    int curvePixels = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            curvePixels += picture.pixelColor(x, y) == curve;
    EXPECT_GT(curvePixels, 200);
    graph->close();
}

}  // namespace
