// The observation list view on the offscreen platform: what it paints, the mouse, the
// clipboard, following new observations, printing, and the time to paint a screen of a
// document of a million observations.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QPrinter>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <cstdio>

#include "gui/app/DesktopLook.h"
#include "gui/obs/ObsView.h"
#include "obs/LogEntry.h"
#include "obs/ObsDoc.h"
#include "obs/SampRulesWire.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "support/TestEnv.h"

namespace {

class ObsViewTest : public CVelmTest {
  protected:
    void AddNotes(int n, int64_t from = kTestEpoch) {
        for (int i = 0; i < n; ++i) {
            auto entry = std::make_unique<CLogEntry>();
            entry->SetTime(from + i, 0);
            entry->text = "note " + std::to_string(i);
            doc.AddObs(std::move(entry));
        }
    }
    // The middle of list line `line` of the view, in viewport pixels.
    QPoint Line(const CObsView& view, int line) const {
        const int h = view.LineHeight();
        return QPoint(40, static_cast<int>((line - view.TopLine()) * h + h / 2));
    }
    void Send(CObsView& view, QEvent::Type type, QPoint at, Qt::MouseButtons buttons,
              Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QMouseEvent event(type, at, view.viewport()->mapToGlobal(at), Qt::LeftButton, buttons,
                          mods);
        QApplication::sendEvent(view.viewport(), &event);
    }
    CObsDoc doc;
};

TEST_F(ObsViewTest, ClickShiftClickAndDragSelectTheLinesUnderThePointer) {
    AddNotes(10);
    CObsView view(doc);
    view.resize(600, 400);
    view.show();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, Line(view, 5));
    EXPECT_EQ(view.Model().FirstSelected(), 2);
    EXPECT_TRUE(view.CanHideShow());
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier, Line(view, 3));
    EXPECT_EQ(view.Model().FirstSelected(), 0);
    EXPECT_EQ(view.Model().LastSelected(), 2);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, Line(view, 1));  // a blank line
    EXPECT_EQ(view.Model().FirstSelected(), 0);

    Send(view, QEvent::MouseButtonPress, Line(view, 4), Qt::LeftButton);
    Send(view, QEvent::MouseMove, Line(view, 7), Qt::LeftButton);
    Send(view, QEvent::MouseMove, Line(view, 40), Qt::LeftButton);  // past the end
    Send(view, QEvent::MouseButtonRelease, Line(view, 40), Qt::NoButton);
    EXPECT_EQ(view.Model().FirstSelected(), 1);
    EXPECT_EQ(view.Model().LastSelected(), 9);

    view.HideObs();
    EXPECT_TRUE(doc.GetObsAt(1)->hidden && doc.GetObsAt(9)->hidden && !doc.GetObsAt(0)->hidden);
    view.ShowObs();
    EXPECT_FALSE(doc.GetObsAt(5)->hidden);
}

TEST_F(ObsViewTest, SelectedLinesArePaintedInverted) {
    AddNotes(3);
    CObsView view(doc);
    view.resize(600, 300);
    view.show();
    view.Model().Click(1, false);
    const QImage image = view.viewport()->grab().toImage();
    const int h = view.LineHeight();
    EXPECT_EQ(image.pixelColor(2, 4 * h + h / 2), QColor(Qt::black));  // selected: dark bar
    EXPECT_EQ(image.pixelColor(2, 3 * h + h / 2), QColor(Qt::white));
}

TEST_F(ObsViewTest, TheListKeepsItsLightBackgroundInADarkTheme) {
    AddNotes(3);
    doc.GetObsAt(1)->hidden = true;
    const QPalette before = QApplication::palette();
    QApplication::setPalette(FusionPalette(true));
    CObsView view(doc);
    view.resize(600, 300);
    view.show();
    const int h = view.LineHeight();
    QImage image = view.viewport()->grab().toImage();
    EXPECT_EQ(image.pixelColor(2, 5 * h + h / 2), QColor(Qt::white));
    // A selected hidden line: its pale grey on the dark bar, not a dark grey lost in it.
    view.Model().Click(1, false);
    image = view.viewport()->grab().toImage();
    int lightest = 0;
    for (int x = 10; x < 300; ++x)
        for (int y = 4 * h; y < 5 * h; ++y)
            lightest = std::max(lightest, image.pixelColor(x, y).lightness());
    EXPECT_GT(lightest, 150);
    QApplication::setPalette(before);
}

TEST_F(ObsViewTest, KeysMoveAndExtendTheSelectionAndKeepItInSight) {
    AddNotes(100);
    CObsView view(doc);
    view.resize(600, 200);
    view.show();
    int changes = 0;
    QObject::connect(&view, &CObsView::selectionChanged, [&] { ++changes; });
    QTest::keyClick(&view, Qt::Key_Down);  // nothing selected: the first line
    EXPECT_EQ(view.Model().FirstSelected(), 0);
    QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(view.Model().LastSelected(), 2);
    EXPECT_EQ(changes, 3);
    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(view.Model().FirstSelected(), 99);
    EXPECT_EQ(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());
    QTest::keyClick(&view, Qt::Key_Home);
    EXPECT_EQ(view.Model().FirstSelected(), 0);
    EXPECT_EQ(view.TopLine(), 0);
    QTest::keyClick(&view, Qt::Key_PageDown, Qt::ShiftModifier);
    EXPECT_GT(view.Model().LastSelected(), 3);
    EXPECT_TRUE(view.CanHideShow());
}

