#include <gtest/gtest.h>

#include <cstdio>

#include "obs/InterestPointObs.h"
#include "obs/LogEntry.h"
#include "obs/ObsDoc.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "support/TestEnv.h"
#include "support/ToolRun.h"

namespace {

class DocumentCommandsTest : public CVelmTest {
  protected:
    // Runs velm-tool with `args`; returns the exit code, standard output in `out`.
    int Tool(const std::string& args, std::string& out) {
        const SToolRun run = RunVelmTool(dir.File("velm.ini"), args, dir.Path());
        out = run.out;
        err = run.err;
        return run.code;
    }
    std::string err;
};

TEST_F(DocumentCommandsTest, DescribePrintsOneLinePerObservationInListOrder) {
    CObsDoc doc;
    auto cal = std::make_unique<CWireCalibration>();
    cal->SetTime(kTestEpoch, 0);
    doc.AddObs(std::move(cal));
    auto wire = std::make_unique<CWireObs>();
    wire->SetTime(kTestEpoch + 61, 250);
    wire->reading = CDVector4(0.05, 0, 0, 0);
    doc.AddObs(std::move(wire));
    auto log = std::make_unique<CLogEntry>();
    log->SetTime(kTestEpoch + 62, 0);
    log->text = "note";
    doc.AddObs(std::move(log));
    const std::string path = dir.File("doc.vpo");
    ASSERT_TRUE(doc.OnSaveDocument(path));

    std::string out;
    ASSERT_EQ(Tool("describe --details 0x60 " + path, out), 0) << err;
    EXPECT_EQ(out,
              "12:00:00.000  CDP Calibration:  \n"
              "12:01:01.250  CDP Obs:  \n"
              "12:01:02.000  Log Entry:  \n");
    ASSERT_EQ(Tool("describe --details 36 " + path, out), 0) << err;
    EXPECT_EQ(out.substr(out.find('\n') + 1),
              "CDP Obs:      1.00     0.00     0.00     0.00\nLog Entry:  note\n");
    // The default detail word 372 shows time, type, probe position and data.
    ASSERT_EQ(Tool(path, out), 2);  // no command word
    ASSERT_EQ(Tool("describe " + path, out), 0);
    EXPECT_NE(out.find("12:01:01.250  probe: [      0.0      0.0      0.0      0.0 ] CDP Obs:  "),
              std::string::npos);
    EXPECT_EQ(Tool("describe --details 12x " + path, out), 2);
}

TEST_F(DocumentCommandsTest, FailuresGoToStandardErrorWithExitCode1) {
    std::string out;
    EXPECT_EQ(Tool("describe " + dir.File("none.vpo"), out), 1);
    EXPECT_EQ(err, dir.File("none.vpo") + " was not found.\n");
    EXPECT_TRUE(out.empty());
    WriteFileText(dir.File("junk.vpo"), "not a document");
    EXPECT_EQ(Tool("describe " + dir.File("junk.vpo"), out), 1);
    EXPECT_EQ(err, "Unexpected file format.\n");
}

TEST_F(DocumentCommandsTest, RoundtripGivesBackTheSameBytes) {
    CObsDoc doc;
    for (int i = 0; i < 5; ++i)
        doc.AddLogEntry("entry");
    doc.vsOps.push_back(std::make_unique<CInterestPointObs>());
    ASSERT_TRUE(doc.OnSaveDocument(dir.File("a.vpo")));
    std::string out;
    ASSERT_EQ(Tool("roundtrip " + dir.File("a.vpo") + " " + dir.File("b.vpo"), out), 0) << err;
    EXPECT_EQ(ReadFileText(dir.File("b.vpo")), ReadFileText(dir.File("a.vpo")));
}

}  // namespace
