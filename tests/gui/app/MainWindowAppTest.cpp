// The main window on the offscreen platform: start-up paths, menu bars per document type,
// keyboard stage control through the application event filter, the tracker timer, documents.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <filesystem>

#include "app/MainFrame.h"
#include "app/Startup.h"
#include "gui/GuiTestSupport.h"
#include "gui/app/ControlBar.h"
#include "gui/app/DocumentWindow.h"
#include "gui/app/FileDialogs.h"
#include "gui/app/MainWindow.h"
#include "gui/app/MenuTable.h"
#include "gui/app/MotionInput.h"
#include "gui/hw/ImageView.h"
#include "gui/hw/QtFgDialogs.h"
#include "gui/obs/ObsView.h"
#include "hw/AdBoard.h"
#include "hw/Bmp.h"
#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"
#include "hw/fg/FgDialogs.h"
#include "hw/motion/MotionDialogs.h"
#include "obs/ObsDoc.h"
#include "platform/StationBusy.h"
#include "scan/ScanDoc.h"
#include "settings/FileNumbering.h"
#include "support/TestEnv.h"
#include "tech/Station.h"

namespace fs = std::filesystem;

namespace {
class MainWindowAppTest : public CVelmTest {
  protected:
    MainWindowAppTest() : cwd(fs::current_path()), savedDialogs(FileDialogs()) {
        profile.WriteProfileInt(kMainframeSection, kNumberOfRunsKey, 3);
        profile.WriteProfileString(kMainframeSection, "Line 0", dir.Path());
        // Ten steps per micron: every step used here is a whole number of steps.
        for (const char* section : {kProbeMotionSection, kSampleMotionSection})
            profile.WriteProfileString(section, "Line 1", "Steps/micron: 10 10 10 10");
        FileDialogs().open = [this](QWidget*, const QString&, const QString& start,
                                    const QString&) {
            openStarts << start;
            return openAnswer;
        };
        FileDialogs().save = [this](QWidget*, const QString&, const QString&, const QString&) {
            return saveAnswer;
        };
    }
    ~MainWindowAppTest() override {
        FileDialogs() = savedDialogs;
        fs::current_path(cwd);
    }

    std::string SavedDocument(const std::string& name, int entries) {
        CObsDoc doc;
        for (int i = 0; i < entries; ++i)
            doc.AddLogEntry("entry " + std::to_string(i));
        std::string path = dir.File(name), message;
        EXPECT_TRUE(doc.SaveFile(path, message)) << message;
        return path;
    }

    static QStringList MenuTitles(CMainWindow& window) {
        QStringList titles;
        for (QAction* a : window.menuBar()->actions())
            titles << a->text();
        return titles;
    }

    static void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target =
            QApplication::focusWidget() ? QApplication::focusWidget() : TheMainWindow()->MdiArea();
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(target, &press);
    }

    static QString Box(CMainWindow& window, const char* name) {
        return window.ControlBar()->findChild<QLineEdit*>(name)->text();
    }

    fs::path cwd;
    SFileDialogs savedDialogs;
    QStringList openStarts;
    QString openAnswer;
    QString saveAnswer;
};
}  // namespace

TEST_F(MainWindowAppTest, CommandLineDocumentOpensInItsOwnMenuBar) {
    std::string path = SavedDocument("day one.vpo", 3);
    CMainWindow window;
    EXPECT_EQ(MenuTitles(window), (QStringList{"&File", "&System", "&View", "&Help"}));
    ASSERT_TRUE(window.App().InitInstance({path}));
    ASSERT_EQ(window.DocumentWindows().size(), 1);
    auto* obs = qobject_cast<CObsDocWindow*>(window.DocumentWindows().front());
    ASSERT_NE(obs, nullptr);
    EXPECT_EQ(obs->Document().GetObsCount(), 3u);
    CObsView* list = obs->ListView();
    ASSERT_NE(list, nullptr);
    std::vector<SListLine> lines;
    list->Model().DescribeLines(0, list->Model().LineCount(), lines);
    ASSERT_GE(lines.size(), 6u);  // header, two blank lines, the observations
    EXPECT_NE(lines[3].text.find("entry 0"), std::string::npos);
    EXPECT_EQ(window.windowTitle(), "VELM for Windows95/98 and NT/XP v2.00 - day one.vpo");
    QStringList titles = MenuTitles(window);
    ASSERT_GE(titles.size(), 4);
    EXPECT_EQ(titles[3], "&Technique (RawA/D)");
    EXPECT_TRUE(openStarts.isEmpty());  // no File Locations, no Open dialog

    // Opening the same file again only brings its window forward.
    EXPECT_TRUE(window.OpenDocumentFile(QString::fromStdString(path)));
    EXPECT_EQ(window.DocumentWindows().size(), 1);
    EXPECT_EQ(window.App().recentFiles.Paths().front(), path);
}

