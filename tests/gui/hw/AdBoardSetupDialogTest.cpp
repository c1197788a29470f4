// The Qt "A/D Board Setup" dialog on the offscreen platform: its list, its captions and that
// OK goes through the logic's checks.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include "gui/hw/AdBoardSetupDialog.h"
#include "hw/AdBoard.h"
#include "platform/PortIo.h"
#include "support/TestEnv.h"

namespace {

class AdBoardSetupDialogTest : public CVelmTest {
  protected:
    CScriptedPortIo ports;
    CScopedPortIo scopedPorts{&ports};
};

QPushButton* Button(QDialog& dialog, QDialogButtonBox::StandardButton which) {
    return dialog.findChild<QDialogButtonBox*>()->button(which);
}

TEST_F(AdBoardSetupDialogTest, ShowsTheBoardAndFollowsTheChosenFamily) {
    CAdBoard board;
    board.type = kAdDas08Aoh;
    board.base = 0x300;
    CAdBoardSetupLogic logic(board);
    CAdBoardSetupDialog dialog(logic);
    auto* list = dialog.findChild<QListWidget*>("typeList");
    // The list order of the dialog, not the order of the type ids.
    QStringList names;
    for (int row = 0; row < list->count(); ++row)
        names << list->item(row)->text();
    EXPECT_EQ(
        names,
        QStringList({"<None>", "National Instruments PCI-6221", "National Instruments PCI-1200",
                     "National Instruments PCI-603X", "PCI-DAS1602/16", "DAS08PGA Free Run",
                     "Metrabyte/CIO-DAS08", "Metrabyte/CIO-DAS08PGA", "CIO-DAS08AOL",
                     "CIO-DAS08AOM", "CIO-DAS08AOH", "CIO-DAS1602/16", "Data Translation 2801/5716",
                     "Data Translation 2801A", "Data Translation 2837", "LabMaster 12-bit",
                     "PCM-DAS16D/12AO", "Random Number Generator", "Sine Wave (0.1 Hz)"})
            << "Simulated Station");
    EXPECT_EQ(list->currentItem()->text(), "CIO-DAS08AOH");
    EXPECT_EQ(dialog.windowTitle(), "A/D Board Setup");
    auto* label = dialog.findChild<QLabel*>("baseLabel");
    EXPECT_EQ(label->text(), "Base Address (hex):");
    EXPECT_EQ(dialog.findChild<QLineEdit*>("baseEdit")->text(), "300");
    EXPECT_FALSE(dialog.findChild<QLineEdit*>("portEdit")->isEnabled());

    list->setCurrentRow(3);  // National Instruments PCI-603X
    EXPECT_EQ(dialog.windowTitle(), "A/D Board Setup - National Instruments A/D");
    EXPECT_EQ(label->text(), "Device ID:");
    list->setCurrentRow(4);  // PCI-DAS1602/16
    EXPECT_EQ(dialog.windowTitle(), "A/D Board Setup - Measurement Computing A/D");
    EXPECT_EQ(label->text(), "Board ID:");
    dialog.findChild<QCheckBox*>("initCheck")->setChecked(true);
    EXPECT_TRUE(dialog.findChild<QLineEdit*>("portEdit")->isEnabled());
}

TEST_F(AdBoardSetupDialogTest, OkKeepsTheDialogOpenUntilTheEntriesAreRight) {
    CAdBoard board;
    CAdBoardSetupLogic logic(board);
    CAdBoardSetupDialog dialog(logic);
    dialog.findChild<QListWidget*>("typeList")->setCurrentRow(17);  // Random Number Generator
    dialog.findChild<QLineEdit*>("adRangeEdit")->setText("ten");
    dialog.open();
    Button(dialog, QDialogButtonBox::Ok)->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(prompt.LastText(), "\"A/D (+/- volts)\" must be a number greater than 0.");

    dialog.findChild<QLineEdit*>("adRangeEdit")->setText("2.5");
    Button(dialog, QDialogButtonBox::Ok)->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(logic.typeName, "Random Number Generator");
    EXPECT_EQ(logic.adRangeText, "2.5");
}

TEST_F(AdBoardSetupDialogTest, SetupShowsTheDialogThroughTheInstalledHook) {
    InstallAdBoardSetupDialog(nullptr);
    CAdBoard board;
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<CAdBoardSetupDialog*>(w);
                dialog && dialog->isVisible()) {
                dialog->findChild<QListWidget*>("typeList")->setCurrentRow(18);
                Button(*dialog, QDialogButtonBox::Ok)->click();
            }
        }
    });
    EXPECT_TRUE(board.Setup());
    EXPECT_EQ(board.type, kAdSine);
    EXPECT_EQ(profile.GetProfileString("A/D Board", "Line 0"), "Sine Wave (0.1 Hz)");
    CAdBoard::setupDialog = nullptr;
}

}  // namespace
