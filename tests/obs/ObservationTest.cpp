#include <gtest/gtest.h>

#include <numbers>

#include "obs/DataDocument.h"
#include "obs/DibObs.h"
#include "obs/InterestPointObs.h"
#include "obs/IonCalibration.h"
#include "obs/IonObs.h"
#include "obs/LogEntry.h"
#include "obs/ObsTestUtil.h"
#include "obs/RawADObs.h"
#include "obs/SampRulesIon.h"
#include "obs/SampRulesWire.h"
#include "obs/ScanObs.h"
#include "obs/VidSeqObs.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "support/TestEnv.h"

namespace {

class ObservationTest : public CVelmTest {};

// The base record of an observation at `t` with index and positions as below.
std::string BaseRecord(uint32_t t, uint16_t ms, uint16_t index) {
    std::string s = Le32(t) + Le16(ms) + Le16(index);
    for (double d : {1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0})
        s += LeDouble(d);
    return s;
}

template <class T>
void SetBase(T& obs, int64_t t, uint16_t ms, uint16_t index) {
    obs.SetTime(t, ms);
    obs.index = index;
    obs.probePosition = CDVector4(1, 2, 3, 4);
    obs.samplePosition = CDVector4(5, 6, 7, 8);
}

// Saves `obs`, loads it back, and checks that saving the copy gives the same bytes.
template <class T>
std::unique_ptr<T> RoundTrip(const T& obs) {
    const std::string bytes = StoreObject(obs);
    auto copy = LoadObject<T>(bytes);
    EXPECT_NE(copy, nullptr);
    if (copy) {
        EXPECT_EQ(StoreObject(*copy), bytes);
    }
    return copy;
}

TEST_F(ObservationTest, NewObservationIsStampedNowUnnumberedAndAtTheOrigin) {
    clock.SetWallTime({kTestEpoch + 10, 345});
    CInterestPointObs obs;
    EXPECT_EQ(obs.time, kTestEpoch + 10);
    EXPECT_EQ(obs.milliseconds, 0);
    EXPECT_EQ(obs.index, 0xFFFF);
    EXPECT_EQ(obs.SignedIndex(), -1);
    obs.StampNow();
    EXPECT_EQ(obs.milliseconds, 345);
    obs.SetPosition(kProbeAxisSystem, CDVector4(1, 1, 1, 1));
    obs.SetPosition(kSampleAxisSystem, CDVector4(2, 2, 2, 2));
    obs.SetPosition(1031, CDVector4(9, 9, 9, 9));
    EXPECT_EQ(obs.probePosition, CDVector4(1, 1, 1, 1));
    EXPECT_EQ(obs.samplePosition, CDVector4(2, 2, 2, 2));
    // Without a position source the positions stay; with one they are copied.
    obs.StampPositions();
    EXPECT_EQ(obs.probePosition, CDVector4(1, 1, 1, 1));
    SetPositionSource([](CDVector4& p, CDVector4& s) {
        p = CDVector4(10, 20, 30, 40);
        s = CDVector4(-1, -2, -3, -4);
    });
    obs.StampPositions();
    SetPositionSource(nullptr);
    EXPECT_EQ(obs.probePosition, CDVector4(10, 20, 30, 40));
    EXPECT_EQ(obs.samplePosition, CDVector4(-1, -2, -3, -4));
}

TEST_F(ObservationTest, BaseAndProductRecordsByteForByte) {
    CInterestPointObs point;
    SetBase(point, 0x01020304, 999, 7);
    EXPECT_EQ(StoreObject(point), NewClass("CInterestPointObs") + BaseRecord(0x01020304, 999, 7));

    CWireObs wire;
    SetBase(wire, 100, 1, 0xFFFF);
    wire.reading = CDVector4(0.1, 0.2, 0.3, 0.4);
    wire.reference = CDVector4(-1, -2, -3, -4);
    EXPECT_EQ(StoreObject(wire), NewClass("CWireObs") + BaseRecord(100, 1, 0xFFFF) + LeDouble(0.1) +
                                     LeDouble(0.2) + LeDouble(0.3) + LeDouble(0.4) + LeDouble(-1) +
                                     LeDouble(-2) + LeDouble(-3) + LeDouble(-4));

    CScanObs scan;
    SetBase(scan, 5, 0, 2);
    scan.fileName = "C:\\data\\S0101001.SCN";
    scan.scanNumber = 12;
    EXPECT_EQ(StoreObject(scan),
              NewClass("CScanObs") + BaseRecord(5, 0, 2) + B({20}) + scan.fileName + B({12, 0}));

    CVidSeqObs seq;
    SetBase(seq, 5, 0, 2);
    seq.fileName = "v.vsq";
    seq.steps = CIVector4(1, 2, -1, 4);
    EXPECT_EQ(StoreObject(seq), NewClass("CVidSeqObs") + BaseRecord(5, 0, 2) + B({5}) + "v.vsq" +
                                    B({1, 0, 2, 0, 0xFF, 0xFF, 4, 0}));
    EXPECT_EQ(RoundTrip(seq)->steps, CIVector4(1, 2, 65535, 4));

    CLogEntry log;
    SetBase(log, 5, 0, 2);
    log.text = std::string(300, 'L');
    EXPECT_EQ(StoreObject(log),
              NewClass("CLogEntry") + BaseRecord(5, 0, 2) + B({0xFF, 0x2C, 0x01}) + log.text);
    CDibObs dib;
    dib.fileName = "img001.bmp";
    EXPECT_EQ(RoundTrip(dib)->fileName, "img001.bmp");
}

TEST_F(ObservationTest, GradientRecordsCarryTheirValuesRepetitionMajor) {
    CIonObs ion;
    SetBase(ion, 5, 0, 1);
    ion.name = "K+";
    ion.da0 = 0.5;
    ion.da1 = -0.5;
    ion.SetShape(2, 1);
    ion.values = {1.0, 2.0};
    ion.refValues = {0.25, 0.5};
    EXPECT_EQ(StoreObject(ion), NewClass("CIonObs") + BaseRecord(5, 0, 1) + B({2}) + "K+" +
                                    LeDouble(0.5) + LeDouble(-0.5) + B({2, 0, 1, 0}) + LeDouble(1) +
                                    LeDouble(2) + LeDouble(0.25) + LeDouble(0.5));
    auto copy = RoundTrip(ion);
    EXPECT_EQ(copy->values, ion.values);
    EXPECT_EQ(copy->refValues, ion.refValues);

    CIonReference ref;
    ref.name = "K+";
    ref.SetShape(3, 2);
    for (size_t k = 0; k < 6; ++k)
        ref.values[k] = static_cast<double>(k);
    EXPECT_EQ(RoundTrip(ref)->values, ref.values);
    EXPECT_TRUE(RoundTrip(ref)->refValues.empty());

    // Negative counts: nothing allocated, nothing read.
    CIonReference odd;
    odd.nPoints = -1;
    odd.nReps = -3;
    auto back = RoundTrip(odd);
    EXPECT_EQ(back->nPoints, -1);
    EXPECT_TRUE(back->values.empty());
}

TEST_F(ObservationTest, ValueCountsLargerThanTheFileAreRefused) {
    CIonObs ion;
    ion.name = "x";
    ion.SetShape(2, 2);
    std::string bytes = StoreObject(ion);
    // Claim 30000 x 30000 values in a record of a few hundred bytes.
    const size_t counts = bytes.size() - 4 * 8 * 2 - 4;
    bytes.replace(counts, 4, B({0x30, 0x75, 0x30, 0x75}));
    EArchiveError error = EArchiveError::None;
    EXPECT_EQ(LoadObject<CIonObs>(bytes, &error), nullptr);
    EXPECT_EQ(error, EArchiveError::UnexpectedFormat);

    CRawADObs raw;
    raw.rules.average = 0;
    raw.rules.BurstNum = 3;
    raw.values = {1, 2, 3};
    std::string rawBytes = StoreObject(raw);
    EXPECT_EQ(LoadObject<CRawADObs>(rawBytes)->values, raw.values);
    // BurstNum sits before BurstFreq, 4 WORDs, and 3 values at the end of the record.
    rawBytes.replace(rawBytes.size() - 24 - 8 - 8 - 4, 4, Le32(0x7FFFFFFF));
    EXPECT_EQ(LoadObject<CRawADObs>(rawBytes, &error), nullptr);
    EXPECT_EQ(error, EArchiveError::UnexpectedFormat);
}

TEST_F(ObservationTest, RawADRecordEmbedsItsRulesAndOneValuePerChannel) {
    CRawADObs raw;
    SetBase(raw, 5, 0, 3);
    raw.rules.FirstChan = 2;
    raw.rules.LastChan = 4;
    raw.values = {1.5, 2.5, 3.5};
    const std::string bytes = StoreObject(raw);
    CSampRulesRawAD& r = raw.rules;
    // The embedded rules start with their own base record (their own positions are zero).
    std::string expectedRules = Le32(static_cast<uint32_t>(r.time)) + B({0, 0, 0xFF, 0xFF}) +
                                std::string(64, '\0') + LeDouble(0.02) + LeDouble(0.2) + Le32(100) +
                                LeDouble(100.0) + B({1, 0, 1, 0, 2, 0, 4, 0});
    EXPECT_EQ(bytes, NewClass("CRawADObs") + BaseRecord(5, 0, 3) + expectedRules + LeDouble(1.5) +
                         LeDouble(2.5) + LeDouble(3.5));
    EXPECT_EQ(RoundTrip(raw)->values, raw.values);
}

TEST_F(ObservationTest, RulesAndCalibrationRecordsRoundTrip) {
    CSampRulesWire wr;
    wr.SamplePeriod = -0.5;
    wr.FirstChan = 8;
    auto wr2 = RoundTrip(wr);
    EXPECT_EQ(wr2->SamplePeriod, -0.5);
    EXPECT_TRUE(wr2->MakesReferences());

    CWireCalibration cal;
    cal.xVibAxis = kXVibAxisX;
    cal.yVibAxis = kYVibAxisY;
    EXPECT_EQ(cal.AxisCode(), 17215);
    cal.XXuAperV = 5000000;
    cal.rules.WaitPeriod = 0.1;
    cal.srcpos = CDVector4(1, 2, 3, 4);
    auto cal2 = RoundTrip(cal);
    EXPECT_EQ(cal2->xVibAxis, kXVibAxisX);
    EXPECT_EQ(cal2->rules.WaitPeriod, 0.1);
    EXPECT_EQ(cal2->srcpos, cal.srcpos);
    // Old axis codes stand for pairs.
    cal2->SetAxisCode(1062);
    EXPECT_EQ(cal2->xVibAxis, 1065);
    EXPECT_EQ(cal2->yVibAxis, 1067);
    cal2->SetAxisCode(1065);
    EXPECT_EQ(cal2->xVibAxis, 1063);
    EXPECT_EQ(cal2->yVibAxis, 1068);

    CSampRulesIon ir;
    ir.name = "Ca";
    ir.points.push_back(std::make_unique<CSampPointIon>());
    ir.points.back()->name = "A";
    ir.points.back()->adChan = -1;
    ir.points.back()->dataA = 0x12;
    ir.points.back()->dataS = 0x34;
    ir.points.push_back(std::make_unique<CSampPointIon>());
    ir.calcs.push_back(std::make_unique<CGradCalcIon>());
    ir.calcs.back()->name = "Gradient1";
    auto ir2 = RoundTrip(ir);
    ASSERT_EQ(ir2->points.size(), 2u);
    EXPECT_EQ(ir2->points[0]->adChan, -1);
    EXPECT_EQ(ir2->points[0]->dataA, 0x12);
    EXPECT_EQ(ir2->points[0]->dataS, 0x34);
    ASSERT_EQ(ir2->calcs.size(), 1u);
    EXPECT_EQ(ir2->calcs[0]->name, "Gradient1");

    CIonCalibration ic;
    ic.name = "Ca";
    ic.preampGain = 20;
    EXPECT_EQ(RoundTrip(ic)->preampGain, 20);
}

TEST_F(ObservationTest, OldPointAndCalibrationRecordsLoad) {
    // A point written before version strings: name first, no gains.
    std::string oldPoint = NewClass("CSampPointIon") + B({2}) + "P1" + LeDouble(2.0) +
                           LeDouble(0.25) + B({0xFF, 0xFF, 1, 0, 1, 0, 0x34, 0x12, 0x78, 0x03}) +
                           LeDouble(1) + LeDouble(2) + LeDouble(3) + LeDouble(4);
    auto p = LoadObject<CSampPointIon>(oldPoint);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->name, "P1");
    EXPECT_EQ(p->wait, 2.0);
    EXPECT_EQ(p->adChan, -1);
    EXPECT_EQ(p->daChan, 1);
    EXPECT_EQ(p->dataS, 0x12);
    EXPECT_EQ(p->dataA, 0x34);
    EXPECT_EQ(p->adGain, 1000.0);  // defaults kept
    EXPECT_EQ(p->offset, CDVector4(1, 2, 3, 4));

