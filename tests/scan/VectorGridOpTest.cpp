// Grid-scan operations of vector scans on the simulated station under the simulated clock: the
// operation set up through the grid scan dialogs keeps its own parameter set, every run writes
// a scan file of its own number, a document read back from its file rebuilds the operation from
// that set, and a set that has gone is reported once while the rest of the run goes on.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "obs/LogEntry.h"
#include "obs/ObsDoc.h"
#include "obs/SampRulesWire.h"
#include "obs/ScanObs.h"
#include "obs/WireObs.h"
#include "platform/Format.h"
#include "scan/GridScanSet.h"
#include "scan/GridScanSetup.h"
#include "scan/GridScanTestEnv.h"
#include "scan/ScanDoc.h"
#include "scan/ScanSequencer.h"
#include "scan/VectorScanDefinition.h"
#include "scan/VectorScanGridOp.h"
#include "scan/VectorScanRun.h"

namespace {

// "Load Grid Scan Parameters" picks "Demo"; "Grid Scan Setup" narrows it to two points before
// its OK, so a scan rebuilt from the operation's own set differs from one of "Demo".
class CScriptedGridDialogs : public IGridScanDialogs {
  public:
    bool ChooseSet(CGridScanSetList& list) override {
        ++chosen;
        for (size_t i = 0; i < list.names.size(); ++i)
            if (list.names[i] == "Demo") list.selected = static_cast<int>(i);
        return choose;
    }
    bool Setup(CGridScanSetupLogic& setup) override {
        setup.params.steps = CIVector4(2, 1, 1, 1);
        return setup.Ok();
    }
    bool choose = true;
    int chosen = 0;
};

class VectorGridOpTest : public CGridScanTest {
  protected:
    VectorGridOpTest() {
        vs.station = station.get();
        vs.devices = devices.get();
    }

    // The definition dialog's road: "Grid Scan", then a CDP point, 30 s intervals, `reps`.
    void Define(int reps) {
        CVectorScanDefinition def(obsDoc, vs);
        def.UseGridScanDialogs(dialogs);
        ASSERT_TRUE(def.Add(EVectorOp::GridScan)) << prompt.LastText();
        ASSERT_EQ(def.ops.size(), 1u);
        auto* scan = dynamic_cast<CScanObs*>(def.ops[0].get());
        ASSERT_NE(scan, nullptr);
        EXPECT_EQ(scan->fileName, "VCTOP000");
        // The probe is the scan tool: the probe row takes the scan's origin.
        EXPECT_EQ(scan->probePosition, CDVector4(1000, 2000, 0, 0));
        auto cdp = std::make_unique<CSampRulesWire>();
        cdp->probePosition = CDVector4(500, 0, 0, 0);
        def.ops.push_back(std::move(cdp));
        // Two points of 0.52 s for the scan, one for the CDP operation, and the moves.
        EXPECT_GE(def.EstimateSeconds(), 3 * 0.52 - 1e-9);
        def.interval = "30";
        def.reps = StrPrintf("%d", reps);
        ASSERT_TRUE(def.Accept()) << prompt.LastText();
        def.Store(obsDoc);
    }

    // Starts the scan and ticks once a second for `seconds`.
    void Run(CObsDoc& doc, int seconds) {
        CVectorScanRun run(doc, vs);
        run.transferFolder = dir.File("transfer");
        ASSERT_TRUE(run.Start());
        const uint64_t start = clock.Ticks();
        for (int s = 1; s <= seconds; ++s) {
            const uint64_t at = start + static_cast<uint64_t>(s) * 1000;
            if (clock.Ticks() > at) continue;
            clock.WaitUntil(at);
            run.OnTick();
        }
        EXPECT_FALSE(run.IsRunning());
    }

    // Scan observations a run took (index = operation number); the definition block's copy of
    // the operation keeps the set's name and is left out.
    static std::vector<const CScanObs*> Scans(const CObsDoc& doc) {
        std::vector<const CScanObs*> found;
        for (const auto& o : doc.Observations())
            if (const auto* s = dynamic_cast<const CScanObs*>(o.get());
                s && s->fileName != "VCTOP000")
                found.push_back(s);
        return found;
    }
    static int Count(const std::vector<std::string>& texts, const std::string& part) {
        int n = 0;
        for (const auto& t : texts)
            n += t.find(part) != std::string::npos ? 1 : 0;
        return n;
    }

