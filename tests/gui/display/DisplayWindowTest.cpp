// Display documents in the desktop program: "&Display" from the observation list makes a
// display whose arrows are drawn on screen, the Layer menu follows the selection, the document
// saves and opens again with its source, and closing the observation document closes its
// display after asking.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <functional>

#include "app/MainFrame.h"
#include "app/Startup.h"
#include "display/DisplayTestUtil.h"
#include "gui/GuiTestSupport.h"
#include "gui/app/DocumentWindow.h"
#include "gui/app/FileDialogs.h"
#include "gui/app/MainWindow.h"
#include "gui/display/DisplayWindow.h"
#include "gui/obs/ObsView.h"
#include "settings/FileNumbering.h"
#include "support/TestEnv.h"
#include "tech/Station.h"

namespace fs = std::filesystem;

namespace {

class DisplayWindowTest : public CVelmTest {
  protected:
    DisplayWindowTest() : cwd(fs::current_path()), savedDialogs(FileDialogs()) {
        profile.WriteProfileInt(kMainframeSection, kNumberOfRunsKey, 3);
        profile.WriteProfileString(kMainframeSection, "Line 0", dir.Path());
        FileDialogs().save = [this](QWidget*, const QString&, const QString& start,
                                    const QString&) {
            saveStarts << start;
            return saveAnswer;
        };
    }
    ~DisplayWindowTest() override {
        FileDialogs() = savedDialogs;
        fs::current_path(cwd);
    }
    fs::path cwd;
    SFileDialogs savedDialogs;
    QString saveAnswer;
    QStringList saveStarts;
};

TEST_F(DisplayWindowTest, DisplayFromTheListSavesOpensAndClosesWithItsSource) {
    auto source = MakeCdpDocument(PointSourceGrid(0, 0, 5, 20));
    std::string message;
    const std::string vpo = dir.File("grid.vpo");
    ASSERT_TRUE(source->SaveFile(vpo, message)) << message;

    CMainWindow window;
    ASSERT_TRUE(window.OpenDocumentFile(QString::fromStdString(vpo)));
    CObsDocWindow* obs = window.ActiveObsWindow();
    ASSERT_NE(obs, nullptr);
    QAction* display = window.Action("modeDisplay");
    ASSERT_TRUE(display->isEnabled());
    EXPECT_EQ(display->shortcut(), QKeySequence(Qt::Key_F11));
    prompt.answers = {EPromptAnswer::No};  // no new image to line the data up on
    display->trigger();
    EXPECT_EQ(prompt.LastText(), "Grab a new image?");
    auto* shown = qobject_cast<CDispDocWindow*>(window.ActiveDocumentWindow());
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(window.CurrentMenuSet(), 3);
    ASSERT_EQ(shown->Document().layers.size(), 1u);
    auto& layer = static_cast<CDataDispLayer&>(*shown->Document().layers[0]);
    EXPECT_EQ(layer.sourceDoc, &obs->Document());
    EXPECT_EQ(layer.quantity, 1183);

    // The picture has red arrows around the middle and nothing in the corner.
    const QImage picture = shown->Render();
    int red = 0;
    for (int y = 180; y < 300; ++y)
        for (int x = 260; x < 380; ++x)
            red += qRed(picture.pixel(x, y)) > 200 && qBlue(picture.pixel(x, y)) < 80;
    EXPECT_GT(red, 50);
    EXPECT_EQ(picture.pixel(2, 2), qRgb(0, 0, 0));

    // One layer, selected: nothing to raise or lower, but it can go.
    EXPECT_FALSE(window.Action("layerRaiseUp")->isEnabled());
    EXPECT_FALSE(window.Action("layerSendDown")->isEnabled());
    EXPECT_TRUE(window.Action("layerDelete")->isEnabled());
    EXPECT_TRUE(window.Action("layerNew")->isEnabled());

    // Save As proposes a name beside the source and writes the document.
    saveAnswer = QString::fromStdString(dir.File("grid.vpd"));
    ASSERT_TRUE(shown->SaveAs());
    ASSERT_FALSE(saveStarts.isEmpty());
    EXPECT_EQ(saveStarts.back().toStdString(), dir.File("grid.vpd"));
    CDispDoc reread;
    ASSERT_TRUE(reread.LoadFile(dir.File("grid.vpd"), message)) << message;
    ASSERT_EQ(reread.layers.size(), 1u);
    EXPECT_EQ(reread.layers[0]->source, vpo);

    // Closing the observation document closes its display, after saying so.
    shown->Document().SetModifiedFlag(true);
    prompt.answers = {EPromptAnswer::Ok, EPromptAnswer::No};
    window.MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(obs->parentWidget()));
    obs->parentWidget()->close();
    QTRY_VERIFY(window.DocumentWindows().isEmpty());
    const std::vector<std::string> texts = prompt.Texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Closing dependent display file grid.vpd."),
              texts.end());

    // Opening the display again reads its source too; "&Display" with a newly grabbed image
    // puts the image underneath.
    ASSERT_TRUE(window.OpenDocumentFile(QString::fromStdString(dir.File("grid.vpd"))));
    auto* again = qobject_cast<CDispDocWindow*>(window.ActiveDocumentWindow());
    ASSERT_NE(again, nullptr);
    auto& reopened = static_cast<CDataDispLayer&>(*again->Document().layers[0]);
    ASSERT_NE(reopened.sourceDoc, nullptr);
    EXPECT_EQ(reopened.sourceDoc->GetObsCount(), source->GetObsCount());
    ASSERT_TRUE(window.OpenDocumentFile(QString::fromStdString(vpo)));
    prompt.answers = {EPromptAnswer::Yes};
    window.Action("modeDisplay")->trigger();
    auto* withImage = qobject_cast<CDispDocWindow*>(window.ActiveDocumentWindow());
    ASSERT_NE(withImage, nullptr);
    ASSERT_EQ(withImage->Document().layers.size(), 2u);
    auto* image = dynamic_cast<CImageDispLayer*>(withImage->Document().layers[0].get());
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(image->image.IsValid()) << image->source;
    EXPECT_EQ(window.ActiveObsWindow(), nullptr);
}

