// Vector scans on the simulated station under the simulated clock: the definition block and the
// runs on the one-second tick (nominal times kept, Esc and the outside program's abort command
// still closing a run with its end entry, triggered runs), images that never overwrite, the
// preview that keeps nothing, and the definition dialog's list, estimate and checks.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "hw/AdBoard.h"
#include "hw/Devices.h"
#include "hw/MsWcmc.h"
#include "obs/DibObs.h"
#include "obs/InterestPointObs.h"
#include "obs/LogEntry.h"
#include "obs/ObsDoc.h"
#include "obs/SampRulesWire.h"
#include "obs/ScanObs.h"
#include "obs/TransferFolder.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "scan/VectorScanDefinition.h"
#include "scan/VectorScanGridOp.h"
#include "scan/VectorScanRun.h"
#include "settings/RootDirectory.h"
#include "support/TestEnv.h"
#include "tech/Station.h"
#include "tech/StationTestEnv.h"

namespace {

// Whole steps of one micron and no status-check delay: stages land exactly on integer
// targets and moves take no time, so every stamp below is a sampling time.
const std::string kBench = std::string(
                               "[A/D Board]\nLine 0=Sine Wave (0.1 Hz)\n"
                               "Line 1=base=1 [ a/d +/-2.00V, d/a +/-5.00V ]  da0=0  da1=0  "
                               "freq=1000\n"
                               "[Probe Motion System]\nLine 1=Steps/micron: 1 1 1 1\n"
                               "[Sample Motion System]\nLine 1=Steps/micron: 1 1 1 1\n"
                               "[FlexMotion MCS]\nLine 1=criteria=0  deadband=0  delay=0  "
                               "minpulse=0  statuscheckdelay=0\n") +
                           kBenchCalibration;

class CRecordingMonitor : public CVectorScanMonitor {
  public:
    void Begin(const std::string& title) override { titles.push_back(title); }
    void Status(const std::string& text) override { statuses.push_back(text); }
    void End() override { ++ended; }
    void Stopped() override { ++stopped; }
    std::vector<std::string> titles, statuses;
    int ended = 0, stopped = 0;
};

class VectorScanTest : public CVelmTest {
  protected:
    VectorScanTest() : techScope(&techDialogs) {
        WriteFileText(profile.Path(), kBench);
        SetRootDirectory(dir.Path());
        devices = std::make_unique<CDevices>();
        station = std::make_unique<CStation>(devices.get());
        vs.station = station.get();
        vs.devices = devices.get();
        techDialogs.wireRules = [](CWireRulesLogic&) { return true; };
        techDialogs.rawADRules = [](CRawADRulesLogic&) { return true; };
    }

    // A CDP point operation (rules 0.02 s wait, 0.5 s average) at the probe position.
    void AddCdp(double x, bool reference = false) {
        auto rules = std::make_unique<CSampRulesWire>();
        if (reference) rules->SamplePeriod = -rules->SamplePeriod;
        rules->probePosition = CDVector4(x, 0, 0, 0);
        doc.vsOps.push_back(std::move(rules));
    }

    std::unique_ptr<CVectorScanRun> MakeRun() {
        auto run = std::make_unique<CVectorScanRun>(doc, vs);
        run->monitor = &monitor;
        run->transferFolder = dir.File("transfer");
        run->escapePressed = [this] {
            ++escapeLooks;
            return escapeAt > 0 && escapeLooks == escapeAt;
        };
        return run;
    }

