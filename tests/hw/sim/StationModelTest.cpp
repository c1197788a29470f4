// The virtual bench's physics against hand computations: the numbers the CDP and gradient
// calibrations will be checked against.

#include "hw/sim/StationModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

SSimStationParams SourceOn() {
    SSimStationParams p;
    p.sourceOn = true;
    return p;
}

SBenchState ProbeAt(double x, double y, double z) {
    SBenchState s;
    s.probe = CDVector4(x, y, z, 0.0);
    return s;
}

// The X PSD's signal without its offsets.
double XSignal(const std::array<double, kSimChannelCount>& v, const SSimStationParams& p) {
    return std::hypot(v[0] - p.xPsd.inPhaseOffset, v[1] - p.xPsd.quadratureOffset);
}

}  // namespace

TEST(StationModel, CdpSignalAlongTheDetectorAxisIsTheHandComputedVoltage) {
    const SSimStationParams p = SourceOn();
    const CStationModel model(p);
    // 150 um along the X PSD's axis (stage Y) from the source at the sample's origin.
    const auto v = model.Read(ProbeAt(0.0, 150.0, 0.0));

    // j = 60 nA * 1e5 / (4 pi 150^2) = 21.2207 uA/cm^2; V = SG rho j 1e-6 span 1e-4.
    const double j = 60.0 * 1e5 / (4.0 * kPi * 150.0 * 150.0);
    const double volts = 50000.0 * 100.0 * j * 1e-6 * 20.0 * 1e-4;
    EXPECT_NEAR(j, 21.2207, 1e-4);
    EXPECT_NEAR(volts, 0.2122, 1e-4);
    EXPECT_NEAR(XSignal(v, p), volts, 1e-15);

    // The lock-in's phase comes back from the two outputs.
    const double phase = std::atan2(v[0] - p.xPsd.inPhaseOffset, v[1] - p.xPsd.quadratureOffset);
    EXPECT_NEAR(phase, 30.0 * kPi / 180.0, 1e-12);
    // The Y PSD vibrates along Z, across the flow: its outputs are its offsets, exactly.
    EXPECT_EQ(v[2], p.yPsd.inPhaseOffset);
    EXPECT_EQ(v[3], p.yPsd.quadratureOffset);
}

TEST(StationModel, CdpSignalFallsAsTheInverseSquareAndFollowsTheSample) {
    const SSimStationParams p = SourceOn();
    const CStationModel model(p);
    const double near = XSignal(model.Read(ProbeAt(0.0, 150.0, 0.0)), p);
    const double far = XSignal(model.Read(ProbeAt(0.0, 300.0, 0.0)), p);
    EXPECT_NEAR(near / far, 4.0, 1e-12);

    // The source sits on the sample stage: moving the sample 150 um the other way is the same
    // geometry as moving the probe.
    SBenchState s;
    s.sample = CDVector4(0.0, -150.0, 0.0, 0.0);
    EXPECT_EQ(model.Read(s), model.Read(ProbeAt(0.0, 150.0, 0.0)));

    // Closer than 5 um the distance is held at 5 um; right on the source nothing flows.
    const auto at5 = model.CurrentDensity(CDVector4(0, 5, 0, 0), CDVector4());
    const auto at1 = model.CurrentDensity(CDVector4(0, 1, 0, 0), CDVector4());
    EXPECT_EQ(at1, at5);
    EXPECT_EQ(model.CurrentDensity(CDVector4(), CDVector4())[1], 0.0);
}

