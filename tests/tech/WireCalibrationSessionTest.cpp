// The CDP calibration on the Simulated Station, driven as a user drives the dialog: the worked
// example from reference to kept settings lines, a turned probe whose field must come back
// exactly, the refusals, Find Z Plane with each answer, failed reads and the watch.

#include <gtest/gtest.h>

#include "platform/StationBusy.h"

#include <cmath>
#include <cstdio>

#include "app/ObsDocCommands.h"
#include "hw/AdBoard.h"
#include "hw/BenchHands.h"
#include "hw/MsWcmc.h"
#include "hw/sim/StationModel.h"
#include "hw/sim/VirtualBench.h"
#include "obs/ObsDoc.h"
#include "obs/SampRulesWire.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "tech/StationTestEnv.h"
#include "tech/WireCalibrationDialogs.h"
#include "tech/WireCalibrationSession.h"

namespace {

// A thousand steps per micron: every position used here is a whole number of steps.
constexpr const char* kStages =
    "[Probe Motion System]\nLine 1=Steps/micron: 1000 1000 1000 1000\n"
    "[Sample Motion System]\nLine 1=Steps/micron: 10 10 10 10\n";
// Both detectors turned by 10 degrees from Y toward Z: each also answers the other direction.
constexpr const char* kTurnedProbe =
    "[Simulated Station]\n"
    "Line 2=X PSD: axis=Y  plane=YZ  angle=10.000000  phase=30.000000  offsets=0.004 -0.003\n"
    "Line 3=Y PSD: axis=Z  plane=YZ  angle=10.000000  phase=60.000000  offsets=0.002 -0.001\n";

// The true current density of the bench at the probe (source on, sample at its origin).
std::array<double, 3> TrueDensity(CMainFrame& f) {
    SSimStationParams params;
    params.sourceOn = true;
    return CStationModel(params).CurrentDensity(PhysicalPosition(f.ProbeSystem()), CDVector4());
}

// The probe's reading minus the dialog's reference, as a point would hold it.
CDVector4 Difference(CMainFrame& f, const CWireCalibrationSession& s) {
    double v[4];
    EXPECT_TRUE(f.AdBoard().ReadChannels(0.1, 0, 3, v));
    return CDVector4(v) - s.reference;
}

// A view that plays the user in "Find Z Plane".
class CZPlaneView : public CWireCalibrationView {
  public:
    bool FindZPlaneDialog() override {
        ++shown;
        return search ? search() : false;
    }
    std::function<bool()> search;
    int shown = 0;
};

class WireCalibrationTest : public CStationTest {
  protected:
    WireCalibrationTest() : calScope(&calDialogs) {}

    CMainFrame& Bench(const std::string& more = "") {
        CMainFrame& f = Station("Simulated Station", std::string(kStages) + more);
        f.Station().SetMeasurementType(kTechniqueCdp);
        return f;
    }
    CWireCalibrationSession& Session(CMainFrame& f) {
        calibration = CWireCalibration::NewFromSettings();
        session = std::make_unique<CWireCalibrationSession>(f.Devices(), f.Station(), *calibration);
        session->startJog = [this](EStage stage, bool mouse) {
            jogs.push_back(StrPrintfJog(stage, mouse));
        };
        session->endJog = [this](EStage) { jogs.push_back("end"); };
        return *session;
    }
    static std::string StrPrintfJog(EStage stage, bool mouse) {
        return std::string(stage == EStage::Probe ? "probe" : "sample") + (mouse ? "+mouse" : "");
    }
    // Reference with the source off, then each detector at 150 um with it on.
    static void CalibrateBoth(CWireCalibrationSession& s) {
        ASSERT_TRUE(s.ReferenceObservation());
        ASSERT_TRUE(s.Go(EPsd::X));
        ASSERT_TRUE(s.SampleXPsd());
        ASSERT_TRUE(s.Go(EPsd::Y));
        ASSERT_TRUE(s.SampleYPsd());
    }
    size_t Count(const std::string& text) const {
        size_t n = 0;
        for (const auto& t : prompt.Texts())
            n += t == text;
        return n;
    }