    auto calBody = [](bool channels, bool preamp) {
        std::string s;
        if (channels) s += B({1, 0, 2, 0, 3, 0, 0, 0});
        for (double d : {0.1, 1.0, 10.0, 0.0, 59.0, 0.0, 3.0, 59.0, 59.0})
            s += LeDouble(d);
        s += B({1, 0, 1, 0, 1, 0, 0, 0, 0, 0}) + LeDouble(100.0);
        if (preamp) s += LeDouble(20.0);
        return s + B({0xCA, 0x05});
    };
    const std::string base = BaseRecord(9, 0, 1);
    auto v105 =
        LoadObject<CIonCalibration>(NewClass("CIonCalibration") + base + B({17}) +
                                    "VELM Version 1.05" + B({2}) + "Ca" + calBody(true, false));
    ASSERT_NE(v105, nullptr);
    EXPECT_EQ(v105->name, "Ca");
    EXPECT_EQ(v105->loGainAdChan, 2);
    EXPECT_EQ(v105->preampGain, 10.0);
    EXPECT_EQ(v105->slope, 59.0);
    auto oldest = LoadObject<CIonCalibration>(NewClass("CIonCalibration") + base + B({2}) + "Ca" +
                                              calBody(false, false));
    ASSERT_NE(oldest, nullptr);
    EXPECT_EQ(oldest->name, "Ca");
    EXPECT_EQ(oldest->loGainAdChan, 1);  // defaults
    EXPECT_EQ(oldest->preampGain, 10.0);
    EXPECT_EQ(oldest->type, kIonNernst);
    EXPECT_TRUE(oldest->IsComplete());
    EXPECT_DOUBLE_EQ(oldest->Convert(118.0), 10.0);
}

