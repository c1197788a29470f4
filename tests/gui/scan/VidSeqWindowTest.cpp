// The road of a video image sequence through the desktop program: Mode > "Video &Sequence"
// of an observation document, the set-up dialog, the acquisition on the test pattern, the
// sequence window with Split and Join, and the .vsq opening again as a document.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "app/MainFrame.h"
#include "gui/GuiTestSupport.h"
#include "gui/app/DocumentWindow.h"
#include "gui/app/MainWindow.h"
#include "gui/scan/VidSeqSetupDialog.h"
#include "gui/scan/VidSeqWindow.h"
#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"
#include "obs/ObsDoc.h"
#include "obs/VidSeqObs.h"
#include "scan/VidSeqDoc.h"
#include "settings/FileNumbering.h"
#include "support/TestEnv.h"

namespace {

class VidSeqWindowTest : public CVelmTest {
  protected:
    VidSeqWindowTest() {
        profile.WriteProfileString(kMainframeSection, "Line 0", dir.Path());
        for (const char* section : {kProbeMotionSection, kSampleMotionSection})
            profile.WriteProfileString(section, "Line 1", "Steps/micron: 10 10 10 10");
    }
};

TEST_F(VidSeqWindowTest, FromTheModeMenuToTheSequenceWindow) {
    CMainWindow window;
    window.Frame().FgBoard().captureWidth = 32;
    window.Frame().FgBoard().captureHeight = 24;
    auto* obsWindow = static_cast<CObsDocWindow*>(window.CreateNewDocument(EDocType::Observation));
    QAction* sequence = window.Action("modeImageSequence");
    ASSERT_NE(sequence, nullptr);
    EXPECT_EQ(sequence->text(), "Video &Sequence");
    EXPECT_TRUE(sequence->isEnabled());

    OnNext<CVidSeqSetupDialog>([this](CVidSeqSetupDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Video Image Sequence Setup");
        Child<QLineEdit>(d, "stepsX")->setText("0");
        auto* ok = d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        ok->click();
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(prompt.LastText(), "Steps X: enter a count from 1 to 1000.");
        Child<QLineEdit>(d, "stepsX")->setText("2");
        Child<QLineEdit>(d, "stepsY")->setText("2");
        Child<QLineEdit>(d, "endX")->setText("40");
        Child<QLineEdit>(d, "endY")->setText("20");
        Child<QLineEdit>(d, "waitEdit")->setText("0");
        Child<QRadioButton>(d, "refBackground")->setChecked(true);
        ok->click();
    });
    sequence->trigger();

    ASSERT_EQ(obsWindow->Document().GetObsCount(), 1u);
    const auto& record = static_cast<const CVidSeqObs&>(*obsWindow->Document().GetObsAt(0));
    EXPECT_EQ(record.fileName, dir.File("V1205000/v1205000.vsq"));
    auto* seqWindow = qobject_cast<CVidSeqDocWindow*>(window.ActiveDocumentWindow());
    ASSERT_NE(seqWindow, nullptr);
    EXPECT_EQ(window.CurrentMenuSet(), 7);
    EXPECT_EQ(seqWindow->Title(), "v1205000.vsq");
    EXPECT_TRUE(seqWindow->Document().IsReadOnly());
    auto* list = Child<QListWidget>(seqWindow, "frameList");
    ASSERT_EQ(list->count(), 5);  // the reference and four frames
    EXPECT_NE(list->item(4)->text().indexOf("00000011.bmp"), -1);

    // Join: one frame at a time with the slider; Split: the plane laid out.
    Child<QSlider>(seqWindow, "frameSlider")->setValue(4);
    EXPECT_EQ(list->currentRow(), 4);
    EXPECT_EQ(Child<QLabel>(seqWindow, "frameLabel")->text(), "40, 20");
    EXPECT_FALSE(window.Action("sequenceJoin")->isEnabled());
    window.Action("sequenceSplit")->trigger();
    EXPECT_TRUE(seqWindow->IsSplit());
    EXPECT_EQ(seqWindow->findChildren<QLabel*>("tile").size(), 4);
    window.Action("sequenceJoin")->trigger();
    EXPECT_FALSE(seqWindow->IsSplit());

    // The .vsq is a document of its own: closed and opened again by name.
    const std::string path = record.fileName;
    seqWindow->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(window.DocumentWindows().size(), 1);
    ASSERT_TRUE(window.OpenDocumentFile(QString::fromStdString(path)));
    auto* again = qobject_cast<CVidSeqDocWindow*>(window.ActiveDocumentWindow());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Document().GetObsCount(), 5u);
    EXPECT_EQ(again->Document().postComment, "");
    EXPECT_EQ(prompt.shown.size(), 1u) << prompt.LastText();
}

}  // namespace
