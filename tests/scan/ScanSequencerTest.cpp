// Grid scan groups on the simulated station under the simulated clock: the worked timelines
// (a timed group, scans longer than their interval caught up without drift, a triggered scan
// stopped by the transfer folder's abort command), the status messages in order, file names,
// the overwrite question's Cancel, and the station's busy flag holding ticks back.

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"
#include "obs/ScanObs.h"
#include "obs/TransferFolder.h"
#include "obs/WireObs.h"
#include "platform/Format.h"
#include "platform/StationBusy.h"
#include "scan/GridScanEngine.h"
#include "scan/GridScanSet.h"
#include "scan/GridScanSetup.h"
#include "scan/GridScanTestEnv.h"
#include "scan/ScanDoc.h"
#include "scan/ScanSequencer.h"
#include "settings/FileNumbering.h"

namespace {

class CRecordingStatus : public IScanStatusSink {
  public:
    void Open(const std::string&) override { starts.push_back(Clock().Ticks()); }
    void Message(const std::string& text) override { messages.push_back(text); }
    void Observation(const CVelmObs& obs, const CScanDoc&) override {
        if (const auto* wire = dynamic_cast<const CWireObs*>(&obs)) {
            points.push_back((wire->time - kTestEpoch) * 1000 + wire->milliseconds);
            positions.push_back(wire->probePosition);
            if (onPoint) onPoint(points.size());
        }
    }
    std::vector<uint64_t> starts;
    std::vector<std::string> messages;
    std::vector<int64_t> points;  // ms after the epoch
    std::vector<CDVector4> positions;
    std::function<void(size_t)> onPoint;
};

class ScanSequencerTest : public CGridScanTest {
  protected:
    ScanSequencerTest() : sequencer(obsDoc, *station) {
        sequencer.status = &status;
        sequencer.runningChanged = [this](bool running) { runningMarks.push_back(running); };
    }

    // The set as velm.ini holds it, in a new group folder (no dialog).
    std::unique_ptr<CScanDoc> Prepared() {
        auto doc = std::make_unique<CScanDoc>();
        doc->paramSetName = "Demo";
        LoadScanParams(*doc, "Demo");
        TakeStationCalibration(*doc, *station);
        doc->rootDir = dir.Path();
        doc->groupDir = "ScnGrp0000WedDec05";
        std::filesystem::create_directory(dir.File(doc->groupDir));
        return doc;
    }
    void Start(std::unique_ptr<CScanDoc> doc, bool triggered = false) {
        base = clock.Ticks();
        ASSERT_TRUE(sequencer.StartGridGroup(std::move(doc), triggered));
        EXPECT_EQ(prompt.LastText(), "Turn on probe vibration.");
    }
    // Ticks at base + k s for k = 1..last; a tick that falls inside a running scan is lost.
    void Tick(int last) {
        for (; nextTick <= last; ++nextTick) {
            const uint64_t at = base + static_cast<uint64_t>(nextTick) * 1000;
            if (clock.Ticks() > at) continue;
            clock.WaitUntil(at);
            sequencer.OnTimerTick();
        }
    }
    std::vector<const CScanObs*> ScanObs() const {
        std::vector<const CScanObs*> found;
        for (const auto& o : obsDoc.Observations())
            if (const auto* s = dynamic_cast<const CScanObs*>(o.get())) found.push_back(s);
        return found;
    }
    std::string ScanFile(int n) const {
        return dir.File(StrPrintf("ScnGrp0000WedDec05/WedDec05Scan%04d.scn", n));
    }