// Runs `action` on the visible dialog titled `title` once a modal loop shows it.
void OnDialog(const QString& title, std::function<void(QDialog*)> action, int triesLeft = 400) {
    QTimer::singleShot(5, [title, action, triesLeft] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QDialog*>(w);
                d && d->isVisible() && d->windowTitle() == title) {
                action(d);
                return;
            }
        if (triesLeft > 0) OnDialog(title, action, triesLeft - 1);
    });
}

TEST_F(DisplayWindowTest, NewDataLayerThroughItsDialogs) {
    auto source = MakeCdpDocument({{0, 0, 2, 0}, {50, 0, -4, 0}});
    std::string message;
    const std::string vpo = dir.File("line.vpo");
    ASSERT_TRUE(source->SaveFile(vpo, message)) << message;

    CMainWindow window;
    auto* shown = qobject_cast<CDispDocWindow*>(window.CreateNewDocument(EDocType::Display));
    ASSERT_NE(shown, nullptr);
    OnDialog("Add Display Layer", [vpo](QDialog* add) {
        OnDialog("Data Display Layer", [vpo](QDialog* data) {
            auto* file = data->findChild<QComboBox*>("dataFile");
            ASSERT_NE(file, nullptr);
            file->setEditText(QString::fromStdString(vpo));
            for (QRadioButton* r : data->findChildren<QRadioButton*>())
                if (r->text() == "Circle" || r->text() == "X current density") r->setChecked(true);
            data->accept();
        });
        for (QPushButton* b : add->findChildren<QPushButton*>())
            if (b->text() == "Data") b->click();
    });
    window.Action("layerNew")->trigger();
    ASSERT_EQ(shown->Document().layers.size(), 1u);
    auto& layer = static_cast<CDataDispLayer&>(*shown->Document().layers[0]);
    EXPECT_EQ(layer.source, vpo);
    ASSERT_NE(layer.sourceDoc, nullptr);
    EXPECT_EQ(layer.sourceDoc->GetObsCount(), source->GetObsCount());
    EXPECT_EQ(layer.method, kMethodCircle);
    EXPECT_EQ(layer.quantity, 1175);
    EXPECT_TRUE(shown->IsModified());
    // The choices preset the next layer.
    EXPECT_EQ(profile.GetProfileString("Data Display Layer", "Line 5", ""),
              "Disp: quantity=1175  method=1481  lineclr=1334  VectDisp=1487");
    // The window size changes the picture.
    OnDialog("Display Window Size", [](QDialog* d) {
        auto edits = d->findChildren<QLineEdit*>();
        ASSERT_EQ(edits.size(), 2);
        edits[0]->setText("320");
        edits[1]->setText("200");
        d->accept();
    });
    window.Action("displayWindowSize")->trigger();
    EXPECT_EQ(shown->Document().windowWidth, 320);
    EXPECT_EQ(shown->Render().size(), QSize(320, 200));
}

}  // namespace