    CScriptedWireCalibrationDialogs calDialogs;
    std::unique_ptr<CWireCalibration> calibration;
    std::unique_ptr<CWireCalibrationSession> session;
    std::vector<std::string> jogs;

  private:
    CScopedWireCalibrationDialogs calScope;
};

}  // namespace

TEST_F(WireCalibrationTest, TheWorkedExampleFromF7ToTheSettingsAndTheNextPoint) {
    CMainFrame& f = Bench();
    CObsDoc doc;
    CObsDocCommands commands(doc, f);
    calDialogs.calibrate = [&](CWireCalibrationSession& s) {
        CalibrateBoth(s);
        s.Ok();
    };
    ASSERT_TRUE(commands.Calibrate());
    EXPECT_EQ(calDialogs.shown, 1);

    const std::vector<std::string> asked = prompt.Texts();
    ASSERT_GE(asked.size(), 8u);
    EXPECT_EQ(asked[0], "Calibrate with 'Default' optical system?");
    EXPECT_EQ(asked[1],
              "Check the following:\n\t1) Probe vibration is ON\n\t2) Calibration source current "
              "is OFF");
    EXPECT_EQ(prompt.shown[1].caption, "Current Density Probe Calibration");
    EXPECT_EQ(asked[2], "Keep this reference measurement ?");
    EXPECT_EQ(prompt.shown[2].caption, "Wire Probe Calibration");
    EXPECT_EQ(asked[3],
              "Check the following:\n\t1) Reference level is correct\n\t2) Probe vibration is "
              "ON\n\t3) Calibration source current is ON");
    EXPECT_EQ(asked[4], "X PSD sample complete.");
    EXPECT_EQ(asked[6], "Y PSD sample complete.");
    EXPECT_EQ(prompt.LastText(), "Save these calibration values ?");

    // Phases 30 and 60 degrees, 100 uA/sq.cm. per volt on each detector, no cross gains.
    const CWireCalibration& cal = *f.Station().wireCalibration;
    EXPECT_NEAR(cal.XXphase * kDegreesPerRadian, 30.0, 1e-5);
    EXPECT_NEAR(cal.YYphase * kDegreesPerRadian, 60.0, 1e-5);
    EXPECT_NEAR(cal.yVibAng, M_PI / 2, 1e-12);
    EXPECT_NEAR(cal.XXuAperV / 5e8, 1.0, 2e-8);  // 12.5663708 is 4 pi to 8 digits
    EXPECT_NEAR(cal.YYuAperV / 5e8, 1.0, 2e-8);
    EXPECT_FALSE(std::signbit(cal.YXuAperV));
    EXPECT_FALSE(std::signbit(cal.XYuAperV));
    EXPECT_EQ(cal.refReading, CDVector4(0.004, -0.003, 0.002, -0.001));
    EXPECT_EQ(cal.probeOffset, CDVector4(0, 0, 150, 0));

    const char* s = kWireCalibrationSection;
    EXPECT_EQ(profile.GetProfileString(s, "Line 0"),
              "Zvib: 17472  xCal: 1  yCal: 1  rho: 100.000000  SG: 50000.000000");
    const std::string line1 = profile.GetProfileString(s, "Line 1");
    double ph = 0, gain = 0;
    ASSERT_EQ(std::sscanf(line1.c_str(), "xxPh: %lf  xxA/V: %lf", &ph, &gain), 2) << line1;
    EXPECT_EQ(ph, 0.523599);
    EXPECT_NEAR(gain, 5e8, 10.0);
    EXPECT_NE(line1.find("  xyPh: 0.000000  xyA/V: 0.000000  xVibAng=0.000000"), std::string::npos)
        << line1;
    EXPECT_EQ(profile.GetProfileString(s, "Line 4"),
              "xuM: 150.000000  yuM: 150.000000  xnA: 60.000000  ynA: 60.000000");
    EXPECT_EQ(profile.GetProfileString(s, "Reference"),
              "xInPh=0.004000  xQuad=-0.003000  yInPh=0.002000  yQuad=-0.001000");

    // The document holds the kept reference and the calibration, which is the station's.
    ASSERT_EQ(doc.GetObsCount(), 2u);
    EXPECT_STREQ(doc.GetObsAt(0)->GetRuntimeClass().name, "CWireReference");
    const auto* held = dynamic_cast<const CWireCalibration*>(doc.GetObsAt(1));
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(doc.storedWireCal, 1);
    EXPECT_TRUE(held->SameValues(cal));

    // A point at 45 degrees between the detectors' axes, 150 um from the source.
    ASSERT_EQ(f.ProbeSystem().MoveAbsolute(CDVector4(0, 106.0665, 106.0665, 0), kSpeedModeLinear),
              CMsWcmc::kMoveDone);
    ASSERT_TRUE(commands.WirePoint());
    ASSERT_EQ(commands.LastAdded().size(), 2u);  // the rules, then the point; no calibration
    EXPECT_STREQ(commands.LastAdded()[0]->GetRuntimeClass().name, "CSampRulesWire");
    std::string text;
    commands.LastAdded()[1]->Describe(text, &doc, DetailFlags::kCalculations);
    EXPECT_EQ(text, " (    15.01    15.01 )    21.22   45");
}

