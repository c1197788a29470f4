// The VELM desktop program.

#include <QApplication>
#include <clocale>

#include "app/Profile.h"
#include "gui/app/MainWindow.h"
#include "gui/platform/QtPrompt.h"
#include "platform/Services.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Qt adopts the user's locale; the file formats need "." as the decimal point everywhere.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName("velm");
    QApplication::setApplicationDisplayName(kAppShortTitle);

    CProfile profile(CProfile::DefaultPath());
    SetProfile(&profile);
    CRealClock clock;
    CQtPrompt prompt;
    SetServices(&clock, &prompt);

    CMainWindow window;
    window.showMaximized();
    int code = app.exec();
    SetProfile(nullptr);
    return code;
}