    SVectorScanStation vs;
    CScriptedGridDialogs dialogs;
};

TEST_F(VectorGridOpTest, EveryRunWritesItsOwnScanFile) {
    Define(2);
    // The set-up's values went under the operation's own name; "Demo" is as it was.
    EXPECT_TRUE(GridScanSetExists("VCTOP000"));
    EXPECT_EQ(Profile().GetProfileString("VCTOP000", "Line 6", ""), "Steps: 2 1 1 1");
    EXPECT_EQ(Profile().GetProfileString("Demo", "Line 6", ""), "Steps: 3 2 1 1");
    EXPECT_EQ(GridScanSetNames(), std::vector<std::string>{"Demo"});

    Run(obsDoc, 61);
    const auto scans = Scans(obsDoc);
    ASSERT_EQ(scans.size(), 2u);
    for (int n = 0; n < 2; ++n) {
        const CScanObs& s = *scans[static_cast<size_t>(n)];
        EXPECT_EQ(s.scanNumber, n);
        EXPECT_EQ(s.index, 1);
        EXPECT_TRUE(std::filesystem::exists(s.fileName)) << s.fileName;
        EXPECT_NE(s.fileName.find(StrPrintf("Scan%04d.scn", n)), std::string::npos) << s.fileName;
        CScanDoc saved;
        std::string message;
        ASSERT_TRUE(saved.LoadFile(s.fileName, message)) << message;
        EXPECT_EQ(saved.PointCount(), 2);
        EXPECT_FALSE(saved.Observations().empty());
    }
    EXPECT_NE(scans[0]->fileName, scans[1]->fileName);
    // No run asked to overwrite, and the CDP operation was measured in both runs.
    EXPECT_EQ(Count(prompt.Texts(), "already exists"), 0);
    int cdp = 0;
    for (const auto& o : obsDoc.Observations())
        if (dynamic_cast<const CWireObs*>(o.get()) && o->index == 2) ++cdp;
    EXPECT_EQ(cdp, 2);
}

TEST_F(VectorGridOpTest, ReopenedDocumentRebuildsTheOperationFromItsSet) {
    Define(1);
    std::string message;
    const std::string path = dir.File("vector.vpo");
    ASSERT_TRUE(obsDoc.SaveFile(path, message)) << message;

    CObsDoc reopened;
    ASSERT_TRUE(reopened.LoadFile(path, message)) << message;
    reopened.SetPathName(path);
    ASSERT_EQ(reopened.vsOps.size(), 2u);
    auto* op = dynamic_cast<CScanObs*>(reopened.vsOps[0].get());
    ASSERT_NE(op, nullptr);
    EXPECT_EQ(op->fileName, "VCTOP000");
    EXPECT_EQ(op->scanDocument, nullptr);
    // The dialog counts the scan in the estimate again.
    {
        CVectorScanDefinition def(reopened, vs);
        EXPECT_GE(def.EstimateSeconds(), 3 * 0.52 - 1e-9);
    }

    Run(reopened, 31);
    const auto scans = Scans(reopened);
    ASSERT_EQ(scans.size(), 1u);
    EXPECT_EQ(scans[0]->scanNumber, 0);
    CScanDoc saved;
    ASSERT_TRUE(saved.LoadFile(scans[0]->fileName, message)) << message;
    EXPECT_EQ(saved.paramSetName, "VCTOP000");
    EXPECT_EQ(saved.PointCount(), 2);  // the operation's set, not "Demo"'s six points
    EXPECT_EQ(saved.origin, CDVector4(1000, 2000, 0, 0));
    EXPECT_EQ(Count(prompt.Texts(), "VCTOP000"), 0);
}

TEST_F(VectorGridOpTest, GoneSetIsReportedOnceAndTheRunGoesOn) {
    Define(2);
    std::string message;
    const std::string path = dir.File("vector.vpo");
    ASSERT_TRUE(obsDoc.SaveFile(path, message)) << message;
    // velm.ini loses the operation's set (e.g. the settings file was replaced).
    WriteFileText(profile.Path(), kGridScanBench);
    ASSERT_FALSE(GridScanSetExists("VCTOP000"));

    CObsDoc reopened;
    ASSERT_TRUE(reopened.LoadFile(path, message)) << message;
    Run(reopened, 61);
    EXPECT_TRUE(Scans(reopened).empty());
    EXPECT_EQ(Count(prompt.Texts(), "'VCTOP000'"), 1);
    int cdp = 0, ends = 0;
    for (const auto& o : reopened.Observations()) {
        if (dynamic_cast<const CWireObs*>(o.get()) && o->index == 2) ++cdp;
        if (const auto* log = dynamic_cast<const CLogEntry*>(o.get()))
            ends += log->text.rfind("End Vector Scan ", 0) == 0 &&
                    log->text.find(" of 2") != std::string::npos;
    }
    EXPECT_EQ(cdp, 2);
    EXPECT_EQ(ends, 2);
}

TEST_F(VectorGridOpTest, CancelledSetUpAddsNothing) {
    CVectorScanDefinition def(obsDoc, vs);
    def.UseGridScanDialogs(dialogs);
    dialogs.choose = false;
    EXPECT_FALSE(def.Add(EVectorOp::GridScan));
    EXPECT_TRUE(def.ops.empty());
    EXPECT_EQ(dialogs.chosen, 1);
    EXPECT_FALSE(GridScanSetExists("VCTOP000"));
}

}  // namespace