    // The sequencer's tick at `second` seconds after `startTicks`; a tick whose second has
    // passed while a run went on is dropped, as a timer's is.
    void TickAt(CVectorScanRun& run, int second) {
        const uint64_t at = startTicks + static_cast<uint64_t>(second) * 1000;
        if (clock.Ticks() > at) return;
        clock.WaitUntil(at);
        run.OnTick();
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

    CScriptedTechDialogs techDialogs;
    CScopedTechDialogs techScope;
    std::unique_ptr<CDevices> devices;
    std::unique_ptr<CStation> station;
    SVectorScanStation vs;
    CObsDoc doc;
    CRecordingMonitor monitor;
    uint64_t startTicks = 0;
    int escapeLooks = 0, escapeAt = 0;
};

TEST_F(VectorScanTest, ThreePointsTwiceFollowTheTimeline) {
    AddCdp(0);
    AddCdp(100);
    AddCdp(200);
    doc.vsInterval = 10.0;
    doc.vsIntervalUnit = kIntervalSeconds;
    doc.vsReps = 2;
    auto run = MakeRun();
    startTicks = clock.Ticks();
    const int64_t s = clock.Now().seconds;
    ASSERT_TRUE(run->Start());
    for (int second = 1; second <= 25 && run->IsRunning(); ++second)
        TickAt(*run, second);
    EXPECT_FALSE(run->IsRunning());
    EXPECT_EQ(run->State().count, 2);
    EXPECT_EQ(monitor.stopped, 1);

    const std::vector<std::string> logs = LogTexts();
    const std::vector<std::string> expected{
        "Begin Vector Scan Parameters (3 points at 10.00 seconds intervals for 2 repetitions)",
        "End Vector Scan Parameters",
        "Begin Vector Scan 1 of 2: 3 points",
        "End Vector Scan 1 of 2: 3 points",
        "Begin Vector Scan 2 of 2: 3 points",
        "End Vector Scan 2 of 2: 3 points"};
    EXPECT_EQ(logs, expected);

    // The definition block: copies numbered 1 to 3 between its two entries.
    ASSERT_EQ(doc.GetObsCount(), 2u + 3u + 2u * 5u);
    for (size_t i = 1; i <= 3; ++i) {
        const auto* copy = dynamic_cast<const CSampRulesWire*>(doc.GetObsAt(i));
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->index, i);
    }
    // Run 1 at S+1 (0.52 s a point, the end entry after the third), run 2 on the 10 s raster.
    const std::vector<const CWireObs*> points = All<CWireObs>();
    ASSERT_EQ(points.size(), 6u);
    const int64_t expectMs[] = {1000, 1520, 2040, 10000, 10520, 11040};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(points[i]->index, i % 3 + 1);
        EXPECT_EQ((points[i]->time - s) * 1000 + points[i]->milliseconds, expectMs[i]) << i;
        EXPECT_DOUBLE_EQ(points[i]->probePosition.x, 100.0 * static_cast<double>(i % 3));
    }
    const auto* end1 = dynamic_cast<const CLogEntry*>(doc.GetObsAt(9));
    ASSERT_NE(end1, nullptr);
    EXPECT_EQ((end1->time - s) * 1000 + end1->milliseconds, 2560);
    ASSERT_EQ(monitor.statuses.size(), 6u);
    EXPECT_EQ(monitor.statuses[1].rfind("Obseration 2 of 3: Current Density Sampling Rules:", 0),
              0u);
}

TEST_F(VectorScanTest, AnOverrunIsCaughtUpAtTheNextTickWithoutDrift) {
    // A reference (3.02 s) and a point (0.52 s) every 2 s: each run overruns the interval,
    // the next one starts at the first tick after it, and the nominal times stay on the raster.
    AddCdp(0, true);
    AddCdp(0);
    doc.vsInterval = 2.0;
    doc.vsReps = 3;
    auto run = MakeRun();
    startTicks = clock.Ticks();
    const int64_t s = clock.Now().seconds;
    ASSERT_TRUE(run->Start());
    for (int second = 1; second <= 30 && run->IsRunning(); ++second)
        TickAt(*run, second);
    EXPECT_EQ(run->State().count, 3);
    std::vector<int64_t> begins;
    for (const CLogEntry* e : All<CLogEntry>())
        if (e->text.rfind("Begin Vector Scan ", 0) == 0 &&
            e->text.find("Parameters") == std::string::npos)
            begins.push_back(e->time - s);
    // Each run takes 3.54 s: run 1 at S+1 ends 4.54, the tick at S+5 finds run 2 due (nominal
    // S+2), run 2 ends 8.54, the tick at S+9 runs 3 (nominal S+4).
    EXPECT_EQ(begins, (std::vector<int64_t>{1, 5, 9}));
    EXPECT_EQ(run->State().t0 - static_cast<int64_t>(startTicks), 4000);
}

