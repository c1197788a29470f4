#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/AtomicFile.h"
#include "support/TestEnv.h"

namespace fs = std::filesystem;

namespace {
size_t CountEntries(const std::string& dir) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir))
        ++n;
    return n;
}
}  // namespace

TEST(AtomicFile, ReplacesContentAndLeavesNoTemporaryFile) {
    CTempDir dir;
    std::string path = dir.File("doc.vpo");
    WriteFileText(path, "old contents");
    ASSERT_TRUE(WriteFileAtomic(path, "new"));
    EXPECT_EQ(ReadFileText(path), "new");
    EXPECT_EQ(CountEntries(dir.Path()), 1u);
}

TEST(AtomicFile, AbortedOrUncommittedWriteKeepsTheOldFile) {
    CTempDir dir;
    std::string path = dir.File("velm.ini");
    WriteFileText(path, "good");
    {
        CAtomicFile file;
        ASSERT_TRUE(file.Open(path));
        file.Write("half a docu");
        // destroyed without Commit, as after an exception or a failed save
    }
    EXPECT_EQ(ReadFileText(path), "good");
    EXPECT_EQ(CountEntries(dir.Path()), 1u);
}

TEST(AtomicFile, LargeWritesAreBufferedCorrectly) {
    CTempDir dir;
    std::string path = dir.File("big");
    std::string expected;
    CAtomicFile file;
    ASSERT_TRUE(file.Open(path));
    for (int i = 0; i < 5000; ++i) {
        std::string chunk(static_cast<size_t>(i % 700 + 1), static_cast<char>('a' + i % 26));
        expected += chunk;
        ASSERT_TRUE(file.Write(chunk));
    }
    std::string huge(3 << 20, 'z');  // larger than the buffer
    expected += huge;
    ASSERT_TRUE(file.Write(huge));
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(ReadFileText(path), expected);
}

TEST(AtomicFile, KeepsPermissionsAndFollowsSymbolicLinks) {
    CTempDir dir;
    std::string real = dir.File("real.ini");
    std::string link = dir.File("link.ini");
    WriteFileText(real, "a");
    ::chmod(real.c_str(), 0640);
    fs::create_symlink(real, link);
    ASSERT_TRUE(WriteFileAtomic(link, "b"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFileText(real), "b");
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(AtomicFile, FailureInAMissingFolderReportsTheReason) {
    CTempDir dir;
    std::string error;
    EXPECT_FALSE(WriteFileAtomic(dir.File("no/such/folder/file"), "x", &error));
    EXPECT_FALSE(error.empty());
}

TEST(AtomicFile, ReadWholeFileReportsMissingFiles) {
    CTempDir dir;
    std::string bytes = "stale";
    int code = 0;
    EXPECT_FALSE(ReadWholeFile(dir.File("missing"), bytes, &code));
    EXPECT_EQ(code, ENOENT);
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(ReadWholeFile(dir.Path(), bytes, &code));  // a folder is not a file
}
