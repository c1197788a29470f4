// The CDP calibration in the desktop program: Technique > Calibration (F7) on the Simulated
// Station, the dialog's watch, a move mode through the main window's keyboard control, the
// whole procedure by its buttons, and the edit dialog of a calibration in the list.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/MainFrame.h"
#include "gui/GuiTestSupport.h"
#include "gui/app/MainWindow.h"
#include "gui/app/MotionInput.h"
#include "gui/obs/ObsView.h"
#include "gui/tech/WireCalibrationDialogQt.h"
#include "hw/MsWcmc.h"
#include "obs/ObsDoc.h"
#include "obs/WireCalibration.h"
#include "support/TestEnv.h"
#include "tech/Station.h"

namespace {

class WireCalibrationDialogTest : public CVelmTest {
  protected:
    WireCalibrationDialogTest() {
        profile.WriteProfileString("A/D Board", "Line 0", "Simulated Station");
        profile.WriteProfileString(kProbeMotionSection, "Line 1", "Steps/micron: 10 10 10 10");
        profile.WriteProfileString(kSampleMotionSection, "Line 1", "Steps/micron: 10 10 10 10");
    }
    static void Key(QWidget* to, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(to, &press);
    }
    static QString Text(QWidget* dialog, const char* label) {
        return Child<QLabel>(dialog, label)->text();
    }
};

}  // namespace

TEST_F(WireCalibrationDialogTest, F7CalibratesByTheButtonsWithTheWatchRunning) {
    CMainWindow window;
    window.show();
    auto* obs = qobject_cast<CObsDocWindow*>(window.CreateNewDocument(EDocType::Observation));
    ASSERT_NE(obs, nullptr);
    window.Action("techniqueRawAD")->trigger();
    EXPECT_FALSE(window.Action("techniqueCalibration")->isEnabled());
    window.Action("techniqueCurrentDensity")->trigger();
    ASSERT_TRUE(window.Action("techniqueCalibration")->isEnabled());
    EXPECT_EQ(window.Action("techniqueCalibration")->shortcut(), QKeySequence(Qt::Key_F7));
    CMsWcmc& probe = window.Frame().ProbeSystem();

    bool sawDialog = false;
    prompt.answers = {EPromptAnswer::Ok, EPromptAnswer::No};  // optical system; "Align ...?"
    QTimer::singleShot(20, [&] {
        auto* d = qobject_cast<CWireCalibrationDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        sawDialog = true;
        EXPECT_EQ(d->windowTitle(), "Current Density Probe Calibration");
        EXPECT_EQ(Child<QLineEdit>(d, "edit1031")->text(), "150");
        EXPECT_EQ(Text(d, "static1604"), "Y:");
        // Half a second after opening: the Z plane question, then the watch.
        QTRY_VERIFY(d->WatchTimer().isActive());
        EXPECT_EQ(prompt.LastText(), "Align probe Z plane with calibration source now?");
        EXPECT_EQ(Child<QPushButton>(d, "button1100")->text(), "Watch Off");

        // Move Probe: the main window's arrows drive the probe; Esc ends only the move mode.
        prompt.answers = {EPromptAnswer::No};  // "Enable Mouse?"
        auto* move = Child<QPushButton>(d, "button1055");
        move->click();
        EXPECT_EQ(move->text(), "<Esc> - End");
        EXPECT_TRUE(window.InputFilter()->Active());
        Key(d, Qt::Key_Right);
        EXPECT_EQ(probe.Position(), CDVector4(10, 0, 0, 0));
        QTRY_COMPARE(Text(d, "static1076"), QString("10.0"));
        Key(d, Qt::Key_Escape);
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(move->text(), "Move Probe");
        EXPECT_FALSE(window.InputFilter()->Active());
        probe.MoveAbsolute(CDVector4(), kSpeedModeLinear);

        // The procedure, every question answered OK.
        Child<QPushButton>(d, "button1061")->click();
        EXPECT_EQ(Text(d, "static1557"), "0.0040");
        Child<QPushButton>(d, "button1071")->click();
        EXPECT_EQ(probe.Position(), CDVector4(0, 150, 0, 0));
        Child<QPushButton>(d, "button1355")->click();
        EXPECT_EQ(Text(d, "static1600"), "30.0");
        Child<QPushButton>(d, "button1109")->click();
        Child<QPushButton>(d, "button1058")->click();
        EXPECT_EQ(Text(d, "static1599"), "100.00");
        EXPECT_EQ(Text(d, "static1608"), "100.00");
        EXPECT_EQ(Text(d, "static1609"), "60.0");
        EXPECT_EQ(Text(d, "static1607"), "90");
        EXPECT_EQ(Text(d, "static1602"), "0.00");

        // A system gain out of range keeps the dialog open until it is corrected.
        auto* sg = Child<QLineEdit>(d, "edit1106");
        sg->setText("0");
        d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(prompt.LastText(), "The system gain must be from 1 to 100000.");
        sg->setText("50000");
        d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    window.Action("techniqueCalibration")->trigger();
    ASSERT_TRUE(sawDialog);
    EXPECT_EQ(prompt.LastText(), "Save these calibration values ?");
    CObsDoc& doc = obs->Document();
    ASSERT_EQ(doc.GetObsCount(), 2u);
    EXPECT_STREQ(doc.GetObsAt(1)->GetRuntimeClass().name, "CWireCalibration");
    EXPECT_TRUE(window.Frame().Station().wireCalibration->SameValues(
        *static_cast<const CWireCalibration*>(doc.GetObsAt(1))));

    // A double click on the calibration in the list edits it.
    bool sawEdit = false;
    OnNext<CWireCalibrationEditDialog>([&](CWireCalibrationEditDialog* e) {
        sawEdit = true;
        EXPECT_EQ(e->windowTitle(), "Edit Current Density Probe Calibration");
        EXPECT_EQ(Child<QLineEdit>(e, "gain0")->text(), "100.0000");
        Child<QLineEdit>(e, "edit1746")->setText("0");
        Child<QPushButton>(e, "button1836")->click();
        EXPECT_EQ(prompt.LastText(),
                  "\"Set to\" and \"assuming this was\" must both be resistivities above 0 "
                  "ohm-cm.");
        Child<QLineEdit>(e, "edit1745")->setText("200");
        Child<QLineEdit>(e, "edit1746")->setText("100");
        Child<QPushButton>(e, "button1836")->click();
        EXPECT_EQ(Child<QLineEdit>(e, "gain0")->text(), "200.0000");
        EXPECT_EQ(Child<QLineEdit>(e, "edit1107")->text(), "200");
        e->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    std::string row;
    obs->ListView()->Model().Open(1, row);
    EXPECT_TRUE(sawEdit);
    EXPECT_EQ(window.Frame().Station().wireCalibration->Resistivity, 100.0);
}