TEST_F(ObservationTest, DescriptionPrefixTitlesAndColours) {
    CWireObs wire;
    EXPECT_EQ(
        [&] {
            std::string s;
            wire.Describe(s, nullptr, DetailFlags::kType);
            return s;
        }(),
        "CDP Obs:  ");
    wire.SetTime(kTestEpoch + 3661, 7);  // 13:01:01.007 UTC
    wire.probePosition = CDVector4(1.25, -2, 0, 1000);
    wire.hidden = true;
    std::string all;
    wire.Describe(all, nullptr, 0x1FC);
    EXPECT_EQ(all,
              "x 12/05/07  13:01:01.007  probe: [      1.2     -2.0      0.0   1000.0 ] sample: [ "
              "     0.0      0.0      0.0      0.0 ] CDP Obs:  ");
    std::string none;
    wire.Describe(none, nullptr, 0);
    EXPECT_EQ(none, "x ");
    EXPECT_EQ(wire.GetColor(), (SRgb{192, 192, 192}));

    CRawADObs raw;
    for (auto [index, title] : {std::pair<int, const char*>{0xFFFF, "Raw A/D Obs:  "},
                                {0, "Raw A/D Obs:  "},
                                {3, "Raw A/D Obs 3:  "}}) {
        raw.index = static_cast<uint16_t>(index);
        std::string s;
        raw.Describe(s, nullptr, DetailFlags::kType);
        EXPECT_EQ(s, title);
    }
    raw.rules.FirstChan = 0;
    raw.rules.LastChan = 1;
    raw.values = {1.0, -2.5};
    std::string rs;
    raw.Describe(rs, nullptr, DetailFlags::kInformation);
    EXPECT_EQ(rs, "    1.00,    -2.50, ");
    raw.rules.average = 0;
    raw.rules.BurstNum = 100;
    rs.clear();
    raw.Describe(rs, nullptr, DetailFlags::kInformation);
    EXPECT_EQ(rs, "Burst of 100 samples from 2 channels");

    CDibObs dib;
    CScanObs scan;
    CVidSeqObs seq;
    EXPECT_EQ(dib.GetColor(), (SRgb{0, 0, 255}));
    EXPECT_EQ(scan.GetColor(), (SRgb{255, 0, 0}));
    EXPECT_EQ(seq.GetColor(), (SRgb{0, 160, 0}));
    dib.hidden = scan.hidden = seq.hidden = true;
    EXPECT_EQ(dib.GetColor(), (SRgb{192, 192, 255}));
    EXPECT_EQ(scan.GetColor(), (SRgb{255, 192, 192}));
    EXPECT_EQ(seq.GetColor(), (SRgb{128, 192, 128}));
    scan.hidden = false;
    scan.scanNumber = 4;
    scan.fileName = "s.scn";
    std::string ss;
    scan.Describe(ss, nullptr, DetailFlags::kType | DetailFlags::kInformation);
    EXPECT_EQ(ss, "Scan 4:  s.scn ");
    EXPECT_EQ(scan.GetNumber(), 1.0);
    seq.hidden = false;
    seq.fileName = "v.vsq";
    seq.steps = CIVector4(1, 2, 3, 4);
    std::string vs;
    seq.Describe(vs, nullptr, DetailFlags::kType | DetailFlags::kInformation);
    EXPECT_EQ(vs, "Video Sequence:  v.vsq: 1 x 2 x 3 x 4");

    std::string op;
    CInterestPointObs ip;
    ip.GetOperationName(op);
    EXPECT_EQ(op, "Intermediate Point");
}

