// Optical systems in the desktop program: the control bar's "Optical system:" list sets the
// active system, and System > "&Optical System ..." edits it.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>

#include "app/MainFrame.h"
#include "app/Startup.h"
#include "gui/GuiTestSupport.h"
#include "gui/app/MainWindow.h"
#include "gui/app/OpticalSystemDialog.h"
#include "settings/FileNumbering.h"
#include "support/TestEnv.h"
#include "tech/Station.h"

namespace {

class OpticalSystemDialogTest : public CVelmTest {
  protected:
    OpticalSystemDialogTest() {
        profile.WriteProfileInt(kMainframeSection, kNumberOfRunsKey, 3);
        profile.WriteProfileString(kMainframeSection, "Line 0", dir.Path());
    }
};

TEST_F(OpticalSystemDialogTest, ControlBarListAndSystemMenuDialog) {
    profile.WriteProfileString("Optical Systems", "Number of systems", "2");
    profile.WriteProfileString("Optical Systems", "Name 0", "Default");
    profile.WriteProfileString("Optical Systems", "Name 1", "Scope");
    profile.WriteProfileString("Optical Systems", "Active system", "Default");
    profile.WriteProfileString("Optical Systems", "Default",
                               "1, 1, 0; 1, 1, 1, 0  DefFrame=640,480  Aspect=1");
    profile.WriteProfileString("Optical Systems", "Scope",
                               "2, -2, 0; 1, 1, 1, 0  DefFrame=640,480  Aspect=1");
    CMainWindow window;
    auto* combo = window.findChild<QComboBox*>("opticalSystem");
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->currentText(), "Default");
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    EXPECT_EQ(window.Frame().Station().opticalSystem.name, "Scope");
    EXPECT_EQ(profile.GetProfileString("Optical Systems", "Active system", ""), "Scope");

    // The dialog edits the active system; OK saves it and keeps it active.
    OnNext<COpticalSystemDialog>([](COpticalSystemDialog* d) {
        auto* x = d->findChild<QLineEdit*>("cam0_0");
        ASSERT_NE(x, nullptr);
        EXPECT_EQ(x->text(), "2.0000");
        x->setText("3.5");
        d->accept();
    });
    window.Action("systemOpticalSystem")->trigger();
    EXPECT_EQ(window.Frame().Station().opticalSystem.umPerPixelX, 3.5);
    COpticalSystem stored;
    ASSERT_TRUE(stored.Load("Scope"));
    EXPECT_EQ(stored.umPerPixelX, 3.5);
    EXPECT_EQ(combo->currentText(), "Scope");
}

}  // namespace
