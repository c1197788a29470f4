#include <gtest/gtest.h>

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

TEST_F(TransferFolderTest, RegionRequestIsTakenOnceAndParsed) {
    EXPECT_FALSE(folder.TakeRegionRequest().has_value());
    WriteFileText(folder.PathOf("velmroi.txt"), "(10,20) to (110,220) ref=1 (60,70)\r\n");
    auto r = folder.TakeRegionRequest();
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->x1, 10);
    EXPECT_EQ(r->y2, 220);
    EXPECT_EQ(r->refFlag, 1);
    EXPECT_EQ(r->refY, 70);
    EXPECT_FALSE(fs::exists(folder.PathOf("velmroi.txt")));
    EXPECT_FALSE(folder.TakeRegionRequest().has_value());
}

TEST_F(TransferFolderTest, RegionWithoutReferenceOrWithGarbage) {
    WriteFileText(folder.PathOf("velmroi.txt"), "(1,2) to (3,4)");
    auto r = folder.TakeRegionRequest();
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->refFlag, 0);
    // A flag that promises a position but gives none counts as no reference.
    WriteFileText(folder.PathOf("velmroi.txt"), "(1,2) to (3,4) ref=1");
    EXPECT_EQ(folder.TakeRegionRequest()->refFlag, 0);
    // Garbage starts nothing, and is removed so it cannot trigger again.
    WriteFileText(folder.PathOf("velmroi.txt"), "(1,2) to garbage");
    EXPECT_FALSE(folder.TakeRegionRequest().has_value());
    EXPECT_FALSE(fs::exists(folder.PathOf("velmroi.txt")));
    // Only the first 512 characters are read.
    WriteFileText(folder.PathOf("velmroi.txt"), std::string(600, ' ') + "(1,2) to (3,4)");
    EXPECT_FALSE(folder.TakeRegionRequest().has_value());
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