TEST_F(ObservationTest, RulesAndCalibrationTexts) {
    const unsigned typeAndData = DetailFlags::kType | DetailFlags::kInformation;
    CSampRulesWire wr;
    std::string s;
    wr.Describe(s, nullptr, typeAndData);
    EXPECT_EQ(s,
              "Current Density Sampling Rules:  wait 20 msec, samp avg 0.50 sec, samp avg 3.00 "
              "sec, fchan = 0");
    s.clear();
    wr.GetOperationName(s);
    EXPECT_EQ(s, "Current Density Observation: wait 0.02 sec, avg 0.50 sec");
    wr.SamplePeriod = -0.5;
    s.clear();
    wr.GetOperationName(s);
    EXPECT_EQ(s, "Current Density Reference Observation: wait 0.02 sec, avg 3.00 sec");
    EXPECT_DOUBLE_EQ(wr.GetNumber(true), 3.02);
    // The estimate of what these rules take is a reference's, and a point planned with them
    // takes its averaging time, never a negative one.
    EXPECT_DOUBLE_EQ(wr.GetNumber(), 3.02);
    EXPECT_DOUBLE_EQ(wr.GetNumber(false), 0.52);
    wr.SamplePeriod = 0.25;
    EXPECT_DOUBLE_EQ(wr.GetNumber(), 0.27);

    CWireCalibration cal;
    cal.XXuAperV = 5000000;
    cal.XXphase = 0.5;
    s.clear();
    cal.Describe(s, nullptr, typeAndData);
    EXPECT_EQ(s,
              "CDP Calibration:  XX: ph=28.6,av=1.0  XY: ph=0.0,av=0.0  YX: ph=0.0,av=0.0  YY: "
              "ph=0.0,av=0.0rho: 100.0  SG: 50000 xuM: 150.0  yuM: 150.0  xnA: 60.0  ynA: 60.0 "
              "srcpos: 0.0 0.0 0.0 0.0");

    CSampRulesRawAD rr;
    rr.index = 2;
    s.clear();
    rr.Describe(s, nullptr, typeAndData);
    EXPECT_EQ(s,
              "Raw A/D Sampling Rules 2:  channels 4 to 4, wait 20 msec, average for 0.20 seconds "
              "with interleave");
    rr.average = 0;
    rr.interleave = 0;
    rr.FirstChan = 0;
    rr.LastChan = 2;
    EXPECT_DOUBLE_EQ(rr.GetNumber(), 3.0);
    s.clear();
    rr.GetOperationName(s);
    EXPECT_EQ(s,
              "Raw A/D Observation: channels 0-2, wait 0.02, burst record 100 samples @ 100.00 Hz");

    CSampRulesIon ir;
    ir.name = "K";
    ir.index = 1;
    s.clear();
    ir.Describe(s, nullptr, typeAndData);
    EXPECT_EQ(s, "K Gradient Sampling Rules 1:reps=1, points=0, calcs=0, rot=0.0, tilt=0.0");
    s.clear();
    ir.GetOperationName(s);
    EXPECT_EQ(s,
              " Gradient Observation: reps=1, rot 0.0, tilt 0.0; bath update None:None (wait "
              "1.00, average 0.50)");

    CIonCalibration ic;
    ic.name = "K";
    s.clear();
    ic.Describe(s, nullptr, typeAndData);
    EXPECT_EQ(s,
              "K ISP/PVP Calibration:Sampled for 3.0 seconds with loGA/D=1, hiGA/D=0, D/A=0 gives "
              "slope of 0.00 mV/decadeConcentrations: c1=0.1  c2=1  c3=10  Voltages: v1=0.0  "
              "v2=0.0  v3=0.0 (Using 1 & 2)");
}