    CScanSequencer sequencer;
    CRecordingStatus status;
    std::vector<bool> runningMarks;
    uint64_t base = 0;
    int nextTick = 1;
};

TEST_F(ScanSequencerTest, TimedGroupRunsOnItsRasterAndRecordsEachFile) {
    // The whole road through the set-up's OK: folder, group number, estimate.
    auto doc = std::make_unique<CScanDoc>();
    doc->paramSetName = "Demo";
    LoadScanParams(*doc, "Demo");
    TakeStationCalibration(*doc, *station);
    {
        CGridScanSetupLogic setup(*doc, *station);
        ASSERT_TRUE(setup.Ok()) << prompt.LastText();
    }
    Start(std::move(doc));
    EXPECT_EQ(runningMarks, std::vector<bool>{true});
    Tick(9);
    ASSERT_EQ(status.starts.size(), 1u);
    EXPECT_EQ(status.starts[0], base + 1000);
    EXPECT_EQ(status.points, (std::vector<int64_t>{1000, 1520, 2040, 2560, 3080, 3600}));
    const std::vector<CDVector4> expected = {{1000, 2000, 0, 0}, {1100, 2000, 0, 0},
                                             {1200, 2000, 0, 0}, {1000, 2100, 0, 0},
                                             {1100, 2100, 0, 0}, {1200, 2100, 0, 0}};
    EXPECT_EQ(status.positions, expected);
    Tick(30);
    ASSERT_EQ(status.starts.size(), 3u);
    EXPECT_EQ(status.starts[1], base + 10000);
    EXPECT_EQ(status.starts[2], base + 20000);
    EXPECT_FALSE(sequencer.GridRunning());
    EXPECT_FALSE(sequencer.GridStoppedEarly());
    EXPECT_EQ(runningMarks, (std::vector<bool>{true, false}));

    const auto scans = ScanObs();
    ASSERT_EQ(scans.size(), 3u);
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(scans[static_cast<size_t>(n)]->scanNumber, n);
        EXPECT_EQ(scans[static_cast<size_t>(n)]->fileName, ScanFile(n));
    }
    // The saved scan: read-only, its copies of calibration and rules, then the six points.
    CScanDoc saved;
    std::string message;
    ASSERT_TRUE(saved.LoadFile(ScanFile(0), message)) << message;
    EXPECT_TRUE(saved.readOnly);
    EXPECT_EQ(saved.scanFile, ScanFile(0));
    EXPECT_EQ(saved.startTime, kTestEpoch + 1);
    ASSERT_EQ(saved.GetObsCount(), 8u);
    EXPECT_NE(dynamic_cast<const CWireCalibration*>(saved.GetObsAt(0)), nullptr);
    EXPECT_NE(dynamic_cast<const CSampRulesWire*>(saved.GetObsAt(1)), nullptr);
    EXPECT_EQ(saved.wireCal.xCal, 1);
    EXPECT_EQ(GetNextScanGroupNumber(), 1);
}

TEST_F(ScanSequencerTest, OverrunsAreCaughtUpWithoutDrift) {
    // Seven points of 3.5 s: each scan lasts 24.5 s against an interval of 10 s.
    profile.WriteProfileString("Demo", "Line 6", "Steps: 7 1 1 1");
    profile.WriteProfileString("Voltage Probe Sample Rules", "Demo",
                               "pre=0.000000  samp=3.500000  ref=3.000000  fchan=0");
    Start(Prepared());
    Tick(80);
    ASSERT_EQ(status.starts.size(), 3u);
    EXPECT_EQ(status.starts[0], base + 1000);
    EXPECT_EQ(status.starts[1], base + 26000);
    EXPECT_EQ(status.starts[2], base + 51000);
    EXPECT_FALSE(sequencer.GridRunning());

    // A hundred short scans stay on the 10 s raster.
    ScanSequencerTest::nextTick = 1;
    profile.WriteProfileString("Demo", "Line 6", "Steps: 3 2 1 1");
    profile.WriteProfileString("Voltage Probe Sample Rules", "Demo",
                               "pre=0.020000  samp=0.500000  ref=3.000000  fchan=0");
    profile.WriteProfileString(
        "Demo", "Line 1",
        "Reps: 100  Interval: 10.000000 1208  Samples stored: wire 1  gradient 0  raw A/D 0");
    status.starts.clear();
    auto doc = Prepared();
    doc->groupDir = "Hundred";
    std::filesystem::create_directory(dir.File("Hundred"));
    Start(std::move(doc));
    Tick(1001);
    ASSERT_EQ(status.starts.size(), 100u);
    EXPECT_EQ(status.starts[0], base + 1000);
    for (size_t k = 1; k < 100; ++k)
        EXPECT_EQ(status.starts[k], base + k * 10000) << "scan " << k;
    EXPECT_FALSE(sequencer.GridRunning());
}

