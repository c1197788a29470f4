#include "app/Station.h"

#include <cstdio>
#include <new>

#include "app/FileNumbering.h"
#include "app/Profile.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "tech/SampRulesRawAD.h"
#include "tech/SampRulesWire.h"
#include "tech/SettingsLines.h"
#include "tech/WireCalibration.h"

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

CStation::CStation() {
    LoadSettings();
}

CStation::~CStation() = default;

void CStation::LoadSettings() {
    std::string problems;
    LoadMeasurementType(&problems);
    try {
        wireRules = std::make_unique<CSampRulesWire>();
        wireRules->LoadSettings(kPointRulesKey, &problems);
        wireCalibration = CWireCalibration::NewFromSettings(&problems);
        resistivity = wireCalibration->Resistivity;
        rawADRules = std::make_unique<CSampRulesRawAD>();
        rawADRules->LoadSettings("Point ", &problems);
        LoadProbeNames(&problems);
    } catch (const std::bad_alloc&) {
        // The document commands say "Define ... first" for whatever is missing.
    }
    wireReference.reading = CDVector4();
    LoadWireReferenceLine(wireReference.reading, &problems);
    if (!problems.empty()) {
        Prompt().Message("These measurement settings in velm.ini could not be used:" + problems +
                             "\n\nDefaults are used in their place where the values could not "
                             "be read.",
                         EPromptIcon::Exclamation);
    }
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

void CStation::ReloadWireCalibration() {
    auto fresh = CWireCalibration::NewFromSettings();
    resistivity = fresh->Resistivity;
    wireCalibration = std::move(fresh);
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
