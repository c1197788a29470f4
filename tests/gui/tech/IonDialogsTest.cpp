// The gradient probe in the desktop program: a probe name made from the Technique menu, its
// rules in "ISP/PVP Sampling Rules", its calibration in "ISP/PVP Calibration" on the Simulated
// Station, and a point from the Mode menu; the calibration dialog's own buttons and watch.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/MainFrame.h"
#include "app/Startup.h"
#include "gui/GuiTestSupport.h"
#include "gui/app/DocumentWindow.h"
#include "gui/app/MainWindow.h"
#include "gui/app/MenuTable.h"
#include "gui/tech/IonDialogsQt.h"
#include "hw/AdBoard.h"
#include "hw/BenchHands.h"
#include "obs/IonCalibration.h"
#include "obs/IonObs.h"
#include "obs/ObsDoc.h"
#include "support/TestEnv.h"
#include "tech/Station.h"

namespace {

void Press(QDialog* d, QDialogButtonBox::StandardButton which) {
    d->findChild<QDialogButtonBox*>()->button(which)->click();
}

void Click(QWidget* d, const char* name) {
    Child<QPushButton>(d, name)->click();
}

class IonDialogsTest : public CVelmTest {
  protected:
    IonDialogsTest() {
        WriteFileText(profile.Path(),
                      "[Mainframe Parameters]\nNumber of Runs=3\nLine 0=" + dir.Path() +
                          "\n[A/D Board]\nLine 0=Simulated Station\n"
                          "[ISP/PVP Probe Tip Motion System]\nLine 1=Steps/micron: 10 10 10 10\n");
    }
};

TEST_F(IonDialogsTest, AProbeFromTheMenusToAGradientPoint) {
    CMainWindow window;
    auto* obs = qobject_cast<CObsDocWindow*>(window.CreateNewDocument(EDocType::Observation));
    ASSERT_NE(obs, nullptr);
    QMenu* probes = window.TechniqueMenu()->findChild<QMenu*>(kIspPvpMenu);
    ASSERT_NE(probes, nullptr);

    // Technique > ISP/PVP > New ...: the name is checked, then listed and chosen at once.
    OnNext<CNewProbeNameDialog>([this](CNewProbeNameDialog* d) {
        Child<QLineEdit>(d, "edit1199")->setText("K]");
        Press(d, QDialogButtonBox::Ok);
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(prompt.LastText(),
                  "A probe name cannot hold [ ] = ; , tabs or control characters.");
        Child<QLineEdit>(d, "edit1199")->setText("K");
        Press(d, QDialogButtonBox::Ok);
    });
    QAction* newName = probes->findChild<QAction*>(kIspPvpNewItem);
    ASSERT_NE(newName, nullptr);
    ASSERT_TRUE(newName->isEnabled());
    newName->trigger();
    EXPECT_EQ(window.TechniqueMenu()->title(), "&Technique (K)");
    QList<QAction*> items = probes->findChildren<QAction*>(kIspPvpProbeItem);
    ASSERT_EQ(items.size(), 1);
    EXPECT_TRUE(items[0]->isChecked());
    profile.WriteProfileString("K ISP/PVP Probe", "A/D Board Parameters",
                               "loGA/D:5  hiGA/D:4  D/A: 0");

    // F6: two points ten microns apart and their gradient.
    OnNext<CIonRulesDialog>([this](CIonRulesDialog* d) {
        ASSERT_EQ(d->windowTitle(), "ISP/PVP Sampling Rules");
        for (const char* x : {"0", "10"}) {
            OnNext<CIonPointDialog>([x](CIonPointDialog* p) {
                Child<QLineEdit>(p, "edit1260")->setText(x);
                Press(p, QDialogButtonBox::Ok);
            });
            Click(d, "addPoint");
        }
        EXPECT_EQ(Child<QListWidget>(d, "list1247")->count(), 2);
        Press(d, QDialogButtonBox::Ok);
        EXPECT_EQ(prompt.shown.back().caption, CIonRulesLogic::kCheckCaption);
        EXPECT_EQ(prompt.LastText(), "Minimum of 1 (one) gradient calculation required.");
        OnNext<CGradCalcDialog>([](CGradCalcDialog* c) {
            EXPECT_EQ(Child<QComboBox>(c, "combo1267")->currentIndex(), 1);
            Press(c, QDialogButtonBox::Ok);
        });
        Click(d, "addCalc");
        Child<QCheckBox>(d, "check1259")->setChecked(true);
        Press(d, QDialogButtonBox::Ok);
    });
    window.Action("techniqueSampling")->trigger();
    ASSERT_NE(window.Frame().Station().Ion().Rules("K"), nullptr);

    // F7: the standard solutions on the bench, then OK and "Save these calibration values ?".
    OnNext<CIonCalibrationDialog>([&window](CIonCalibrationDialog* d) {
        EXPECT_EQ(d->windowTitle(), "K Probe Calibration");
        EXPECT_EQ(Child<QLabel>(d, "slope")->text(), "--");
        Click(d, "solution1");
        EXPECT_EQ(window.Frame().AdBoard().Hands()->Solution(), 1);
        Click(d, "solution2");
        EXPECT_EQ(Child<QLabel>(d, "value2")->text(), "59.00 mV");
        EXPECT_EQ(Child<QLabel>(d, "slope")->text(), "59.00");
        Press(d, QDialogButtonBox::Ok);
    });
    window.Action("techniqueCalibration")->trigger();
    EXPECT_EQ(prompt.LastText(), "Save these calibration values ?");
    EXPECT_EQ(window.Frame().AdBoard().Hands()->Solution(), CBenchHands::kSampleBath);

    // F5: the rules go in before the point (the calibration went in with F7).
    window.Action("modePoint")->trigger();
    CObsDoc& doc = obs->Document();
    ASSERT_EQ(doc.GetObsCount(), 3u);
    EXPECT_STREQ(doc.GetObsAt(0)->GetRuntimeClass().name, "CIonCalibration");
    EXPECT_STREQ(doc.GetObsAt(1)->GetRuntimeClass().name, "CSampRulesIon");
    const auto* point = dynamic_cast<const CIonObs*>(doc.GetObsAt(2));
    ASSERT_NE(point, nullptr);
    double gradient = 0.0;
    ASSERT_EQ(point->GetValue(gradient, ValueCode::kXCurrentDensity, &doc, nullptr), 4);
    EXPECT_NEAR(gradient, 2.442168, 1e-6);
}

TEST_F(IonDialogsTest, TheCalibrationDialogRelabelsWatchesAndReverts) {
    CMainWindow window;
    CIonCalibration start;
    start.name = "pH";
    start.loGainAdChan = 5;
    start.hiGainAdChan = 4;
    CIonCalibrationSession session(start, window.Frame().AdBoard());
    CQtIonDialogs dialogs;
    OnNext<CIonCalibrationDialog>([](CIonCalibrationDialog* d) {
        EXPECT_EQ(Child<QLabel>(d, "slopeCaption")->text(), "Nernst Slope:");
        EXPECT_FALSE(Child<QWidget>(d, "polarographicSetup")->isEnabled());
        Child<QRadioButton>(d, "radio1483")->click();
        EXPECT_EQ(Child<QLabel>(d, "slopeCaption")->text(), "Std Curve:");
        EXPECT_EQ(Child<QLineEdit>(d, "edit1371")->text(), "21");
        EXPECT_TRUE(Child<QWidget>(d, "polarographicSetup")->isEnabled());
        Child<QRadioButton>(d, "radio1482")->click();
        Click(d, "button1100");
        EXPECT_TRUE(d->Watching());
        EXPECT_EQ(Child<QPushButton>(d, "button1100")->text(), "Watch Off");
        QTRY_VERIFY(!Child<QLabel>(d, "tip")->text().isEmpty());
        Click(d, "button1100");
        EXPECT_FALSE(d->Watching());
        Press(d, QDialogButtonBox::Ok);
    });
    EXPECT_FALSE(dialogs.Calibrate(session));
    // The type was switched back and forth: nothing was sampled, so nothing is kept.
    EXPECT_EQ(prompt.LastText(), "Reverting to previous calibration values.");
}

TEST_F(IonDialogsTest, SelectByNameMakesAndRemovesNames) {
    profile.WriteProfileInt(kProbeNameSection, "Ion Types", 1);
    profile.WriteProfileString(kProbeNameSection, "Name 1", "pH");
    CMainWindow window;
    CStation& station = window.Frame().Station();
    CSelectProbeLogic logic(station, "");
    CQtIonDialogs dialogs;
    SetIonDialogs(&dialogs);
    OnNext<CSelectProbeDialog>([](CSelectProbeDialog* d) {
        auto* list = Child<QListWidget>(d, "list1378");
        EXPECT_EQ(list->count(), 1);
        OnNext<CNewProbeNameDialog>([](CNewProbeNameDialog* n) {
            Child<QLineEdit>(n, "edit1199")->setText("Ca");
            Press(n, QDialogButtonBox::Ok);
        });
        Click(d, "newName");
        EXPECT_EQ(list->count(), 2);
        EXPECT_EQ(list->currentItem()->text(), "Ca");
        list->setCurrentRow(0);
        Click(d, "removeName");
        EXPECT_EQ(list->count(), 1);
        list->setCurrentRow(0);
        Press(d, QDialogButtonBox::Ok);
    });
    EXPECT_TRUE(dialogs.SelectProbe(logic));
    SetIonDialogs(nullptr);
    EXPECT_EQ(prompt.Texts(),
              std::vector<std::string>{"Permanently remove 'pH' probe from the list?"});
    EXPECT_EQ(logic.Chosen(), "Ca");
    EXPECT_EQ(station.probeNames, std::vector<std::string>{"Ca"});
}

}  // namespace