TEST_F(WireCalibrationTest, ATurnedProbeGivesBackItsFieldExactly) {
    CMainFrame& f = Bench(kTurnedProbe);
    CWireCalibrationSession& s = Session(f);
    CalibrateBoth(s);
    EXPECT_TRUE(s.changed);
    const CWireCalibration& cal = s.work;
    // Each detector answers the other direction too: all four magnitudes are there.
    EXPECT_GT(cal.yMX, 0.0);
    EXPECT_GT(cal.xMY, 0.0);

    // The gains the plain formulas give for the same samples.
    CWireCalibration plain;
    plain.CopyCalibrationFrom(cal);
    const double k = cal.Resistivity * cal.SystemGain * 100000.0 / 12.5663708;
    const double jX = cal.XnanoAmps * k / (cal.Xmicrons * cal.Xmicrons);
    const double jY = cal.YnanoAmps * k / (cal.Ymicrons * cal.Ymicrons);
    const double r1 = cal.xMY / cal.yMY, r2 = cal.yMX / cal.xMX;
    plain.XXuAperV = jX / (r1 * cal.yMX + cal.xMX);
    plain.YXuAperV = -r1 * plain.XXuAperV;
    plain.YYuAperV = jY / (r2 * cal.xMY + cal.yMY);
    plain.XYuAperV = -r2 * plain.YYuAperV;

    double worstPlain = 0.0;
    for (const CDVector4& at :
         {CDVector4(0, 150, 0, 0), CDVector4(0, 0, 150, 0), CDVector4(0, 80, 60, 0),
          CDVector4(0, -120, 90, 0), CDVector4(40, 100, -70, 0)}) {
        ASSERT_EQ(f.ProbeSystem().MoveAbsolute(at, kSpeedModeLinear), CMsWcmc::kMoveDone);
        const auto j = TrueDensity(f);
        const CDVector4 d = Difference(f, s);
        // The detectors' nominal axes are stage Y and Z.
        const CDVector4 got = cal.ComputeCurrentDensity(d, true);
        // Exact but for the gains' 4 pi of 8 digits.
        EXPECT_NEAR(got.x, j[1], 1e-7 * std::fabs(j[1]) + 1e-12) << at.y << "," << at.z;
        EXPECT_NEAR(got.y, j[2], 1e-7 * std::fabs(j[2]) + 1e-12) << at.y << "," << at.z;
        const CDVector4 wrong = plain.ComputeCurrentDensity(d, true);
        worstPlain = std::fmax(worstPlain,
                               std::hypot(wrong.x - j[1], wrong.y - j[2]) / std::hypot(j[1], j[2]));
    }
    // The plain formulas turn every vector by twice the probe's angle.
    EXPECT_GT(worstPlain, 0.3);
}

