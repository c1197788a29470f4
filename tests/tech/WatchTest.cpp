// The watch windows' logic on the simulated station under CSimClock: the interval rules with
// their messages, autoscale and the vector display, the rolling traces, recording and Record
// One into the document (rules and calibration first), the reference question, ticks skipped
// while the station is busy, a failing board pausing after one message, the settings lines,
// raw A/D values and traces, and a gradient probe's rotation steps making new rules.

#include <gtest/gtest.h>

#include <cmath>

#include "app/ObsDocCommands.h"
#include "hw/MsWcmc.h"
#include "obs/IonCalibration.h"
#include "obs/IonObs.h"
#include "obs/ObsDoc.h"
#include "obs/RawADObs.h"
#include "obs/SampRulesIon.h"
#include "obs/SampRulesRawAD.h"
#include "obs/SampRulesWire.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "platform/Format.h"
#include "platform/StationBusy.h"
#include "tech/IonTestEnv.h"
#include "tech/StationTestEnv.h"
#include "tech/watch/IonWatch.h"
#include "tech/watch/RawADWatch.h"
#include "tech/watch/WatchFor.h"
#include "tech/watch/WireWatch.h"

namespace {

class WatchTest : public CStationTest {
  protected:
    // A CDP station with the bench calibration and the default rules (t = 0.52 s), and
    // `watchLine` as the window's "Watch" line when given.
    CWireWatch& OpenCdp(const std::string& watchLine = "") {
        std::string more = kBenchCalibration;
        if (!watchLine.empty()) more += "Watch=" + watchLine + "\n";
        Station("Sine Wave (0.1 Hz)", more);
        frame->Station().SetMeasurementType(kTechniqueCdp);
        watch = MakeWatchFor(frame->Station());
        auto* cdp = dynamic_cast<CWireWatch*>(watch.get());
        EXPECT_NE(cdp, nullptr);
        return *cdp;
    }
    // Records into `doc` with the document commands' setup, as the desktop program binds it.
    void Bind(CWatch& w) {
        commands = std::make_unique<CObsDocCommands>(doc, *frame);
        w.document.document = &doc;
        w.document.ensureSetup = [this] { return commands->EnsureWireSetup(); };
        w.document.save = [this] {
            doc.SetModifiedFlag(false);
            ++saves;
            return true;
        };
    }
    template <class T>
    size_t Count() const {
        size_t n = 0;
        for (const auto& o : doc.Observations())
            n += dynamic_cast<const T*>(o.get()) != nullptr;
        return n;
    }

