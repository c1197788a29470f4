#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "obs/TransferFolder.h"
#include "support/TestEnv.h"

namespace fs = std::filesystem;

namespace {
class TransferFolderTest : public CVelmTest {
  protected:
    TransferFolderTest() : folder(CTransferFolder::ForRoot(dir.Path())) {
        fs::create_directories(folder.Folder());
    }
    CTransferFolder folder;
};
}  // namespace

// Every one of the seven numbers lands in its own field.
static void ExpectRegion(const std::optional<SRegionRequest>& r, std::array<int, 7> numbers) {
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ((std::array<int, 7>{r->x1, r->y1, r->x2, r->y2, r->refFlag, r->refX, r->refY}),
              numbers);
}

TEST_F(TransferFolderTest, RegionRequestIsTakenOnceAndParsed) {
    EXPECT_FALSE(folder.TakeRegionRequest().has_value());
    WriteFileText(folder.PathOf("velmroi.txt"), "(10,20) to (110,220) ref=1 (60,70)\r\n");
    ExpectRegion(folder.TakeRegionRequest(), {10, 20, 110, 220, 1, 60, 70});
    EXPECT_FALSE(fs::exists(folder.PathOf("velmroi.txt")));
    EXPECT_FALSE(folder.TakeRegionRequest().has_value());
    // Seven different numbers, negative ones and blanks as sscanf takes them.
    WriteFileText(folder.PathOf("velmroi.txt"), "(-1, 2) to ( 3,4)  ref=5 (6,-7)");
    ExpectRegion(folder.TakeRegionRequest(), {-1, 2, 3, 4, 5, 6, -7});
}

TEST_F(TransferFolderTest, RegionWithoutReferenceOrWithGarbage) {
    WriteFileText(folder.PathOf("velmroi.txt"), "(1,2) to (3,4)\n");
    ExpectRegion(folder.TakeRegionRequest(), {1, 2, 3, 4, 0, 0, 0});
    // A flag without its position is kept as written.
    WriteFileText(folder.PathOf("velmroi.txt"), "(1,2) to (3,4) ref=1\n");
    ExpectRegion(folder.TakeRegionRequest(), {1, 2, 3, 4, 1, 0, 0});
    // Garbage starts nothing, and is removed so it cannot trigger again.
    WriteFileText(folder.PathOf("velmroi.txt"), "(1,2) to garbage");
    EXPECT_FALSE(folder.TakeRegionRequest().has_value());
    EXPECT_FALSE(fs::exists(folder.PathOf("velmroi.txt")));
    // Only the first 512 characters are read.
    WriteFileText(folder.PathOf("velmroi.txt"), std::string(600, ' ') + "(1,2) to (3,4)");
    EXPECT_FALSE(folder.TakeRegionRequest().has_value());
}

TEST_F(TransferFolderTest, ARegionFileStillBeingWrittenWaitsForTheNextLook) {
    const std::string path = folder.PathOf("velmroi.txt");
    WriteFileText(path, "(10,20) to (110,2");
    EXPECT_FALSE(folder.TakeRegionRequest().has_value());
    EXPECT_TRUE(fs::exists(path));  // not taken, not deleted
    WriteFileText(path, "(10,20) to (110,220) ref=1 (60,70)");
    ExpectRegion(folder.TakeRegionRequest(), {10, 20, 110, 220, 1, 60, 70});

    // A short line that nobody finishes is taken as it stands at the next look.
    WriteFileText(path, "(1,2) to (3,4)");
    EXPECT_FALSE(folder.TakeRegionRequest().has_value());
    ExpectRegion(folder.TakeRegionRequest(), {1, 2, 3, 4, 0, 0, 0});
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(TransferFolderTest, AByteOrderMarkIsSkipped) {
    const std::string path = folder.PathOf("velmroi.txt");
    WriteFileText(path, "\xEF\xBB\xBF(5,6) to (7,8) ref=0 (0,0)\r\n");
    ExpectRegion(folder.TakeRegionRequest(), {5, 6, 7, 8, 0, 0, 0});
    // UTF-16 from a Windows editor.
    std::string wide = "\xFF\xFE";
    for (char c : std::string("(5,6) to (7,8) ref=1 (9,10)\r\n")) {
        wide += c;
        wide += '\0';
    }
    WriteFileText(path, wide);
    ExpectRegion(folder.TakeRegionRequest(), {5, 6, 7, 8, 1, 9, 10});
}

TEST_F(TransferFolderTest, ResponseReplacesTheWholeFileWithoutLineEnd) {
    ASSERT_TRUE(folder.WriteResponse(CTransferFolder::kScanStarted));
    ASSERT_TRUE(folder.WriteResponse(CTransferFolder::kScanFinished));
    EXPECT_EQ(ReadFileText(folder.PathOf("velmresp.txt")), "Scan Finished");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Folder()), fs::directory_iterator()),
              1);  // no temporary file left
    CTransferFolder missing = CTransferFolder::ForRoot(dir.File("nowhere"));
    EXPECT_FALSE(missing.WriteResponse("Scan Started"));
}

TEST_F(TransferFolderTest, AbortCommandMustMatchItsFirstLine) {
    EXPECT_FALSE(folder.TakeAbortCommand());
    WriteFileText(folder.PathOf("velmcmd.txt"), "Pause Scan\n");
    EXPECT_FALSE(folder.TakeAbortCommand());
    EXPECT_TRUE(fs::exists(folder.PathOf("velmcmd.txt")));  // not ours to delete
    WriteFileText(folder.PathOf("velmcmd.txt"), "Abort Scan\r\nmore");
    EXPECT_TRUE(folder.TakeAbortCommand());
    EXPECT_FALSE(fs::exists(folder.PathOf("velmcmd.txt")));
}

TEST_F(TransferFolderTest, ImageRequestDeletesTheOldImageAndWaitsForANewOne) {
    WriteFileText(folder.PathOf("velmimg.bmp"), "old");
    ASSERT_TRUE(folder.RequestImage());
    EXPECT_FALSE(fs::exists(folder.PathOf("velmimg.bmp")));
    EXPECT_EQ(ReadFileText(folder.PathOf("velmresp.txt")), "Get Image");
    uint64_t start = clock.Ticks();
    EXPECT_FALSE(folder.WaitForImage(clock, 30000));
    EXPECT_GE(clock.Ticks() - start, 30000u);
    // The answer arriving during the wait is seen at the next look.
    int polls = 0;
    clock.SetIdleHook([&] {
        if (++polls == 3) WriteFileText(folder.PathOf("velmimg.bmp"), "BM");
    });
    start = clock.Ticks();
    EXPECT_TRUE(folder.WaitForImage(clock, 30000));
    EXPECT_LT(clock.Ticks() - start, 1000u);
    clock.SetIdleHook(nullptr);

    std::string error;
    CTransferFolder missing = CTransferFolder::ForRoot(dir.File("nowhere"));
    EXPECT_FALSE(missing.RequestImage(&error));
    EXPECT_FALSE(error.empty());
}
