// velm-tool dascan as a script runs it: a scan of the Simulated Station's polarographic
// electrode appended to a document, and the exit codes of refused options and of a scan that
// could not run.

#include <gtest/gtest.h>

#include <string>

#include "obs/LogEntry.h"
#include "obs/ObsDoc.h"
#include "obs/RawADObs.h"
#include "support/TestEnv.h"
#include "support/ToolRun.h"

namespace {

constexpr const char* kBench =
    "[A/D Board]\nLine 0=Simulated Station\n"
    "[Raw A/D Sample Rules]\n"
    "Point =chan: 4 to 4, pre=0.000000  avg=1  inter=1  avgperiod=0.010000  burstnum=100  "
    "burstfreq=100.000000\n"
    "[Simulated Station]\n"
    "Line 5=electrode 1: polar  e0=59.000000  slope=59.000000  i0=5.000000  kp=5.000000  "
    "plateau=-0.900000 -0.500000  gains=10.000000 100.000000  hi=4  lo=5  da=0\n";

class DaScanToolTest : public CVelmTest {
  protected:
    DaScanToolTest() { WriteFileText(profile.Path(), kBench); }
    SToolRun Run(const std::string& args) { return RunVelmTool(profile.Path(), args, dir.Path()); }
};

TEST_F(DaScanToolTest, AScanIsAppendedToTheDocumentAndPrinted) {
    const std::string doc = dir.File("iv.vpo");
    const SToolRun run =
        Run("dascan --channel 1 --from -1.3 --to -0.1 --points 9 --interval 0.01 "
            "--rawad " +
            doc);
    ASSERT_EQ(run.code, 0) << run.err;
    CObsDoc loaded;
    std::string message;
    ASSERT_TRUE(loaded.LoadFile(doc, message)) << message;
    // The rules, the begin entry, nine points, the end entry.
    ASSERT_EQ(loaded.GetObsCount(), 12u);
    EXPECT_EQ(static_cast<const CLogEntry*>(loaded.GetObsAt(1))->text,
              "Begin D/A Output Scan of Channel 1 from -1.300V to -0.100V in 9 steps, 1 Scans, "
              "Auto Increment at 0.0 second intervals");
    // Off the plateau, on it (-0.85 V), off again: 0.5 V and 1 V at the main amplifier.
    EXPECT_NEAR(static_cast<const CRawADObs*>(loaded.GetObsAt(2))->values.at(0), 0.5, 1e-9);
    EXPECT_NEAR(static_cast<const CRawADObs*>(loaded.GetObsAt(5))->values.at(0), 1.0, 1e-9);
    EXPECT_NEAR(static_cast<const CRawADObs*>(loaded.GetObsAt(10))->values.at(0), 0.5, 1e-9);
    EXPECT_EQ(loaded.daPoints, 9);
    EXPECT_EQ(loaded.daStart, -1.3);
    size_t lines = 0;
    for (char c : run.out)
        lines += c == '\n';
    EXPECT_EQ(lines, 12u);
    // The dialog's defaults are the desktop program's business.
    EXPECT_EQ(profile.GetProfileString("Observation Document", "Line 1"), "");
}

TEST_F(DaScanToolTest, RefusedOptionsAndAScanThatCannotRunAreTheExitCode) {
    SToolRun run = Run("dascan --channel 1 --from 0 --to 1 --points 5 --interval 0.001 --rawad " +
                       dir.File("iv.vpo"));
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("Automatic increment interval (0.00 sec) must allow\nfor data sampling "
                           "time (0.01 sec)."),
              std::string::npos)
        << run.err;
    // No CDP calibration in velm.ini.
    run = Run("dascan --channel 1 --from 0 --to 1 --points 2 --interval 1 --cdp " +
              dir.File("iv.vpo"));
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("Failed reading CDP Calibration in D/A Output Scan"), std::string::npos)
        << run.err;
}

}  // namespace
