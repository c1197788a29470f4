#pragma once
// What the program sets once for the whole application at start-up (main() and the screenshot
// tool both call SetUpApplication): the "C" numeric locale that every file format needs, the
// names the desktop knows the program by, Qt's Fusion style in the desktop's light or dark
// colours, and the icons of the commands (the desktop's icon theme, else drawn here).

#include <QIcon>
#include <QPalette>
#include <QString>

enum class EColourScheme { Desktop, Light, Dark };

// Call on a constructed QApplication, before any window is made. Desktop follows the desktop's
// light or dark preference (DesktopPrefersDark).
void SetUpApplication(EColourScheme scheme = EColourScheme::Desktop);

// Whether the desktop asks for dark colours: the freedesktop appearance setting, which GNOME,
// KDE and others give through the desktop portal; else a GTK theme named dark; else the
// darkness of the colours the platform gave Qt.
bool DesktopPrefersDark();

// Fusion's colours, light or dark.
QPalette FusionPalette(bool dark);

// The icon of a command: the desktop icon theme's `themeName` when the theme has it, else the
// built-in drawing named `builtIn` ("new", "open", "save", "point", "reference", "log",
// "watch", "gridScan", "help", "exit"), drawn in the application's current colours.
QIcon CommandIcon(const QString& themeName, const QString& builtIn);
