#include "tech/WireCalibrationEdit.h"

#include "obs/DataDocument.h"
#include "platform/Format.h"
#include "tech/DialogFields.h"
#include "tech/Station.h"
#include "tech/WireCalibrationDialogs.h"
#include "tech/WireCalibrationSession.h"

namespace {

constexpr double kRadiansPerShownDegree = 0.01745329277777778;

double& Gain(CWireCalibration& c, int pair) {
    double* gains[4] = {&c.XXuAperV, &c.XYuAperV, &c.YXuAperV, &c.YYuAperV};
    return *gains[pair];
}

double& Phase(CWireCalibration& c, int pair) {
    double* phases[4] = {&c.XXphase, &c.XYphase, &c.YXphase, &c.YYphase};
    return *phases[pair];
}

std::string GainText(double stored, double scale) {
    return StrPrintf("%.4lf", stored / scale);
}

std::string PhaseText(double radians) {
    return StrPrintf("%.2lf", radians * kDegreesPerRadian);
}

}  // namespace

CWireCalibrationEditLogic::CWireCalibrationEditLogic(const CWireCalibration& calibration) {
    ShowValues(calibration);
    setTo = resistivity;
    assumingWas = resistivity;
}

void CWireCalibrationEditLogic::ShowValues(const CWireCalibration& calibration) {
    source.CopyCalibrationFrom(calibration);
    scale = source.Resistivity * source.SystemGain;
    for (int i = 0; i < 4; ++i) {
        const double g = Gain(source, i), p = Phase(source, i);
        shownGain[i] = {GainText(g, scale), g};
        shownPhase[i] = {PhaseText(p), p};
        gain[i] = shownGain[i].text;
        phase[i] = shownPhase[i].text;
    }
    shownRho = {FormatNumber(source.Resistivity), source.Resistivity};
    shownSg = {FormatNumber(source.SystemGain), source.SystemGain};
    resistivity = shownRho.text;
    systemGain = shownSg.text;
}

std::string CWireCalibrationEditLogic::VibAngleText(EPsd psd) const {
    return StrPrintf("%.0lf",
                     (psd == EPsd::X ? source.xVibAng : source.yVibAng) * kDegreesPerRadian);
}

std::string CWireCalibrationEditLogic::CurrentText(EPsd psd) const {
    return FormatNumber(psd == EPsd::X ? source.XnanoAmps : source.YnanoAmps);
}

std::string CWireCalibrationEditLogic::DistanceText(EPsd psd) const {
    return FormatNumber(psd == EPsd::X ? source.Xmicrons : source.Ymicrons);
}

bool CWireCalibrationEditLogic::StoredValue(const std::string& text, const SShown& shown,
                                            double factor, const char* label, double& value,
                                            std::string& error) {
    if (text == shown.text) {
        value = shown.stored;
        return true;
    }
    double typed = 0.0;
    if (!ParseNumberField(text, label, typed, error)) return false;
    value = typed * factor;
    return true;
}

bool CWireCalibrationEditLogic::SetTo(std::string& error) {
    double to = 0.0, was = 0.0;
    if (!ParseNumberField(setTo, "Set to", to, error) ||
        !ParseNumberField(assumingWas, "ohm-cm assuming this was", was, error))
        return false;
    // The gains are divided by "assuming this was": 0 would make them endless.
    if (!(to > 0.0) || !(was > 0.0)) {
        error = "\"Set to\" and \"assuming this was\" must both be resistivities above 0 ohm-cm.";
        return false;
    }
    std::array<double, 4> stored{};
    for (int i = 0; i < 4; ++i)
        if (!StoredValue(gain[i], shownGain[i], scale, "mV per uA/cm^2", stored[i], error))
            return false;
    for (int i = 0; i < 4; ++i) {
        const double g = stored[i] * (to / was);
        shownGain[i] = {GainText(g, scale), g};
        gain[i] = shownGain[i].text;
    }
    shownRho = {FormatNumber(to), to};
    resistivity = shownRho.text;
    return true;
}

void CWireCalibrationEditLogic::LoadFromSettings() {
    auto loaded = CWireCalibration::NewFromSettings();
    // What the settings lines do not hold stays as it was.
    loaded->probeOffset = source.probeOffset;
    loaded->refReading = source.refReading;
    loaded->document = source.document;
    ShowValues(*loaded);
}

bool CWireCalibrationEditLogic::Accept(std::string& error) {
    CWireCalibration edited;
    edited.CopyCalibrationFrom(source);
    for (int i = 0; i < 4; ++i) {
        if (!StoredValue(gain[i], shownGain[i], scale, "mV per uA/cm^2", Gain(edited, i), error) ||
            !StoredValue(phase[i], shownPhase[i], kRadiansPerShownDegree, "phase", Phase(edited, i),
                         error))
            return false;
    }
    if (!StoredValue(resistivity, shownRho, 1.0, "Resistivity:", edited.Resistivity, error) ||
        !StoredValue(systemGain, shownSg, 1.0, "System Gain:", edited.SystemGain, error))
        return false;
    if (!(edited.Resistivity > 0.0)) {
        error = CWireCalibrationSession::kResistivityRule;
        return false;
    }
    if (!(edited.SystemGain >= CWireCalibrationSession::kMinSystemGain &&
          edited.SystemGain <= CWireCalibrationSession::kMaxSystemGain)) {
        error = CWireCalibrationSession::kSystemGainRule;
        return false;
    }
    result.CopyCalibrationFrom(edited);
    return true;
}

bool EditWireCalibration(CWireCalibration& calibration, CDataDocument* document,
                         CStation& station) {
    CWireCalibrationEditLogic logic(calibration);
    if (!WireCalibrationDialogs().Edit(logic)) return false;
    CDataDocument* holder = calibration.document;
    calibration.CopyCalibrationFrom(logic.result);
    calibration.document = holder;
    if (!document) return true;
    // The document now differs from its file: closing it asks to save.
    document->SetModifiedFlag(true);
    const auto& calibrations = document->Register().WireCalibrations();
    if (!calibrations.empty() && calibrations.back() == &calibration) {
        calibration.SaveSettings();
        station.UseWireCalibration(calibration);
    }
    document->UpdateAllViews();
    return true;
}
