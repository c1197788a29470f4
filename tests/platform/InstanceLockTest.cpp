#include "platform/InstanceLock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "support/TestEnv.h"

TEST(InstanceLock, OneHolderAtATimeUntilItLetsGo) {
    CTempDir dir;
    const std::string path = dir.File("velm.lock");
    CInstanceLock first, second;
    EXPECT_EQ(first.Take(path), CInstanceLock::EResult::Taken);
    EXPECT_TRUE(first.Held());
    EXPECT_EQ(first.Take(path), CInstanceLock::EResult::Taken);  // already ours
    // A second holder (another open of the file, as another program makes) is refused.
    EXPECT_EQ(second.Take(path), CInstanceLock::EResult::HeldElsewhere);
    EXPECT_FALSE(second.Held());
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    first.Release();
    EXPECT_EQ(second.Take(path), CInstanceLock::EResult::Taken);
    // Ending (the destructor) lets go as a crash would: the file left behind locks nothing.
    {
        CInstanceLock third;
        EXPECT_EQ(third.Take(path), CInstanceLock::EResult::HeldElsewhere);
    }
}

TEST(InstanceLock, ALinkOrAFolderIsNoLock) {
    CTempDir dir;
    WriteFileText(dir.File("target"), "someone else's file");
    ASSERT_EQ(::symlink(dir.File("target").c_str(), dir.File("link.lock").c_str()), 0);
    CInstanceLock lock;
    EXPECT_EQ(lock.Take(dir.File("link.lock")), CInstanceLock::EResult::Unavailable);
    ASSERT_EQ(::mkdir(dir.File("folder.lock").c_str(), 0700), 0);
    EXPECT_EQ(lock.Take(dir.File("folder.lock")), CInstanceLock::EResult::Unavailable);
    EXPECT_EQ(lock.Take(dir.File("no/such/folder/x.lock")), CInstanceLock::EResult::Unavailable);
    EXPECT_EQ(ReadFileText(dir.File("target")), "someone else's file");
}

TEST(InstanceLock, TheLockLivesInTheRuntimeFolder) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string keep = saved ? saved : "";
    CTempDir dir;
    setenv("XDG_RUNTIME_DIR", dir.Path().c_str(), 1);
    EXPECT_EQ(CInstanceLock::RuntimePath("velm-1.lock"), dir.File("velm-1.lock"));
    setenv("XDG_RUNTIME_DIR", "relative", 1);  // not a usable folder: the temporary folder
    EXPECT_NE(CInstanceLock::RuntimePath("velm-1.lock").find("/velm-1.lock"), std::string::npos);
    EXPECT_EQ(CInstanceLock::RuntimePath("velm-1.lock").front(), '/');
    if (saved)
        setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
}
