// The road of a grid scan group through the desktop program, on the Simulated Station: F9 in an
// observation window, "Load Grid Scan Parameters" with a new set, "Grid Scan Setup" refusing
// an entry and then taking a 1 x 2 grid, the menu reading "&Interrupt Grid Scan" while the
// group runs and the window refusing to close, the one-second timer taking the scan, the .scn
// file written and its CScanObs in the document, and the menu back to "&Grid Scan". Leaving
// the program or pressing F9 under a running group asks first.
//
// VELM_GRID_STATUS_SHOT=<file.png> keeps a picture of "Scan Status" after the scan.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <cstdlib>
#include <filesystem>

#include "app/MainFrame.h"
#include "app/ObsDocCommands.h"
#include "gui/GuiTestSupport.h"
#include "gui/app/DocumentWindow.h"
#include "gui/app/MainWindow.h"
#include "gui/scan/GridScanDialogs.h"
#include "gui/scan/GridScanStatus.h"
#include "gui/scan/GridScanWiring.h"
#include "obs/ObsDoc.h"
#include "obs/ScanObs.h"
#include "scan/GridScanTestEnv.h"
#include "scan/ScanDoc.h"
#include "scan/ScanSequencer.h"
#include "settings/FileNumbering.h"
#include "settings/Profile.h"

namespace {

class GridScanGuiTest : public CVelmTest {
  protected:
    GridScanGuiTest() {
        WriteFileText(profile.Path(), kGridScanBench);
        profile.WriteProfileString(kMainframeSection, "Line 0", dir.Path());
    }

    static QPushButton* Ok(QDialog* d) {
        return d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    }

    // Lets the program's own event loop run until `done` or about five seconds have passed.
    static bool RunUntil(const std::function<bool()>& done) {
        QElapsedTimer elapsed;
        elapsed.start();
        while (!done() && elapsed.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        return done();
    }

    std::vector<std::filesystem::path> ScanFiles() const {
        std::vector<std::filesystem::path> found;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.Path()))
            if (entry.path().extension() == ".scn") found.push_back(entry.path());
        return found;
    }

    static const CScanObs* ScanObsIn(const CObsDoc& doc) {
        for (size_t i = 0; i < doc.GetObsCount(); ++i)
            if (const auto* scan = dynamic_cast<const CScanObs*>(doc.GetObsAt(i))) return scan;
        return nullptr;
    }

    // F9 on the stored set "Demo" as it is (3 x 2 grid, 10 s, 3 repetitions).
    void StartDemo(QAction* gridScan) {
        OnNext<CGridScanSetListDialog>([](CGridScanSetListDialog* d) {
            EXPECT_EQ(Child<QListWidget>(d, "parameterList")->currentItem()->text(), "Demo");
            Ok(d)->click();
        });
        OnNext<CGridScanSetupDialog>([](CGridScanSetupDialog* d) { Ok(d)->click(); });
        gridScan->trigger();
    }
};