TEST_F(MainWindowAppTest, MissingCommandLineFileIsLookedForAndCancelLeavesNoDocument) {
    CMainWindow window;
    ASSERT_TRUE(window.App().InitInstance({"/no/such/dir/gone.vpo"}));
    ASSERT_FALSE(prompt.shown.empty());
    EXPECT_EQ(prompt.shown.front().text,
              "File /no/such/dir/gone.vpo not found\nPlease locate current copy.");
    EXPECT_EQ(openStarts, QStringList{"/no/such/dir/gone.vpo"});
    EXPECT_TRUE(window.DocumentWindows().isEmpty());
    EXPECT_EQ(window.CurrentMenuSet(), 0);
}

TEST_F(MainWindowAppTest, NoCommandLineRunsFileLocationsAndFirstRunSetups) {
    profile.WriteProfileInt(kMainframeSection, kNumberOfRunsKey, 0);
    profile.WriteProfileString(kMainframeSection, "Diagnostics", "ON");
    prompt.answers = {EPromptAnswer::No};  // diagnostics off
    CMainWindow window;
    EXPECT_EQ(prompt.shown.front().text.rfind("Diagnostics are ON.", 0), 0u);
    EXPECT_EQ(profile.GetProfileString(kMainframeSection, "Diagnostics"), "OFF");

    // The window installs the real set-up dialogs; the test answers them itself.
    int setups = 0;
    auto adDialog = CAdBoard::setupDialog;
    CAdBoard::setupDialog = [&](CAdBoardSetupLogic&) { return ++setups, false; };
    CScriptedFgDialogs fg;
    fg.editSetup = [&](CFgSetupLogic&) { return ++setups, false; };
    CScopedFgDialogs scopedFg(&fg);
    CScriptedMotionDialogs motion;
    motion.editSetup = [&](CMotionSetupLogic&) { return ++setups, false; };
    CScopedMotionDialogs scopedMotion(&motion);

    std::string shownRoot;
    window.fileLocationsDialog = [&](std::string& root) {
        shownRoot = root;
        return std::optional(EStartChoice::NewFile);
    };
    ASSERT_TRUE(window.App().InitInstance({}));
    EXPECT_EQ(shownRoot, dir.Path());
    EXPECT_EQ(setups, 5);
    EXPECT_EQ(profile.GetProfileInt(kMainframeSection, kNumberOfRunsKey, 0), 1);
    ASSERT_EQ(window.DocumentWindows().size(), 1);
    EXPECT_EQ(window.DocumentWindows().front()->Title(), "newdata1");
    EXPECT_EQ(window.CurrentMenuSet(), 4);
    CAdBoard::setupDialog = adDialog;
}

