// The station's gradient probes: their walks on the tip stage, their rules' dialog, and the list
// of their names.

#include <memory>

#include "hw/Devices.h"
#include "hw/FgBoard.h"
#include "obs/IonObs.h"
#include "obs/SampRulesIon.h"
#include "platform/Services.h"
#include "tech/IonAcquisition.h"
#include "tech/IonDialogs.h"
#include "tech/IonRulesLogic.h"
#include "tech/ProbeNames.h"
#include "tech/Station.h"

std::unique_ptr<CVelmObs> CStation::TakeIon(const CSampRulesIon& rules) {
    if (!HasDevices()) return nullptr;
    const SIonWalkPlace place = WalkPlace(rules.name);
    std::unique_ptr<CVelmObs> obs = TakeIonObservation(rules, place, ion.Reference(rules.name));
    if (obs && rules.MakesReferences()) {
        auto current = std::make_unique<CIonReference>(*static_cast<CIonReference*>(obs.get()));
        ion.ReplaceReference(rules.name, std::move(current));
    }
    return obs;
}

SIonWalkPlace CStation::WalkPlace(const std::string& probe) {
    // The path tilts about Y when the second camera looks at the Y-Z plane.
    CSampRulesIon::SetTiltAboutY(devices->FgBoard().cam1Axis == kCameraPlaneYZ);
    return SIonWalkPlace{devices->AdBoard(), devices->TipSystem(), ion.CalibrationType(probe)};
}

bool CStation::EditIonRules(CSampRulesIon& rules) {
    return EditIonRulesOnStation(*this, rules);
}

bool CStation::AddProbeName(const std::string& name) {
    if (FindProbeName(probeNames, name) >= 0) return true;
    if (const std::string problem = NewProbeNameProblem(name, probeNames); !problem.empty()) {
        Prompt().Message(problem, EPromptIcon::Exclamation);
        return false;
    }
    const size_t before = probeNames.size();
    probeNames.push_back(name);
    const bool saved = SaveProbeNameList(probeNames, before);
    if (probeNamesChanged) probeNamesChanged();
    return saved;
}

bool CStation::RemoveProbeName(const std::string& name) {
    const int at = FindProbeName(probeNames, name);
    if (at < 0) return false;
    const size_t before = probeNames.size();
    probeNames.erase(probeNames.begin() + at);
    const bool saved = SaveProbeNameList(probeNames, before);
    ion.Forget(name);
    if (SameProbeName(selectedProbe, name)) SelectProbe("");
    if (probeNamesChanged) probeNamesChanged();
    return saved;
}

std::string CStation::ChooseProbe(const std::string& name) {
    if (!name.empty()) return name;
    CSelectProbeLogic logic(*this, selectedProbe);
    if (!IonDialogs().SelectProbe(logic)) return {};
    return logic.Chosen();
}
