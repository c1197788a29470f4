#include "tech/IonDialogs.h"

#include "obs/IonCalibration.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "tech/DialogFields.h"
#include "tech/IonCalibrationSession.h"
#include "tech/IonRulesLogic.h"
#include "tech/ProbeNames.h"
#include "tech/Station.h"

namespace {

class CNoIonDialogs : public CIonDialogs {
  public:
    bool SelectProbe(CSelectProbeLogic&) override { return false; }
    bool NewProbeName(CNewProbeNameLogic&) override { return false; }
    bool Calibrate(CIonCalibrationSession&) override { return false; }
    bool EditCalibration(CIonCalibrationEditLogic&) override { return false; }
    bool EditRules(CIonRulesLogic&) override { return false; }
    bool EditPoint(CIonPointLogic&) override { return false; }
    bool EditCalc(CGradCalcLogic&) override { return false; }
};

CNoIonDialogs noDialogs;
CIonDialogs* current = &noDialogs;

template <class Logic>
bool RunScripted(const std::function<bool(Logic&)>& script, Logic& logic, int& shown,
                 const std::string& caption = {}) {
    ++shown;
    if (!script || !script(logic)) return false;
    std::string error;
    if (logic.Accept(error)) return true;
    Prompt().Message(error, EPromptIcon::Exclamation, caption);
    return false;
}

}  // namespace

// ---- "Select ISP/PVP By Name" -----------------------------------------------------------------

CSelectProbeLogic::CSelectProbeLogic(CStation& station, const std::string& currentName)
    : station(station) {
    selected = FindProbeName(station.probeNames, currentName);
}

const std::vector<std::string>& CSelectProbeLogic::Names() const {
    return station.probeNames;
}

bool CSelectProbeLogic::New() {
    CNewProbeNameLogic logic(station.probeNames);
    if (!IonDialogs().NewProbeName(logic)) return false;
    if (!station.AddProbeName(logic.name)) return false;
    selected = FindProbeName(station.probeNames, logic.name);
    return true;
}

bool CSelectProbeLogic::Remove() {
    if (selected < 0 || selected >= static_cast<int>(Names().size())) {
        Prompt().Message("Select a name first.", EPromptIcon::Exclamation);
        return false;
    }
    const std::string name = Names()[static_cast<size_t>(selected)];
    if (Prompt().Ask("Permanently remove '" + name + "' probe from the list?",
                     EPromptButtons::OkCancel, EPromptIcon::Question) != EPromptAnswer::Ok)
        return false;
    station.RemoveProbeName(name);
    selected = -1;
    return true;
}

bool CSelectProbeLogic::Accept(std::string& error) const {
    if (selected < 0 || selected >= static_cast<int>(Names().size())) {
        error = "Select a name first.";
        return false;
    }
    return true;
}

std::string CSelectProbeLogic::Chosen() const {
    if (selected < 0 || selected >= static_cast<int>(Names().size())) return {};
    return Names()[static_cast<size_t>(selected)];
}

// ---- "Edit ISP/PVP Calibration" ---------------------------------------------------------------

CIonCalibrationEditLogic::CIonCalibrationEditLogic(const CIonCalibration& c)
    : probeName(c.name), slope(FormatNumber(c.slope)), value(c.slope) {
    const double concs[3] = {c.conc1, c.conc2, c.conc3};
    const double volts[3] = {c.volts1, c.volts2, c.volts3};
    for (int i = 0; i < 3; ++i) {
        concentrations[i] = StrPrintf("%.1lg", concs[i]);
        values[i] = StrPrintf("%.1lf", volts[i]);
    }
}

bool CIonCalibrationEditLogic::Accept(std::string& error) {
    double v = 0.0;
    if (!ParseNumberField(slope, "Nernst Slope:", v, error)) return false;
    if (v == 0.0) {
        error = "The slope cannot be 0: every reading would stand for the same concentration.";
        return false;
    }
    value = v;
    return true;
}

// ---- The dialogs in use
// ---------------------------------------------------------------------------

CIonDialogs& IonDialogs() {
    return *current;
}

void SetIonDialogs(CIonDialogs* dialogs) {
    current = dialogs ? dialogs : &noDialogs;
}

CScopedIonDialogs::CScopedIonDialogs(CIonDialogs* dialogs) : previous(current) {
    SetIonDialogs(dialogs);
}

CScopedIonDialogs::~CScopedIonDialogs() {
    current = previous;
}

bool CScriptedIonDialogs::SelectProbe(CSelectProbeLogic& logic) {
    return RunScripted(selectProbe, logic, shown);
}
bool CScriptedIonDialogs::NewProbeName(CNewProbeNameLogic& logic) {
    return RunScripted(newProbeName, logic, shown);
}
bool CScriptedIonDialogs::Calibrate(CIonCalibrationSession& session) {
    ++shown;
    // The script presses the buttons and closes the dialog as a user would; without one the
    // dialog is cancelled.
    if (!calibrate) return session.Cancel() && false;
    return calibrate(session) && session.Kept();
}
bool CScriptedIonDialogs::EditCalibration(CIonCalibrationEditLogic& logic) {
    return RunScripted(editCalibration, logic, shown);
}
bool CScriptedIonDialogs::EditRules(CIonRulesLogic& logic) {
    return RunScripted(editRules, logic, shown, CIonRulesLogic::kCheckCaption);
}
bool CScriptedIonDialogs::EditPoint(CIonPointLogic& logic) {
    return RunScripted(editPoint, logic, shown);
}
bool CScriptedIonDialogs::EditCalc(CGradCalcLogic& logic) {
    return RunScripted(editCalc, logic, shown);
}
