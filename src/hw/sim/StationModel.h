#pragma once
// The physics of the Simulated Station: what each of the eight A/D channels of a real station
// would read, given where the probe, sample and tip stages physically stand and what the two
// D/A outputs put out. The model is a pure function of its parameters and these inputs: with
// no noise the same state always reads the same bits, and a reading costs a few dozen
// floating-point operations, so scans of many thousands of points run on it in tests.
//
// The bench (all positions in microns, in stage coordinates):
// - A CDP calibration bath: a point current source fixed to the sample stage, at `source`
//   from the sample stage's origin, in a medium of resistivity `rho` (ohm cm). At the probe
//   tip, r microns from the source, the current density is j = I * 1e5 / (4 pi r^2) uA/cm^2
//   along r (I in nA; r is held at 5 microns below that).
// - A vibrating probe read by two lock-in detectors ("X PSD", "Y PSD"). Each vibrates along a
//   stage axis, optionally turned by an angle in the X-Y plane (X toward Y) or the Y-Z plane
//   (Y toward Z), over `spanMicrons`. Its signal is V = SG * rho * (j . u) * 1e-6 * span * 1e-4
//   volts (the field across the span, amplified by the system gain SG), seen through the
//   lock-in's phase: in-phase = offset + V sin(phase), quadrature = offset + V cos(phase). The
//   four outputs xInPh, xQuad, yInPh, yQuad are on channels cdpFirstChan .. cdpFirstChan+3.
// - A concentration field in the sample's bath: linear, C = c0 + g * ((P - at) . along), or a
//   point source on the sample, C = c0 + k / |P - at| (|P - at| held at 5 microns below that).
//   Concentrations below kMinConcentration are held there (there is no negative
//   concentration, and the logarithm of an electrode needs a positive one).
// - Up to two gradient-probe electrodes on the ISP/PVP tip, which stands at probe + tip - sample
//   relative to the sample. A Nernst electrode gives E = e0 + slope * log10(C) mV; a
//   polarographic one i = kp * C + i0 pA while its polarising D/A output (the D/A channel other
//   than its own `daChan`) lies within the plateau window, and i0 outside it. Its amplifiers
//   are those the gradient calibration's tip-value formula undoes: with s = 1000 (mV) or 10000
//   (pA), the low-gain channel carries the preamplifier output preampGain * T / s and the
//   high-gain channel mainGain * (preamp output - the D/A output of `daChan`).
// - Three standard solutions. While the tip is in one of them (`beaker` 1..3) the electrodes
//   see that solution's concentration instead of the field.
//
// A channel that several signals are wired to reads their sum. Clamping to the board's A/D
// range and noise are the board's business, not the model's.

#include <array>

#include "platform/Vector4.h"

inline constexpr int kSimChannelCount = 8;

// Stage axes a detector can vibrate along.
inline constexpr int kSimAxisX = 0;
inline constexpr int kSimAxisY = 1;
inline constexpr int kSimAxisZ = 2;
// Planes in which a detector's axis can be turned.
inline constexpr int kSimPlaneXY = 0;
inline constexpr int kSimPlaneYZ = 1;
// Concentration fields.
inline constexpr int kSimFieldLinear = 0;
inline constexpr int kSimFieldPoint = 1;
// Electrodes.
inline constexpr int kSimElectrodeOff = 0;
inline constexpr int kSimElectrodeNernst = 1;
inline constexpr int kSimElectrodePolarographic = 2;

struct SSimDetector {
    int axis = kSimAxisY;
    int plane = kSimPlaneXY;
    double angleDegrees = 0.0;
    double phaseDegrees = 30.0;
    double inPhaseOffset = 0.0;  // volts
    double quadratureOffset = 0.0;
};