TEST_F(WireCalibrationTest, GoRefusesLessThanFiveMicronsAndSampleRefusesWhatCannotCalibrate) {
    CMainFrame& f = Bench();
    CWireCalibrationSession& s = Session(f);
    for (const char* d : {"4.9", "-4.9"}) {
        ASSERT_TRUE(s.SetField(EWireCalField::XDistance, d));
        EXPECT_FALSE(s.Go(EPsd::X));
        EXPECT_EQ(prompt.LastText(), "Distance less than 5 microns is illegal.");
        EXPECT_EQ(prompt.shown.back().caption, "Move to X PSD Sampling Position Error");
    }
    EXPECT_EQ(f.ProbeSystem().Position(), CDVector4());
    ASSERT_TRUE(s.SetField(EWireCalField::XDistance, "5.0"));
    EXPECT_TRUE(s.Go(EPsd::X));
    EXPECT_EQ(f.ProbeSystem().Position(), CDVector4(0, 5, 0, 0));

    // "Get" takes the distance back from where the probe stands.
    ASSERT_EQ(f.ProbeSystem().MoveAbsolute(CDVector4(30, 40, 0, 0), kSpeedModeLinear),
              CMsWcmc::kMoveDone);
    s.Get(EPsd::Y);
    EXPECT_EQ(s.FieldText(EWireCalField::YDistance), "50");

    ASSERT_TRUE(s.SetField(EWireCalField::XCurrent, "0.0005"));
    prompt.shown.clear();
    EXPECT_FALSE(s.SampleXPsd());
    EXPECT_EQ(prompt.LastText(),
              "Must calibrate X PSD (Y direction) with non-zero current source.");
    EXPECT_EQ(prompt.shown.back().caption, "Current Density Probe Calibration Error");
    ASSERT_TRUE(s.SetField(EWireCalField::XCurrent, "60"));
    EXPECT_FALSE(s.SetField(EWireCalField::XCurrent, "60 nA"));
    EXPECT_EQ(prompt.LastText(), "Please enter a number for \"X PSD nA\" (not \"60 nA\").");

    // With the source beside the probe along X, the X PSD (along Y) feels nothing.
    ASSERT_TRUE(s.ReferenceObservation());
    ASSERT_EQ(f.ProbeSystem().MoveAbsolute(CDVector4(150, 0, 0, 0), kSpeedModeLinear),
              CMsWcmc::kMoveDone);
    prompt.shown.clear();
    EXPECT_FALSE(s.SampleXPsd());
    EXPECT_EQ(prompt.LastText(), "Zero reading");
    EXPECT_EQ(prompt.shown.back().caption, "Wire Probe Calibration Error");
    EXPECT_EQ(s.work.xCal, 0);
    EXPECT_TRUE(f.AdBoard().Hands()->SourceCurrent());  // switched on when the user said so
}

TEST_F(WireCalibrationTest, KeepingAndDiscardingFollowTheAnswers) {
    CMainFrame& f = Bench();
    CWireCalibrationSession& s = Session(f);
    ASSERT_TRUE(s.ReferenceObservation());
    ASSERT_TRUE(s.Go(EPsd::X));
    ASSERT_TRUE(s.SampleXPsd());
    // One detector: nothing computed, nothing to ask about.
    EXPECT_FALSE(s.changed);
    EXPECT_EQ(Count("Zero X response"), 0u);
    prompt.shown.clear();
    EXPECT_TRUE(s.Ok());
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_FALSE(s.Keep());

    // A new resistivity is a change worth asking about.
    ASSERT_TRUE(s.SetField(EWireCalField::Resistivity, "100"));
    EXPECT_FALSE(s.changed);  // the same value
    EXPECT_FALSE(s.SetField(EWireCalField::Resistivity, "0"));
    EXPECT_EQ(prompt.LastText(), "The media resistivity must be above 0 ohm-cm.");
    EXPECT_FALSE(s.SetField(EWireCalField::SystemGain, "0.5"));
    EXPECT_EQ(prompt.LastText(), "The system gain must be from 1 to 100000.");
    ASSERT_TRUE(s.SetField(EWireCalField::Resistivity, "120"));
    EXPECT_TRUE(s.changed);
    prompt.answers = {EPromptAnswer::Cancel};
    EXPECT_TRUE(s.Ok());
    EXPECT_FALSE(s.Keep());
    EXPECT_TRUE(s.Ok());
    EXPECT_EQ(prompt.LastText(), "Save these calibration values ?");
    EXPECT_TRUE(s.Keep());

    prompt.answers = {EPromptAnswer::Cancel};
    EXPECT_FALSE(s.Cancel());
    EXPECT_EQ(prompt.LastText(), "Discard these calibration values ?");
    EXPECT_TRUE(s.Cancel());
    EXPECT_FALSE(s.Keep());
}

