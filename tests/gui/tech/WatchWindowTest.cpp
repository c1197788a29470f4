// The road of a watch through the desktop program: Mode > "&Watch" (F8) on an observation
// document of the simulated station opens the window of the technique, F8 again closes it, the
// buttons drive the watch, and closing the document takes a recording watch with it.
//
// VELM_WATCH_SHOT=<file.png> keeps a picture of the raw A/D window after a minute of ticks,
// VELM_WATCH_CDP_SHOT=<file.png> one of the CDP window.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <cmath>
#include <cstdlib>
#include <ctime>

#include "app/MainFrame.h"
#include "gui/GuiTestSupport.h"
#include "gui/app/DocumentWindow.h"
#include "gui/app/MainWindow.h"
#include "gui/tech/TimePlotWidget.h"
#include "gui/tech/WatchWindow.h"
#include "gui/tech/WatchWiring.h"
#include "obs/ObsDoc.h"
#include "obs/RawADObs.h"
#include "obs/WireObs.h"
#include "settings/FileNumbering.h"
#include "support/TestEnv.h"
#include "tech/Station.h"
#include "tech/watch/RawADWatch.h"
#include "tech/watch/WireWatch.h"

namespace {

constexpr const char* kBench =
    "[A/D Board]\nLine 0=Sine Wave (0.1 Hz)\n"
    "Line 1=base=1 [ a/d +/-2.00V, d/a +/-5.00V ]  da0=0  da1=0  freq=1000\n"
    "[Raw A/D Sample Rules]\n"
    "Point =chan: 4 to 6, pre=0.010000  avg=1  inter=1  avgperiod=0.100000  burstnum=100  "
    "burstfreq=100.000000\n"
    "[Voltage Probe Calibration]\n"
    "Line 0=Zvib: 17472  xCal: 1  yCal: 1  rho: 100.000000  SG: 50000.000000\n"
    "Line 1=xxPh: 0.523599  xxA/V: 500000000.000000  xyPh: 0.000000  xyA/V: 0.000000  "
    "xVibAng=0.000000\n"
    "Line 2=yxPh: 0.000000  yxA/V: 0.000000  yyPh: 1.047198  yyA/V: 500000000.000000  "
    "yVibAng=1.570796\n";

class WatchWindowTest : public CVelmTest {
  protected:
    WatchWindowTest() {
        WriteFileText(profile.Path(), kBench);
        profile.WriteProfileString(kMainframeSection, "Line 0", dir.Path());
    }
};

TEST_F(WatchWindowTest, F8OpensTheWindowOfTheTechniqueAndClosesIt) {
    CMainWindow window;
    window.Frame().Station().SetMeasurementType(kTechniqueCdp);
    auto* obsWindow = static_cast<CObsDocWindow*>(window.CreateNewDocument(EDocType::Observation));
    QAction* watch = window.Action("modeWatch");
    ASSERT_NE(watch, nullptr);
    EXPECT_EQ(watch->shortcut(), QKeySequence("F8"));
    window.UpdateActions();
    ASSERT_TRUE(watch->isEnabled());
    watch->trigger();
    CWatchWindow* open = WatchWindowOf(obsWindow);
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->windowTitle(), "Watch Current Density Probe Values");
    EXPECT_TRUE(open->isVisible());
    EXPECT_EQ(open->Watch().TickCount(), 1u);
    EXPECT_TRUE(open->Timer().isActive());
    EXPECT_EQ(open->Timer().interval(), 1000);
    EXPECT_FALSE(Child<QLabel>(open, "current0")->text().isEmpty());
    EXPECT_EQ(Child<QLabel>(open, "intervalText")->text(), "1.00 seconds");
    if (const char* shot = std::getenv("VELM_WATCH_CDP_SHOT")) {
        open->Watch().Plot().on = true;
        for (int i = 0; i < 30; ++i) {
            clock.Advance(2000);
            open->Watch().Tick();
        }
        open->resize(900, 700);
        QImage image(open->size(), QImage::Format_RGB32);
        open->render(&image);
        image.save(shot);
    }

    // Pause stops the timer; Resume ticks at once.
    auto* pause = Child<QPushButton>(open, "pause");
    pause->click();
    EXPECT_EQ(pause->text(), "Resume");
    EXPECT_FALSE(open->Timer().isActive());
    pause->click();
    EXPECT_EQ(pause->text(), "Pause");
    EXPECT_EQ(open->Watch().TickCount(), 2u);

    // Record One keeps the next tick, after the rules and the calibration.
    Child<QPushButton>(open, "recordOne")->click();
    EXPECT_FALSE(Child<QPushButton>(open, "recordOne")->isEnabled());
    open->Watch().Tick();
    const CObsDoc& doc = obsWindow->Document();
    ASSERT_EQ(doc.GetObsCount(), 3u);
    EXPECT_NE(dynamic_cast<const CWireObs*>(doc.GetObsAt(2)), nullptr);

    QPointer<CWatchWindow> guard(open);
    watch->trigger();  // F8 again: closed
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
    EXPECT_EQ(WatchWindowOf(obsWindow), nullptr);
    EXPECT_NE(profile.GetProfileString("Voltage Probe Calibration", "Watch"), "");
}

