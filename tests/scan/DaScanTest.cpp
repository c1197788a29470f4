// The D/A output scan on the Simulated Station under the simulated clock: the voltages put out
// (with and without cycling), the timing of automatic points, the manual increment and its
// Cancel, Esc, every way a scan can end early (each still writing its end entry and the reset
// voltage), the graph's scaling and the dialog's checks. The polarographic electrode's plateau
// is scanned by the desktop program's and velm-tool's tests.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "hw/AdBoard.h"
#include "hw/Devices.h"
#include "obs/LogEntry.h"
#include "obs/ObsDoc.h"
#include "obs/RawADObs.h"
#include "obs/SampRulesRawAD.h"
#include "obs/SampRulesWire.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "scan/DaScan.h"
#include "scan/DaScanGraph.h"
#include "scan/DaScanSetup.h"
#include "support/TestEnv.h"
#include "tech/Station.h"
#include "tech/StationTestEnv.h"

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

// The board, the calibration with the lock-ins' offsets as the current reference, and raw
// A/D rules on the electrode's two channels.
const std::string kBench = std::string(
                               "[A/D Board]\nLine 0=Simulated Station\n"
                               "Line 1=base=1 [ a/d +/-10.00V, d/a +/-5.00V ]  da0=0  "
                               "da1=0  freq=1000\n") +
                           kBenchCalibration +
                           "Reference=xInPh=0.004000  xQuad=-0.003000  yInPh=0.002000  "
                           "yQuad=-0.001000\n"
                           "[Raw A/D Sample Rules]\n"
                           "Point =chan: 4 to 5, pre=0.010000  avg=1  inter=1  "
                           "avgperiod=0.100000  burstnum=100  burstfreq=100.000000\n";

// What the windows would show, and the D/A output the board holds at each status line (the
// status follows the point's output at once).
class CRecordingMonitor : public CDaScanMonitor {
  public:
    explicit CRecordingMonitor(CAdBoard& board) : board(board) {}
    void Begin(const CDaScanGraph& graph) override {
        ++begun;
        xLow = graph.XAxis().Low();
        xHigh = graph.XAxis().High();
    }
    void Status(const std::string& text) override {
        statuses.push_back(text);
        outputs.push_back(board.da1);
        times.push_back(Clock().Now());
        if (onStatus) onStatus(statuses.size());
    }
    void GraphChanged(const CDaScanGraph& graph) override { graphPoints = graph.Points().size(); }
    void End() override { ++ended; }

    CAdBoard& board;
    int begun = 0, ended = 0;
    double xLow = 0, xHigh = 0;
    size_t graphPoints = 0;
    std::vector<std::string> statuses;
    std::vector<double> outputs;
    std::vector<CTimeStamp> times;
    std::function<void(size_t)> onStatus;
};

class DaScanTest : public CVelmTest {
  protected:
    DaScanTest() {
        WriteFileText(profile.Path(), kBench);
        devices = std::make_unique<CDevices>();
        station = std::make_unique<CStation>(devices.get());
        monitor = std::make_unique<CRecordingMonitor>(Board());
        plan.channel = 1;
        plan.start = 0.0;
        plan.end = 1.0;
        plan.points = 5;
        plan.reset = true;
        plan.resetVolts = 0.0;
    }
    CAdBoard& Board() { return devices->AdBoard(); }

    EDaScanResult Run() {
        CDaScan scan(doc, *station, plan);
        scan.monitor = monitor.get();
        scan.escapePressed = [this] {
            const bool was = escape;
            escape = false;
            return was;
        };
        const EDaScanResult result = scan.Run();
        graph = scan.Graph();
        return result;
    }

    template <class T>
    std::vector<const T*> All() const {
        std::vector<const T*> found;
        for (const auto& obs : doc.Observations())
            if (const auto* t = dynamic_cast<const T*>(obs.get())) found.push_back(t);
        return found;
    }
    std::vector<std::string> LogTexts() const {
        std::vector<std::string> texts;
        for (const CLogEntry* e : All<CLogEntry>())
            texts.push_back(e->text);
        return texts;
    }