TEST_F(ObsViewTest, ARulerUnderTheHeaderNamesTheColumnsAndIsNoLine) {
    AddNotes(3);
    CObsView view(doc);
    view.resize(900, 300);
    view.show();
    const int h = view.LineHeight();
    const QImage image = view.viewport()->grab().toImage();
    bool inked = false;  // the ruler's text on the second line
    for (int x = 10; x < 200 && !inked; ++x)
        for (int y = h; y < 2 * h && !inked; ++y)
            inked = image.pixelColor(x, y) != QColor(Qt::white);
    EXPECT_TRUE(inked);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, Line(view, 1));
    EXPECT_FALSE(view.CanHideShow());
}

TEST_F(ObsViewTest, DoubleClickOpensAndCopiesTheExportRow) {
    doc.detailFlags = DetailFlags::kType | DetailFlags::kInformation;
    AddNotes(2);
    CObsView view(doc);
    view.resize(600, 300);
    view.show();
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, Line(view, 4));
    EXPECT_EQ(prompt.LastText(), "Log Entry:  note 1");
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
              ExportRowForClipboard(*doc.GetObsAt(1), doc));
    EXPECT_TRUE(QGuiApplication::clipboard()->text().endsWith("note 1"));
}

TEST_F(ObsViewTest, NewObservationsAtTheEndStayInSight) {
    AddNotes(100);
    CObsView view(doc);
    view.resize(600, 200);
    view.show();
    int changes = 0;
    QObject::connect(&view, &CObsView::documentChanged, [&] { ++changes; });
    QScrollBar* bar = view.verticalScrollBar();
    bar->setValue(bar->maximum());
    AddNotes(5, kTestEpoch + 1000);
    EXPECT_EQ(changes, 5);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(bar->maximum(), 3 + 105 + 2 - view.viewport()->height() / view.LineHeight());
    EXPECT_EQ(doc.listExtent[1], 108);
    bar->setValue(0);
    AddNotes(1, kTestEpoch + 2000);
    EXPECT_EQ(bar->value(), 0);  // a user reading the top is left there
}

TEST_F(ObsViewTest, PrintsPagesWithTheirTitle) {
    AddNotes(300);
    CObsView view(doc);
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir.File("list.pdf")));
    view.Print(printer, "data.vpo");
    const std::string pdf = ReadFileText(dir.File("list.pdf"));
    ASSERT_EQ(pdf.rfind("%PDF", 0), 0u);
    size_t pages = 0;
    for (size_t at = pdf.find("/Type /Page\n"); at != std::string::npos;
         at = pdf.find("/Type /Page\n", at + 1))
        ++pages;
    EXPECT_GT(pages, 1u);
}

// Run on purpose: velm_gui_tests --gtest_also_run_disabled_tests --gtest_filter='*PaintTime*'
TEST_F(ObsViewTest, DISABLED_PaintTimeOfOneScreenOfAMillionObservations) {
    doc.updateView = 0;
    auto rules = std::make_unique<CSampRulesWire>();
    rules->SetTime(kTestEpoch, 0);
    doc.AddObs(std::move(rules));
    auto cal = std::make_unique<CWireCalibration>();
    cal->SetTime(kTestEpoch, 0);
    doc.AddObs(std::move(cal));
    for (int i = 0; i < 1000000; ++i) {
        auto obs = std::make_unique<CWireObs>();
        obs->SetTime(kTestEpoch + 1 + i / 1000, static_cast<uint16_t>(i % 1000));
        obs->reading = CDVector4(0.001 * i, 0.002, -0.003, 0.004);
        doc.AddObs(std::move(obs));
    }
    CObsView view(doc);
    view.resize(1280, 1000);
    view.show();
    view.ScrollToLine(500000);
    // Rendering into an image runs the same paintEvent a repaint of the window runs.
    QImage image(view.viewport()->size(), QImage::Format_RGB32);
    view.viewport()->render(&image);  // the register of calibrations is built once
    QElapsedTimer timer;
    constexpr int kRounds = 50;
    timer.start();
    for (int i = 0; i < kRounds; ++i) {
        view.ScrollToLine(500000 + i * 17);
        view.viewport()->render(&image);
    }
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6 / kRounds;
    std::printf("paint of one screen (%d lines) of 1,000,000 CWireObs: %.2f ms\n",
                view.viewport()->height() / view.LineHeight(), ms);
    RecordProperty("paint_ms", std::to_string(ms));
}

}  // namespace