TEST_F(WatchWindowTest, ClosingTheDocumentClosesItsRecordingWatch) {
    CMainWindow window;
    window.Frame().Station().SetMeasurementType(kTechniqueRawAD);
    auto* obsWindow = static_cast<CObsDocWindow*>(window.CreateNewDocument(EDocType::Observation));
    window.Action("modeWatch")->trigger();
    CWatchWindow* open = WatchWindowOf(obsWindow);
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->windowTitle(), "Watch Raw A/D Values");
    EXPECT_NE(Child<QLabel>(open, "rawValues")->text().indexOf("Ch6: "), -1);
    auto* record = Child<QPushButton>(open, "record");
    record->click();
    EXPECT_EQ(record->text(), "Record Off");
    open->Watch().Tick();
    EXPECT_EQ(obsWindow->Document().GetObsCount(), 2u);  // rules, then the observation

    QPointer<CWatchWindow> guard(open);
    ASSERT_TRUE(obsWindow->CanClose());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
    EXPECT_EQ(WatchWindowOf(obsWindow), nullptr);
}

TEST_F(WatchWindowTest, CommandsThatNeedTheBoardCloseTheWatchFirstWhenTheUserAgrees) {
    CMainWindow window;
    window.Frame().Station().SetMeasurementType(kTechniqueRawAD);
    auto* obsWindow = static_cast<CObsDocWindow*>(window.CreateNewDocument(EDocType::Observation));
    window.Action("modeWatch")->trigger();
    ASSERT_NE(WatchWindowOf(obsWindow), nullptr);
    const size_t before = obsWindow->Document().GetObsCount();

    // No: the watch goes on and the point is not taken.
    prompt.answers.push_back(EPromptAnswer::No);
    window.Action("modePoint")->trigger();
    ASSERT_FALSE(prompt.shown.empty());
    EXPECT_EQ(prompt.shown.back().text,
              "Close down Raw A/D probe Watch dialog\nto perform this operation ?");
    EXPECT_NE(WatchWindowOf(obsWindow), nullptr);
    EXPECT_EQ(obsWindow->Document().GetObsCount(), before);

    // Yes: the watch closes, then the point is taken.
    prompt.answers.push_back(EPromptAnswer::Yes);
    window.Action("modePoint")->trigger();
    EXPECT_EQ(WatchWindowOf(obsWindow), nullptr);
    EXPECT_GT(obsWindow->Document().GetObsCount(), before);

    // Commands that leave the board alone never ask.
    window.Action("modeWatch")->trigger();
    const size_t asked = prompt.shown.size();
    window.Action("detailsDate")->trigger();
    EXPECT_EQ(prompt.shown.size(), asked);
}

TEST_F(WatchWindowTest, ARawWatchPlotsEachChannelInItsColourAndSplits) {
    CMainWindow window;
    window.Frame().Station().SetMeasurementType(kTechniqueRawAD);
    auto* obsWindow = static_cast<CObsDocWindow*>(window.CreateNewDocument(EDocType::Observation));
    window.Action("modeWatch")->trigger();
    CWatchWindow* open = WatchWindowOf(obsWindow);
    ASSERT_NE(open, nullptr);
    auto& raw = static_cast<CRawADWatch&>(open->Watch());
    for (int i = 0; i < 60; ++i) {
        clock.Advance(1000);
        raw.Tick();
    }
    EXPECT_EQ(raw.Plot().traces.at(2).Size(), 61u);
    auto* split = Child<QPushButton>(open, "split");
    split->click();
    EXPECT_EQ(split->text(), "Join");
    open->resize(900, 620);
    QImage image(open->size(), QImage::Format_RGB32);
    open->render(&image);
    // Three colours of three channels are on the plot.
    int coloured[3] = {0, 0, 0};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            for (int c = 0; c < 3; ++c)
                if (image.pixelColor(x, y) == CTimePlotWidget::SeriesColour(static_cast<size_t>(c)))
                    ++coloured[c];
    for (int c = 0; c < 3; ++c)
        EXPECT_GT(coloured[c], 10) << c;
    if (const char* shot = std::getenv("VELM_WATCH_SHOT")) image.save(shot);
}

// Run on purpose: velm_gui_tests --gtest_also_run_disabled_tests --gtest_filter='*RepaintTime*'
TEST_F(WatchWindowTest, DISABLED_RepaintTimeOfADayOfOneSecondSamples) {
    SWatchTimePlot plot;
    plot.on = true;
    plot.span.day = 1;
    plot.span.minute = 0;
    plot.unit = "uA/sq.cm.";
    plot.startTime = 1196856000.0;
    plot.traces.resize(2);
    plot.series = {{0, 0, "X Cur"}, {0, 1, "Y Cur"}, {1, 0, "Other"}};
    for (int i = 0; i < 86400; ++i) {
        const double t = plot.startTime + i;
        plot.traces[0].Add({std::sin(i / 500.0), std::cos(i / 700.0), t}, plot.span.Seconds());
        plot.traces[1].Add({0.5 * std::sin(i / 90.0), 0.0, t}, plot.span.Seconds());
    }
    QImage image(1200, 400, QImage::Format_RGB32);
    const QPalette palette = QApplication::palette();
    QElapsedTimer timer;
    constexpr int kRounds = 50;
    const std::clock_t cpu0 = std::clock();
    timer.start();
    for (int i = 0; i < kRounds; ++i) {
        QPainter painter(&image);
        CTimePlotWidget::Draw(painter, image.rect(), plot, plot.startTime + 86399.0, false,
                              palette);
    }
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6 / kRounds;
    const double cpuMs =
        1000.0 * static_cast<double>(std::clock() - cpu0) / CLOCKS_PER_SEC / kRounds;
    std::printf(
        "repaint of a 1200x400 time plot, 3 traces of 86,400 points: %.2f ms "
        "(%.2f ms of processor time)\n",
        ms, cpuMs);
    RecordProperty("repaint_ms", std::to_string(ms));
}

}  // namespace