TEST_F(VectorScanTest, EscAndTheAbortCommandEndTheRunWithItsEndEntry) {
    AddCdp(0);
    AddCdp(100);
    AddCdp(200);
    doc.vsInterval = 10.0;
    doc.vsReps = 5;
    // Esc seen before the second operation, and Yes.
    escapeAt = 2;
    prompt.answers.push_back(EPromptAnswer::Yes);
    auto run = MakeRun();
    startTicks = clock.Ticks();
    ASSERT_TRUE(run->Start());
    TickAt(*run, 1);
    EXPECT_FALSE(run->IsRunning());
    EXPECT_FALSE(run->LastRunCompleted());
    EXPECT_EQ(All<CWireObs>().size(), 1u);
    EXPECT_EQ(LogTexts().back(), "End Vector Scan 1 of 5: 3 points");
    EXPECT_EQ(prompt.LastText(), "Terminate vector scan acquisition?");

    // The abort command is looked at before every operation, no key pressed.
    CObsDoc other;
    std::swap(other.vsOps, doc.vsOps);
    doc.DeleteContents();
    std::swap(other.vsOps, doc.vsOps);
    escapeAt = 0;
    std::filesystem::create_directories(dir.File("transfer"));
    auto second = MakeRun();
    startTicks = clock.Ticks();
    ASSERT_TRUE(second->Start());
    WriteFileText(dir.File("transfer/velmcmd.txt"), "Abort Scan\n");
    TickAt(*second, 1);
    EXPECT_FALSE(second->IsRunning());
    EXPECT_EQ(All<CWireObs>().size(), 0u);
    EXPECT_EQ(LogTexts().back(), "End Vector Scan 1 of 5: 3 points");
    EXPECT_EQ(ReadFileText(dir.File("transfer/velmresp.txt")), "Scan Aborted");
    EXPECT_FALSE(std::filesystem::exists(dir.File("transfer/velmcmd.txt")));
}

TEST_F(VectorScanTest, IntervalZeroRunsWhenTheRegionFileComes) {
    AddCdp(0);
    doc.vsInterval = 0.0;
    doc.vsReps = 2;
    std::filesystem::create_directories(dir.File("transfer"));
    auto run = MakeRun();
    startTicks = clock.Ticks();
    ASSERT_TRUE(run->Start());
    TickAt(*run, 1);
    TickAt(*run, 2);
    EXPECT_EQ(All<CWireObs>().size(), 0u);
    WriteFileText(dir.File("transfer/velmroi.txt"), "(220,140) to (420,340) ref=0 (0,0)\n");
    TickAt(*run, 3);
    EXPECT_EQ(All<CWireObs>().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(dir.File("transfer/velmroi.txt")));
    EXPECT_EQ(ReadFileText(dir.File("transfer/velmresp.txt")), "Scan Finished");
    EXPECT_TRUE(run->IsRunning());
    WriteFileText(dir.File("transfer/velmroi.txt"), "(0,0) to (10,10) ref=0 (0,0)\n");
    TickAt(*run, 5);
    EXPECT_FALSE(run->IsRunning());
    EXPECT_EQ(All<CWireObs>().size(), 2u);
}

