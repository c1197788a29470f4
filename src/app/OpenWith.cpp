#include "app/OpenWith.h"

#include <vector>

#include "app/Profile.h"
#include "platform/RunProgram.h"
#include "platform/Services.h"

COpenWithLogic::COpenWithLogic()
    : command(Profile().GetProfileString(kOpenWithSection, kOpenWithKey, kOpenWithDefault)) {}

bool COpenWithLogic::Ok() {
    std::vector<std::string> words;
    std::string error;
    if (!SplitCommandLine(command, words, &error)) {
        Prompt().Message("The command line cannot be used (" + error + ").",
                         EPromptIcon::Exclamation, kTitle);
        return false;
    }
    if (words.empty()) {
        Prompt().Message("Enter the program that opens exported files.", EPromptIcon::Exclamation,
                         kTitle);
        return false;
    }
    Profile().WriteProfileString(kOpenWithSection, kOpenWithKey, command);
    return true;
}
