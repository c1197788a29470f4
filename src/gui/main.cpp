// The VELM desktop program.

#include <QApplication>
#include <QFileInfo>

#include "app/Startup.h"
#include "gui/app/DesktopLook.h"
#include "gui/app/MainWindow.h"
#include "gui/platform/QtPrompt.h"
#include "gui/platform/QtText.h"
#include "gui/platform/SingleInstance.h"
#include "platform/Services.h"
#include "settings/Profile.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    SetUpApplication();

    CProfile profile(CProfile::DefaultPath());
    SetProfile(&profile);
    CRealClock clock;
    clock.SetIdleHook(RunClockIdle);
    CQtPrompt prompt;
    SetServices(&clock, &prompt);

    // The command line is one document path (Qt has taken its own options out already).
    std::vector<std::string> arguments;
    const QStringList words = QApplication::arguments();
    for (qsizetype i = 1; i < words.size(); ++i)
        arguments.push_back(FromQ(words[i]));
    const std::string path = CVelmApp::CommandLinePath(arguments);

    CSingleInstance instance(ToQ(profile.Path()));
    const CSingleInstance::ERole role =
        instance.Start(path.empty() ? QString() : QFileInfo(ToQ(path)).absoluteFilePath());
    if (role != CSingleInstance::ERole::First) {
        SetServices(nullptr, nullptr);
        SetProfile(nullptr);
        return role == CSingleInstance::ERole::HandedOver ? 0 : 1;
    }

    int code = 1;
    {
        CMainWindow window;
        instance.Listen([&window](const QString& received) {
            window.OpenDocumentFile(received);
            window.raise();
            window.activateWindow();
        });
        if (window.App().InitInstance(arguments)) code = app.exec();
    }
    SetServices(nullptr, nullptr);
    SetProfile(nullptr);
    return code;
}