TEST(StationModel, SourceOffGivesTheOffsetsAndSourcePositionAndCurrentCount) {
    SSimStationParams p;
    const auto off = CStationModel(p).Read(ProbeAt(0.0, 150.0, 0.0));
    EXPECT_EQ(off[0], 0.004);
    EXPECT_EQ(off[1], -0.003);
    EXPECT_EQ(off[2], 0.002);
    EXPECT_EQ(off[3], -0.001);

    // The source moved to (0, 50, 0) on the sample, at twice the current: at 100 um from it the
    // signal is 2 * (150/100)^2 times that at 150 um with the default source.
    p.sourceOn = true;
    const double reference = XSignal(CStationModel(p).Read(ProbeAt(0.0, 150.0, 0.0)), p);
    p.source = CDVector4(0.0, 50.0, 0.0, 0.0);
    p.sourceNanoAmps = 120.0;
    p.cdpFirstChan = 2;  // the lock-ins moved to channels 2-5
    p.electrodes[0].kind = kSimElectrodeOff;
    const auto v = CStationModel(p).Read(ProbeAt(0.0, 150.0, 0.0));
    EXPECT_NEAR(std::hypot(v[2] - 0.004, v[3] + 0.003) / reference, 2.0 * 2.25, 1e-12);
    EXPECT_EQ(v[0], 0.0);
}

TEST(StationModel, ATurnedDetectorSeesTheCrossComponent) {
    SSimStationParams p = SourceOn();
    p.xPsd.angleDegrees = 10.0;  // the X PSD's axis (Y) turned in the X-Y plane
    const auto u = CStationModel::VibrationDirection(p.xPsd);
    // Y turned by +10 degrees in the X-Y plane (X toward Y) points to (-sin 10, cos 10, 0).
    EXPECT_NEAR(u[0], -std::sin(10.0 * kPi / 180.0), 1e-15);
    EXPECT_NEAR(u[1], std::cos(10.0 * kPi / 180.0), 1e-15);
    EXPECT_EQ(u[2], 0.0);

    // Flow along X now reaches the X PSD at sin(10 degrees) of its strength, with the sign.
    const CStationModel model(p);
    const auto v = model.Read(ProbeAt(150.0, 0.0, 0.0));
    SSimStationParams aligned = SourceOn();
    const double full = XSignal(CStationModel(aligned).Read(ProbeAt(0.0, 150.0, 0.0)), aligned);
    EXPECT_NEAR(XSignal(v, p), full * std::sin(10.0 * kPi / 180.0), 1e-12);
    EXPECT_LT(v[0] - p.xPsd.inPhaseOffset, 0.0);

    // Turned in the Y-Z plane, the Z detector leans back toward -Y.
    p.yPsd.plane = kSimPlaneYZ;
    p.yPsd.angleDegrees = 90.0;
    const auto w = CStationModel::VibrationDirection(p.yPsd);
    EXPECT_NEAR(w[1], -1.0, 1e-15);
    EXPECT_NEAR(w[2], 0.0, 1e-15);
}

TEST(StationModel, NernstElectrodeReadsTheConcentrationRatioThroughItsAmplifiers) {
    SSimStationParams p;  // C = 1 + 0.01 x along the sample's X; E = 59 + 59 log10 C
    const CStationModel model(p);
    SBenchState a;
    const auto va = model.Read(a);
    // Tip value 59 mV at C = 1: the preamp gives 10 * 59 / 1000 V on channel 5.
    EXPECT_DOUBLE_EQ(va[5], 0.59);
    EXPECT_DOUBLE_EQ(va[4], 100.0 * 0.59);  // no D/A offset yet

    // The bath offset zeroed as the gradient rules do: D/A 0 := the low-gain reading.
    a.da[0] = va[5];
    EXPECT_EQ(model.Read(a)[4], 0.0);
    SBenchState b = a;
    b.tip = CDVector4(10.0, 0.0, 0.0, 0.0);  // the tip stage carries the path
    const auto vb = model.Read(b);
    // The gradient calibration's tip value (V / (Go Gp) + Vda / Gp) * 1000 gives E back.
    const double tipA = (0.0 / 1000.0 + a.da[0] / 10.0) * 1000.0;
    const double tipB = (vb[4] / 1000.0 + b.da[0] / 10.0) * 1000.0;
    EXPECT_NEAR(tipA, 59.0, 1e-12);
    EXPECT_NEAR(tipB, 61.442168, 1e-6);
    EXPECT_NEAR(tipB - tipA, 59.0 * std::log10(1.1 / 1.0), 1e-12);

    // The tip stands at probe + tip - sample: the same place reached by the probe, or by moving
    // the sample the other way, reads the same.
    SBenchState c = a;
    c.probe = CDVector4(30.0, 0.0, 0.0, 0.0);
    c.tip = CDVector4(-10.0, 0.0, 0.0, 0.0);
    c.sample = CDVector4(10.0, 0.0, 0.0, 0.0);
    EXPECT_NEAR(model.Read(c)[4], vb[4], 1e-12);
}

