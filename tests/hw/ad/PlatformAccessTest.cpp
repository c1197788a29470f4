// A refused port access says what to do about it.

#include <gtest/gtest.h>

#include <string>

#include "platform/PortIo.h"

namespace {

TEST(LinuxPortIo, RefusalSaysWhatIsMissing) {
    std::string noCap = CLinuxPortIo::RefusalText(0x300, 8, "[none] integrity confidentiality",
                                                  false, "/usr/bin/velm");
    EXPECT_NE(noCap.find("I/O ports 300-307"), std::string::npos) << noCap;
    EXPECT_NE(noCap.find("root or the CAP_SYS_RAWIO capability"), std::string::npos);
    EXPECT_NE(noCap.find("sudo setcap cap_sys_rawio+ep /usr/bin/velm"), std::string::npos);
    // Lockdown refuses even root: the capability advice would not help.
    std::string locked = CLinuxPortIo::RefusalText(0x378, 1, "none [integrity] confidentiality",
                                                   true, "/usr/bin/velm");
    EXPECT_NE(locked.find("I/O port 378 "), std::string::npos) << locked;
    EXPECT_NE(locked.find("lockdown (Secure Boot is on)"), std::string::npos);
    EXPECT_EQ(locked.find("setcap"), std::string::npos);

    CLinuxPortIo io;
    std::string why;
    EXPECT_FALSE(io.Acquire(0xFFFE, 8, why));
    EXPECT_NE(why.find("outside the PC's I/O space"), std::string::npos) << why;
}

}  // namespace
