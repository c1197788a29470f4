// "Simulated Station": offered in the System menu only while that board is chosen; its widgets
// show the bench, a bad entry keeps the dialog open, OK changes the bench.

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>

#include "gui/GuiTestSupport.h"
#include "gui/app/MainWindow.h"
#include "gui/hw/SimStationDialog.h"
#include "hw/AdBoard.h"
#include "hw/BenchHands.h"
#include "hw/sim/SimStationBoard.h"
#include "support/TestEnv.h"

namespace {

class SimStationDialogTest : public CVelmTest {
  protected:
    SimStationDialogTest() {
        profile.WriteProfileString(CAdBoard::kSection, "Line 0", "Simulated Station");
    }
};

}  // namespace

TEST_F(SimStationDialogTest, ShowsTheBenchAndTakesOnlyUsableEntries) {
    CAdBoard board;
    board.Hands()->PlaceInSolution(2);
    CSimStationDialog dialog(board);
    EXPECT_EQ(dialog.windowTitle(), "Simulated Station");
    EXPECT_EQ(Child<QTabWidget>(dialog, "pages")->count(), 2);
    EXPECT_EQ(Child<QLineEdit>(dialog, "sourceNanoAmps")->text(), "60");
    EXPECT_FALSE(Child<QCheckBox>(dialog, "sourceOn")->isChecked());
    EXPECT_EQ(Child<QComboBox>(dialog, "xPsdAxis")->currentText(), "Y");
    EXPECT_EQ(Child<QComboBox>(dialog, "yPsdAxis")->currentText(), "Z");
    EXPECT_EQ(Child<QComboBox>(dialog, "beaker")->currentText(), "Solution 2");
    EXPECT_EQ(Child<QLineEdit>(dialog, "electrode1LoChan")->text(), "5");

    dialog.show();
    Child<QLineEdit>(dialog, "rho")->setText("1OO");
    Child<QCheckBox>(dialog, "sourceOn")->setChecked(true);
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(prompt.LastText(),
              "Please enter a number for \"Resistivity (ohm cm)\" in Bath and amplifier (not "
              "\"1OO\").");
    EXPECT_FALSE(board.Hands()->SourceCurrent());

    Child<QLineEdit>(dialog, "rho")->setText("50");
    Child<QComboBox>(dialog, "beaker")->setCurrentIndex(0);
    Child<QComboBox>(dialog, "electrode2Kind")->setCurrentIndex(2);
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const SSimStationParams& params = CSimStationBoardDriver::Of(board)->Params();
    EXPECT_EQ(params.rho, 50.0);
    EXPECT_TRUE(params.sourceOn);
    EXPECT_EQ(params.beaker, 0);
    EXPECT_EQ(params.electrodes[1].kind, kSimElectrodePolarographic);
}

TEST_F(SimStationDialogTest, TheSystemMenuOffersItOnlyOnTheSimulatedStation) {
    CMainWindow window;
    QAction* item = window.Action("systemSimStation");
    ASSERT_NE(item, nullptr);
    window.UpdateActions();
    EXPECT_TRUE(item->isVisible());
    EXPECT_TRUE(item->isEnabled());

    bool shown = false;
    OnNext<CSimStationDialog>([&](CSimStationDialog* d) {
        shown = true;
        Child<QCheckBox>(d, "sourceOn")->setChecked(true);
        d->accept();
    });
    item->trigger();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(window.Frame().AdBoard().Hands()->SourceCurrent());

    window.Frame().AdBoard().type = kAdRandom;
    window.UpdateActions();
    EXPECT_FALSE(item->isVisible());
}