TEST(StationModel, FieldsAndSolutionsGiveTheConcentrationTheElectrodeSees) {
    SSimStationParams p;
    p.field = kSimFieldPoint;
    p.fieldAt = CDVector4(0.0, 0.0, -20.0, 0.0);
    p.c0 = 0.5;
    p.strength = 100.0;
    CStationModel point(p);
    EXPECT_DOUBLE_EQ(point.FieldConcentration(CDVector4(0, 0, 30, 0)), 0.5 + 100.0 / 50.0);
    EXPECT_DOUBLE_EQ(point.FieldConcentration(CDVector4(0, 0, -19, 0)), 0.5 + 100.0 / 5.0);

    // Linear along a direction that is normalised first.
    p.field = kSimFieldLinear;
    p.fieldAt = CDVector4();
    p.fieldAlong = CDVector4(0.0, 3.0, 4.0, 0.0);
    p.gradient = 0.02;
    EXPECT_NEAR(CStationModel(p).FieldConcentration(CDVector4(7, 30, 40, 0)), 0.5 + 0.02 * 50.0,
                1e-15);
    // No negative concentrations: far down the gradient the electrode sees the floor.
    EXPECT_EQ(CStationModel(p).FieldConcentration(CDVector4(0, -300, -400, 0)),
              CStationModel::kMinConcentration);

    // A standard solution in the beaker replaces the field, wherever the tip is.
    p.beaker = 3;
    const CStationModel inSolution(p);
    EXPECT_EQ(inSolution.TipConcentration(CDVector4(500, 0, 0, 0)), 10.0);
    const auto v = inSolution.Read(ProbeAt(123.0, 4.0, 5.0));
    EXPECT_DOUBLE_EQ(v[5], 10.0 * (59.0 + 59.0) / 1000.0);
}

TEST(StationModel, PolarographicElectrodeNeedsItsPolarisingVoltageOnThePlateau) {
    SSimStationParams p;
    p.electrodes[0].kind = kSimElectrodePolarographic;
    p.solutions = {0.0, 21.0, 10.0};
    p.beaker = 2;
    const CStationModel model(p);
    SBenchState s;
    s.da[1] = -0.7;  // polarising output: the D/A channel other than the electrode's offset
    auto v = model.Read(s);
    // i = 5 pA/% * 21 % + 5 pA = 110 pA; the preamp gives 10 * 110 / 10000 V.
    EXPECT_DOUBLE_EQ(v[5], 0.11);
    EXPECT_DOUBLE_EQ((v[4] / 1000.0 + s.da[0] / 10.0) * 10000.0, 110.0);
    s.da[1] = 0.0;  // off the plateau: only the residual current
    v = model.Read(s);
    EXPECT_DOUBLE_EQ(v[5], 10.0 * 5.0 / 10000.0);

    // The second electrode, on 6 and 7 with its offset on D/A 1, reads beside the first.
    p.electrodes[1].kind = kSimElectrodeNernst;
    p.electrodes[0].kind = kSimElectrodeOff;
    s.da[1] = 0.5;
    v = CStationModel(p).Read(s);
    EXPECT_EQ(v[4], 0.0);
    EXPECT_DOUBLE_EQ(v[7], 10.0 * (59.0 + 59.0 * std::log10(21.0)) / 1000.0);
    EXPECT_DOUBLE_EQ(v[6], 100.0 * (v[7] - 0.5));
}
