#include "platform/Prompt.h"

#include <cstdio>
#include <iostream>

EPromptAnswer CScriptedPrompt::Show(const std::string& text, const std::string& caption,
                                    EPromptButtons buttons, EPromptIcon icon) {
    shown.push_back({text, caption, buttons, icon});
    if (!answers.empty()) {
        EPromptAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    switch (buttons) {
        case EPromptButtons::YesNo:
        case EPromptButtons::YesNoCancel:
            return EPromptAnswer::Yes;
        case EPromptButtons::Ok:
        case EPromptButtons::OkCancel:
            break;
    }
    return EPromptAnswer::Ok;
}

std::vector<std::string> CScriptedPrompt::Texts() const {
    std::vector<std::string> texts;
    texts.reserve(shown.size());
    for (const auto& record : shown)
        texts.push_back(record.text);
    return texts;
}

std::string CScriptedPrompt::LastText() const {
    return shown.empty() ? std::string() : shown.back().text;
}

namespace {
const char* IconWord(EPromptIcon icon) {
    switch (icon) {
        case EPromptIcon::Stop:
            return "error: ";
        case EPromptIcon::Exclamation:
            return "warning: ";
        case EPromptIcon::Question:
        case EPromptIcon::Information:
        case EPromptIcon::None:
            break;
    }
    return "";
}
}  // namespace

EPromptAnswer CConsolePrompt::Show(const std::string& text, const std::string& /*caption*/,
                                   EPromptButtons buttons, EPromptIcon icon) {
    std::cerr << IconWord(icon) << text << '\n';
    if (buttons == EPromptButtons::Ok) return EPromptAnswer::Ok;
    const bool yesNo = buttons != EPromptButtons::OkCancel;
    if (!interactive) {
        // Unattended: take the cautious answer.
        if (buttons == EPromptButtons::YesNo) return EPromptAnswer::No;
        return EPromptAnswer::Cancel;
    }
    for (;;) {
        std::cerr << (yesNo ? "[y/n" : "[o/c")
                  << (buttons == EPromptButtons::YesNoCancel ? "/c]? " : "]? ");
        std::string line;
        if (!std::getline(std::cin, line)) {
            return buttons == EPromptButtons::YesNo ? EPromptAnswer::No : EPromptAnswer::Cancel;
        }
        char c = line.empty() ? '\0' : static_cast<char>(line[0] | 0x20);
        if (yesNo && c == 'y') return EPromptAnswer::Yes;
        if (yesNo && c == 'n') return EPromptAnswer::No;
        if (!yesNo && c == 'o') return EPromptAnswer::Ok;
        if (c == 'c' && buttons != EPromptButtons::YesNo) return EPromptAnswer::Cancel;
    }
}
