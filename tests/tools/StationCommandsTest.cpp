// velm-tool on image sequences and the bath mover, run as a user would: describe and roundtrip
// of a .vsq, an acquisition into a root folder, and the simulated carriage's status.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Format.h"
#include "settings/FileNumbering.h"
#include "support/TestEnv.h"
#include "support/ToolRun.h"

namespace fs = std::filesystem;

namespace {

class StationCommandsTest : public CVelmTest {
  protected:
    SToolRun Tool(const std::string& args) {
        return RunVelmTool(dir.File("velm.ini"), args, dir.Path());
    }
    // The two-frame sequence of the fuzzing seeds, written out by hand from the record.
    const std::string seed =
        std::string(VELM_SOURCE_DIR) + "/fuzz/corpus/document/sequence-two-frames.vsq";
};

TEST_F(StationCommandsTest, DescribeAndRoundtripTakeSequenceFiles) {
    SToolRun run = Tool("describe --details 0x64 " + seed);
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out,
              "11:20:01.000  DIB Image:  /data/exp/V0314007/00000000.bmp \n"
              "11:20:02.000  DIB Image:  /data/exp/V0314007/00000001.bmp \n");
    fs::copy_file(seed, dir.File("OLD.ISQ"));
    run = Tool("roundtrip " + dir.File("OLD.ISQ") + " " + dir.File("copy.vsq"));
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(ReadFileText(dir.File("copy.vsq")), ReadFileText(seed));
}

TEST_F(StationCommandsTest, SequenceAcquiresIntoANewFolderAndPrintsItsFiles) {
    fs::create_directories(dir.File("root"));
    SToolRun run = Tool("sequence --steps 2,1,1,1 --end 10,0,0,0 --wait 0 --ref background " +
                        dir.File("root"));
    ASSERT_EQ(run.code, 0) << run.err;
    const std::tm today = CClock::LocalTime(std::time(nullptr));
    const std::string name = StrPrintf("%02d%02d000", today.tm_mon + 1, today.tm_mday);
    const std::string expectedFolder = dir.File("root/V" + name);
    EXPECT_EQ(run.out, expectedFolder + "/ref.bmp\n" + expectedFolder + "/00000000.bmp\n" +
                           expectedFolder + "/00000001.bmp\n" + expectedFolder + "/v" + name +
                           ".vsq\n");
    EXPECT_TRUE(fs::exists(expectedFolder + "/00000001.bmp"));
    // Refused entries never make a folder.
    run = Tool("sequence --steps 0,1,1,1 " + dir.File("root"));
    EXPECT_EQ(run.code, 2);
}

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
