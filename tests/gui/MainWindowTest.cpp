#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "gui/app/MainWindow.h"
#include "gui/platform/QtPrompt.h"
#include "gui/platform/QtText.h"

TEST(MainWindow, HasTheTitleAnMdiAreaAndFileExit) {
    CMainWindow window;
    EXPECT_EQ(window.windowTitle(), "VELM for Windows95/98 and NT/XP v2.00");
    EXPECT_NE(window.MdiArea(), nullptr);
    auto* exit = window.findChild<QAction*>("fileExit");
    ASSERT_NE(exit, nullptr);
    window.show();
    exit->trigger();
    EXPECT_FALSE(window.isVisible());
}

namespace {
// Presses the button of the given role on the next message box that appears.
void PressOnNextBox(QMessageBox::StandardButton button, QString* seenText = nullptr,
                    QString* seenTitle = nullptr) {
    QTimer::singleShot(0, [=] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                if (seenText) *seenText = box->text();
                if (seenTitle) *seenTitle = box->windowTitle();
                box->button(button)->click();
                return;
            }
        }
    });
}
}  // namespace

TEST(QtPrompt, ShowsTheTextAndReturnsTheButtonPressed) {
    CQtPrompt prompt;
    QString text, title;
    PressOnNextBox(QMessageBox::No, &text, &title);
    EXPECT_EQ(prompt.Ask("Return probe?", EPromptButtons::YesNoCancel), EPromptAnswer::No);
    EXPECT_EQ(text, "Return probe?");
    EXPECT_EQ(title, "VELM for Windows");
    PressOnNextBox(QMessageBox::Cancel, nullptr, &title);
    EXPECT_EQ(
        prompt.Show("x", "Root Directory Error", EPromptButtons::OkCancel, EPromptIcon::Question),
        EPromptAnswer::Cancel);
    EXPECT_EQ(title, "Root Directory Error");
}

TEST(QtText, KeepsUtf8AndLatin1Bytes) {
    EXPECT_EQ(ToQ("caf\xC3\xA9"), QString::fromUtf8("caf\xC3\xA9"));
    EXPECT_EQ(ToQ("caf\xE9"), QString(QChar(0xE9)).prepend("caf"));
}
