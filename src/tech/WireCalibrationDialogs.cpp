#include "tech/WireCalibrationDialogs.h"

#include <string>

#include "platform/Services.h"
#include "tech/WireCalibrationEdit.h"
#include "tech/WireCalibrationSession.h"

namespace {

class CNoWireCalibrationDialogs : public CWireCalibrationDialogs {
  public:
    void Calibrate(CWireCalibrationSession&) override {}
    bool Edit(CWireCalibrationEditLogic&) override { return false; }
};

CNoWireCalibrationDialogs noDialogs;
CWireCalibrationDialogs* current = &noDialogs;

}  // namespace

CWireCalibrationDialogs& WireCalibrationDialogs() {
    return *current;
}

void SetWireCalibrationDialogs(CWireCalibrationDialogs* dialogs) {
    current = dialogs ? dialogs : &noDialogs;
}

CScopedWireCalibrationDialogs::CScopedWireCalibrationDialogs(CWireCalibrationDialogs* dialogs)
    : previous(current) {
    SetWireCalibrationDialogs(dialogs);
}

CScopedWireCalibrationDialogs::~CScopedWireCalibrationDialogs() {
    current = previous;
}

void CScriptedWireCalibrationDialogs::Calibrate(CWireCalibrationSession& session) {
    ++shown;
    if (calibrate)
        calibrate(session);
    else
        session.Cancel();
}

bool CScriptedWireCalibrationDialogs::Edit(CWireCalibrationEditLogic& logic) {
    ++shown;
    if (!edit || !edit(logic)) return false;
    std::string error;
    if (logic.Accept(error)) return true;
    Prompt().Message(error, EPromptIcon::Exclamation);
    return false;
}
