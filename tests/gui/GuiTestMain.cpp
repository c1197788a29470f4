// Qt tests run on the offscreen platform with one QApplication for the whole binary.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "platform/PortIo.h"
#include "gui/app/DesktopLook.h"
#include "support/TestEnv.h"

int main(int argc, char** argv) {
    setenv("TZ", "UTC", 1);
    tzset();
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    CTempDir scratch;
    setenv("XDG_CONFIG_HOME", scratch.Path().c_str(), 1);
    setenv("HOME", scratch.Path().c_str(), 1);
    QApplication app(argc, argv);
    // The program's own start-up settings (locale, names, style), in the light colours.
    SetUpApplication(EColourScheme::Light);
    // Windows made by the tests may read ports (the etch/rinse bar does when shown): never the
    // machine's own.
    CScriptedPortIo ports;
    CScopedPortIo scopedPorts(&ports);
    CProfile fallback(scratch.File("velm.ini"));
    SetProfile(&fallback);
    ::testing::InitGoogleTest(&argc, argv);
    int code = RUN_ALL_TESTS();
    SetProfile(nullptr);
    return code;
}
