#include "platform/MessageOnce.h"

#include "platform/Services.h"

bool CMessageOnce::Show(const std::string& text, EPromptIcon icon, const std::string& caption) {
    reportedInAttempt = true;
    if (hasStanding && text == standing) return false;
    standing = text;
    hasStanding = true;
    Prompt().Message(text, icon, caption);
    return true;
}

void CMessageOnce::Clear() {
    standing.clear();
    hasStanding = false;
}