TEST_F(GridScanGuiTest, F9TakesANewSetThroughSetupToAScanFileInTheDocument) {
    CMainWindow window;
    auto* obsWindow = static_cast<CObsDocWindow*>(window.CreateNewDocument(EDocType::Observation));
    QAction* gridScan = window.Action("modeGridScan");
    ASSERT_NE(gridScan, nullptr);
    EXPECT_EQ(gridScan->text(), "&Grid Scan");
    EXPECT_EQ(gridScan->shortcut(), QKeySequence("F9"));
    EXPECT_TRUE(gridScan->isEnabled());

    OnNext<CGridScanSetListDialog>([this](CGridScanSetListDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Load Grid Scan Parameters");
        auto* list = Child<QListWidget>(d, "parameterList");
        ASSERT_EQ(list->count(), 1);
        EXPECT_EQ(list->currentItem()->text(), "Demo");
        // A name already listed, in other letters, is refused; a new one is listed and chosen.
        OnNext<CGridScanNewNameDialog>([](CGridScanNewNameDialog* n) {
            EXPECT_EQ(n->windowTitle(), "New Grid Scan Parameter Name");
            Child<QLineEdit>(n, "nameEdit")->setText("demo");
            Ok(n)->click();
        });
        Child<QPushButton>(d, "newButton")->click();
        EXPECT_EQ(prompt.LastText(), "Parameter type 'demo' already exists.");
        EXPECT_EQ(list->count(), 1);
        OnNext<CGridScanNewNameDialog>([](CGridScanNewNameDialog* n) {
            Child<QLineEdit>(n, "nameEdit")->setText("Two Points");
            Ok(n)->click();
        });
        Child<QPushButton>(d, "newButton")->click();
        ASSERT_EQ(list->count(), 2);
        EXPECT_EQ(list->currentItem()->text(), "Two Points");
        Ok(d)->click();
    });
    OnNext<CGridScanSetupDialog>([this](CGridScanSetupDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Grid Scan Setup");
        EXPECT_EQ(Child<QLabel>(d, "estimateText")->text(), "-- sec");
        EXPECT_TRUE(Child<QLineEdit>(d, "targetDirEdit")->text().startsWith("ScnGrp"));
        Child<QLineEdit>(d, "intervalEdit")->setText("10");
        Child<QRadioButton>(d, "secondsRadio")->setChecked(true);
        Child<QRadioButton>(d, "forRadio")->setChecked(true);
        Child<QLineEdit>(d, "repsEdit")->setText("1");
        Child<QRadioButton>(d, "gridRadio")->setChecked(true);
        Child<QLineEdit>(d, "stepsXEdit")->setText("1");
        Child<QLineEdit>(d, "stepsYEdit")->setText("2");
        Child<QLineEdit>(d, "endYEdit")->setText("50");
        Child<QCheckBox>(d, "storeWireCheck")->setChecked(true);
        // An entry that is not a number keeps the dialog open on that entry.
        Child<QLineEdit>(d, "originXEdit")->setText("ten");
        Ok(d)->click();
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(prompt.LastText(), "Please enter a number for \"Origin: X\" (not \"ten\").");
        EXPECT_EQ(d->focusWidget(), Child<QLineEdit>(d, "originXEdit"));
        Child<QLineEdit>(d, "originXEdit")->setText("100");
        Child<QPushButton>(d, "calcButton")->click();
        EXPECT_TRUE(Child<QLabel>(d, "estimateText")->text().endsWith(" sec"));
        EXPECT_NE(Child<QLabel>(d, "estimateText")->text(), "-- sec");
        Ok(d)->click();
    });
    gridScan->trigger();

    // The group runs: the entry says how to stop it and the window will not close.
    EXPECT_EQ(prompt.LastText(), "Turn on probe vibration.");
    CScanSequencer* sequencer = FindScanSequencer(*obsWindow);
    ASSERT_NE(sequencer, nullptr);
    ASSERT_TRUE(sequencer->GridRunning());
    EXPECT_EQ(gridScan->text(), "&Interrupt Grid Scan");
    EXPECT_TRUE(obsWindow->Commands()->IsScanRunning());
    EXPECT_FALSE(obsWindow->CanClose());
    EXPECT_EQ(prompt.LastText(), "Scan sequence in progress.\n\nTerminate scan sequence first.");
    // The set is stored under its name for the next time.
    EXPECT_EQ(profile.GetProfileString("Two Points", "Line 6", ""), "Steps: 1 2 1 1");

    // The timer takes the one scan; then the group ends by itself.
    ASSERT_TRUE(RunUntil([&] { return !sequencer->GridRunning(); }));
    const std::vector<std::filesystem::path> files = ScanFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename().string().substr(8), "Scan0000.scn");
    const CScanObs* added = ScanObsIn(obsWindow->Document());
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->fileName, files[0].string());
    EXPECT_EQ(added->scanNumber, 0);
    EXPECT_FALSE(sequencer->GridStoppedEarly());
    EXPECT_EQ(gridScan->text(), "&Grid Scan");
    EXPECT_FALSE(obsWindow->Commands()->IsScanRunning());
    // The status window showed the scan and went when it ended.
    for (CGridScanStatusWindow* status : window.findChildren<CGridScanStatusWindow*>()) {
        EXPECT_FALSE(status->isVisible());
        EXPECT_FALSE(status->Message().isEmpty());
        // VELM_GRID_STATUS_SHOT=<file.png> keeps a picture of it as the scan left it.
        if (const char* shot = std::getenv("VELM_GRID_STATUS_SHOT")) status->grab().save(shot);
    }
    obsWindow->Document().SetModifiedFlag(false);
}

TEST_F(GridScanGuiTest, F9AgainAndLeavingTheProgramAskBeforeStoppingAGroup) {
    CMainWindow window;
    auto* obsWindow = static_cast<CObsDocWindow*>(window.CreateNewDocument(EDocType::Observation));
    QAction* gridScan = window.Action("modeGridScan");
    ASSERT_NE(gridScan, nullptr);
    StartDemo(gridScan);
    CScanSequencer* sequencer = FindScanSequencer(*obsWindow);
    ASSERT_NE(sequencer, nullptr);
    ASSERT_TRUE(sequencer->GridRunning());

    // F9 again: No keeps the group.
    prompt.answers.push_back(EPromptAnswer::No);
    gridScan->trigger();
    EXPECT_EQ(prompt.LastText(), "Terminate scan group acquisition?");
    EXPECT_TRUE(sequencer->GridRunning());
    EXPECT_EQ(gridScan->text(), "&Interrupt Grid Scan");

    // Leaving the program: No keeps it running, Yes stops the group first.
    prompt.answers.push_back(EPromptAnswer::No);
    EXPECT_FALSE(window.close());
    EXPECT_EQ(prompt.LastText(), "Scan sequence in progress.\n\nTerminate scan sequence and exit?");
    EXPECT_TRUE(sequencer->GridRunning());
    prompt.answers.push_back(EPromptAnswer::Yes);
    obsWindow->Document().SetModifiedFlag(false);
    EXPECT_TRUE(window.close());
}

TEST_F(GridScanGuiTest, F9AgainStopsTheGroupWhenTheUserSaysYes) {
    CMainWindow window;
    auto* obsWindow = static_cast<CObsDocWindow*>(window.CreateNewDocument(EDocType::Observation));
    QAction* gridScan = window.Action("modeGridScan");
    StartDemo(gridScan);
    CScanSequencer* sequencer = FindScanSequencer(*obsWindow);
    ASSERT_NE(sequencer, nullptr);
    prompt.answers.push_back(EPromptAnswer::Yes);
    gridScan->trigger();
    EXPECT_FALSE(sequencer->GridRunning());
    EXPECT_EQ(gridScan->text(), "&Grid Scan");
    EXPECT_FALSE(obsWindow->Commands()->IsScanRunning());
    EXPECT_TRUE(obsWindow->CanClose());
}

}  // namespace
