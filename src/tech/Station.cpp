#include "tech/Station.h"

#include <cstdio>
#include <new>

#include "hw/Devices.h"
#include "hw/MsWcmc.h"
#include "obs/IonEditHooks.h"
#include "obs/SampRulesIon.h"
#include "obs/SampRulesRawAD.h"
#include "obs/SampRulesWire.h"
#include "obs/WireCalibration.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "settings/FileNumbering.h"
#include "settings/Profile.h"
#include "settings/SettingsLines.h"
#include "tech/Acquisition.h"
#include "tech/IonCalibrationSession.h"
#include "tech/IonRulesLogic.h"
#include "tech/TechDialogs.h"
#include "tech/WireCalibrationEdit.h"

std::string TechniqueMenuTitle(int measurementType, const std::string& selectedProbe) {
    switch (measurementType) {
        case kTechniqueCdp:
            return "&Technique (CDP)";
        case kTechniqueGradient:
            return selectedProbe.empty() ? "&Technique (ISP/PVP)"
                                         : "&Technique (" + selectedProbe + ")";
        case kTechniqueRawAD:
            return "&Technique (RawA/D)";
        case kTechniqueInterestPoint:
            return "&Technique (Interest Point)";
        default:
            return "&Technique";
    }
}

namespace {
// The station whose stages stamp new observations.
const CStation* positionSourceOwner = nullptr;
// The station whose dialogs edit stored gradient rules and calibrations.
const CStation* ionEditorOwner = nullptr;
}  // namespace

CStation::CStation(CDevices* devices) : devices(devices) {
    LoadSettings();
    if (devices != nullptr) {
        SetPositionSource([devices](CDVector4& probePosition, CDVector4& samplePosition) {
            probePosition = devices->ProbeSystem().Position();
            samplePosition = devices->SampleSystem().Position();
        });
        positionSourceOwner = this;
        // A calibration opened in a document's list is edited against this station.
        SetWireCalibrationEditor([this](CWireCalibration& calibration, CDataDocument* document) {
            return EditWireCalibration(calibration, document, *this);
        });
        CMsWcmc* tip = &devices->TipSystem();
        CSampRulesIon::SetMoveTimeEstimator(
            [tip](const CDVector4& from, const CDVector4& to, int speedMode) {
                return tip->EstimateMoveTime(from, to, speedMode);
            });
    }
    SIonEditHooks hooks;
    hooks.openRules = [this](CSampRulesIon& rules, CDataDocument* document) {
        return OpenStoredIonRules(*this, rules, document);
    };
    hooks.openCalibration = EditStoredIonCalibration;
    SetIonEditHooks(std::move(hooks));
    ionEditorOwner = this;
}

CStation::~CStation() {
    // Only the running station's stages stamp observations; another station's end leaves them.
    if (positionSourceOwner == this) {
        positionSourceOwner = nullptr;
        SetPositionSource(nullptr);
        SetWireCalibrationEditor(nullptr);
        CSampRulesIon::SetMoveTimeEstimator(nullptr);
    }
    if (ionEditorOwner == this) {
        ionEditorOwner = nullptr;
        SetIonEditHooks({});
    }
}

bool CStation::HasDevices() const {
    if (devices != nullptr) return true;
    Prompt().Message("No station is running, so the A/D board cannot be read.",
                     EPromptIcon::Exclamation);
    return false;
}

std::unique_ptr<CVelmObs> CStation::TakeWire(const CSampRulesWire& rules) {
    if (!HasDevices()) return nullptr;
    return TakeWireObservation(rules, devices->AdBoard(), wireReference.reading);
}

CObsList CStation::TakeRawAD(const CSampRulesRawAD& rules) {
    if (!HasDevices()) return {};
    return TakeRawADObservations(rules, devices->AdBoard());
}

CObsList CStation::TakeRawAD(const CSampRulesRawAD& rules, const char* outOfMemory) {
    if (!HasDevices()) return {};
    return TakeRawADObservations(rules, devices->AdBoard(), outOfMemory);
}