    std::unique_ptr<CDevices> devices;
    std::unique_ptr<CStation> station;
    std::unique_ptr<CRecordingMonitor> monitor;
    CObsDoc doc;
    SDaScanPlan plan;
    CDaScanGraph graph;
    bool escape = false;
};

TEST_F(DaScanTest, CyclesGoUpAndBackWithoutTouchingTheDocument) {
    plan.recordRawAD = true;
    plan.cycle = true;
    plan.times = 2;
    plan.reset = false;
    doc.daStart = 0.0;
    doc.daEnd = 1.0;
    ASSERT_EQ(Run(), EDaScanResult::Completed);
    const std::vector<double> up{0.0, 0.25, 0.5, 0.75, 1.0}, down{1.0, 0.75, 0.5, 0.25, 0.0};
    std::vector<double> expected;
    for (int r = 0; r < 2; ++r) {
        expected.insert(expected.end(), up.begin(), up.end());
        expected.insert(expected.end(), down.begin(), down.end());
    }
    EXPECT_EQ(monitor->outputs, expected);
    EXPECT_EQ(Board().da1, 0.0);  // where the last pass ended: no reset asked
    EXPECT_EQ(doc.daStart, 0.0);
    EXPECT_EQ(doc.daEnd, 1.0);
    EXPECT_EQ(graph.Points().size(), 20u);
    EXPECT_EQ(graph.Points().back().pass, 3);
    EXPECT_EQ(LogTexts().back(),
              "End D/A Output Scan of Channel 1 from 0.000V to 1.000V in 5 steps, 2 Cycles, "
              "Auto Increment at 0.0 second intervals");
}

TEST_F(DaScanTest, AutomaticPointsWaitTheIntervalThenSampleAndTheGraphShowsTotalCurrentDensity) {
    // Output 1 from 0 to 1 V in 5 steps every 2 s, CDP samples with the rules' 0.02 s wait and
    // 0.5 s average, reset to 0 V.
    plan.automatic = true;
    plan.interval = 2.0;
    plan.recordCDP = true;
    const CTimeStamp c = clock.Now();
    ASSERT_EQ(Run(), EDaScanResult::Completed);

    const auto logs = All<CLogEntry>();
    ASSERT_EQ(logs.size(), 2u);
    EXPECT_EQ(logs[0]->text,
              "Begin D/A Output Scan of Channel 1 from 0.000V to 1.000V in 5 steps, 1 Scans, Auto "
              "Increment at 2.0 second intervals");
    EXPECT_EQ(logs[1]->text,
              "End D/A Output Scan of Channel 1 from 0.000V to 1.000V in 5 steps, 1 Scans, Auto "
              "Increment at 2.0 second intervals");
    auto ms = [c](int64_t seconds, int milliseconds) {
        return (seconds - c.seconds) * 1000 + milliseconds - c.milliseconds;
    };
    EXPECT_EQ(ms(logs[0]->time, logs[0]->milliseconds), 0);
    EXPECT_EQ(ms(logs[1]->time, logs[1]->milliseconds), 12600);
    const auto points = All<CWireObs>();
    ASSERT_EQ(points.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(ms(monitor->times[i].seconds, monitor->times[i].milliseconds), 2520 * i) << i;
        EXPECT_EQ(ms(points[i]->time, points[i]->milliseconds), 2520 * i + 2000) << i;
    }
    // The source is off: the points read the lock-ins' offsets, which the reference takes away.
    EXPECT_EQ(monitor->outputs, (std::vector<double>{0.0, 0.25, 0.5, 0.75, 1.0}));
    EXPECT_EQ(monitor->statuses[1], "Point 2 of 5 - 0.250 volts.");
    ASSERT_EQ(graph.Points().size(), 5u);
    EXPECT_EQ(graph.Points()[3].volts, 0.75);
    EXPECT_NEAR(graph.Points()[3].value, 0.0, 1e-9);
    EXPECT_EQ(graph.YAxis().Title(), "Total current density (uA/sq.cm.)");
    EXPECT_EQ(monitor->xLow, 0.0);
    EXPECT_EQ(monitor->xHigh, 1.0);
    EXPECT_EQ(Board().da1, 0.0);  // reset
    EXPECT_EQ(monitor->ended, 1);
    EXPECT_TRUE(prompt.shown.empty()) << prompt.LastText();
}