TEST_F(ObservationTest, CurrentDensityConversion) {
    CWireCalibration cal;
    cal.SystemGain = 1000;
    CWireObs obs;
    obs.reading = CDVector4(0.002, 0, 0, 0);
    obs.reference = CDVector4(0.001, 0, 0, 0);
    EXPECT_NEAR(cal.ComputeCurrentDensity(obs, false).x, 1.0, 1e-9);

    cal = CWireCalibration();
    auto angle = [&](double x, double y) {
        // XXphase pi/2 and gain rho*SG: X follows a; YY likewise for Y through c.
        cal.XXphase = cal.YYphase = 1.5707963267948966;
        cal.XXuAperV = cal.YYuAperV = cal.Resistivity * cal.SystemGain;
        return cal.ComputeCurrentDensity(CDVector4(x, 0, y, 0), true);
    };
    EXPECT_DOUBLE_EQ(angle(0, 0).z, 0.0);
    EXPECT_NEAR(angle(0, 0).w, 90.0, 1e-5);
    EXPECT_NEAR(angle(0, -1).w, 270.0, 1e-5);
    EXPECT_NEAR(angle(-1, 0).w, 180.0, 1e-5);
    const double a = angle(1, -1).w;
    EXPECT_GT(a, 270.0);
    EXPECT_LT(a, 360.0);
    EXPECT_NEAR(angle(3, 4).z, 5.0, 1e-9);
}

