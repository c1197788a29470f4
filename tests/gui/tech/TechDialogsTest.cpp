// The measurement and document dialogs in Qt: their fields reach the logic, refused entries
// keep the dialog open, and the extra buttons act.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <functional>

#include "gui/GuiTestSupport.h"
#include "gui/app/ObsDocDialogsQt.h"
#include "gui/tech/TechDialogsQt.h"
#include "obs/IonObs.h"
#include "obs/SampRulesRawAD.h"
#include "obs/SampRulesWire.h"
#include "support/TestEnv.h"

namespace {

void Press(QDialog* d, QDialogButtonBox::StandardButton which) {
    d->findChild<QDialogButtonBox*>()->button(which)->click();
}

class QtDialogsTest : public CVelmTest {
  protected:
    CQtTechDialogs tech;
    CQtObsDocDialogs docs;
};

TEST_F(QtDialogsTest, CdpRulesDialogRefusesATypingSlipAndKeepsTheEntries) {
    CSampRulesWire rules;
    CWireRulesLogic logic(rules);
    OnNext<CWireRulesDialog>([this](CWireRulesDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Current Density Probe Sampling Rules");
        EXPECT_EQ(Child<QLineEdit>(d, "edit1042")->text(), "0.5");
        Child<QLineEdit>(d, "edit1038")->setText("0,02");
        Press(d, QDialogButtonBox::Ok);
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(prompt.LastText(), "Please enter a number for \"Wait for\" (not \"0,02\").");
        Child<QLineEdit>(d, "edit1038")->setText("0.05");
        Child<QLineEdit>(d, "edit1101")->setText("4");
        Press(d, QDialogButtonBox::Ok);
    });
    ASSERT_TRUE(tech.EditWireRules(logic));
    EXPECT_EQ(logic.waitPeriod, 0.05);
    EXPECT_EQ(logic.firstChan, 4);
}

TEST_F(QtDialogsTest, RawADDialogTakesTheModeAndOrderRadios) {
    CSampRulesRawAD rules;
    CRawADRulesLogic logic(rules);
    OnNext<CRawADRulesDialog>([](CRawADRulesDialog* d) {
        EXPECT_EQ(Child<QLineEdit>(d, "edit1345")->text(), "0.2");
        Child<QRadioButton>(d, "radio1344")->setChecked(true);
        Child<QRadioButton>(d, "radio1349")->setChecked(true);
        Child<QLineEdit>(d, "edit1040")->setText("6");
        Press(d, QDialogButtonBox::Ok);
    });
    ASSERT_TRUE(tech.EditRawADRules(logic));
    EXPECT_EQ(logic.rules.average, 0);
    EXPECT_EQ(logic.rules.interleave, 0);
    EXPECT_EQ(logic.rules.LastChan, 6);

    CResistivityLogic rho(100);
    OnNext<CResistivityDialog>([](CResistivityDialog* d) { Press(d, QDialogButtonBox::Cancel); });
    EXPECT_FALSE(tech.SetResistivity(rho));
}

TEST_F(QtDialogsTest, LogEntryUpdateTimeTakesTheTimeAnewAndSaves) {
    CLogEntryLogic logic;
    OnNext<CLogEntryDialog>([this](CLogEntryDialog* d) {
        EXPECT_EQ(Child<QLabel>(d, "logTime")->text(), "12:00:00.000 on 12/05/07");
        Child<QPlainTextEdit>(d, "logText")->setPlainText("two\nlines");
        clock.Advance(61250);
        Child<QPushButton>(d, "updateTime")->click();
    });
    ASSERT_TRUE(docs.EditLogEntry(logic));
    EXPECT_EQ(logic.text, "two\nlines");
    EXPECT_EQ(logic.logTime.seconds, kTestEpoch + 61);
    EXPECT_EQ(logic.logTime.milliseconds, 250);
}

TEST_F(QtDialogsTest, TimeRangeAndReferenceDialogs) {
    CTimeRangeLogic range(kTestEpoch - 60, kTestEpoch);
    OnNext<CTimeRangeDialog>([this](CTimeRangeDialog* d) {
        auto* start = Child<QDateTimeEdit>(d, "start");
        EXPECT_EQ(start->dateTime().toSecsSinceEpoch(), kTestEpoch - 60);
        start->setDateTime(QDateTime::fromSecsSinceEpoch(kTestEpoch + 60));
        Press(d, QDialogButtonBox::Ok);
        EXPECT_EQ(prompt.LastText(), "The start of the time range is later than its end.");
        start->setDateTime(QDateTime::fromSecsSinceEpoch(kTestEpoch - 7200));
        Press(d, QDialogButtonBox::Ok);
    });
    ASSERT_TRUE(docs.DefineTimeRange(range));
    EXPECT_EQ(range.start, kTestEpoch - 7200);

    CIonReference ref;
    ref.SetShape(3, 1);
    CIonReferenceLogic ion(ref);
    OnNext<CIonReferenceDialog>([](CIonReferenceDialog* d) {
        EXPECT_EQ(Child<QLineEdit>(d, "samples")->text(), "0 0 0");
        Child<QLineEdit>(d, "samples")->setText("1 2 3");
        Press(d, QDialogButtonBox::Ok);
    });
    ASSERT_TRUE(docs.EditIonReference(ion));
    EXPECT_EQ(ion.values, (std::vector<double>{1, 2, 3}));

    CWireReferenceLogic wire(CDVector4(1, 2, 3, 4));
    OnNext<CWireReferenceDialog>([](CWireReferenceDialog* d) {
        Child<QLineEdit>(d, "Y Quad")->setText("-4");
        Press(d, QDialogButtonBox::Ok);
    });
    ASSERT_TRUE(docs.EditWireReference(wire));
    EXPECT_EQ(wire.value, CDVector4(1, 2, 3, -4));
}

}  // namespace