TEST_F(DaScanTest, ManualCancelAtPointThreeStillLogsTheEndAndResets) {
    plan.automatic = false;
    plan.recordCDP = true;
    prompt.answers = {EPromptAnswer::Ok, EPromptAnswer::Ok, EPromptAnswer::Cancel};
    EXPECT_EQ(Run(), EDaScanResult::Stopped);
    EXPECT_EQ(prompt.Texts(),
              (std::vector<std::string>{"Click OK to sample point 1 of 5 and continue ...",
                                        "Click OK to sample point 2 of 5 and continue ...",
                                        "Click OK to sample point 3 of 5 and continue ..."}));
    EXPECT_EQ(monitor->outputs, (std::vector<double>{0.0, 0.25, 0.5}));
    EXPECT_EQ(Board().da1, 0.0);  // reset from 0.5
    EXPECT_EQ(All<CWireObs>().size(), 2u);
    EXPECT_EQ(LogTexts().back(),
              "End D/A Output Scan of Channel 1 from 0.000V to 1.000V in 5 steps, 1 Scans, Manual "
              "Increment");
    EXPECT_EQ(monitor->ended, 1);
}

TEST_F(DaScanTest, EscAsksBeforeTheWaitAndDuringALongInterval) {
    plan.interval = 10.0;
    plan.recordRawAD = true;
    plan.resetVolts = -1.0;
    // Esc at the third point, answered Cancel: the scan goes on.
    monitor->onStatus = [this](size_t n) { escape = n == 3; };
    prompt.answers = {EPromptAnswer::Cancel};
    ASSERT_EQ(Run(), EDaScanResult::Completed);
    EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"Terminate D/A output scan?"});
    EXPECT_EQ(All<CRawADObs>().size(), 5u);

    // Esc four seconds into the second point's ten-second wait, answered OK: the scan ends
    // there, without sampling that point, and the output goes to the reset volts.
    doc.DeleteContents();
    prompt.shown.clear();
    monitor->statuses.clear();
    uint64_t pressAt = 0;
    monitor->onStatus = [&](size_t n) {
        if (n == 2) pressAt = clock.Ticks() + 4000;
    };
    CDaScan scan(doc, *station, plan);
    scan.monitor = monitor.get();
    scan.escapePressed = [&] { return pressAt != 0 && clock.Ticks() >= pressAt; };
    const uint64_t started = clock.Ticks();
    ASSERT_EQ(scan.Run(), EDaScanResult::Stopped);
    EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"Terminate D/A output scan?"});
    EXPECT_EQ(All<CRawADObs>().size(), 1u);
    EXPECT_EQ(scan.PointsTaken(), 1);
    // The first point: 10 s and a 0.11 s reading; then 4 s of the second wait.
    EXPECT_EQ(clock.Ticks() - started, 14110u);
    EXPECT_EQ(Board().da1, -1.0);
    EXPECT_EQ(LogTexts().size(), 2u);
}

TEST_F(DaScanTest, AFailedAcquisitionEndsTheScanAtOnceWithItsEndEntryAndReset) {
    // Raw A/D rules on channels the board does not have: refused before anything waits.
    station->rawADRules->FirstChan = 6;
    station->rawADRules->LastChan = 9;
    plan.recordRawAD = true;
    plan.resetVolts = 0.5;
    EXPECT_EQ(Run(), EDaScanResult::Stopped);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(monitor->outputs, std::vector<double>{0.0});
    EXPECT_EQ(Board().da1, 0.5);
    EXPECT_EQ(All<CRawADObs>().size(), 0u);
    EXPECT_EQ(LogTexts().size(), 2u);
}