struct SSimElectrode {
    int kind = kSimElectrodeNernst;
    double e0 = 59.0;          // Nernst: mV at concentration 1
    double slope = 59.0;       // Nernst: mV per decade
    double i0 = 5.0;           // polarographic: pA at concentration 0, and off the plateau
    double kp = 5.0;           // polarographic: pA per unit of concentration
    double plateauLow = -0.9;  // polarising D/A volts
    double plateauHigh = -0.5;
    double preampGain = 10.0;
    double mainGain = 100.0;
    int hiChan = 4;
    int loChan = 5;
    int daChan = 0;
};

// Every parameter of the bench, with the defaults a new station starts from: the calibration
// source 60 nA at the sample's origin and off; rho 100, SG 50000, span 20 um; the X PSD along Y
// and the Y PSD along Z (the CDP calibration's own default axes) at 30 and 60 degrees; a Nernst
// electrode on the channels the gradient rules read by default (4 high gain, 5 low gain,
// offset from D/A 0; a second electrode, off, on 6 and 7 with D/A 1) in C = 1 + 0.01 x along
// the sample's X.
struct SSimStationParams {
    CDVector4 source;  // x, y, z from the sample stage's origin (w unused)
    double sourceNanoAmps = 60.0;
    bool sourceOn = false;

    double rho = 100.0;
    double systemGain = 50000.0;
    double spanMicrons = 20.0;
    int cdpFirstChan = 0;
    SSimDetector xPsd{kSimAxisY, kSimPlaneXY, 0.0, 30.0, 0.004, -0.003};
    SSimDetector yPsd{kSimAxisZ, kSimPlaneXY, 0.0, 60.0, 0.002, -0.001};

    int field = kSimFieldLinear;
    double c0 = 1.0;
    double gradient = 0.01;   // linear: concentration units per micron
    double strength = 100.0;  // point: concentration units times microns
    CDVector4 fieldAt;        // linear: where C = c0; point: the source (sample frame)
    CDVector4 fieldAlong{1.0, 0.0, 0.0, 0.0};  // linear: the direction of the gradient

    std::array<SSimElectrode, 2> electrodes{
        SSimElectrode{},
        SSimElectrode{kSimElectrodeOff, 59.0, 59.0, 5.0, 5.0, -0.9, -0.5, 10.0, 100.0, 6, 7, 1}};
    std::array<double, 3> solutions{0.1, 1.0, 10.0};
    int beaker = 0;  // 0: the tip is in the sample's bath; 1..3: in that standard solution

    double noiseVolts = 0.0;  // spread of one sample of a channel; 0: exact readings
    unsigned noiseSeed = 1;
};

// What the bench looks like at one moment: where each stage physically stands, and the D/A
// outputs.
struct SBenchState {
    CDVector4 probe, sample, tip;
    double da[2] = {0.0, 0.0};
};

class CStationModel {
  public:
    static constexpr double kMinDistanceMicrons = 5.0;
    static constexpr double kMinConcentration = 1e-9;

    explicit CStationModel(const SSimStationParams& params);

    // The eight channel voltages of the bench in `state`.
    std::array<double, kSimChannelCount> Read(const SBenchState& state) const;

    // The parts, for the dialog and the tests.
    // Current density (uA/cm^2, X, Y, Z) at `probe` from the source on the sample at `sample`;
    // zero while the source is off.
    std::array<double, 3> CurrentDensity(const CDVector4& probe, const CDVector4& sample) const;
    // The unit vector a detector vibrates along.
    static std::array<double, 3> VibrationDirection(const SSimDetector& detector);
    // The concentration at `p` (sample frame), ignoring the beaker.
    double FieldConcentration(const CDVector4& p) const;
    // The concentration the electrodes see with the tip at `p` (sample frame).
    double TipConcentration(const CDVector4& p) const;
    // An electrode's tip value (mV or pA) in concentration `c` with the D/A outputs `da`.
    static double TipValue(const SSimElectrode& electrode, double c, const double da[2]);

  private:
    SSimStationParams params;
    std::array<double, 3> u[2];  // X PSD, Y PSD vibration directions
    double sinPhase[2], cosPhase[2];
    double signalPerCurrentDensity;  // volts per uA/cm^2 along u
    std::array<double, 3> along;     // normalised direction of a linear field
};
