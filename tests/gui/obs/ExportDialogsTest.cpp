// The Qt export dialogs on the offscreen platform: they show the logic's values under the
// captions users know, hand the entries back on OK, and stay open on a bad entry.

#include <gtest/gtest.h>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "gui/obs/ExportDialogs.h"
#include "gui/obs/ExportTextDialog.h"
#include "gui/obs/SurfaceExportDialog.h"
#include "obs/IonObs.h"
#include "obs/MageExport.h"
#include "obs/ObsDoc.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "settings/FileNumbering.h"
#include "settings/RootDirectory.h"
#include "support/TestEnv.h"

namespace {

QPushButton* Ok(QDialog& dialog) {
    return dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
}
template <class T>
T* Child(QDialog& dialog, const char* name) {
    T* child = dialog.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

class ExportDialogsTest : public CVelmTest {
  protected:
    ExportDialogsTest() {
        SetRootDirectory(dir.Path());
        auto cal = std::make_unique<CWireCalibration>();
        cal->SetTime(kTestEpoch, 0);
        doc.AddObs(std::move(cal));
        for (const char* name : {"K+", "Ca++"}) {
            auto ion = std::make_unique<CIonObs>();
            ion->SetTime(kTestEpoch + 1, 0);
            ion->name = name;
            doc.AddObs(std::move(ion));
        }
        auto point = std::make_unique<CWireObs>();
        point->SetTime(kTestEpoch + 2, 0);
        doc.AddObs(std::move(point));
    }
    ~ExportDialogsTest() override {
        SetTextExportDialog(nullptr);
        SetSurfaceExportDialog(nullptr);
        SetMageExportDialog(nullptr);
    }
    CObsDoc doc;
};

TEST_F(ExportDialogsTest, TextExportDialogShowsTheOptionsUnderTheirCaptions) {
    SExportOptions options = ExportOptionsOf(doc);
    options.useData = 1;
    options.useNumber = 0;
    CTextExportLogic logic(doc, options, "/out/expor001.txt");
    CExportTextDialog dialog(logic);
    EXPECT_EQ(dialog.windowTitle(), "Export Observations To Text File");
    // The swapped field names: useData is the "Number label" box, useNumber the "Data" box.
    auto* numberLabel = Child<QCheckBox>(dialog, "useData");
    EXPECT_EQ(numberLabel->text(), "Number label");
    EXPECT_TRUE(numberLabel->isChecked());
    EXPECT_EQ(Child<QCheckBox>(dialog, "useNumber")->text(), "Data");
    EXPECT_FALSE(Child<QCheckBox>(dialog, "useNumber")->isChecked());
    EXPECT_TRUE(Child<QRadioButton>(dialog, "dataType1399")->isChecked());
    EXPECT_TRUE(Child<QRadioButton>(dialog, "timeType1407")->isChecked());
    EXPECT_EQ(Child<QLineEdit>(dialog, "outputPath")->text(), "/out/expor001.txt");
    EXPECT_EQ(Child<QLabel>(dialog, "range")->text(), "12/05/07 12:00:00 to 12/05/07 12:00:02");
    auto* probes = Child<QListWidget>(dialog, "probeNames");
    ASSERT_EQ(probes->count(), 2);
    EXPECT_EQ(probes->item(1)->text(), "Ca++");
    EXPECT_EQ(CExportTextDialog::QtFilter(CTextExportLogic::kBrowseFilter),
              "Text Files (*.txt);;All Files (*.*)");
}

TEST_F(ExportDialogsTest, TextExportDialogOkTakesTheEntriesOrStaysOpen) {
    CTextExportLogic logic(doc, ExportOptionsOf(doc), "/out/expor001.txt");
    CExportTextDialog dialog(logic);
    Child<QCheckBox>(dialog, "exportWirePt")->setChecked(false);
    Child<QCheckBox>(dialog, "useConcentrations")->setChecked(true);
    Child<QRadioButton>(dialog, "dataType1398")->setChecked(true);
    Child<QRadioButton>(dialog, "timeType1405")->setChecked(true);
    Child<QLineEdit>(dialog, "month")->setText("13");
    dialog.open();
    Ok(dialog)->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(prompt.LastText(), "\"Month\" must be a whole number from 1 to 12.");
    Child<QLineEdit>(dialog, "month")->setText("12");
    Child<QLineEdit>(dialog, "hour")->setText("13");
    Ok(dialog)->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(logic.options.exportWirePt, 0);
    EXPECT_TRUE(logic.options.useConcentrations);
    EXPECT_EQ(logic.options.exportDataType, 1398);
    EXPECT_EQ(logic.options.exportTimeType, 1405);
    EXPECT_EQ(logic.options.referenceTime, kTestEpoch + 3600);
}

TEST_F(ExportDialogsTest, SurfaceExportDialogBindsTheDefinition) {
    CSurfaceExportLogic logic(doc, "/out/expor002.txt");
    CSurfaceExportDialog dialog(logic);
    EXPECT_EQ(dialog.windowTitle(), "Surface Export Definition");
    EXPECT_TRUE(Child<QRadioButton>(dialog, "radio1734")->isChecked());
    EXPECT_TRUE(Child<QRadioButton>(dialog, "radio1744")->isChecked());
    EXPECT_TRUE(Child<QRadioButton>(dialog, "radio1029")->isChecked());
    auto* total = Child<QRadioButton>(dialog, "radio1177");
    EXPECT_EQ(total->text(), "Total current density");
    EXPECT_TRUE(total->isChecked());
    EXPECT_EQ(Child<QRadioButton>(dialog, "radio1182")->text(), "Y Quadrature");

    Child<QRadioButton>(dialog, "radio1737")->setChecked(true);
    Child<QRadioButton>(dialog, "radio1745")->setChecked(true);
    Child<QRadioButton>(dialog, "radio1030")->setChecked(true);
    Child<QRadioButton>(dialog, "radio1186")->setChecked(true);
    Child<QListWidget>(dialog, "probeNames")->setCurrentRow(1);
    Child<QCheckBox>(dialog, "matrix")->setChecked(true);
    Child<QCheckBox>(dialog, "applyReference")->setChecked(false);
    Child<QLineEdit>(dialog, "gradTo")->setText("x");
    dialog.open();
    Ok(dialog)->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(prompt.LastText(), "\"to\" must be a whole number from 1 to 32767.");
    Child<QLineEdit>(dialog, "gradTo")->setText("3");
    Ok(dialog)->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const SSurfaceDefinition& d = logic.definition;
    EXPECT_EQ(d.xValue, 1737);
    EXPECT_EQ(d.yValue, 1745);
    EXPECT_EQ(d.positionOf, 1030);
    EXPECT_EQ(d.quantity, 1186);
    EXPECT_EQ(d.probe, 1);
    EXPECT_TRUE(d.matrix);
    EXPECT_FALSE(d.applyReference);
    EXPECT_EQ(d.gradTo, 3);

    Child<QPushButton>(dialog, "gradientRules")->click();
    EXPECT_EQ(prompt.LastText(), "This document holds no ISP/PVP sampling rules.");
    Child<QPushButton>(dialog, "cdpCalibration")->click();
    EXPECT_NE(prompt.LastText().find("CDP Calibration:  "), std::string::npos);
}

TEST_F(ExportDialogsTest, TheInstalledDialogRunsTheTextExportCommand) {
    InstallExportDialogs(nullptr);
    clock.Advance(60 * 1000);
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<CExportTextDialog*>(w); dialog && dialog->isVisible()) {
                dialog->findChild<QRadioButton*>("dataType1398")->setChecked(true);
                dialog->findChild<QCheckBox*>("includeHeader")->setChecked(false);
                Ok(*dialog)->click();
            }
        }
    });
    ASSERT_TRUE(TextExportCommand(doc, kObsDocSection));
    const std::string text = ReadFileText(dir.File("expor000.txt"));
    EXPECT_EQ(text.substr(0, 17), "Min_From,X_micron");
    EXPECT_EQ(GetNextExportFileNumber(), 1);
}

}  // namespace
