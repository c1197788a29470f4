#include "hw/motion/MotionDialogs.h"

#include "hw/motion/MotionSetupLogic.h"

namespace {

// Without a GUI the safe answer is the one a closed dialog gives: nothing moves, nothing
// changes.
class CClosedMotionDialogs : public CMotionDialogs {
  public:
    EZMinimumMoveAnswer AskZMinimumViolation(const SZMinimumViolation&) override {
        return EZMinimumMoveAnswer::CancelMove;
    }
    EZMinimumSetAnswer AskZMinimumAboveCurrent(const SZMinimumAboveCurrent&) override {
        return EZMinimumSetAnswer::KeepMinimum;
    }
    bool EditMotionSetup(CMotionSetupLogic&) override { return false; }
};

CMotionDialogs* currentDialogs = nullptr;

}  // namespace

CMotionDialogs& MotionDialogs() {
    static CClosedMotionDialogs closed;
    return currentDialogs ? *currentDialogs : closed;
}

void SetMotionDialogs(CMotionDialogs* dialogs) {
    currentDialogs = dialogs;
}

CScopedMotionDialogs::CScopedMotionDialogs(CMotionDialogs* dialogs) : previous(currentDialogs) {
    currentDialogs = dialogs;
}

CScopedMotionDialogs::~CScopedMotionDialogs() {
    currentDialogs = previous;
}

EZMinimumMoveAnswer CScriptedMotionDialogs::AskZMinimumViolation(const SZMinimumViolation& values) {
    violations.push_back(values);
    if (moveAnswers.empty()) return EZMinimumMoveAnswer::CancelMove;
    EZMinimumMoveAnswer answer = moveAnswers.front();
    moveAnswers.pop_front();
    return answer;
}

EZMinimumSetAnswer CScriptedMotionDialogs::AskZMinimumAboveCurrent(
    const SZMinimumAboveCurrent& values) {
    aboveCurrent.push_back(values);
    if (setAnswers.empty()) return EZMinimumSetAnswer::KeepMinimum;
    EZMinimumSetAnswer answer = setAnswers.front();
    setAnswers.pop_front();
    return answer;
}

bool CScriptedMotionDialogs::EditMotionSetup(CMotionSetupLogic& logic) {
    if (!editSetup) return false;
    // A real dialog stays open until its entries are accepted; a script gets one try.
    return editSetup(logic) && logic.Accept();
}
