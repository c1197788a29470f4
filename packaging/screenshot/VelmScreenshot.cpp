// velm-screenshot [--light|--dark] SETTINGS PNG: starts the program's own main window on a
// settings file, as a user who chooses "New File" in "VELM File Locations" would, and writes a
// picture of the whole window, in the light or dark colours (default: the desktop's).
// `make screenshot` runs it under Xvfb, so the program can be seen without a display.
// Messages that would need an answer take their default button.

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gui/app/DesktopLook.h"
#include "gui/app/MainWindow.h"
#include "platform/Services.h"
#include "settings/Profile.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    EColourScheme scheme = EColourScheme::Desktop;
    if (argc >= 2 && std::strcmp(argv[1], "--dark") == 0) scheme = EColourScheme::Dark;
    if (argc >= 2 && std::strcmp(argv[1], "--light") == 0) scheme = EColourScheme::Light;
    if (scheme != EColourScheme::Desktop) {
        ++argv;
        --argc;
    }
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr,
                     "usage: velm-screenshot [--light|--dark] SETTINGS-FILE OUTPUT.png "
                     "[DOCUMENT]\n");
        return 2;
    }
    SetUpApplication(scheme);

    CProfile profile(argv[1]);
    SetProfile(&profile);
    CRealClock clock;
    CScriptedPrompt prompt;
    SetServices(&clock, &prompt);

    int code = 1;
    {
        CMainWindow window;
        window.fileLocationsDialog = [](std::string&) { return EStartChoice::NewFile; };
        // With a document named, it is opened as from the command line.
        std::vector<std::string> command;
        if (argc == 4) command.push_back(argv[3]);
        if (window.App().InitInstance(command)) {
            // Without a window manager nothing maximises: take the screen's size ourselves.
            if (QScreen* screen = QGuiApplication::primaryScreen())
                window.setGeometry(screen->availableGeometry());
            QTimer::singleShot(200, &window, [&window] { window.TileSideBySide(); });
            QTimer::singleShot(1500, &app, [&] {
                QImage picture = window.grab().toImage();
                if (picture.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
                    std::printf("%s\n", argv[2]);
                    code = 0;
                } else {
                    std::fprintf(stderr, "velm-screenshot: cannot write %s\n", argv[2]);
                }
                app.quit();
            });
            app.exec();
        }
        for (const SPromptRecord& shown : prompt.shown)
            std::fprintf(stderr, "velm-screenshot: message: %s\n", shown.text.c_str());
    }
    SetServices(nullptr, nullptr);
    SetProfile(nullptr);
    return code;
}
