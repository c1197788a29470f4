// The observation document's commands of the gradient probe: the probe names of the Technique
// menu, its rules (F6) and calibration (F7), points (F5) and references (Shift+F5). Each probe
// brings its own rules and calibration into the document.

#include <cstdint>

#include "app/MainFrame.h"
#include "app/ObsDocCommandParts.h"
#include "obs/IonCalibration.h"
#include "obs/IonObs.h"
#include "obs/ObsDoc.h"
#include "obs/SampRulesIon.h"
#include "tech/IonAcquisition.h"
#include "tech/IonCalibrationSession.h"
#include "tech/IonDialogs.h"
#include "tech/ProbeNames.h"
#include "tech/Station.h"

using obsdoc::Make;
using obsdoc::StampedCopy;

bool CObsDocCommands::NewProbe() {
    CNewProbeNameLogic logic(station.probeNames);
    if (!IonDialogs().NewProbeName(logic) || !station.AddProbeName(logic.name)) return false;
    ChooseProbe(logic.name);
    return true;
}

bool CObsDocCommands::SelectProbeByName() {
    const std::string name = station.ChooseProbe("");
    if (name.empty()) return false;
    ChooseProbe(name);
    return true;
}

std::string CObsDocCommands::ProbeForCommand() {
    std::string name = station.selectedProbe;
    if (name.empty()) name = station.ChooseProbe("");
    if (!name.empty()) ChooseProbe(name);
    return name;
}

bool CObsDocCommands::EditIonSampling() {
    const std::string name = ProbeForCommand();
    if (name.empty()) return false;
    auto rules = Make<CSampRulesIon>("Insufficient Memory for Ion Sampling setup");
    if (!rules) return false;
    if (const CSampRulesIon* current = station.Ion().Rules(name)) rules->CopyRulesFrom(*current);
    rules->name = name;
    return station.EditIonRules(*rules);
}

bool CObsDocCommands::IonCalibrate() {
    lastAdded.clear();
    const std::string name = ProbeForCommand();
    if (name.empty()) return false;
    const CIonCalibration* kept = CalibrateIonProbe(station, name);
    if (!kept) return false;
    auto copy = StampedCopy(*kept, "Insufficient Memory for Ion Calibration");
    if (!copy) return false;
    Add(std::move(copy));
    doc.storedIonCal = 1;
    return true;
}

bool CObsDocCommands::PrepareIonSetup(SPendingSetup& pending) {
    const std::string& name = station.selectedProbe;
    if (name.empty()) return false;
    const CSampRulesIon* rules = station.Ion().Rules(name);
    const CIonCalibration* calibration = station.Ion().Calibration(name);
    if (!rules || !calibration) return false;
    // Each probe carries its own rules and calibration: what this document holds of another
    // probe does not count.
    CVelmObs latest;
    latest.time = INT64_MAX;
    const CObsRegister& reg = doc.Register();
    const CSampRulesIon* heldRules = reg.IonRulesAt(rules->name, rules->index, latest);
    if (!heldRules || !heldRules->SameRules(*rules)) {
        auto copy = StampedCopy(*rules, "Insufficient Memory for Ion Sampling setup");
        if (!copy) return false;
        pending.copies.push_back(std::move(copy));
        pending.ionRules = true;
    }
    const CIonCalibration* heldCal =
        reg.IonCalibrationAt(calibration->name, calibration->index, latest);
    if (!heldCal || !heldCal->SameValues(*calibration)) {
        auto copy = StampedCopy(*calibration, "Insufficient Memory for Ion Calibration");
        if (!copy) return false;
        pending.copies.push_back(std::move(copy));
        pending.ionCalibration = true;
    }
    return true;
}

bool CObsDocCommands::EnsureIonSetup() {
    SPendingSetup pending;
    if (!PrepareIonSetup(pending)) return false;
    Commit(pending);
    return true;
}

bool CObsDocCommands::IonPoint() {
    lastAdded.clear();
    SPendingSetup pending;
    if (!PrepareIonSetup(pending)) {
        Prompt().Message("Define ISP/PVP Probe sampling rules and calibration first",
                         EPromptIcon::Exclamation);
        return false;
    }
    auto obs = Make<CIonObs>("Insufficient Memory for Ion Point Observation");
    if (!obs) return false;
    const std::string name = station.selectedProbe;
    if (!AcquireIonPoint(station.Ion().Rules(name), *obs, station.WalkPlace(name),
                         station.Ion().Reference(name)))
        return false;
    Commit(pending);
    Add(std::move(obs));
    return true;
}

bool CObsDocCommands::IonReference() {
    lastAdded.clear();
    SPendingSetup pending;
    if (!PrepareIonSetup(pending)) {
        Prompt().Message("Define ISP/PVP Probe sampling rules and calibration first",
                         EPromptIcon::Exclamation);
        return false;
    }
    auto ref = Make<CIonReference>("Insufficient Memory for Ion Reference Observation");
    if (!ref) return false;
    const std::string name = station.selectedProbe;
    if (!AcquireIonReference(station.Ion().Rules(name), *ref, station.WalkPlace(name)))
        return false;
    // The new reference is the probe's from now on, unless the user puts the previous back.
    std::unique_ptr<CIonReference> previous =
        station.Ion().ReplaceReference(name, std::make_unique<CIonReference>(*ref));
    Commit(pending);
    std::string text;
    ref->Describe(text, &doc, DetailFlags::kType | DetailFlags::kInformation);
    text += " - keep this reference?";
    if (Prompt().Ask(text, EPromptButtons::OkCancel, EPromptIcon::Question) != EPromptAnswer::Ok) {
        station.Ion().ReplaceReference(name, std::move(previous));
        return false;
    }
    Add(std::move(ref));
    // The next run (and velm-tool) subtract the same reference.
    station.Ion().SaveReference(name);
    return true;
}