bool CStation::EditWireRules(CSampRulesWire& rules, const char* key) {
    return ::EditWireRules(rules, key);
}

bool CStation::EditRawADRules(CSampRulesRawAD& rules, const char* key) {
    return ::EditRawADRules(rules, key);
}

void CStation::LoadSettings() {
    std::string problems;
    LoadMeasurementType(&problems);
    try {
        wireRules = std::make_unique<CSampRulesWire>();
        wireRules->LoadSettings(kPointRulesKey, &problems);
        LoadWireCalibration(&problems);
        rawADRules = std::make_unique<CSampRulesRawAD>();
        rawADRules->LoadSettings("Point ", &problems);
        LoadProbeNames(&problems);
    } catch (const std::bad_alloc&) {
        // The document commands say "Define ... first" for whatever is missing.
    }
    wireReference.reading = CDVector4();
    LoadWireReferenceLine(wireReference.reading, &problems);
    ShowSettingsProblems(problems);
}

bool CStation::LoadOpticalSystem() {
    return LoadActiveOpticalSystem(opticalSystem);
}

void CStation::SetOpticalSystem(const COpticalSystem& system) {
    opticalSystem = system;
    opticalSystem.SetActive();
}

void CStation::LoadMeasurementType(std::string* problems) {
    const auto text = ReadSettingsText(kMainframeSection, "Line 7");
    if (!text) return;
    int type = measurementType;
    if (std::sscanf(text->c_str(), "MeasurementType=%d", &type) == 1 && type >= kTechniqueCdp &&
        type <= kTechniqueInterestPoint) {
        measurementType = type;
    } else {
        AddSettingsProblem(problems, kMainframeSection, "Line 7", *text);
    }
}

void CStation::SaveMeasurementType() const {
    Profile().WriteLine(kMainframeSection, "Line 7", "MeasurementType=%d", measurementType);
}

void CStation::SetMeasurementType(int technique) {
    measurementType = technique;
    SaveMeasurementType();
}

void CStation::SelectProbe(const std::string& name) {
    selectedProbe = name;
    Profile().WriteProfileString(kProbeNameSection, "Selected", name);
}

void CStation::LoadWireCalibration(std::string* problems) {
    // Without a stored calibration there is none: a calibration of zero gains would turn every
    // CDP point into a current density of 0 that nobody measured.
    auto stored = std::make_unique<CWireCalibration>();
    if (!stored->LoadSettings(problems)) {
        wireCalibration.reset();
        return;
    }
    resistivity = stored->Resistivity;
    wireCalibration = std::move(stored);
}

void CStation::ReloadWireCalibration() {
    try {
        LoadWireCalibration(nullptr);
    } catch (const std::bad_alloc&) {
        wireCalibration.reset();
    }
}

void CStation::UseWireCalibration(const CWireCalibration& calibration) {
    auto copy = std::make_unique<CWireCalibration>();
    copy->CopyCalibrationFrom(calibration);
    copy->document = nullptr;
    wireCalibration = std::move(copy);
    resistivity = calibration.Resistivity;
}

void CStation::SaveWireReference() const {
    SaveWireReferenceLine(wireReference.reading);
}

void CStation::LoadProbeNames(std::string* problems) {
    probeNames.clear();
    const auto countText = ReadSettingsText(kProbeNameSection, "Ion Types");
    int count = Profile().GetProfileInt(kProbeNameSection, "Ion Types", 0);
    if (countText && (count < 0 || count > kMaxProbeNames)) {
        AddSettingsProblem(problems, kProbeNameSection, "Ion Types", *countText);
        count = count < 0 ? 0 : kMaxProbeNames;
    }
    for (int i = 1; i <= count; ++i) {
        std::string name = Profile().GetProfileString(kProbeNameSection, StrPrintf("Name %d", i));
        if (!name.empty()) probeNames.push_back(name);
    }
    selectedProbe = Profile().GetProfileString(kProbeNameSection, "Selected", "");
}
