// velm-tool on the station's devices, run as a user would: the simulated carriage's status.

#include <gtest/gtest.h>

#include "settings/FileNumbering.h"
#include "support/TestEnv.h"
#include "support/ToolRun.h"

namespace {

class StationCommandsTest : public CVelmTest {
  protected:
    SToolRun Tool(const std::string& args) {
        return RunVelmTool(dir.File("velm.ini"), args, dir.Path());
    }
};

TEST_F(StationCommandsTest, BathShowsTheSimulatedCarriage) {
    profile.WriteProfileString(kMainframeSection, "Etch-Rinse Control",
                               "Port: 0  Timeout: 15.000000  Status: 2.500000");
    SToolRun run = Tool("bath status");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "port 0: status A: lowered rinse-cup \n");
    run = Tool("bath down");  // already lowered: refused
    EXPECT_EQ(run.code, 1);
    profile.WriteProfileString(kMainframeSection, "Etch-Rinse Control",
                               "Port: 1  Timeout: 15.000000  Status: 2.500000");
    run = Tool("bath status");
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err,
              "velm-tool bath: The etch/rinse control port 1 is not an I/O port address; choose "
              "one in Etch-Rinse Setup.\n");
}

}  // namespace