TEST_F(MainWindowAppTest, MenuEntriesOfLaterPartsAreDisabledUntilACommandIsAttached) {
    profile.WriteProfileInt(kProbeNameSection, "Ion Types", 2);
    profile.WriteProfileString(kProbeNameSection, "Name 1", "pH");
    profile.WriteProfileString(kProbeNameSection, "Name 2", "K&Na");
    profile.WriteProfileString(kProbeNameSection, "Selected", "pH");
    CMainWindow window;
    window.CreateNewDocument(EDocType::Observation);
    EXPECT_EQ(window.Action("modePoint")->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_TRUE(window.Action("modePoint")->isEnabled());
    QAction* point = window.Action("helpUsing");
    ASSERT_NE(point, nullptr);
    EXPECT_FALSE(point->isEnabled());
    EXPECT_FALSE(window.Action("techniqueSetDaOutput")->isEnabled());  // no board, no D/A
    EXPECT_TRUE(window.Action("viewEtchRinse")->isEnabled());

    int taken = 0;
    window.AttachCommand(
        "helpUsing",
        {[&](QAction&) { ++taken; }, [&] { return window.ActiveObsWindow() != nullptr; }, {}});
    EXPECT_TRUE(point->isEnabled());
    point->trigger();
    EXPECT_EQ(taken, 1);

    // The Technique menu follows the station's technique and lists the probe names.
    window.Frame().Station().measurementType = kTechniqueGradient;
    window.UpdateTechniqueMenu();
    QMenu* technique = window.TechniqueMenu();
    EXPECT_EQ(technique->title(), "&Technique (pH)");
    QList<QAction*> probes = technique->findChildren<QAction*>(kIspPvpProbeItem);
    ASSERT_EQ(probes.size(), 2);
    EXPECT_EQ(probes[1]->text(), "K&&Na");
    EXPECT_EQ(probes[1]->data().toString(), "K&Na");
    EXPECT_TRUE(probes[0]->isChecked());
    EXPECT_TRUE(probes[0]->isEnabled());

    // Closing the last document brings the main frame's own menus back.
    window.MdiArea()->closeAllSubWindows();
    QTRY_COMPARE(window.CurrentMenuSet(), 0);
}

TEST_F(MainWindowAppTest, KeysDriveTheStagesOnlyWhileMotionControlIsOn) {
    CMainWindow window;
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    CMainFrame& frame = window.Frame();
    Press(Qt::Key_Right);
    EXPECT_EQ(frame.ProbeSystem().Position(), CDVector4());

    window.ControlBar()->findChild<QPushButton*>("enableKbdMouse")->click();
    ASSERT_TRUE(window.InputFilter()->Active());
    Press(Qt::Key_Right);
    Press(Qt::Key_Up);
    EXPECT_EQ(Box(window, "probeX"), "10.0");
    EXPECT_EQ(Box(window, "probeY"), "10.0");

    // Keypad plus doubles the step; the main keyboard's plus is left for typing.
    Press(Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(Box(window, "micronsPerKey"), "20");
    Press(Qt::Key_Plus);
    EXPECT_EQ(Box(window, "micronsPerKey"), "20");
    Press(Qt::Key_Plus, Qt::KeypadModifier | Qt::ControlModifier);
    EXPECT_EQ(Box(window, "micronsPer50Pix"), "10");

    // A step typed into the box counts at the next key, clamped. Inside the box the arrows
    // are the box's.
    auto* step = window.ControlBar()->findChild<QLineEdit*>("micronsPerKey");
    step->setFocus();
    step->selectAll();
    QTest::keyClicks(step, "0");
    ASSERT_EQ(QApplication::focusWidget(), step);
    QTest::keyClick(step, Qt::Key_Left);
    QTest::keyClick(step, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(frame.ProbeSystem().Position(), CDVector4(10, 10, 0, 0));
    EXPECT_EQ(step->text(), "-0");  // the cursor went left, the minus sign went in
    step->setText("0");
    frame.micronsPerKeyEntry = "0";
    window.MdiArea()->setFocus();
    Press(Qt::Key_Left);
    EXPECT_EQ(Box(window, "micronsPerKey"), "0.1");
    EXPECT_NEAR(frame.ProbeSystem().Position().x, 9.9, 1e-9);

    // Both stages at once.
    window.ControlBar()->findChild<QCheckBox*>("sampleKbd")->click();
    Press(Qt::Key_PageUp);
    EXPECT_NEAR(frame.ProbeSystem().Position().w, 0.1, 1e-9);
    EXPECT_EQ(Box(window, "sampleW"), "0.1");
    EXPECT_EQ(profile.GetProfileString(kMainframeSection, "Line 3"), "sm=0  sk=1  st=1048");

    window.ControlBar()->findChild<QPushButton*>("enableKbdMouse")->click();
    EXPECT_FALSE(window.InputFilter()->Active());
    Press(Qt::Key_PageUp);
    EXPECT_NEAR(frame.ProbeSystem().Position().w, 0.1, 1e-9);
}

TEST_F(MainWindowAppTest, EscapeLetsGoOfTheMouse) {
    CMainWindow window;
    window.show();
    CMainFrame& frame = window.Frame();
    window.ControlBar()->findChild<QCheckBox*>("probeMouse")->click();
    window.ControlBar()->findChild<QPushButton*>("enableKbdMouse")->click();
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(40, 40), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(window.MdiArea(), &move);
    EXPECT_TRUE(frame.MouseControlActive());
    Press(Qt::Key_Escape);
    EXPECT_FALSE(frame.MouseControlActive());
    EXPECT_FALSE(window.ControlBar()->findChild<QCheckBox*>("probeMouse")->isChecked());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowAppTest, MotionControlShowsPlainlyWhileOnAndEscapeEndsIt) {
    CMainWindow window;
    window.show();
    auto* enable = window.ControlBar()->findChild<QPushButton*>("enableKbdMouse");
    auto* hint = window.findChild<QLabel*>("motionHint");
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(enable->text(), "Enable Kbd/Mouse ...");
    EXPECT_FALSE(hint->isVisible());
    enable->click();
    EXPECT_EQ(enable->text(), "<Esc> - End");
    EXPECT_TRUE(enable->isChecked());
    EXPECT_EQ(enable->palette().color(QPalette::Button),
              window.palette().color(QPalette::Highlight));
    EXPECT_TRUE(hint->isVisible());
    // Other status messages come and go; the hint stays.
    window.Frame().ReadSensitivity();
    window.ShowHint("um/keyhit: \"x\" is not a number; 10 is kept.");
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->text(), "Keyboard and mouse drive the stages - Esc ends");

    window.MdiArea()->setFocus();
    Press(Qt::Key_Escape);
    EXPECT_FALSE(window.Frame().kbdMouseEnabled);
    EXPECT_FALSE(window.InputFilter()->Active());
    EXPECT_FALSE(enable->isChecked());
    EXPECT_EQ(enable->text(), "Enable Kbd/Mouse ...");
    EXPECT_FALSE(hint->isVisible());
}

TEST_F(MainWindowAppTest, AMouseSelectionEnablesHideAndShowAtOnce) {
    CMainWindow window;
    window.show();
    auto* obs = qobject_cast<CObsDocWindow*>(window.CreateNewDocument(EDocType::Observation));
    ASSERT_NE(obs, nullptr);
    for (int i = 0; i < 3; ++i)
        obs->Document().AddLogEntry("note");
    QAction* hide = window.Action("editHideObs");
    QAction* show = window.Action("editShowObs");
    EXPECT_FALSE(hide->isEnabled());
    CObsView* view = obs->ListView();
    const int h = view->LineHeight();
    // A click on the second observation, no menu opened since.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(40, 4 * h + h / 2));
    EXPECT_TRUE(hide->isEnabled());
    EXPECT_TRUE(show->isEnabled());
    EXPECT_EQ(hide->shortcut(), QKeySequence(Qt::Key_Delete));
    hide->trigger();
    EXPECT_TRUE(obs->Document().GetObsAt(1)->hidden);
    // The keys of the list select too.
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(view->Model().LastSelected(), 2);
    show->trigger();
    EXPECT_FALSE(obs->Document().GetObsAt(1)->hidden);
}

TEST_F(MainWindowAppTest, EveryDocumentOpensAsTheFirstOne) {
    CMainWindow window;
    window.resize(1200, 800);
    window.show();
    QMdiArea* area = window.MdiArea();
    const QRect full = area->viewport()->rect();
    window.CreateNewDocument(EDocType::Observation);
    QList<QMdiSubWindow*> subs = area->subWindowList();
    ASSERT_EQ(subs.size(), 1);
    EXPECT_EQ(subs[0]->geometry(), full);  // alone it fills the area
    std::string path = SavedDocument("second.vpo", 2);
    ASSERT_TRUE(window.OpenDocumentFile(QString::fromStdString(path)));
    subs = area->subWindowList();
    ASSERT_EQ(subs.size(), 2);
    for (QMdiSubWindow* sub : subs) {  // side by side, sharing the whole area
        EXPECT_EQ(sub->height(), full.height());
        EXPECT_GE(sub->width(), full.width() / 2 - 1);
    }
    window.CreateNewDocument(EDocType::Observation);
    for (QMdiSubWindow* sub : area->subWindowList())
        EXPECT_TRUE(full.contains(sub->geometry())) << sub->windowTitle().toStdString();
}

TEST_F(MainWindowAppTest, ToolbarAndStandardKeys) {
    CMainWindow window;
    auto* toolBar = window.findChild<QToolBar*>("toolBar");
    ASSERT_NE(toolBar, nullptr);
    QStringList shown;
    for (QAction* a : toolBar->actions())
        shown << (a->isSeparator() ? QString("|") : a->objectName());
    EXPECT_EQ(shown, (QStringList{"fileNew", "fileOpen", "fileSave", "|", "modePoint",
                                  "modeReference", "modeWatch", "modeGridScan", "|", "editLogEntry"}));
    for (QAction* a : toolBar->actions())
        if (!a->isSeparator()) {
            EXPECT_FALSE(a->icon().isNull()) << a->objectName().toStdString();
        }
    // Grid Scan takes its place once it exists.
    window.AttachCommand("modeGridScan", {[](QAction&) {}, {}, {}});
    shown.clear();
    for (QAction* a : toolBar->actions())
        shown << (a->isSeparator() ? QString("|") : a->objectName());
    EXPECT_EQ(shown,
              (QStringList{"fileNew", "fileOpen", "fileSave", "|", "modePoint", "modeReference",
                           "modeWatch", "modeGridScan", "|", "editLogEntry"}));

    // Standard keys where the menus had none; the menu texts stay as they were.
    EXPECT_EQ(window.Action("fileOpen")->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(window.Action("fileSave")->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_EQ(window.Action("fileExit")->shortcut(), QKeySequence("Ctrl+Q"));
    EXPECT_EQ(window.Action("fileExit")->text(), "E&xit");
    EXPECT_EQ(window.Action("helpIndex")->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(window.Action("helpIndex")->text(), "&Index");
    ASSERT_TRUE(window.Action("helpIndex")->isEnabled());
    bool sawHelp = false;
    QTimer::singleShot(0, [&] {
        auto* help = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(help, nullptr);
        EXPECT_EQ(help->windowTitle(), "VELM Keys");
        const QString page = help->findChild<QTextBrowser*>("page")->toPlainText();
        EXPECT_TRUE(page.contains("Point")) << page.toStdString();
        EXPECT_TRUE(page.contains(QKeySequence(Qt::Key_F5).toString(QKeySequence::NativeText)));
        EXPECT_TRUE(page.contains("<Esc>") || page.contains("Esc"));
        sawHelp = true;
        help->reject();
    });
    window.Action("helpIndex")->trigger();
    EXPECT_TRUE(sawHelp);
}

TEST_F(MainWindowAppTest, ShowPositionReadsMicronsFromTheOriginUnderThePointer) {
    CMainWindow window;
    QString shown;
    OnNext<CPickOnImageDialog>([&](CPickOnImageDialog* d) {
        // 10 pixels right of and 5 above the origin (320, 240), one micron per pixel.
        QMouseEvent move(QEvent::MouseMove, QPointF(330, 235),
                         d->View()->mapToGlobal(QPointF(330, 235)), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(d->View(), &move);
        shown = d->findChild<QLabel*>("position")->text();
        d->reject();
    });
    window.Frame().FgBoard().PickOnImage("Show probe ...");
    EXPECT_EQ(shown, "10.0, -5.0, 0.0, 0.0");
}

TEST_F(MainWindowAppTest, TrackerTimerRunsOnlyWhileAChannelTracks) {
    profile.WriteProfileString(kMainframeSection, "Line 4", "DACh1: Op=1582  CV=0  TC=4");
    CMainWindow window;
    EXPECT_TRUE(window.TrackerTimerActive());
    SDaOutput output = window.Frame().da;
    output.op[0] = kDaNoChange[0];
    window.Frame().SetDaOutput(output);
    EXPECT_FALSE(window.TrackerTimerActive());
    output.op[1] = kDaTrack[1];
    window.Frame().SetDaOutput(output);
    EXPECT_TRUE(window.TrackerTimerActive());
}

TEST_F(MainWindowAppTest, SetDaOutputNeedsABoardWithDAOutputs) {
    profile.WriteProfileString("A/D Board", "Line 0", "Random Number Generator");
    CMainWindow window;
    window.CreateNewDocument(EDocType::Observation);
    window.UpdateActions();
    EXPECT_FALSE(window.Action("techniqueSetDaOutput")->isEnabled());
    window.Frame().AdBoard().type = kAdSine;
    window.UpdateActions();
    EXPECT_TRUE(window.Action("techniqueSetDaOutput")->isEnabled());
}

TEST_F(MainWindowAppTest, ModifiedDocumentsAskBeforeClosingAndSaveAsWritesTheFile) {
    CMainWindow window;
    auto* obs = qobject_cast<CObsDocWindow*>(window.CreateNewDocument(EDocType::Observation));
    ASSERT_NE(obs, nullptr);
    obs->Document().AddLogEntry("note");
    EXPECT_EQ(obs->Document().GetObsCount(), 1u);
    EXPECT_EQ(obs->ListView()->Model().ObsRange().count, 1u);
    EXPECT_TRUE(obs->isWindowModified());

    prompt.answers = {EPromptAnswer::Cancel};
    window.MdiArea()->closeAllSubWindows();
    EXPECT_EQ(prompt.LastText(), "Save changes to newdata1?");
    EXPECT_EQ(window.DocumentWindows().size(), 1);

    saveAnswer = QString::fromStdString(dir.File("kept"));
    prompt.answers = {EPromptAnswer::Yes};
    window.MdiArea()->closeAllSubWindows();
    QTRY_VERIFY(window.DocumentWindows().isEmpty());
    CObsDoc reread;
    std::string message;
    ASSERT_TRUE(reread.LoadFile(dir.File("kept.vpo"), message)) << message;
    EXPECT_EQ(reread.GetObsCount(), 1u);
}

TEST_F(MainWindowAppTest, ImageDocumentsShowTheirBitmap) {
    CBitmapImage image = CBitmapImage::Blank(40, 30, 8);
    ASSERT_TRUE(WriteBmpFile(dir.File("grab.BMP"), image));
    WriteFileText(dir.File("broken.bmp"), "BM nonsense");
    CMainWindow window;
    ASSERT_TRUE(window.OpenDocumentFile(QString::fromStdString(dir.File("grab.BMP"))));
    auto* view = qobject_cast<CImageDocWindow*>(window.ActiveDocumentWindow());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->Image().width, 40);
    EXPECT_EQ(window.CurrentMenuSet(), 5);
    EXPECT_TRUE(window.Action("imageCopy")->isEnabled());

    EXPECT_FALSE(window.OpenDocumentFile(QString::fromStdString(dir.File("broken.bmp"))));
    EXPECT_EQ(prompt.LastText().rfind("Cannot open " + dir.File("broken.bmp"), 0), 0u);
    EXPECT_EQ(window.DocumentWindows().size(), 1);

    // Scan, display and image-sequence documents open as windows of their type.
    {
        CScanDoc scan;
        std::string message;
        ASSERT_TRUE(scan.SaveFile(dir.File("s.scn"), message)) << message;
    }
    ASSERT_TRUE(window.OpenDocumentFile(QString::fromStdString(dir.File("s.scn"))));
    EXPECT_EQ(window.ActiveDocumentWindow()->Type(), EDocType::Scan);
    EXPECT_EQ(window.CurrentMenuSet(), 6);
}

TEST_F(MainWindowAppTest, TimersFindTheStationBusyWhileTheClockWaits) {
    // What runs while a reading or a move waits (the clock's idle hook keeps the windows
    // painting) finds the station busy, so the D/A tracker never reads the board in the middle
    // of another reading.
    bool busy = false;
    clock.SetIdleHook(RunClockIdle);
    QTimer::singleShot(0, [&] { busy = CStationBusy::IsBusy(); });
    clock.WaitTicks(50);
    clock.SetIdleHook(nullptr);
    EXPECT_TRUE(busy);
    EXPECT_FALSE(CStationBusy::IsBusy());
}

TEST_F(MainWindowAppTest, GoToPositionJogsTheStageFromTheKeyboardInsideTheDialog) {
    CMainWindow window;
    window.show();
    CMainFrame& frame = window.Frame();
    auto* moveTo = window.ControlBar()->findChild<QPushButton*>("sampleMoveTo");
    ASSERT_NE(moveTo, nullptr);
    bool sawDialog = false;
    prompt.answers = {EPromptAnswer::No};  // "Enable Mouse?"
    QTimer::singleShot(20, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        sawDialog = true;
        auto* jog = dialog->findChild<QPushButton*>("jog");
        jog->click();
        EXPECT_EQ(jog->text(), "<Esc>");
        EXPECT_TRUE(window.InputFilter()->Active());
        QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(dialog, &right);
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(dialog, &escape);  // ends the jog, not the dialog
        EXPECT_EQ(jog->text(), "Move to");
        EXPECT_EQ(dialog->findChild<QLineEdit*>("X")->text(), "10.0");
        dialog->findChild<QPushButton*>("moveTo")->click();
    });
    moveTo->click();
    EXPECT_TRUE(sawDialog);
    EXPECT_EQ(frame.SampleSystem().Position(), CDVector4(10, 0, 0, 0));
    EXPECT_EQ(frame.ProbeSystem().Position(), CDVector4());
    EXPECT_EQ(moveTo->text(), "Return");
    EXPECT_FALSE(window.InputFilter()->Active());  // as it was before the jog
    EXPECT_EQ(frame.sampleKbd, 0);
}

namespace {
// The road of one measurement: new document, Current Density, F5, the point in the list, save,
// reopen, everything as it was.
TEST_F(MainWindowAppTest, OneCdpMeasurementFromTheMenusToTheFileAndBack) {
    profile.WriteProfileString("A/D Board", "Line 0", "Sine Wave (0.1 Hz)");
    profile.WriteProfileString("Voltage Probe Calibration", "Line 0",
                               "Zvib: 17472  xCal: 1  yCal: 1  rho: 100.000000  SG: 1000.000000");
    CMainWindow window;
    auto* obs = qobject_cast<CObsDocWindow*>(window.CreateNewDocument(EDocType::Observation));
    ASSERT_NE(obs, nullptr);
    window.Action("techniqueCurrentDensity")->trigger();
    EXPECT_EQ(window.TechniqueMenu()->title(), "&Technique (CDP)");
    EXPECT_TRUE(window.Action("techniqueCurrentDensity")->isChecked());
    EXPECT_EQ(profile.GetProfileString(kMainframeSection, "Line 7"), "MeasurementType=1");

    window.Action("modePoint")->trigger();
    window.Action("modePoint")->trigger();
    CObsDoc& doc = obs->Document();
    // The station's rules and calibration go in before the first point, once.
    ASSERT_EQ(doc.GetObsCount(), 4u);
    EXPECT_STREQ(doc.GetObsAt(0)->GetRuntimeClass().name, "CSampRulesWire");
    EXPECT_STREQ(doc.GetObsAt(1)->GetRuntimeClass().name, "CWireCalibration");
    EXPECT_STREQ(doc.GetObsAt(2)->GetRuntimeClass().name, "CWireObs");
    EXPECT_STREQ(doc.GetObsAt(3)->GetRuntimeClass().name, "CWireObs");
    std::vector<SListLine> lines;
    obs->ListView()->Model().DescribeLines(3, 4, lines);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_NE(lines[2].text.find("CDP Obs:"), std::string::npos);

    saveAnswer = QString::fromStdString(dir.File("first.vpo"));
    window.Action("fileSave")->trigger();
    ASSERT_EQ(obs->PathName(), dir.File("first.vpo"));
    const std::string saved = ReadFileText(dir.File("first.vpo"));

    CObsDoc reread;
    std::string message;
    ASSERT_TRUE(reread.LoadFile(dir.File("first.vpo"), message)) << message;
    ASSERT_EQ(reread.GetObsCount(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        std::string a, b;
        doc.GetObsAt(i)->Describe(a, &doc, 0x1FF);
        reread.GetObsAt(i)->Describe(b, &reread, 0x1FF);
        EXPECT_EQ(a, b);
    }
    EXPECT_EQ(reread.SaveToBytes(), saved);
}
}  // namespace