TEST_F(ScanSequencerTest, TriggeredScanStopsAtTheAbortCommand) {
    const std::string transfer = dir.File("transfer");
    std::filesystem::create_directory(transfer);
    CTransferFolder folder(transfer);
    // A stale command from an earlier run must not stop this scan at its first point.
    WriteFileText(folder.PathOf(CTransferFolder::kCommandFile), "Abort Scan\n");
    Start(Prepared(), true);
    Tick(3);
    EXPECT_TRUE(status.starts.empty());
    clock.Advance(400);
    WriteFileText(folder.PathOf(CTransferFolder::kRegionFile),
                  "(220,140) to (420,340) ref=0 (0,0)\n");
    status.onPoint = [&](size_t n) {
        if (n == 1) {
            EXPECT_EQ(ReadFileText(folder.PathOf(CTransferFolder::kResponseFile)), "Scan Started");
        }
        if (n == 2) WriteFileText(folder.PathOf(CTransferFolder::kCommandFile), "Abort Scan\n");
    };
    Tick(10);
    ASSERT_EQ(status.starts.size(), 1u);
    EXPECT_EQ(status.starts[0], base + 4000);
    EXPECT_EQ(status.points, (std::vector<int64_t>{4000, 4520}));
    EXPECT_FALSE(std::filesystem::exists(folder.PathOf(CTransferFolder::kRegionFile)));
    EXPECT_FALSE(std::filesystem::exists(folder.PathOf(CTransferFolder::kCommandFile)));
    EXPECT_EQ(ReadFileText(folder.PathOf(CTransferFolder::kResponseFile)), "Scan Aborted");
    EXPECT_FALSE(sequencer.GridRunning());
    EXPECT_TRUE(sequencer.GridStoppedEarly());
    // The file holds the two points taken, and the observation document names it.
    ASSERT_EQ(ScanObs().size(), 1u);
    CScanDoc saved;
    std::string message;
    ASSERT_TRUE(saved.LoadFile(ScanFile(0), message)) << message;
    EXPECT_EQ(saved.GetObsCount(), 4u);
    // The scan started at the region's first corner.
    const CDVector4 first = *station->opticalSystem.ImageToStage(
        {220, 140}, CameraViewOf(devices->FgBoard()), CDVector4());
    ASSERT_EQ(status.positions.size(), 2u);
    EXPECT_NEAR(status.positions[0].x, first.x, 1.0);
    EXPECT_NEAR(status.positions[0].y, first.y, 1.0);
}

TEST_F(ScanSequencerTest, StatusMessagesOfALineWithReferenceAndHome) {
    profile.WriteProfileString("Demo", "Line 10",
                               "Images: before=0, after=0  StepType=1712  num=2");
    profile.WriteProfileString(
        "Demo", "Line 2",
        "Reference: before: wire=1, gradient=0, bath=0  after: wire=0, gradient=0, bath=0");
    profile.WriteProfileString("Demo", "Line 9", "Home probe=1, sample=0  Status=1");
    profile.WriteProfileString("Demo", "Line 1",
                               "Reps: 1  Interval: 60.000000 1208  Samples stored: wire 1  "
                               "gradient 0  raw A/D 0");
    Start(Prepared());
    Tick(2);
    EXPECT_EQ(
        status.messages,
        (std::vector<std::string>{"Moving to 'Before' reference position ...",
                                  "Acquiring CDP 'Before' reference observation ...",
                                  "Moving probe to position 0 ...", "Acquiring CDP observation ...",
                                  "Moving probe to position 1 ...", "Acquiring CDP observation ...",
                                  "Moving probe to Home position ..."}));
    EXPECT_EQ(devices->ProbeSystem().Position(), CDVector4(1000, 2000, 0, 0));
    EXPECT_FALSE(sequencer.GridRunning());
    EXPECT_FALSE(sequencer.GridStoppedEarly());
}

TEST_F(ScanSequencerTest, OverwriteCancelledTakesNothingAndEndsTheGroup) {
    auto doc = Prepared();
    WriteFileText(ScanFile(0), "an earlier scan");
    Start(std::move(doc));
    prompt.answers.push_back(EPromptAnswer::Cancel);
    Tick(5);
    EXPECT_EQ(prompt.LastText(),
              "Scan file " + ScanFile(0) + " already exists - overwrite with new data ?");
    EXPECT_TRUE(status.points.empty());
    EXPECT_EQ(ReadFileText(ScanFile(0)), "an earlier scan");
    EXPECT_TRUE(ScanObs().empty());
    EXPECT_FALSE(sequencer.GridRunning());
    EXPECT_TRUE(sequencer.GridStoppedEarly());
}

TEST_F(ScanSequencerTest, TicksWaitWhileTheStationIsBusy) {
    Start(Prepared());
    {
        CStationBusy::CScope busy;
        Tick(3);
    }
    EXPECT_TRUE(status.starts.empty());
    Tick(4);
    ASSERT_EQ(status.starts.size(), 1u);
    EXPECT_EQ(status.starts[0], base + 4000);
    // Esc answered OK aborts the scan; its file is still saved and recorded.
    sequencer.escapePressed = [] { return true; };
    Tick(30);
    EXPECT_FALSE(sequencer.GridRunning());
    EXPECT_TRUE(sequencer.GridStoppedEarly());
    EXPECT_EQ(ScanObs().size(), 2u);
}

}  // namespace
