// The platform pieces the board layer stands on: port-access refusals that tell the user what
// to do, and the run-time library loader.

#include <gtest/gtest.h>

#include <string>

#include "platform/DynamicLibrary.h"
#include "platform/PortIo.h"

namespace {

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

TEST(LinuxPortIo, RefusalSaysWhatIsMissing) {
    std::string noCap = CLinuxPortIo::RefusalText(0x300, 8, "[none] integrity confidentiality",
                                                  false, "/usr/bin/velm");
    EXPECT_TRUE(Contains(noCap, "I/O ports 300-307")) << noCap;
    EXPECT_TRUE(Contains(noCap, "root or the CAP_SYS_RAWIO capability"));
    EXPECT_TRUE(Contains(noCap, "sudo setcap cap_sys_rawio+ep /usr/bin/velm"));

    std::string locked = CLinuxPortIo::RefusalText(0x378, 1, "none [integrity] confidentiality",
                                                   true, "/usr/bin/velm");
    EXPECT_TRUE(Contains(locked, "I/O port 378 ")) << locked;
    EXPECT_TRUE(Contains(locked, "lockdown"));
    EXPECT_TRUE(Contains(locked, "Secure Boot"));
    // Lockdown refuses even root: the capability advice would not help.
    EXPECT_FALSE(Contains(locked, "setcap"));
}

TEST(LinuxPortIo, RefusesRangesOutsideTheIoSpace) {
    CLinuxPortIo io;
    std::string why;
    EXPECT_FALSE(io.Acquire(0xFFFE, 8, why));
    EXPECT_TRUE(Contains(why, "outside the PC's I/O space")) << why;
    EXPECT_FALSE(io.Acquire(0x7FFFFFFF, 1, why));
    EXPECT_TRUE(io.Acquire(0x300, 0, why));
}

TEST(ScriptedPortIo, AnswersQueuedReadsThenTheStandingLevel) {
    CScriptedPortIo io;
    io.queued[0x300] = {1, 2};
    io.levels[0x300] = 7;
    EXPECT_EQ(io.In8(0x300), 1);
    EXPECT_EQ(io.In8(0x300), 2);
    EXPECT_EQ(io.In8(0x300), 7);
    EXPECT_EQ(io.In8(0x301), 0);
    io.Out8(0x302, 9);
    io.Out16(0x304, 0x1234);
    EXPECT_EQ(io.Writes(),
              (std::vector<std::pair<uint16_t, uint16_t>>{{0x302, 9}, {0x304, 0x1234}}));
    EXPECT_EQ(io.ReadCount(0x300), 3u);
    std::string why;
    io.refuse = "no";
    EXPECT_FALSE(io.Acquire(0x300, 8, why));
    EXPECT_EQ(why, "no");
}

TEST(DynamicLibrary, LoadsTheFirstNameThatLoadsAndResolvesSymbols) {
    CDynamicLibrary lib;
    std::string why;
    EXPECT_FALSE(lib.Open({"/nonexistent/libnothing.so"}, why));
    EXPECT_TRUE(Contains(why, "libnothing.so")) << why;
    EXPECT_FALSE(lib.IsOpen());
    EXPECT_EQ(lib.Symbol("DAQmxCreateTask"), nullptr);

    ASSERT_TRUE(lib.Open({"/nonexistent/libnothing.so", VELM_DAQMX_STUB}, why)) << why;
    EXPECT_EQ(lib.Name(), VELM_DAQMX_STUB);
    int32_t (*createTask)(const char*, void**) = nullptr;
    EXPECT_TRUE(lib.Resolve("DAQmxCreateTask", createTask));
    EXPECT_NE(createTask, nullptr);
    int (*missing)() = nullptr;
    EXPECT_FALSE(lib.Resolve("NoSuchFunction", missing));

    CDynamicLibrary moved(std::move(lib));
    EXPECT_TRUE(moved.IsOpen());
    EXPECT_FALSE(lib.IsOpen());
}

}  // namespace
