#include "settings/SettingsLines.h"

#include "platform/Services.h"
#include "settings/Profile.h"

std::optional<std::string> ReadSettingsText(std::string_view section, std::string_view key) {
    // A value can never hold a line end, so this default cannot be a stored value.
    static constexpr char kMissing[] = "\n";
    std::string text = Profile().GetProfileString(section, key, kMissing);
    if (text == kMissing) return std::nullopt;
    return text;
}

void AddSettingsProblem(std::string* problems, std::string_view section, std::string_view key,
                        const std::string& text) {
    if (problems == nullptr) return;
    *problems += "\n  [";
    *problems += section;
    *problems += "] ";
    *problems += key;
    *problems += "=";
    *problems += text;
}

void ShowSettingsProblems(const std::string& problems) {
    if (problems.empty()) return;
    Prompt().Message("These measurement settings in velm.ini could not be used:" + problems +
                         "\n\nDefaults are used in their place where the values could not be read.",
                     EPromptIcon::Exclamation);
}
