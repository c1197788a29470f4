#include "hw/motion/GoToPositionLogic.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "platform/Format.h"
#include "platform/NumberEntry.h"
#include "platform/Services.h"

CGoToPositionLogic::CGoToPositionLogic(const CDVector4& current) {
    for (int i = 0; i < 4; ++i)
        entries[i] = StrPrintf("%.1lf", current[i]);
}

bool CGoToPositionLogic::ReadTarget(CDVector4& target) const {
    static const char kAxes[4] = {'X', 'Y', 'Z', 'W'};
    CDVector4 read;
    for (int i = 0; i < 4; ++i) {
        const std::optional<double> v = ParseNumberEntry(entries[i]);
        if (!v) {
            Prompt().Message(StrPrintf("%c: enter a position in microns.", kAxes[i]),
                             EPromptIcon::Exclamation, kTitle);
            return false;
        }
        read[i] = *v;
    }
    target = read;
    return true;
}

void CGoToPositionLogic::Show() {
    CDVector4 target;
    if (ReadTarget(target) && show) show(target);
}

void CGoToPositionLogic::ToggleJog() {
    if (jogging) {
        jogging = false;
        if (endJog) {
            CDVector4 at = endJog();
            for (int i = 0; i < 4; ++i)
                entries[i] = StrPrintf("%.1lf", at[i]);
        }
        return;
    }
    if (!startJog) return;
    bool withMouse = Prompt().Ask("Enable Mouse?", EPromptButtons::YesNo) == EPromptAnswer::Yes;
    startJog(withMouse);
    jogging = true;
}

bool CGoToPositionLogic::Escape() {
    if (!jogging) return false;
    ToggleJog();
    return true;
}

bool CGoToPositionLogic::Finish(EResult how, CDVector4& target) {
    if (how == EResult::Cancel) {
        Escape();
        return true;
    }
    Escape();
    return ReadTarget(target);
}