TEST_F(WireCalibrationTest, AGainThatWouldBeZeroOrEndlessKeepsItsOldValue) {
    // A stored calibration of both detectors from a velm.ini without magnitudes ("Line 3").
    CMainFrame& f = Bench(
        "[Voltage Probe Calibration]\n"
        "Line 0=Zvib: 17472  xCal: 1  yCal: 1  rho: 100.000000  SG: 50000.000000\n"
        "Line 1=xxPh: 0.5  xxA/V: 400000000.0  xyPh: 0.0  xyA/V: 0.0  xVibAng=0.0\n"
        "Line 2=yxPh: 0.0  yxA/V: 0.0  yyPh: 1.0  yyA/V: 300000000.0  yVibAng=1.5\n");
    CWireCalibrationSession& s = Session(f);
    ASSERT_TRUE(s.Go(EPsd::X));
    ASSERT_TRUE(s.SampleXPsd());
    EXPECT_EQ(Count("Zero X response"), 1u);
    EXPECT_EQ(Count("Zero Y response"), 1u);
    EXPECT_EQ(s.work.XXuAperV, 400000000.0);
    EXPECT_EQ(s.work.YYuAperV, 300000000.0);
    EXPECT_FALSE(s.changed);
    // Editing a distance does not recompute gains from magnitudes that are not there.
    prompt.shown.clear();
    ASSERT_TRUE(s.SetField(EWireCalField::XDistance, "200"));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(WireCalibrationTest, ADistanceEditedAfterSamplingRecomputesTheGains) {
    CMainFrame& f = Bench();
    CWireCalibrationSession& s = Session(f);
    CalibrateBoth(s);
    const double before = s.work.XXuAperV;
    ASSERT_TRUE(s.SetField(EWireCalField::XDistance, "300"));
    EXPECT_NEAR(s.work.XXuAperV, before / 4.0, 1e-6);
    EXPECT_TRUE(s.changed);
}

TEST_F(WireCalibrationTest, BothDetectorsOnOneAxisAreRefused) {
    CMainFrame& f = Bench();
    CWireCalibrationSession& s = Session(f);
    s.SetAxis(EPsd::X, kXVibAxisZ);
    EXPECT_EQ(s.AxisLabel(EPsd::X), "Z:");
    s.SetAxis(EPsd::X, 1070);  // no such radio button
    EXPECT_EQ(s.work.xVibAxis, kXVibAxisZ);
    for (int step = 0; step < 3; ++step) {
        prompt.shown.clear();
        const bool done = step == 0 ? s.Go(EPsd::X) : step == 1 ? s.SampleYPsd() : s.FindZPlane();
        EXPECT_FALSE(done);
        EXPECT_EQ(
            prompt.Texts(),
            std::vector<std::string>{"The X PSD and the Y PSD must vibrate along different axes."});
    }
    EXPECT_EQ(f.ProbeSystem().Position(), CDVector4());
    s.SetAxis(EPsd::X, kXVibAxisX);
    s.SetAxis(EPsd::Y, kYVibAxisY);
    EXPECT_EQ(s.work.AxisCode(), 17215);
    EXPECT_EQ(s.work.ZVibration(), 0);
}

TEST_F(WireCalibrationTest, FindZPlaneStopsAtEachNoAndTheApproachKeepsTheHeight) {
    CMainFrame& f = Bench();
    CMsWcmc& probe = f.ProbeSystem();
    probe.zMinimumOn = 1;
    probe.zMinimum = -50.0;
    ASSERT_EQ(probe.MoveAbsolute(CDVector4(0, 0, 100, 7), kSpeedModeLinear), CMsWcmc::kMoveDone);
    CWireCalibrationSession& s = Session(f);
    // A source position from an earlier Locate, 400 um below: a Go would dive there.
    s.work.srcpos = CDVector4(0, 0, -400, 0);
    CZPlaneView view;
    s.SetView(&view);

    prompt.answers = {EPromptAnswer::No};
    EXPECT_FALSE(s.FindZPlane());
    EXPECT_EQ(prompt.LastText(),
              "Reset the Z (100.0) and W (7.0) coordinates to zero?\n(No will cancel Find Z "
              "Plane operation)");
    EXPECT_EQ(probe.Position(), CDVector4(0, 0, 100, 7));

    prompt.answers = {EPromptAnswer::Yes, EPromptAnswer::Cancel};
    EXPECT_FALSE(s.FindZPlane());
    EXPECT_EQ(prompt.LastText(),
              "Move probe to 150.0 microns from source along Y axis\nto find source Z plane?");
    // Declared, not moved; the floor stays 150 um below the probe, where the user set it.
    EXPECT_EQ(probe.Position(), CDVector4(0, 0, 0, 0));
    EXPECT_EQ(PhysicalPosition(probe), CDVector4(0, 0, 100, 7));
    EXPECT_EQ(probe.zMinimum, -150.0);
    EXPECT_EQ(profile.GetProfileString(kProbeMotionSection, "Line 8"),
              "ZMinimum: -150.000000  on=1");

    prompt.answers = {EPromptAnswer::Yes, EPromptAnswer::Ok, EPromptAnswer::Cancel};
    EXPECT_FALSE(s.FindZPlane());
    EXPECT_EQ(prompt.LastText(), "Turn vibration on and current off to take reference");
    // The approach went 150 um along Y and not down.
    EXPECT_EQ(probe.Position(), CDVector4(0, 150, 0, 0));
    EXPECT_EQ(PhysicalPosition(probe), CDVector4(0, 150, 100, 7));
    EXPECT_EQ(view.shown, 0);

    // All the way: the user lowers the probe 100 um to the strongest response and says OK.
    view.search = [&] {
        EXPECT_TRUE(s.Watching());
        EXPECT_EQ(jogs.back(), "probe+mouse");
        EXPECT_TRUE(f.AdBoard().Hands()->SourceCurrent());
        double best = 0.0, bestZ = 0.0;
        for (int z = 0; z <= 140; z += 10) {
            probe.MoveAbsolute(CDVector4(0, 150, -z, 0), kSpeedModeLinear);
            s.WatchTick();
            const double m = std::hypot(s.lastWatch.x, s.lastWatch.y);
            if (m > best) best = m, bestZ = -z;
        }
        probe.MoveAbsolute(CDVector4(0, 150, bestZ, 0), kSpeedModeLinear);
        return true;
    };
    EXPECT_TRUE(s.FindZPlane());
    EXPECT_EQ(view.shown, 1);
    EXPECT_FALSE(s.Watching());  // as before
    EXPECT_EQ(jogs.back(), "end");
    EXPECT_EQ(s.work.srcpos, CDVector4(0, 0, 0, 0));
    EXPECT_EQ(probe.Position(), CDVector4(0, 150, 0, 0));
    EXPECT_EQ(PhysicalPosition(probe), CDVector4(0, 150, 0, 7));  // level with the source
    EXPECT_EQ(probe.zMinimum, -50.0);  // 150 um below the source plane, as set
    // The plane found, Go Y now reaches the source's own height plus 150.
    ASSERT_TRUE(s.Go(EPsd::Y));
    EXPECT_EQ(PhysicalPosition(probe), CDVector4(0, 0, 150, 7));

    // Cancel in the dialog: nothing is re-declared.
    view.search = [] { return false; };
    s.work.srcpos = CDVector4(1, 2, 3, 4);
    EXPECT_FALSE(s.FindZPlane());
    EXPECT_EQ(s.work.srcpos.z, 3.0);
}

TEST_F(WireCalibrationTest, FindZPlaneAsksWhatFitsTheDetectorsAxes) {
    CMainFrame& f = Bench();
    CWireCalibrationSession& s = Session(f);
    // X PSD along Z: the Y PSD, along X here, approaches the source.
    s.SetAxis(EPsd::X, kXVibAxisZ);
    s.SetAxis(EPsd::Y, kYVibAxisX);
    EXPECT_EQ(s.work.AxisCode(), 16961);
    EXPECT_EQ(s.work.ZVibration(), kXVibAxisZ);
    prompt.answers = {EPromptAnswer::Yes, EPromptAnswer::Cancel};
    EXPECT_FALSE(s.FindZPlane());
    EXPECT_EQ(prompt.LastText(),
              "Move probe to 150.0 microns from source along X axis\nto find source Z plane?");
    // Neither along Z: only whether the user has aligned them.
    s.SetAxis(EPsd::X, kXVibAxisY);
    prompt.answers = {EPromptAnswer::No};
    EXPECT_FALSE(s.FindZPlane());
    EXPECT_EQ(prompt.LastText(), "Are source and probe aligned for finding Z plane?");
    EXPECT_EQ(f.ProbeSystem().Position(), CDVector4());

    // The old code 1062 stands for X PSD along Z and Y PSD along Y.
    CWireCalibration old;
    old.SetAxisCode(1062);
    CWireCalibrationSession fromOld(f.Devices(), f.Station(), old);
    EXPECT_EQ(fromOld.AxisLabel(EPsd::X), "Z:");
    EXPECT_EQ(fromOld.AxisLabel(EPsd::Y), "Y:");
    prompt.answers = {EPromptAnswer::Yes, EPromptAnswer::Cancel};
    EXPECT_FALSE(fromOld.FindZPlane());
    EXPECT_EQ(prompt.LastText(),
              "Move probe to 150.0 microns from source along Y axis\nto find source Z plane?");
}

TEST_F(WireCalibrationTest, AFailedReadChangesNothingAndIsToldOnce) {
    CMainFrame& f = Bench();
    CObsDoc doc;
    f.Station().wireReference.reading = CDVector4(1, 2, 3, 4);
    CWireCalibrationSession& s = Session(f);
    s.work.document = &doc;
    // Lock-ins on channels 6 to 9: no board has channel 8.
    s.work.rules.FirstChan = 6;
    EXPECT_FALSE(s.ReferenceObservation());
    EXPECT_EQ(prompt.LastText().rfind("Reading A/D channels 6 to 9 failed", 0), 0u)
        << prompt.LastText();
    EXPECT_EQ(s.reference, CDVector4(1, 2, 3, 4));
    EXPECT_EQ(f.Station().wireReference.reading, CDVector4(1, 2, 3, 4));
    EXPECT_EQ(profile.GetProfileString(kWireCalibrationSection, "Reference"), "");
    EXPECT_EQ(doc.GetObsCount(), 0u);

    ASSERT_TRUE(s.Go(EPsd::X));
    EXPECT_FALSE(s.SampleXPsd());
    EXPECT_EQ(s.work.xCal, 0);

    // The watch pauses at its first failure, with one message for any number of ticks.
    prompt.shown.clear();
    s.StartWatch();
    for (int i = 0; i < 3; ++i)
        s.WatchTick();
    EXPECT_FALSE(s.Watching());
    EXPECT_EQ(prompt.shown.size(), 1u);
    s.StartWatch();
    s.WatchTick();
    EXPECT_EQ(prompt.shown.size(), 1u);  // the same cause again
    s.ToggleWatch();                     // stopped by the failure: asked for anew
    s.WatchTick();
    EXPECT_EQ(prompt.shown.size(), 2u);
}

TEST_F(WireCalibrationTest, TheWatchShowsTheTipAndWaitsForABusyStation) {
    CMainFrame& f = Bench();
    CWireCalibrationSession& s = Session(f);
    EXPECT_FALSE(s.SetField(EWireCalField::WatchInterval, "0.05"));
    EXPECT_EQ(prompt.LastText(), "The watch interval must be from 0.1 to 3600 seconds.");
    ASSERT_TRUE(s.SetField(EWireCalField::WatchInterval, "0.1"));
    EXPECT_EQ(s.WatchPeriodMs(), 100);
    ASSERT_TRUE(s.ReferenceObservation());
    f.AdBoard().Hands()->SetSourceCurrent(true);
    ASSERT_EQ(f.ProbeSystem().MoveAbsolute(CDVector4(0, 150, 0, 0), kSpeedModeLinear),
              CMsWcmc::kMoveDone);

    s.StartWatch();
    const uint64_t before = clock.Ticks();
    {
        CStationBusy::CScope anotherAcquisition;
        s.WatchTick();
        EXPECT_EQ(clock.Ticks(), before);  // nothing read
    }
    s.WatchTick();
    EXPECT_EQ(clock.Ticks(), before + 50);  // half the interval
    // 4.24 uV across the X PSD's span, seen at 30 degrees.
    const double tip = 60.0 * 1e5 / (4 * M_PI * 150.0 * 150.0) * 100.0 * 20e-4;
    EXPECT_NEAR(s.MicrovoltsAtTip(s.lastWatch.x), tip * 0.5, 1e-9);
    EXPECT_NEAR(s.MicrovoltsAtTip(s.lastWatch.y), tip * std::sqrt(0.75), 1e-9);
    EXPECT_EQ(s.lastWatch.z, 0.0);
}

TEST_F(WireCalibrationTest, SamplingRulesReachTheStationAtOnce) {
    CMainFrame& f = Bench();
    CWireCalibrationSession& s = Session(f);
    techDialogs.wireRules = [](CWireRulesLogic& logic) {
        logic.averageFor = "0.25";
        logic.referenceAverageFor = "2";
        return true;
    };
    ASSERT_TRUE(s.SamplingRules());
    EXPECT_EQ(s.work.rules.SamplePeriod, 0.25);
    for (const char* key : {"Calibration ", "Point ", "Scan "})
        EXPECT_EQ(profile.GetProfileString(kWireRulesSection, key),
                  "pre=0.020000  samp=0.250000  ref=2.000000  fchan=0")
            << key;
    EXPECT_EQ(f.Station().wireRules->SamplePeriod, 0.25);
    EXPECT_TRUE(s.Cancel());  // the station keeps the rules velm.ini holds
    EXPECT_EQ(f.Station().wireRules->RefPeriod, 2.0);
}

TEST_F(WireCalibrationTest, F7AsksForTheOpticalSystemAndACancelOpensNothing) {
    CMainFrame& f = Bench("[Optical Systems]\nActive system=20x water\n");
    CObsDoc doc;
    CObsDocCommands commands(doc, f);
    prompt.answers = {EPromptAnswer::Cancel};
    EXPECT_FALSE(commands.Calibrate());
    EXPECT_EQ(prompt.LastText(), "Calibrate with '20x water' optical system?");
    EXPECT_EQ(calDialogs.shown, 0);
    // The dialog closed without keeping: the document and the settings stay as they were.
    EXPECT_FALSE(commands.Calibrate());
    EXPECT_EQ(calDialogs.shown, 1);
    EXPECT_EQ(doc.GetObsCount(), 0u);
    EXPECT_EQ(doc.storedWireCal, 0);
    EXPECT_EQ(profile.GetProfileString(kWireCalibrationSection, "Line 0"), "");
}