TEST_F(VectorScanTest, ImagesMoveNothingAndNeverOverwrite) {
    auto image = std::make_unique<CDibObs>();
    image->probePosition = CDVector4(500, 0, 0, 0);
    doc.vsOps.push_back(std::move(image));
    auto stop = std::make_unique<CInterestPointObs>();
    stop->probePosition = CDVector4(30, 40, 0, 0);
    doc.vsOps.push_back(std::move(stop));
    doc.vsInterval = 1.0;
    doc.vsReps = 1;
    std::filesystem::create_directories(dir.File("images"));
    WriteFileText(dir.File("images/image0000.bmp"), "kept");
    auto run = MakeRun();
    startTicks = clock.Ticks();
    ASSERT_TRUE(run->Start());
    // The image is taken where the stage stands; the intermediate point only moves.
    TickAt(*run, 1);
    const std::vector<const CDibObs*> images = All<CDibObs>();
    ASSERT_EQ(images.size(), 2u);  // the definition copy and the run's image
    EXPECT_EQ(images[1]->index, 1);
    EXPECT_EQ(images[1]->fileName, dir.File("images/image0001.bmp"));
    EXPECT_DOUBLE_EQ(images[1]->probePosition.x, 0.0);
    EXPECT_EQ(ReadFileText(dir.File("images/image0000.bmp")), "kept");
    EXPECT_DOUBLE_EQ(devices->ProbeSystem().Position().x, 30.0);
    EXPECT_DOUBLE_EQ(devices->ProbeSystem().Position().y, 40.0);
    EXPECT_FALSE(run->IsRunning());
}

TEST_F(VectorScanTest, GridScanOperationsWithoutTheirSetAreSkippedWithOneMessage) {
    auto scan = std::make_unique<CScanObs>();
    scan->fileName = "VCTOP000";
    doc.vsOps.push_back(std::move(scan));
    AddCdp(0);
    doc.vsInterval = 2.0;
    doc.vsReps = 2;
    auto run = MakeRun();
    startTicks = clock.Ticks();
    ASSERT_TRUE(run->Start());
    for (int second = 1; second <= 6; ++second)
        TickAt(*run, second);
    EXPECT_EQ(run->State().count, 2);
    EXPECT_EQ(All<CWireObs>().size(), 2u);
    int told = 0;
    for (const std::string& t : prompt.Texts())
        told += t == MissingGridSetMessage("VCTOP000");
    EXPECT_EQ(told, 1);
    // The definition copy keeps the parameter-set name.
    EXPECT_EQ(All<CScanObs>().at(0)->fileName, "VCTOP000");
}

// ---- The definition dialog's logic ----------------------------------------------------------

class VectorScanDefinitionTest : public VectorScanTest {
  protected:
    CVectorScanDefinition Definition() {
        CVectorScanDefinition def(doc, vs);
        def.promptMode = kPromptNone;
        return def;
    }
};

