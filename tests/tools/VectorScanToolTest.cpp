// velm-tool vectorscan as a script runs it: a document's stored operations run with its stored
// schedule (or --reps) on the velm.ini station, appended to the document; the exit codes of
// refused options and of a document without operations.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "obs/InterestPointObs.h"
#include "obs/LogEntry.h"
#include "obs/ObsDoc.h"
#include "obs/RawADObs.h"
#include "obs/SampRulesRawAD.h"
#include "support/TestEnv.h"
#include "support/ToolRun.h"

namespace {

constexpr const char* kBench =
    "[A/D Board]\nLine 0=Simulated Station\n"
    "[FlexMotion MCS]\nLine 1=criteria=0  deadband=0  delay=0  minpulse=0  statuscheckdelay=0\n";

class VectorScanToolTest : public CVelmTest {
  protected:
    VectorScanToolTest() { WriteFileText(profile.Path(), kBench); }
    SToolRun Run(const std::string& args) { return RunVelmTool(profile.Path(), args, dir.Path()); }

    // A raw A/D operation (channel 4, a 10 ms average) and an intermediate point, every second.
    std::string MakeDoc(int reps) {
        CObsDoc doc;
        auto raw = std::make_unique<CSampRulesRawAD>();
        raw->FirstChan = raw->LastChan = 4;
        raw->AvgSec = 0.01;
        raw->WaitSec = 0.0;
        doc.vsOps.push_back(std::move(raw));
        auto stop = std::make_unique<CInterestPointObs>();
        stop->probePosition = CDVector4(10, 0, 0, 0);
        doc.vsOps.push_back(std::move(stop));
        doc.vsInterval = 1.0;
        doc.vsIntervalUnit = kIntervalSeconds;
        doc.vsReps = reps;
        const std::string path = dir.File("vs.vpo");
        std::string message;
        EXPECT_TRUE(doc.SaveFile(path, message)) << message;
        return path;
    }
};

TEST_F(VectorScanToolTest, TheStoredOperationsRunAndAreAppended) {
    const std::string path = MakeDoc(5);
    const SToolRun run = Run("vectorscan --reps 2 " + path);
    ASSERT_EQ(run.code, 0) << run.err;
    CObsDoc loaded;
    std::string message;
    ASSERT_TRUE(loaded.LoadFile(path, message)) << message;
    // The station's raw A/D rules as before any measurement; begin, two copies, end; then per
    // run begin, one raw A/D point, end.
    ASSERT_EQ(loaded.GetObsCount(), 1u + 4u + 2u * 3u);
    EXPECT_NE(dynamic_cast<const CSampRulesRawAD*>(loaded.GetObsAt(0)), nullptr);
    EXPECT_EQ(
        static_cast<const CLogEntry*>(loaded.GetObsAt(1))->text,
        "Begin Vector Scan Parameters (2 points at 1.00 seconds intervals for 2 repetitions)");
    EXPECT_EQ(static_cast<const CLogEntry*>(loaded.GetObsAt(8))->text,
              "Begin Vector Scan 2 of 2: 2 points");
    const auto* point = dynamic_cast<const CRawADObs*>(loaded.GetObsAt(9));
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(point->index, 1);
    EXPECT_EQ(static_cast<const CLogEntry*>(loaded.GetObsAt(10))->text,
              "End Vector Scan 2 of 2: 2 points");
    size_t lines = 0;
    for (char c : run.out)
        lines += c == '\n';
    EXPECT_EQ(lines, 11u);
}

TEST_F(VectorScanToolTest, RefusedOptionsAndEmptyDocumentsAreTheExitCode) {
    const std::string path = MakeDoc(1);
    EXPECT_EQ(Run("vectorscan --reps 0 " + path).code, 2);
    EXPECT_EQ(Run("vectorscan --fast " + path).code, 2);
    EXPECT_EQ(Run("vectorscan").code, 2);
    CObsDoc empty;
    std::string message;
    ASSERT_TRUE(empty.SaveFile(dir.File("empty.vpo"), message));
    const SToolRun run = Run("vectorscan " + dir.File("empty.vpo"));
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("holds no vector scan operations"), std::string::npos) << run.err;
}

}  // namespace