TEST_F(DaScanTest, APlanFromTheDocumentIsSafeToRun) {
    doc.daPoints = 0;  // a damaged file
    doc.daInterval = -3.0;
    doc.daTimes = 0;
    doc.daIncrement = 1482;
    doc.daCycle = 1;
    const SDaScanPlan p = SDaScanPlan::FromDocument(doc);
    EXPECT_EQ(p.points, 2);
    EXPECT_EQ(p.interval, 0.0);
    EXPECT_EQ(p.times, 1);
    EXPECT_FALSE(p.automatic);
    EXPECT_EQ(p.Description(),
              "of Channel 1 from 0.000V to -1.000V in 2 steps, 1 Cycles, Manual Increment");
    // A channel the board does not have is refused before anything is put out or logged.
    doc.daChannel = 7;
    plan = SDaScanPlan::FromDocument(doc);
    EXPECT_EQ(Run(), EDaScanResult::NotStarted);
    EXPECT_EQ(prompt.LastText(),
              "The board has no D/A Channel 7: a D/A output scan steps channel 0 or 1.");
    EXPECT_EQ(doc.GetObsCount(), 0u);
    // Volts are worked out in doubles: the middle point of three is half way, not truncated.
    SDaScanPlan three;
    three.points = 3;
    EXPECT_EQ(three.Volts(0.0, 1.0, 1), 0.5);
    EXPECT_EQ(three.Volts(0.1, 0.7, 2), 0.7);
}

// ---- The graph ----------------------------------------------------------------------------------

TEST(DaScanGraphTest, AxesTickAtRoundStepsWithShortLabels) {
    const CGraphAxis volts(1.0, 0.0, "D/A Channel 1 (V)");
    EXPECT_EQ(volts.Low(), 0.0);
    EXPECT_EQ(volts.High(), 1.0);
    std::vector<std::string> labels;
    for (const auto& t : volts.Ticks())
        labels.push_back(t.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"0", "0.2", "0.4", "0.6", "0.8", "1"}));
    EXPECT_EQ(volts.Map(0.25, 100, 500), 200.0);

    // Measured values get a range on round ticks around them.
    const CGraphAxis current = CGraphAxis::Rounded(0.51, 1.02, "uA");
    EXPECT_NEAR(current.Low(), 0.4, 1e-12);
    EXPECT_NEAR(current.High(), 1.2, 1e-12);
    const CGraphAxis microvolts = CGraphAxis::Rounded(-0.00013, 0.00042, "");
    ASSERT_FALSE(microvolts.Ticks().empty());
    EXPECT_EQ(microvolts.Ticks().front().label, "-0.0002");

    // A constant value, a single voltage and nonsense still make an axis with a length.
    const CGraphAxis flat = CGraphAxis::Rounded(2.0, 2.0, "");
    EXPECT_LT(flat.Low(), 2.0);
    EXPECT_GT(flat.High(), 2.0);
    const CGraphAxis zero(0.0, 0.0, "");
    EXPECT_EQ(zero.Low(), -1.0);
    const CGraphAxis broken(kNan, 1.0, "");
    EXPECT_EQ(broken.Low(), 0.0);
    EXPECT_EQ(broken.High(), 1.0);
    const CGraphAxis huge(-1e308, 1e308, "");
    EXPECT_LE(huge.Ticks().size(), 1001u);

    CDaScanGraph graph;
    graph.Start(0, -1.3, -0.1, "A/D Channel 4 (V)");
    EXPECT_EQ(graph.YAxis().Low(), 0.0);  // nothing measured yet
    graph.Add(-1.3, 0.5, 0);
    graph.Add(-1.15, kNan, 0);
    graph.Add(-1.0, 1.0, 0);
    EXPECT_EQ(graph.Points().size(), 2u);
    EXPECT_EQ(graph.XAxis().Title(), "D/A Channel 0 (V)");
    // Round ticks with room around the values: the extremes do not lie on the frame.
    EXPECT_NEAR(graph.YAxis().Low(), 0.4, 1e-12);
    EXPECT_NEAR(graph.YAxis().High(), 1.2, 1e-12);
}

// ---- The dialog's checks ------------------------------------------------------------------------

class DaScanSetupTest : public DaScanTest {
  protected:
    CDaScanSetupLogic Logic() { return CDaScanSetupLogic(doc, *station, Board().daRange); }
};