TEST_F(VectorScanDefinitionTest, ListLinesEstimateAndEditingButtons) {
    CVectorScanDefinition def = Definition();
    def.probeRow = CDVector4(0, 0, 0, 0);
    ASSERT_TRUE(def.Add(EVectorOp::CdpReference));
    def.probeRow = CDVector4(100, 0, 0, 0);
    ASSERT_TRUE(def.Add(EVectorOp::CdpPoint));
    EXPECT_EQ(def.ListLine(1),
              "2: P [100.00,0.00,0.00,0.00] Current Density Sampling Rules:  wait 20 msec, samp "
              "avg 0.50 sec, samp avg 3.00 sec, fchan = 0");
    def.showSampleCol = true;
    EXPECT_EQ(def.ListLine(0).rfind("1: P [0.00,0.00,0.00,0.00] S [0.00,0.00,0.00,0.00] ", 0), 0u);

    // The estimate: a point's 0.52 s and a reference's 3.02 s, with the stages where the first
    // operation is and the move to the second taking its time.
    devices->ProbeSystem().SetPosition(0, 0, 0, 0);
    const double move = devices->ProbeSystem().EstimateMoveTime(
        CDVector4(0, 0, 0, 0), CDVector4(100, 0, 0, 0), kSpeedModeLinear);
    EXPECT_NEAR(def.CalcEstimate(), 0.52 + 3.02 + move, 1e-9);
    def.ops[1]->probePosition = CDVector4(0, 0, 0, 0);
    EXPECT_NEAR(def.CalcEstimate(), 3.54, 1e-9);
    EXPECT_EQ(def.estimate, "3.54 sec");

    // "/\" on the first does nothing; "\/" moves it down; Copy puts the copy after it.
    def.selected = 0;
    EXPECT_FALSE(def.MoveUp());
    EXPECT_TRUE(def.MoveDown());
    EXPECT_EQ(def.selected, 1);
    EXPECT_TRUE(dynamic_cast<CSampRulesWire&>(*def.ops[1]).MakesReferences());
    ASSERT_TRUE(def.Copy());
    ASSERT_EQ(def.ops.size(), 3u);
    EXPECT_EQ(def.selected, 2);
    // Intermediate points can be added and are inserted after the selection.
    def.probeRow = CDVector4(7, 8, 0, 0);
    def.selected = 0;
    ASSERT_TRUE(def.Add(EVectorOp::IntermediatePoint));
    EXPECT_EQ(def.selected, 1);
    EXPECT_DOUBLE_EQ(def.ops[1]->probePosition.y, 8.0);
    EXPECT_FALSE(def.Copy());
    EXPECT_EQ(prompt.LastText(), "Cannot copy this type of observation.");
    // Set and Get of the selected operation.
    def.selected = 3;
    def.probeRow = CDVector4(1, 2, 3, 4);
    ASSERT_TRUE(def.SetSelected());
    def.probeRow = CDVector4();
    ASSERT_TRUE(def.GetSelected());
    EXPECT_DOUBLE_EQ(def.probeRow.w, 4.0);
    // Del asks with the description; No keeps it.
    prompt.answers.push_back(EPromptAnswer::No);
    EXPECT_FALSE(def.Delete());
    EXPECT_EQ(prompt.shown.back().text.rfind("Remove Vector Scan Operation:\n", 0), 0u);
    EXPECT_TRUE(def.Delete());
    EXPECT_EQ(def.ops.size(), 3u);
    def.Unselect();
    EXPECT_FALSE(def.SetSelected());
    EXPECT_EQ(prompt.LastText(), "Select an operation to update first.");
    prompt.answers.push_back(EPromptAnswer::Yes);
    EXPECT_TRUE(def.ClearAll());
    EXPECT_EQ(prompt.LastText(), "Clear all operations ?");
    EXPECT_FALSE(def.Delete());
    EXPECT_EQ(prompt.LastText(), "No operations available.");
}

TEST_F(VectorScanDefinitionTest, AddingNeedsWhatTheOperationUses) {
    CVectorScanDefinition def = Definition();
    EXPECT_FALSE(def.Add(EVectorOp::IonPoint));
    EXPECT_EQ(prompt.LastText(), "No gradient probes available.");
    def.gradientTypes = {"pH"};
    EXPECT_FALSE(def.Add(EVectorOp::IonReference));
    EXPECT_EQ(prompt.LastText(), "Select an gradient probe type first.");
    EXPECT_FALSE(def.Add(EVectorOp::GridScan));
    EXPECT_EQ(prompt.LastText(), "Grid scan operations are not available yet.");
    // A grid scan set up by the grid scan dialog: its origin goes into the sample row.
    def.setUpGridScan = [](CScanObs&) {
        return std::optional<CVectorScanDefinition::SGridScanSetup>({{5, 6, 0, 0}, true});
    };
    ASSERT_TRUE(def.Add(EVectorOp::GridScan));
    EXPECT_EQ(dynamic_cast<CScanObs&>(*def.ops[0]).fileName, "VCTOP000");
    EXPECT_DOUBLE_EQ(def.ops[0]->samplePosition.y, 6.0);
    // A cancelled rules dialog adds nothing.
    techDialogs.wireRules = nullptr;
    EXPECT_FALSE(def.Add(EVectorOp::CdpPoint));
    EXPECT_EQ(def.ops.size(), 1u);
    // Without a calibration, CDP operations are refused.
    station->wireCalibration.reset();
    EXPECT_FALSE(def.Add(EVectorOp::CdpPoint));
    EXPECT_EQ(prompt.LastText(),
              "Define CDP sampling rules and calibration from .VPO document first.");
    // "Move" prompt: the row takes the stage position after <ENTER>.
    def.promptMode = kPromptMoveSample;
    devices->SampleSystem().SetPosition(11, 12, 13, 14);
    ASSERT_TRUE(def.Add(EVectorOp::VideoImage));
    EXPECT_EQ(prompt.LastText(), "Move the sample to the desired location and press <ENTER> ...");
    EXPECT_DOUBLE_EQ(def.ops.back()->samplePosition.z, 13.0);
}