    std::unique_ptr<CWatch> watch;
    CObsDoc doc;
    std::unique_ptr<CObsDocCommands> commands;
    int saves = 0;
};

TEST_F(WatchTest, OpeningRaisesAShortIntervalWithTheMessageAndAcceptsALongerOne) {
    CWireWatch& w = OpenCdp("interval=0.55");
    EXPECT_DOUBLE_EQ(w.SamplingTime(), 0.52);
    w.Open();
    EXPECT_EQ(prompt.Texts().at(0),
              "Watch interval (0.55)\nmust be 10% longer than sampling period (0.52).\n"
              "Extending watch interval to 0.58 sec.");
    EXPECT_DOUBLE_EQ(w.Interval(), 1.11 * 0.52);
    EXPECT_EQ(w.TimerMilliseconds(), 577);
    EXPECT_EQ(w.IntervalText(), "0.58 seconds");
    EXPECT_EQ(w.TickCount(), 1u);  // the first tick at once
    w.Close();

    prompt.shown.clear();
    CWireWatch& again = OpenCdp("interval=0.6");
    again.Open();
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(again.TimerMilliseconds(), 600);
}

TEST_F(WatchTest, AnIntervalThatCannotBeTimedBecomesTheMinimumAndADayIsTheMost) {
    for (const char* line : {"interval=0", "interval=-3", "interval=nan", "interval=0.01"}) {
        CWireWatch& w = OpenCdp(line);
        w.Open();
        EXPECT_DOUBLE_EQ(w.Interval(), 1.11 * 0.52) << line;
        w.Close();
    }
    CWireWatch& w = OpenCdp("interval=1e12");
    w.Open();
    EXPECT_EQ(w.TimerMilliseconds(), 86400000);
    // Raw rules that take no time at all still leave 0.1 s between ticks.
    EXPECT_DOUBLE_EQ(UsableWatchInterval(0.0, 0.0), 0.1);
}

TEST_F(WatchTest, ApplyingAnIntervalFollowsTheRunningAndThePausedRules) {
    CWireWatch& w = OpenCdp("interval=1");
    w.Open();
    prompt.shown.clear();
    w.ApplyInterval(0.3);
    EXPECT_EQ(prompt.LastText(),
              "Sample interval must be at least 10% longer than averaging time.");
    EXPECT_DOUBLE_EQ(w.Interval(), 1.11 * 0.52);

    w.Pause();
    EXPECT_EQ(w.PauseButtonText(), "Resume");
    prompt.shown.clear();
    w.ApplyInterval(0.5);  // below t: raised without a word
    EXPECT_DOUBLE_EQ(w.Interval(), 1.11 * 0.52);
    w.ApplyInterval(0.53);  // above t though below 1.1 t: kept while paused
    EXPECT_DOUBLE_EQ(w.Interval(), 0.53);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(WatchTest, TheIntervalDialogOffersTwiceTheMinimumAndRefusesLessThanIt) {
    CWireWatch& w = OpenCdp("interval=0.6");
    w.Open();
    w.ApplyInterval(0.6);
    CWatchIntervalLogic seen(0, 0);
    const unsigned ticksBefore = w.TickCount();
    w.ChangeInterval([&](CWatchIntervalLogic& logic) {
        EXPECT_TRUE(w.IsPaused());  // the watch waits while the dialog is open
        EXPECT_DOUBLE_EQ(logic.minimum, 0.5772);
        EXPECT_EQ(logic.NewMinimumText(), "0.58 seconds");
        EXPECT_EQ(logic.PreviousText(), "0.60 seconds");
        EXPECT_EQ(logic.edit, "1.15");  // 2 m = 1.1544
        EXPECT_EQ(logic.SpecifyText(), "Specify a samping interval longer than 0.58 seconds:");
        EXPECT_TRUE(logic.CanUsePrevious());
        EXPECT_FALSE(logic.Ok("0.5"));
        EXPECT_EQ(prompt.shown.back().text,
                  "Specified interval of 0.50 seconds\nis below minimum allowable interval of "
                  "0.58 seconds.");
        EXPECT_EQ(prompt.shown.back().caption, "Sampling Interval Error");
        EXPECT_EQ(logic.edit, "0.58");
        EXPECT_TRUE(logic.Ok("2.5"));
        return true;
    });
    EXPECT_DOUBLE_EQ(w.Interval(), 2.5);
    EXPECT_FALSE(w.IsPaused());
    EXPECT_EQ(w.TickCount(), ticksBefore + 1);  // resumed with a tick

    CWatchIntervalLogic shortPrevious(0.52, 0.55);
    EXPECT_FALSE(shortPrevious.CanUsePrevious());
    shortPrevious.UseNew();
    EXPECT_DOUBLE_EQ(shortPrevious.result, 0.5772);
}

TEST(WatchScaleTest, AutoscaleRescalesOnlyForLargerOrMuchSmallerValuesAndNeverToZero) {
    CAutoRange r(10.0);
    EXPECT_TRUE(r.Update(0.5));
    EXPECT_DOUBLE_EQ(r.Range(), 0.55);
    EXPECT_EQ(r.LimitText(), "0.55");
    r.Set(10.0);
    EXPECT_FALSE(r.Update(2.0));
    EXPECT_DOUBLE_EQ(r.Range(), 10.0);
    EXPECT_TRUE(r.Update(12.0));
    EXPECT_EQ(r.LimitText(), "13.2");
    EXPECT_FALSE(r.Update(0.0));
    EXPECT_FALSE(r.Update(NAN));
    EXPECT_DOUBLE_EQ(r.Range(), 13.2);

    // The CDP vector display: radius 100 px, scale 10 uA/sq.cm.
    double scale = 10.0;
    SVectorPixels v = VectorPixels(25.0, 0.0, 25.0, 100.0, true, scale);
    EXPECT_DOUBLE_EQ(scale, 27.5);
    EXPECT_NEAR(v.length, 90.909, 1e-3);
    scale = 10.0;
    VectorPixels(0.5, 0.0, 0.5, 100.0, true, scale);
    EXPECT_DOUBLE_EQ(scale, 0.55);
    VectorPixels(0.0, 0.0, 0.0, 100.0, true, scale);  // a dead probe keeps the scale
    EXPECT_DOUBLE_EQ(scale, 0.55);
    scale = 0.0;  // "scale=0.000000" from velm.ini
    v = VectorPixels(0.0, 0.0, 0.0, 100.0, true, scale);
    EXPECT_DOUBLE_EQ(scale, 10.0);
    EXPECT_TRUE(std::isfinite(v.dx));
    // Without autoscale a vector beyond the radius is clamped and marked.
    scale = 10.0;
    v = VectorPixels(30.0, -5.0, 30.4, 100.0, false, scale);
    EXPECT_DOUBLE_EQ(v.dx, 100.0);
    EXPECT_DOUBLE_EQ(v.dy, -50.0);
    EXPECT_TRUE(v.overflow);
}

TEST(WatchTraceTest, TracesRollWithTheSpanStayBoundedAndDecimateToColumns) {
    CPlotTrace t;
    for (int i = 0; i <= 600; ++i)
        ASSERT_TRUE(t.Add({double(i % 7) - 3.0, 0.0, 1000.0 + i}, 300));
    EXPECT_EQ(t.Size(), 301u);  // 1300 back to 1600
    EXPECT_DOUBLE_EQ(t.Points().front().time, 1300.0);
    EXPECT_DOUBLE_EQ(t.MaxMagnitude(0), 3.0);

    CPlotTrace big;
    for (size_t i = 0; i < CPlotTrace::kMaxPoints + 10; ++i)
        big.Add({0.0, 0.0, static_cast<double>(i) * 0.001}, SWatchSpan::kMaxSeconds);
    EXPECT_EQ(big.Size(), CPlotTrace::kMaxPoints);

    const auto cols = DecimateTrace(t, 0, 1300.0, 1600.0, 10);
    ASSERT_EQ(cols.size(), 10u);
    for (const auto& c : cols) {
        EXPECT_TRUE(c.used);
        EXPECT_DOUBLE_EQ(c.minimum, -3.0);
        EXPECT_DOUBLE_EQ(c.maximum, 3.0);
    }
    EXPECT_TRUE(DecimateTrace(t, 0, 5.0, 5.0, 10).empty());  // no width, no division

    SWatchSpan zero;
    zero.minute = 0;
    EXPECT_DOUBLE_EQ(zero.Seconds(), 1.0);
    SWatchSpan year;
    year.day = 365;
    EXPECT_DOUBLE_EQ(year.Seconds(), 31.0 * 86400.0);
}

TEST_F(WatchTest, ATickShowsTheLockInValuesAndTheCurrentDensityAndPlotsIt) {
    CWireWatch& w = OpenCdp("interval=1");
    w.Plot().on = true;
    w.Open();
    ASSERT_TRUE(w.HasValues());
    const auto sample = w.SampleTexts();
    const auto current = w.CurrentTexts();
    for (const auto& s : sample)
        EXPECT_FALSE(s.empty());
    EXPECT_EQ(current[0], StrPrintf("%.3lg", w.Current().x));
    EXPECT_EQ(current[3], StrPrintf("%.3lg", w.Current().w));
    ASSERT_EQ(w.Plot().traces.size(), 1u);
    EXPECT_EQ(w.Plot().traces[0].Size(), 1u);
    EXPECT_DOUBLE_EQ(w.Plot().traces[0].Points()[0].first, w.Current().x);
    EXPECT_DOUBLE_EQ(w.Plot().traces[0].Points()[0].second, w.Current().y);
    EXPECT_EQ(w.Plot().series.at(1).name, "Y Cur");
    EXPECT_TRUE(doc.Observations().empty());  // nothing kept unless recording
    const double m = std::max(std::fabs(w.Current().x), std::fabs(w.Current().y));
    EXPECT_DOUBLE_EQ(w.Plot().range.Range(), m > 10.0 || 10 * m < 10.0 ? 1.1 * m : 10.0);
}

TEST_F(WatchTest, RecordOneKeepsTheNextTickAfterTheRulesAndCalibration) {
    CWireWatch& w = OpenCdp("interval=1");
    Bind(w);
    w.Open();
    EXPECT_TRUE(w.CanRecordOne());
    w.RecordOne();
    EXPECT_TRUE(w.Tick());
    EXPECT_EQ(Count<CWireObs>(), 1u);
    ASSERT_EQ(doc.GetObsCount(), 3u);
    EXPECT_NE(dynamic_cast<CSampRulesWire*>(doc.GetObsAt(0)), nullptr);
    EXPECT_NE(dynamic_cast<CWireCalibration*>(doc.GetObsAt(1)), nullptr);
    EXPECT_TRUE(w.Tick());
    EXPECT_EQ(Count<CWireObs>(), 1u);  // once only

    // Recording: every tick, and Record One is disabled meanwhile.
    doc.SetModifiedFlag(false);
    ASSERT_TRUE(w.SetRecording(true));
    EXPECT_EQ(w.RecordButtonText(), "Record Off");
    EXPECT_FALSE(w.CanRecordOne());
    w.Tick();
    w.Tick();
    EXPECT_EQ(Count<CWireObs>(), 3u);
    EXPECT_EQ(Count<CSampRulesWire>(), 1u);
    w.Close();  // closing ends recording
    EXPECT_FALSE(w.IsRecording());
}

TEST_F(WatchTest, RecordingOffersToSaveAModifiedDocumentAndStaysOffWhenRefused) {
    CWireWatch& w = OpenCdp("interval=1");
    Bind(w);
    w.Open();
    doc.AddLogEntry("before");
    ASSERT_TRUE(doc.IsModified());
    prompt.answers.push_back(EPromptAnswer::No);
    EXPECT_FALSE(w.SetRecording(true));
    EXPECT_FALSE(w.IsRecording());
    EXPECT_EQ(saves, 0);
    prompt.answers.push_back(EPromptAnswer::Yes);
    EXPECT_TRUE(w.SetRecording(true));
    EXPECT_EQ(saves, 1);
    EXPECT_TRUE(w.IsRecording());
}

TEST_F(WatchTest, AReferenceIsKeptOnOkAndTheOldOneRestoredOnCancel) {
    CWireWatch& w = OpenCdp("interval=1");
    Bind(w);
    frame->Station().wireReference.reading = CDVector4(0.1, 0.2, 0.3, 0.4);
    w.Open();
    prompt.answers.push_back(EPromptAnswer::Cancel);
    EXPECT_FALSE(w.Reference());
    EXPECT_EQ(prompt.LastText(), "Save this reference sample?");
    EXPECT_EQ(frame->Station().wireReference.reading, CDVector4(0.1, 0.2, 0.3, 0.4));
    EXPECT_EQ(Count<CWireReference>(), 0u);
    EXPECT_FALSE(w.IsPaused());  // resumed

    prompt.answers.push_back(EPromptAnswer::Ok);
    EXPECT_TRUE(w.Reference());
    const CDVector4 kept = frame->Station().wireReference.reading;
    EXPECT_NE(kept, CDVector4(0.1, 0.2, 0.3, 0.4));
    EXPECT_EQ(Count<CWireReference>(), 1u);
    EXPECT_EQ(Count<CSampRulesWire>(), 1u);  // rules and calibration before the reference
    EXPECT_EQ(w.ReferenceTexts()[0], StrPrintf("%.4lf", kept.x));
    EXPECT_NE(profile.GetProfileString(kWireCalibrationSection, "Reference"), "");
}

TEST_F(WatchTest, TicksWaitWhileTheStationIsBusyAndAFailingBoardPausesAfterOneMessage) {
    CWireWatch& w = OpenCdp("interval=1");
    w.Open();
    const uint64_t before = clock.Ticks();
    {
        CStationBusy::CScope busy;  // another acquisition, a scan step, an open box
        EXPECT_FALSE(w.Tick());
    }
    EXPECT_EQ(clock.Ticks(), before);
    EXPECT_FALSE(w.IsPaused());
    EXPECT_TRUE(w.Tick());

    Station("No A/D Board", kBenchCalibration);
    frame->Station().SetMeasurementType(kTechniqueCdp);
    watch = MakeWatchFor(frame->Station());
    prompt.shown.clear();
    watch->Open();
    EXPECT_TRUE(watch->IsPaused());
    EXPECT_EQ(prompt.shown.size(), 1u);
    EXPECT_FALSE(watch->Tick());  // paused: no second box
    EXPECT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(watch->PauseButtonText(), "Resume");
}

TEST_F(WatchTest, SettingsLinesGetTheDefaultsOnCloseAndAreReadBack) {
    CWireWatch& w = OpenCdp("interval=0.55");
    w.Open();
    w.Close();
    EXPECT_EQ(profile.GetProfileString(kWireCalibrationSection, "Watch"),
              "interval=0.577200  lockin=1  vector=1  picture=0  autoscale=1  scale=10.000000  "
              "dispfunc=1480");
    EXPECT_EQ(profile.GetProfileString(kWireCalibrationSection, "Watch 1"),
              "timeplot=0  autoscale=1  vectorMin=-10.000000  vectorMax=10.000000  seconds=300");
    EXPECT_EQ(profile.GetProfileString(kWireCalibrationSection, "Watch 2"),
              "Span: day=0  hour=0  minute=5  second=0");

    profile.WriteProfileString(kWireCalibrationSection, "Watch 2",
                               "Span: day=0  hour=1  minute=0  second=30");
    profile.WriteProfileString(kWireCalibrationSection, "Watch",
                               "interval=2.000000  lockin=0  vector=1  picture=1  autoscale=0  "
                               "scale=0.000000  dispfunc=1482");
    watch = MakeWatchFor(frame->Station());
    auto& again = static_cast<CWireWatch&>(*watch);
    again.Open();
    EXPECT_DOUBLE_EQ(again.Interval(), 2.0);
    EXPECT_EQ(again.lockin, 0);
    EXPECT_EQ(again.dispfunc, kVectorStyleEllipse);
    EXPECT_DOUBLE_EQ(again.scale, 10.0);  // a zero scale would divide by zero
    EXPECT_DOUBLE_EQ(again.Plot().span.Seconds(), 3630.0);
}

TEST_F(WatchTest, AManualPlotRangeMustRunUpwards) {
    CWireWatch& w = OpenCdp("interval=1");
    w.Open();
    EXPECT_FALSE(w.SetPlotRange(2.0, 2.0));
    EXPECT_EQ(prompt.LastText(), "Illegal vctor scale range: 2.00 to 2.00.");
    EXPECT_FALSE(w.SetPlotRange(3.0, -3.0));
    EXPECT_FALSE(w.IsPaused());  // paused for the message only
    EXPECT_TRUE(w.SetPlotRange(-1.0, 4.0));
    EXPECT_DOUBLE_EQ(w.Plot().Low(), -1.0);
    EXPECT_DOUBLE_EQ(w.Plot().High(), 4.0);
}

TEST_F(WatchTest, MissingRulesOrCalibrationRefuseTheWatch) {
    Station();
    frame->Station().SetMeasurementType(kTechniqueCdp);
    EXPECT_EQ(MakeWatchFor(frame->Station()), nullptr);
    EXPECT_EQ(prompt.LastText(), "Define CDP sampling rules and calibration first.");
    frame->Station().SetMeasurementType(kTechniqueGradient);
    EXPECT_EQ(MakeWatchFor(frame->Station()), nullptr);
    EXPECT_EQ(prompt.LastText(), "Define ISP/PVP Probe sampling rules and calibration first.");
}

// ---- Raw A/D -----------------------------------------------------------------------------------

TEST_F(WatchTest, RawValuesShowEachChannelAndPlotATracePerChannel) {
    Station("Sine Wave (0.1 Hz)",
            "[Raw A/D Sample Rules]\nPoint =chan: 4 to 5, pre=0.020000  avg=1  inter=1  "
            "avgperiod=0.200000  burstnum=100  burstfreq=100.000000\n");
    frame->Station().SetMeasurementType(kTechniqueRawAD);
    watch = MakeWatchFor(frame->Station());
    auto& w = static_cast<CRawADWatch&>(*watch);
    EXPECT_DOUBLE_EQ(w.SamplingTime(), 0.22);
    w.Open();
    ASSERT_EQ(w.Values().size(), 2u);
    EXPECT_EQ(w.ValuesText(),
              StrPrintf("Ch4: %.3lf   Ch5: %.3lf     Volts", w.Values()[0], w.Values()[1]));
    ASSERT_EQ(w.Plot().series.size(), 2u);
    EXPECT_EQ(w.Plot().series[1].name, "Ch5");
    EXPECT_EQ(w.Plot().traces.at(1).Size(), 1u);
    EXPECT_EQ(w.SplitButtonText(), "Split");
    w.SetSplit(true);
    EXPECT_EQ(w.SplitButtonText(), "Join");
    w.Close();
    EXPECT_EQ(profile.GetProfileString(kRawADRulesSection, "Watch 0"),
              "timeplot=1  autoscale=1  yMin=-10.000000  yMax=10.000000  seconds=300");
    EXPECT_EQ(profile.GetProfileString(kRawADRulesSection, "Watch 1"),
              "Interval=1.000000  Span: day=0  hour=0  minute=5  second=0");
}

TEST_F(WatchTest, ABurstShowsEachChannelsMeanAndIsRecordedOneObservationPerChannel) {
    Station("Sine Wave (0.1 Hz)",
            "[Raw A/D Sample Rules]\nPoint =chan: 4 to 6, pre=0.020000  avg=0  inter=1  "
            "avgperiod=0.200000  burstnum=100  burstfreq=100.000000\n");
    frame->Station().SetMeasurementType(kTechniqueRawAD);
    watch = MakeWatchFor(frame->Station());
    commands = std::make_unique<CObsDocCommands>(doc, *frame);
    watch->document.document = &doc;
    watch->document.ensureSetup = [this] { return commands->EnsureRawADSetup(); };
    watch->Open();
    EXPECT_GE(watch->Interval(), 1.1 * watch->SamplingTime());
    EXPECT_GE(watch->SamplingTime(), 3.0);
    watch->RecordOne();
    ASSERT_TRUE(watch->Tick());
    EXPECT_EQ(Count<CRawADObs>(), 3u);
    EXPECT_EQ(Count<CSampRulesRawAD>(), 1u);
    EXPECT_EQ(static_cast<CRawADWatch&>(*watch).Values().size(), 3u);

    CRawADObs burst;
    burst.rules.FirstChan = 0;
    burst.rules.LastChan = 1;
    burst.rules.average = 0;
    burst.rules.BurstNum = 2;
    burst.rules.interleave = 1;
    burst.values = {1.0, 10.0, 3.0, 30.0};
    EXPECT_EQ(RawADChannelMeans(burst), (std::vector<double>{2.0, 20.0}));
    burst.rules.interleave = 0;
    EXPECT_EQ(RawADChannelMeans(burst), (std::vector<double>{5.5, 16.5}));
}

// ---- Gradient probes
// ------------------------------------------------------------------------------

class IonWatchTest : public CIonStationTest {};

TEST_F(IonWatchTest, ATickShowsPointsAndTheGradientAndARotationStepMakesNewRules) {
    CMainFrame& f = Start();
    std::unique_ptr<CWatch> watch = MakeWatchFor(f.Station());
    ASSERT_NE(watch, nullptr);
    auto& w = static_cast<CIonWatch&>(*watch);
    CObsDoc doc;
    w.document.document = &doc;
    w.Plot().on = true;
    w.Open();
    ASSERT_EQ(w.TickCount(), 1u);
    EXPECT_EQ(w.ReferenceLabel(), "Reference (mV):");
    EXPECT_EQ(w.SampleLabel(), "Sample (mV):");
    EXPECT_EQ(w.DifferenceLabel(), "Show uV:");
    EXPECT_EQ(w.Differences().size(), 1u);
    EXPECT_NE(w.SampleText().find(", "), std::string::npos);  // two points
    EXPECT_EQ(w.Plot().series.at(0).name, "Gradient1");
    w.SetUnits(EIonWatchUnits::Percent);
    EXPECT_EQ(w.ReferenceLabel(), "Reference (%):");
    EXPECT_EQ(w.DifferenceLabel(), "Show d%:");
    w.SetUseCalibration(true);
    EXPECT_EQ(w.SampleLabel(), "Sample (mM):");
    EXPECT_EQ(w.DifferenceLabel(), "Show dConc:");

    EXPECT_TRUE(w.StepRotation(+1));
    EXPECT_DOUBLE_EQ(f.Station().Ion().Rules("K")->rot, 10.0);
    EXPECT_EQ(w.RotationText(), "10");
    ASSERT_EQ(doc.GetObsCount(), 1u);
    auto* rules = dynamic_cast<CSampRulesIon*>(doc.GetObsAt(0));
    ASSERT_NE(rules, nullptr);
    EXPECT_DOUBLE_EQ(rules->rot, 10.0);
    EXPECT_EQ(rules->points.size(), 2u);
    EXPECT_EQ(profile.GetProfileString("K ISP/PVP Probe", "Sampling Rules 0").rfind("rot=10.0", 0),
              0u);
    // Round the circle: 180 + 10 is -170.
    EXPECT_TRUE(w.SetRotation(180.0));
    EXPECT_TRUE(w.StepRotation(+1));
    EXPECT_DOUBLE_EQ(w.Rotation(), -170.0);
    EXPECT_TRUE(w.SetTilt(85.0));
    EXPECT_TRUE(w.StepTilt(+1));
    EXPECT_DOUBLE_EQ(w.Tilt(), 90.0);
    EXPECT_EQ(doc.GetObsCount(), 5u);
}

TEST_F(IonWatchTest, BathOffsetMoveAndPUnits) {
    CMainFrame& f = Start();
    std::unique_ptr<CWatch> watch = MakeWatchFor(f.Station());
    auto& w = static_cast<CIonWatch&>(*watch);
    w.Open();
    ASSERT_TRUE(w.BathOffset());
    EXPECT_EQ(w.BathOffsetText(),
              StrPrintf("%.3lg, %.3lg", f.AdBoard().da0 * 1000.0, f.AdBoard().da1 * 1000.0));
    EXPECT_FALSE(w.IsPaused());

    ASSERT_TRUE(w.SetRotation(90.0));
    w.moveIncrement = 10.0;
    const CDVector4 from = f.ProbeSystem().Position();
    ASSERT_TRUE(w.Move());
    const CDVector4 moved = f.ProbeSystem().Position() - from;
    // Along Y, to the stage's step.
    EXPECT_NEAR(moved.x, 0.0, 0.1);
    EXPECT_NEAR(std::fabs(moved.y), 10.0, 0.1);

    EXPECT_FALSE(w.PUnits());
    ASSERT_TRUE(w.TogglePUnits());
    EXPECT_TRUE(w.PUnits());
    EXPECT_EQ(f.Station().Ion().Calibration("K")->logScale, 1);
}

TEST_F(IonWatchTest, AGradientReferenceCancelledLeavesTheProbesReference) {
    CMainFrame& f = Start();
    std::unique_ptr<CWatch> watch = MakeWatchFor(f.Station());
    auto& w = static_cast<CIonWatch&>(*watch);
    CObsDoc doc;
    w.document.document = &doc;
    w.Open();
    EXPECT_EQ(f.Station().Ion().Reference("K"), nullptr);
    prompt.answers.push_back(EPromptAnswer::Cancel);
    EXPECT_FALSE(w.Reference());
    EXPECT_EQ(f.Station().Ion().Reference("K"), nullptr);
    EXPECT_EQ(doc.GetObsCount(), 0u);
    prompt.answers.push_back(EPromptAnswer::Ok);
    EXPECT_TRUE(w.Reference());
    EXPECT_NE(f.Station().Ion().Reference("K"), nullptr);
    EXPECT_EQ(doc.GetObsCount(), 1u);
    EXPECT_NE(profile.GetProfileString("K ISP/PVP Probe", "Reference"), "");
}

}  // namespace
