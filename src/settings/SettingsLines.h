#pragma once
// Reading the measurement settings lines of velm.ini. A missing key is never an error (the
// fields keep their values); a line that is there but cannot be used in full (a misspelt
// label, a letter where a number belongs, "nan") is collected as a problem, so the station
// can tell the user once which lines it replaced with defaults.

#include <optional>
#include <string>
#include <string_view>

// The value under the key, or nullopt when velm.ini has no such key.
std::optional<std::string> ReadSettingsText(std::string_view section, std::string_view key);

// Adds "[section] key=text" to `problems` (one line each); `problems` may be null.
void AddSettingsProblem(std::string* problems, std::string_view section, std::string_view key,
                        const std::string& text);

// Tells the user, in one message, which lines of `problems` (as AddSettingsProblem collects
// them) could not be used; nothing when it is empty.
void ShowSettingsProblems(const std::string& problems);