TEST_F(VectorScanDefinitionTest, OkChecksAndStores) {
    CVectorScanDefinition def = Definition();
    for (const char* bad : {"0", "30001", "x"}) {
        def.reps = bad;
        EXPECT_FALSE(def.Accept()) << bad;
        EXPECT_EQ(prompt.LastText(), "Please enter an integer between 1 and 30000.");
    }
    def.reps = "2";
    def.interval = "10";
    EXPECT_FALSE(def.Accept());
    EXPECT_EQ(prompt.LastText(), "You must have at least one operation defined in a vector scan.");
    ASSERT_TRUE(def.Add(EVectorOp::CdpReference));
    def.interval = "3";
    EXPECT_FALSE(def.Accept());
    EXPECT_EQ(prompt.shown.back().caption, "Vector Scan Definition Error");
    EXPECT_EQ(prompt.LastText(),
              "Estimated scan acquisition time (3.0 sec)\nis longer than scan interval (3.0 sec).");
    // Triggered scans (interval 0) have no interval to fit.
    def.interval = "0";
    EXPECT_TRUE(def.Accept());
    def.interval = "1";
    def.unit = kIntervalMinutes;
    def.promptMode = kPromptMoveProbe;
    ASSERT_TRUE(def.Accept());
    def.Store(doc);
    EXPECT_EQ(doc.vsReps, 2);
    EXPECT_EQ(doc.vsIntervalUnit, kIntervalMinutes);
    ASSERT_EQ(doc.vsOps.size(), 1u);
    EXPECT_EQ(profile.GetProfileString("Vector Scan", "Line 0"), "Prompt=1487  Interval=1423");
    // The document keeps the operations across saving and loading.
    const std::string path = dir.File("vs.vpo");
    std::string message;
    ASSERT_TRUE(doc.SaveFile(path, message)) << message;
    CObsDoc loaded;
    ASSERT_TRUE(loaded.LoadFile(path, message)) << message;
    ASSERT_EQ(loaded.vsOps.size(), 1u);
    EXPECT_TRUE(dynamic_cast<CSampRulesWire&>(*loaded.vsOps[0]).MakesReferences());
    // A new dialog starts from the stored prompt mode.
    CVectorScanDefinition again(loaded, vs);
    EXPECT_EQ(again.promptMode, kPromptMoveProbe);
}

TEST_F(VectorScanDefinitionTest, PreviewMeasuresMovesAndKeepsNothing) {
    CVectorScanDefinition def = Definition();
    station->wireReference.reading = CDVector4(0.1, 0.2, 0.3, 0.4);
    def.probeRow = CDVector4(50, 0, 0, 0);
    ASSERT_TRUE(def.Add(EVectorOp::CdpReference));
    def.probeRow = CDVector4(70, 0, 0, 0);
    ASSERT_TRUE(def.Add(EVectorOp::VideoImage));
    const size_t before = doc.GetObsCount();
    const uint64_t t = clock.Ticks();
    CRecordingMonitor shown;
    def.previewMonitor = &shown;
    ASSERT_TRUE(def.Preview());
    // The reference was measured (3.02 s) and then forgotten.
    EXPECT_GE(clock.Ticks() - t, 3020u);
    EXPECT_DOUBLE_EQ(station->wireReference.reading.y, 0.2);
    EXPECT_EQ(doc.GetObsCount(), before);
    // The image operation moves in the preview.
    EXPECT_DOUBLE_EQ(devices->ProbeSystem().Position().x, 70.0);
    EXPECT_FALSE(std::filesystem::exists(dir.File("images")));
    EXPECT_EQ(shown.titles, std::vector<std::string>{"Vector Scan Preview"});
    ASSERT_EQ(shown.statuses.size(), 2u);
    EXPECT_EQ(shown.statuses[1], "Obseration 2 of 2: " + DescribeOperation(*def.ops[1], &doc));
}

}  // namespace