TEST_F(ObservationTest, CurrentDensityConversionWithCrossTerms) {
    // Every gain and phase different, so that each enters the result in its own place.
    // Gains are stored times rho * SG (100 * 1000); phases in radians.
    CWireCalibration cal;
    cal.Resistivity = 100.0;
    cal.SystemGain = 1000.0;
    const double k = 100.0 * 1000.0, deg = std::numbers::pi / 180.0;
    cal.XXphase = 30 * deg;
    cal.XXuAperV = 2.0 * k;
    cal.XYphase = 60 * deg;
    cal.XYuAperV = 0.5 * k;
    cal.YXphase = 45 * deg;
    cal.YXuAperV = -1.0 * k;
    cal.YYphase = 90 * deg;
    cal.YYuAperV = 3.0 * k;
    CWireObs obs;
    obs.reading = CDVector4(0.015, 0.020, -0.025, 0.045);
    obs.reference = CDVector4(0.005, 0.0, 0.005, 0.005);  // d = (0.010, 0.020, -0.030, 0.040)
    // By hand:
    // X = (0.010 sin 30 + 0.020 cos 30) * 2 + (-0.030 sin 45 + 0.040 cos 45) * -1
    //   = 0.0446410 - 0.0070711 = 0.0375699
    // Y = (0.010 sin 60 + 0.020 cos 60) * 0.5 + (-0.030 sin 90 + 0.040 cos 90) * 3
    //   = 0.0093301 - 0.0900000 = -0.0806699
    // Total = sqrt(X^2 + Y^2) = 0.0889895; angle = atan2(Y, X) + 360 = 294.97256 degrees.
    const CDVector4 j = cal.ComputeCurrentDensity(obs, true);
    EXPECT_NEAR(j.x, 0.0375699, 1e-7);
    EXPECT_NEAR(j.y, -0.0806699, 1e-7);
    EXPECT_NEAR(j.z, 0.0889895, 1e-7);
    EXPECT_NEAR(j.w, 294.97256, 1e-5);
    // Uncalibrated: microvolts at the tip, d * 1e6 / SG.
    const CDVector4 uv = cal.ComputeCurrentDensity(obs, false);
    EXPECT_NEAR(uv.x, 10.0, 1e-9);
    EXPECT_NEAR(uv.y, 20.0, 1e-9);
    EXPECT_NEAR(uv.z, -30.0, 1e-9);
    EXPECT_NEAR(uv.w, 40.0, 1e-9);
}

}  // namespace
