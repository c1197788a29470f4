#include "tech/IonStation.h"

#include <strings.h>

#include <cmath>

#include "obs/IonCalibration.h"
#include "obs/IonObs.h"
#include "obs/SampRulesIon.h"
#include "settings/SettingsLines.h"

bool CIonStation::SNoCaseLess::operator()(const std::string& a, const std::string& b) const {
    return ::strcasecmp(a.c_str(), b.c_str()) < 0;
}

CIonStation::CIonStation() = default;
CIonStation::~CIonStation() = default;

CIonStation::SProbe& CIonStation::Probe(const std::string& name) {
    auto found = probes.find(name);
    if (found != probes.end()) return found->second;
    SProbe probe;
    std::string problems;
    probe.rules = std::make_unique<CSampRulesIon>();
    probe.rules->name = name;
    if (!probe.rules->LoadSettings(&problems)) probe.rules.reset();
    probe.calibration = std::make_unique<CIonCalibration>();
    probe.calibration->name = name;
    if (!probe.calibration->LoadSettings(&problems)) probe.calibration.reset();
    probe.reference = std::make_unique<CIonReference>();
    probe.reference->name = name;
    if (!probe.reference->LoadSettings(&problems)) probe.reference.reset();
    ShowSettingsProblems(problems);
    return probes.emplace(name, std::move(probe)).first->second;
}

uint16_t CIonStation::CalibrationType(const std::string& name) {
    const CIonCalibration* calibration = Calibration(name);
    return calibration ? calibration->type : kIonNernst;
}

bool CIonStation::KeepRules(const CSampRulesIon& rules) {
    SProbe& probe = Probe(rules.name);
    auto copy = std::make_unique<CSampRulesIon>();
    copy->CopyRulesFrom(rules);
    copy->index = rules.index;
    copy->SetTime(rules.time, rules.milliseconds);
    copy->probePosition = rules.probePosition;
    copy->samplePosition = rules.samplePosition;
    // The station measures; the reference mark belongs to the rules of a reference operation.
    copy->bathWait = std::fabs(copy->bathWait);
    probe.rules = std::move(copy);
    return probe.rules->SaveSettings();
}

bool CIonStation::KeepCalibration(const CIonCalibration& calibration) {
    SProbe& probe = Probe(calibration.name);
    auto copy = std::make_unique<CIonCalibration>();
    copy->CopyCalibrationFrom(calibration);
    copy->index = calibration.index;
    copy->SetTime(calibration.time, calibration.milliseconds);
    copy->probePosition = calibration.probePosition;
    copy->samplePosition = calibration.samplePosition;
    probe.calibration = std::move(copy);
    return probe.calibration->SaveSettings();
}

std::unique_ptr<CIonReference> CIonStation::ReplaceReference(
    const std::string& name, std::unique_ptr<CIonReference> reference) {
    SProbe& probe = Probe(name);
    std::swap(probe.reference, reference);
    return reference;
}

bool CIonStation::SaveReference(const std::string& name) {
    const CIonReference* reference = Reference(name);
    return reference != nullptr && reference->SaveSettings();
}

void CIonStation::Forget(const std::string& name) {
    probes.erase(name);
}
