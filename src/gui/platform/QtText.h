#pragma once
// Text between the core (8-bit strings, as the station's files hold them) and Qt.
// Strings that are valid UTF-8 are taken as UTF-8; anything else (text from files made on a
// Windows station) as Latin-1, so no byte is ever lost or shown as garbage.

#include <QString>
#include <string>

QString ToQ(const std::string& text);
std::string FromQ(const QString& text);