TEST_F(DaScanSetupTest, TheIntervalMustCoverTheSamplingTime) {
    CDaScanSetupLogic setup = Logic();
    setup.recordCDP = true;
    setup.recordRawAD = true;  // the CDP rules' time counts when both are recorded
    setup.interval = "0.4";
    std::string error;
    EXPECT_FALSE(setup.Accept(error));
    EXPECT_EQ(error,
              "Automatic increment interval (0.40 sec) must allow\nfor data sampling time (0.52 "
              "sec).");
    EXPECT_EQ(setup.badEntry, "interval");
    setup.interval = "0.52";
    EXPECT_TRUE(setup.Accept(error)) << error;

    // Raw A/D alone: its rules' wait and average; manual points wait for the user instead.
    setup.recordCDP = false;
    setup.interval = "0.1";
    EXPECT_FALSE(setup.Accept(error));
    EXPECT_EQ(error,
              "Automatic increment interval (0.10 sec) must allow\nfor data sampling time (0.11 "
              "sec).");
    setup.increment = CDaScanSetupLogic::kManual;
    EXPECT_TRUE(setup.Accept(error)) << error;
    EXPECT_FALSE(setup.plan.automatic);
}

TEST_F(DaScanSetupTest, EntriesOutsideWhatTheBoardAndTheDocumentTakeAreRefused) {
    struct SCase {
        std::string CDaScanSetupLogic::*entry;
        const char* text;
        const char* bad;
        const char* error;
    };
    const SCase cases[] = {
        {&CDaScanSetupLogic::channel, "2", "channel",
         "Please enter a whole number from 0 to 1 for \"D/A Channel:\" (not \"2\")."},
        {&CDaScanSetupLogic::end, "5.5", "end",
         "Please enter volts from -5.000 to 5.000 for \"Scan End:\" (not \"5.5\")."},
        {&CDaScanSetupLogic::points, "1", "points",
         "Please enter a whole number from 2 to 65535 for \"Number of points in scan:\" (not "
         "\"1\")."},
        {&CDaScanSetupLogic::interval, "-1", "interval",
         "Please enter seconds from 0 to 86400 for \"Automatic every\" (not \"-1\")."},
        {&CDaScanSetupLogic::times, "0", "times",
         "Please enter a whole number from 1 to 65535 for \"times\" (not \"0\")."},
    };
    for (const SCase& c : cases) {
        CDaScanSetupLogic setup = Logic();
        setup.*c.entry = c.text;
        std::string error;
        EXPECT_FALSE(setup.Accept(error)) << c.bad;
        EXPECT_EQ(setup.badEntry, c.bad);
        EXPECT_EQ(error, c.error);
    }
}

TEST_F(DaScanSetupTest, OkKeepsTheSettingsInTheDocumentAndForTheNextDocument) {
    CDaScanSetupLogic setup = Logic();
    EXPECT_EQ(setup.start, "0.000");
    EXPECT_EQ(setup.end, "-1.000");
    EXPECT_EQ(setup.interval, "2");
    setup.channel = "0";
    setup.end = "0.8";
    setup.points = "9";
    setup.recordCDP = true;
    setup.cycle = true;
    setup.times = "3";
    setup.resetVolts = "-0.25";
    std::string error;
    ASSERT_TRUE(setup.Accept(error)) << error;
    setup.Apply(doc);
    EXPECT_EQ(doc.daChannel, 0);
    EXPECT_EQ(doc.daEnd, 0.8);
    EXPECT_EQ(doc.daPoints, 9);
    EXPECT_TRUE(doc.daRecordCDP);
    EXPECT_EQ(doc.daCycle, 1);
    EXPECT_EQ(doc.daTimes, 3);
    EXPECT_EQ(doc.daResetVolts, -0.25);
    EXPECT_EQ(
        profile.GetProfileString("Observation Document", "Line 1"),
        "DaOutputScan: chan=0  range=0.000000 to 0.800000  steps=9  inc=1483  (2.000000 sec)");
    EXPECT_EQ(profile.GetProfileString("Observation Document", "Line 2"),
              "DaOutputScan: record=3  reset=1  resetVolts=-0.250000");
    EXPECT_EQ(profile.GetProfileString("Observation Document", "Line 3"),
              "DaOutputScan: cyclic=1  reps=3");
}

}  // namespace
