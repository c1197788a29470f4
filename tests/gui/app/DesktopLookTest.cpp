// What the program sets for the whole application as it starts (SetUpApplication, as main()
// calls it): the numeric locale of the file formats, window titles exactly as given, Fusion in
// light or dark colours, and command icons that never come out empty.

#include <gtest/gtest.h>

#include <QApplication>
#include <QStyle>
#include <clocale>
#include <cstdio>
#include <string>

#include "gui/app/DesktopLook.h"
#include "platform/Format.h"

namespace {

// Whatever the test binary set, a numeric locale that is not "C" (one with a decimal comma
// when the system has one), as a user's desktop may give the program.
std::string ForeignNumericLocale() {
    for (const char* name :
         {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8", "C.UTF-8", "C.utf8", "POSIX"})
        if (const char* set = std::setlocale(LC_NUMERIC, name)) {
            const std::string got = set;
            if (got != "C") return got;
        }
    return std::string();
}

class DesktopLookTest : public ::testing::Test {
  protected:
    ~DesktopLookTest() override { SetUpApplication(EColourScheme::Light); }
};

TEST_F(DesktopLookTest, NumbersAreWrittenInTheCLocaleFromTheStart) {
    const std::string foreign = ForeignNumericLocale();
    ASSERT_FALSE(foreign.empty()) << "no locale other than C to start from";
    SetUpApplication(EColourScheme::Light);
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    EXPECT_EQ(StrPrintf("%lf", 2.5), "2.500000");
    double read = 0.0;
    EXPECT_EQ(std::sscanf("rho: 80.25", "rho: %lf", &read), 1);
    EXPECT_EQ(read, 80.25);
}

TEST_F(DesktopLookTest, WindowTitlesGetNoApplicationNameAppended) {
    SetUpApplication(EColourScheme::Light);
    // With a display name set, the window system shows every title as "<title> - <display
    // name>"; left unset, it falls back to the bare application name and titles stay as given.
    EXPECT_EQ(QGuiApplication::applicationName(), "velm");
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "velm");
}

TEST_F(DesktopLookTest, FusionInLightOrDarkColours) {
    SetUpApplication(EColourScheme::Dark);
    EXPECT_EQ(QApplication::style()->name().toLower(), "fusion");
    const QPalette dark = QApplication::palette();
    EXPECT_LT(dark.color(QPalette::Window).lightness(), 100);
    EXPECT_GT(dark.color(QPalette::WindowText).lightness(), 180);
    EXPECT_LT(dark.color(QPalette::Base).lightness(), 100);

    SetUpApplication(EColourScheme::Light);
    const QPalette light = QApplication::palette();
    EXPECT_GT(light.color(QPalette::Window).lightness(), 180);
    EXPECT_LT(light.color(QPalette::WindowText).lightness(), 80);
}

TEST_F(DesktopLookTest, CommandIconsHaveABuiltInDrawing) {
    for (const char* name : {"new", "open", "save", "point", "reference", "log", "watch",
                             "gridScan", "help", "exit"}) {
        const QIcon icon = CommandIcon("no-such-theme-icon-velm", name);
        ASSERT_FALSE(icon.isNull()) << name;
        const QImage image = icon.pixmap(24, 24).toImage();
        bool drawn = false;
        for (int y = 0; y < image.height() && !drawn; ++y)
            for (int x = 0; x < image.width() && !drawn; ++x)
                drawn = qAlpha(image.pixel(x, y)) > 0;
        EXPECT_TRUE(drawn) << name;
    }
}

}  // namespace
