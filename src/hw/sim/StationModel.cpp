#include "hw/sim/StationModel.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kRadiansPerDegreeExact = std::numbers::pi / 180.0;

double Dot(const std::array<double, 3>& a, const std::array<double, 3>& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

std::array<double, 3> Xyz(const CDVector4& v) {
    return {v.x, v.y, v.z};
}

double Length(const std::array<double, 3>& v) {
    return std::sqrt(Dot(v, v));
}

bool ValidChannel(int channel) {
    return channel >= 0 && channel < kSimChannelCount;
}

}  // namespace

CStationModel::CStationModel(const SSimStationParams& p) : params(p) {
    const SSimDetector* detectors[2] = {&params.xPsd, &params.yPsd};
    for (int k = 0; k < 2; ++k) {
        u[k] = VibrationDirection(*detectors[k]);
        const double phase = detectors[k]->phaseDegrees * kRadiansPerDegreeExact;
        sinPhase[k] = std::sin(phase);
        cosPhase[k] = std::cos(phase);
    }
    // uA/cm^2 -> A/cm^2, times ohm cm gives V/cm, times the span in cm, amplified.
    signalPerCurrentDensity = params.systemGain * params.rho * 1e-6 * params.spanMicrons * 1e-4;
    along = Xyz(params.fieldAlong);
    const double length = Length(along);
    if (length > 0.0 && std::isfinite(length))
        for (double& c : along)
            c /= length;
    else
        along = {1.0, 0.0, 0.0};
}

std::array<double, 3> CStationModel::VibrationDirection(const SSimDetector& d) {
    std::array<double, 3> v{0.0, 0.0, 0.0};
    v[d.axis >= kSimAxisX && d.axis <= kSimAxisZ ? d.axis : kSimAxisX] = 1.0;
    if (d.angleDegrees == 0.0) return v;  // exact axes, without sin/cos residues
    const double a = d.angleDegrees * kRadiansPerDegreeExact;
    const double c = std::cos(a), s = std::sin(a);
    // Turning within the plane of axes i -> j (X toward Y, or Y toward Z).
    const int i = d.plane == kSimPlaneYZ ? 1 : 0;
    const int j = i + 1;
    const double vi = v[i], vj = v[j];
    v[i] = c * vi - s * vj;
    v[j] = s * vi + c * vj;
    return v;
}

std::array<double, 3> CStationModel::CurrentDensity(const CDVector4& probe,
                                                    const CDVector4& sample) const {
    if (!params.sourceOn) return {0.0, 0.0, 0.0};
    const std::array<double, 3> r = {probe.x - (params.source.x + sample.x),
                                     probe.y - (params.source.y + sample.y),
                                     probe.z - (params.source.z + sample.z)};
    const double distance = Length(r);
    // Right at the source there is no direction to flow in.
    if (distance == 0.0) return {0.0, 0.0, 0.0};
    const double held = distance < kMinDistanceMicrons ? kMinDistanceMicrons : distance;
    const double j = params.sourceNanoAmps * 1e5 / (4.0 * std::numbers::pi * held * held);
    return {j * r[0] / distance, j * r[1] / distance, j * r[2] / distance};
}

double CStationModel::FieldConcentration(const CDVector4& p) const {
    const std::array<double, 3> d = {p.x - params.fieldAt.x, p.y - params.fieldAt.y,
                                     p.z - params.fieldAt.z};
    double c;
    if (params.field == kSimFieldPoint) {
        const double r = Length(d);
        c = params.c0 + params.strength / (r < kMinDistanceMicrons ? kMinDistanceMicrons : r);
    } else {
        c = params.c0 + params.gradient * Dot(d, along);
    }
    return c > kMinConcentration ? c : kMinConcentration;
}

double CStationModel::TipConcentration(const CDVector4& p) const {
    if (params.beaker >= 1 && params.beaker <= 3) {
        const double c = params.solutions[static_cast<size_t>(params.beaker - 1)];
        return c > kMinConcentration ? c : kMinConcentration;
    }
    return FieldConcentration(p);
}

double CStationModel::TipValue(const SSimElectrode& e, double c, const double da[2]) {
    if (e.kind == kSimElectrodeNernst) return e.e0 + e.slope * std::log10(c);
    if (e.kind == kSimElectrodePolarographic) {
        const double polarising = da[e.daChan == 0 ? 1 : 0];
        const bool onPlateau = polarising >= e.plateauLow && polarising <= e.plateauHigh;
        return onPlateau ? e.kp * c + e.i0 : e.i0;
    }
    return 0.0;
}

std::array<double, kSimChannelCount> CStationModel::Read(const SBenchState& state) const {
    std::array<double, kSimChannelCount> volts{};

    const std::array<double, 3> j = CurrentDensity(state.probe, state.sample);
    const SSimDetector* detectors[2] = {&params.xPsd, &params.yPsd};
    for (int k = 0; k < 2; ++k) {
        const double v = signalPerCurrentDensity * Dot(j, u[k]);
        const int first = params.cdpFirstChan + 2 * k;
        if (ValidChannel(first)) volts[first] += detectors[k]->inPhaseOffset + v * sinPhase[k];
        if (ValidChannel(first + 1))
            volts[first + 1] += detectors[k]->quadratureOffset + v * cosPhase[k];
    }

    bool anyElectrode = false;
    for (const SSimElectrode& e : params.electrodes)
        anyElectrode = anyElectrode || e.kind != kSimElectrodeOff;
    if (!anyElectrode) return volts;
    const CDVector4 tip = state.probe + state.tip - state.sample;
    const double c = TipConcentration(tip);
    for (const SSimElectrode& e : params.electrodes) {
        if (e.kind == kSimElectrodeOff) continue;
        const double scale = e.kind == kSimElectrodePolarographic ? 10000.0 : 1000.0;
        const double preamp = e.preampGain * TipValue(e, c, state.da) / scale;
        const double offset = state.da[e.daChan == 1 ? 1 : 0];
        if (ValidChannel(e.loChan)) volts[e.loChan] += preamp;
        if (ValidChannel(e.hiChan)) volts[e.hiChan] += e.mainGain * (preamp - offset);
    }
    return volts;
}
