// The etch/rinse bar in the main window, on the simulated carriage: View toggles it, its
// buttons follow the sensors, an automatic etch ends in the status line, and "Setup" refuses a
// port that is no I/O address before it saves.

#include <gtest/gtest.h>

#include <QAction>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

#include "app/MainFrame.h"
#include "gui/GuiTestSupport.h"
#include "gui/app/MainWindow.h"
#include "gui/hw/EtchRinseBar.h"
#include "hw/BathMover.h"
#include "hw/MsWcmc.h"
#include "settings/FileNumbering.h"
#include "support/TestEnv.h"

namespace {

class EtchRinseBarTest : public CVelmTest {
  protected:
    EtchRinseBarTest() {
        profile.WriteProfileString(kMainframeSection, "Etch-Rinse Control",
                                   "Port: 0  Timeout: 15.000000  Status: 2.500000");
        profile.WriteProfileString(kMainframeSection, "Etch Position",
                                   "Etch: 100.000000 200.000000 -50.000000 0.000000");
        profile.WriteProfileString(kProbeMotionSection, "Line 1", "Steps/micron: 10 10 10 10");
    }
    static bool Lit(QWidget* bar, const char* lamp) {
        return Child<QLabel>(bar, lamp)->property("lit").toBool();
    }
};

TEST_F(EtchRinseBarTest, AnAutomaticEtchOnTheSimulatedCarriageFromTheBar) {
    CMainWindow window;
    auto* dock = window.findChild<QDockWidget*>("etchRinseDock");
    ASSERT_NE(dock, nullptr);
    auto* bar = Child<CEtchRinseBar>(dock, "etchRinseBar");
    EXPECT_EQ(bar->StatusTimerInterval(), 2500);
    QAction* view = window.Action("viewEtchRinse");
    EXPECT_TRUE(view->isEnabled());
    view->setChecked(false);
    view->trigger();  // checks it and shows the bar
    EXPECT_FALSE(dock->isHidden());

    // Lowered with the rinse cup: Up, Etch, Rinse and both automatic buttons.
    bar->Refresh();
    EXPECT_TRUE(Lit(bar, "loweredLamp"));
    EXPECT_TRUE(Lit(bar, "rinseLamp"));
    EXPECT_FALSE(Lit(bar, "inRinseLamp"));
    EXPECT_TRUE(Child<QPushButton>(bar, "stepUp")->isEnabled());
    EXPECT_FALSE(Child<QPushButton>(bar, "stepDown")->isEnabled());
    EXPECT_TRUE(Child<QPushButton>(bar, "getEtch")->isEnabled());
    EXPECT_EQ(Child<QLabel>(bar, "etchPosition")->text(), "(100.0,200.0, -50.0,0.0)");

    Child<QPushButton>(bar, "autoEtch")->click();
    CMsWcmc& probe = window.Frame().ProbeSystem();
    EXPECT_EQ(probe.Position(), CDVector4(100, 200, -50, 0));
    EXPECT_TRUE(bar->PollTimerActive());
    EXPECT_FALSE(Child<QPushButton>(bar, "autoRinse")->isEnabled());
    EXPECT_TRUE(Child<QPushButton>(bar, "stepDown")->isEnabled());  // takes the raise back

    CBathMover& mover = window.Frame().Devices().BathMover();
    for (int tick = 0; tick < 40 && mover.Pending(); ++tick) {
        clock.Advance(CBathMover::kPollMs);
        mover.Poll();
    }
    EXPECT_FALSE(bar->PollTimerActive());
    EXPECT_TRUE(Lit(bar, "inEtchLamp"));
    EXPECT_EQ(window.statusBar()->currentMessage(), "Arrived in etch bath.");
    EXPECT_TRUE(prompt.shown.empty());

    // "Get" keeps where the probe is now as the rinse position.
    probe.MoveAbsolute(CDVector4(-10, 0, 0, 0), kSpeedModeLinear);
    Child<QPushButton>(bar, "getRinse")->click();
    EXPECT_EQ(Child<QLabel>(bar, "rinsePosition")->text(), "(-10.0,0.0, 0.0,0.0)");
    EXPECT_EQ(profile.GetProfileString(kMainframeSection, "Rinse Position"),
              "Rinse: -10.000000 0.000000 0.000000 0.000000");
}

TEST_F(EtchRinseBarTest, SetupRefusesAPortNumberThatIsNoAddressThenSaves) {
    CMainWindow window;
    auto* bar = window.findChild<CEtchRinseBar*>("etchRinseBar");
    ASSERT_NE(bar, nullptr);
    OnNext<CEtchRinseSetupDialog>([this](CEtchRinseSetupDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Etch-Rinse Setup");
        EXPECT_EQ(Child<QLineEdit>(d, "portEdit")->text(), "0");
        Child<QLineEdit>(d, "portEdit")->setText("1");
        auto* ok = d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        ok->click();
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(prompt.LastText().rfind("Control I/O port:", 0), 0u);
        Child<QLineEdit>(d, "portEdit")->setText("300");
        Child<QLineEdit>(d, "statusEdit")->setText("5");
        ok->click();
    });
    Child<QPushButton>(bar, "bathSetup")->click();
    EXPECT_EQ(profile.GetProfileString(kMainframeSection, "Etch-Rinse Control"),
              "Port: 300  Timeout: 15.000000  Status: 5.000000");
    EXPECT_EQ(bar->StatusTimerInterval(), 5000);
    // The tests' scripted ports stand for the carriage at 300: it reads all sensors active,
    // which is a contradiction, and every move is disabled.
    EXPECT_FALSE(Child<QPushButton>(bar, "stepDown")->isEnabled());
    EXPECT_FALSE(Child<QPushButton>(bar, "autoEtch")->isEnabled());
    EXPECT_EQ(Child<QLabel>(bar, "bathProblem")->text(),
              "The sensors disagree: check the carriage.");
}

}  // namespace
