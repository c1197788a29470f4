#include "hw/fg/FgDialogs.h"

#include "hw/fg/AdjustInputLogic.h"
#include "hw/fg/FgSetupLogic.h"
#include "hw/fg/PickOnImageLogic.h"

namespace {

class CClosedFgDialogs : public CFgDialogs {
  public:
    bool EditFgSetup(CFgSetupLogic&) override { return false; }
    void AdjustInput(CAdjustInputLogic&) override {}
    bool PickOnImage(CPickOnImageLogic&) override { return false; }
};

CFgDialogs* currentDialogs = nullptr;

}  // namespace

CFgDialogs& FgDialogs() {
    static CClosedFgDialogs closed;
    return currentDialogs ? *currentDialogs : closed;
}

void SetFgDialogs(CFgDialogs* dialogs) {
    currentDialogs = dialogs;
}

CScopedFgDialogs::CScopedFgDialogs(CFgDialogs* dialogs) : previous(currentDialogs) {
    currentDialogs = dialogs;
}

CScopedFgDialogs::~CScopedFgDialogs() {
    currentDialogs = previous;
}

bool CScriptedFgDialogs::EditFgSetup(CFgSetupLogic& logic) {
    return editSetup && editSetup(logic) && logic.Accept();
}

void CScriptedFgDialogs::AdjustInput(CAdjustInputLogic& logic) {
    if (adjustInput) adjustInput(logic);
}

bool CScriptedFgDialogs::PickOnImage(CPickOnImageLogic& logic) {
    ++picks;
    if (beforeClick) beforeClick(logic);
    if (clicks.empty()) return false;
    std::optional<SPixel> click = clicks.front();
    clicks.pop_front();
    if (!click) return false;
    logic.Click(*click);
    return true;
}
