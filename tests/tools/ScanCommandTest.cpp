// velm-tool scan: a grid scan group from a script on the simulated station, with the stored
// parameter set, appended to an observation document created on the way; a refused overwrite
// stops the group (exit 1); bad arguments exit 2.

#include <gtest/gtest.h>

#include <filesystem>

#include "obs/ObsDoc.h"
#include "obs/ScanObs.h"
#include "scan/GridScanTestEnv.h"
#include "settings/FileNumbering.h"
#include "support/ToolRun.h"

namespace {

class ScanCommandTest : public CGridScanTest {
  protected:
    ScanCommandTest() {
        // Two points on a line keep the real-clock run short.
        profile.WriteProfileString("Demo", "Line 10",
                                   "Images: before=0, after=0  StepType=1712  num=2");
    }
    SToolRun Run(const std::string& args) { return RunVelmTool(profile.Path(), args, dir.Path()); }
};

TEST_F(ScanCommandTest, OneScanIsWrittenAndRecorded) {
    const std::string vpo = dir.File("run.vpo");
    const SToolRun run = Run("scan --set demo --reps 1 " + vpo);
    ASSERT_EQ(run.code, 0) << run.err;
    ASSERT_EQ(run.out.rfind("Scan 0: " + dir.Path() + "/ScnGrp0000", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("Scan0000.scn\n"), std::string::npos);
    CObsDoc doc;
    std::string message;
    ASSERT_TRUE(doc.LoadFile(vpo, message)) << message;
    ASSERT_EQ(doc.GetObsCount(), 1u);
    const auto* scan = dynamic_cast<const CScanObs*>(doc.GetObsAt(0));
    ASSERT_NE(scan, nullptr);
    EXPECT_TRUE(std::filesystem::exists(scan->fileName));
    // The group's number is used up; the set keeps its own repetitions.
    EXPECT_EQ(CProfile(profile.Path()).GetProfileInt("Mainframe Parameters", "Next Scan Group", 0),
              1);
    EXPECT_EQ(CProfile(profile.Path()).GetProfileString("Demo", "Line 1", "").rfind("Reps: 3", 0),
              0u);
}

TEST_F(ScanCommandTest, ArgumentsAndRefusedOverwrite) {
    EXPECT_EQ(Run("scan " + dir.File("a.vpo")).code, 2);
    EXPECT_EQ(Run("scan --set Nope " + dir.File("a.vpo")).code, 2);
    EXPECT_EQ(Run("scan --set Demo --reps 0 " + dir.File("a.vpo")).code, 2);
    EXPECT_EQ(Run("scan --set Demo --bogus " + dir.File("a.vpo")).code, 2);

    // The group folder and the first scan's file are there already: not overwritten.
    const std::string vpo = dir.File("b.vpo");
    const SToolRun first = Run("scan --set Demo --reps 1 " + vpo);
    ASSERT_EQ(first.code, 0) << first.err;
    const std::string file = first.out.substr(8, first.out.find('\n') - 8);
    // Same group again: reuse its number so the file name repeats.
    CProfile(profile.Path()).WriteProfileInt("Mainframe Parameters", "Next Scan Group", 0);
    const auto before = std::filesystem::last_write_time(file);
    const SToolRun second = Run("scan --set Demo --reps 1 " + vpo);
    EXPECT_EQ(second.code, 1) << second.out;
    EXPECT_NE(second.err.find("already exists - overwrite with new data ?"), std::string::npos)
        << second.err;
    EXPECT_EQ(std::filesystem::last_write_time(file), before);
}

}  // namespace
