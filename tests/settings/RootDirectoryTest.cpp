#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "settings/FileNumbering.h"
#include "settings/RootDirectory.h"
#include "support/TestEnv.h"

namespace fs = std::filesystem;

namespace {
class RootDirectoryTest : public CVelmTest {
  protected:
    RootDirectoryTest() {
        fs::create_directories(dir.File("data/beta"));
        fs::create_directories(dir.File("data/alpha"));
        WriteFileText(dir.File("data/notes.txt"), "n");
        WriteFileText(dir.File("data/a.vpo"), "d");
    }
};
}  // namespace

TEST_F(RootDirectoryTest, ListsFoldersAndFilesAndNavigates) {
    CRootDirectoryDialogLogic logic(dir.File("data"));
    EXPECT_EQ(logic.editText, dir.File("data"));
    EXPECT_EQ(logic.Paths(), (std::vector<std::string>{"..", "alpha", "beta"}));
    EXPECT_EQ(logic.Files(), (std::vector<std::string>{"a.vpo", "notes.txt"}));
    logic.OpenPathEntry("alpha");
    EXPECT_EQ(logic.CurrentPath(), dir.File("data/alpha"));
    EXPECT_EQ(logic.editText, logic.CurrentPath());
    logic.OpenPathEntry("..");
    EXPECT_EQ(logic.CurrentPath(), dir.File("data"));
    CRootDirectoryDialogLogic top("/");
    EXPECT_NE(top.Paths().front(), "..");
}

TEST_F(RootDirectoryTest, OkAcceptsExistingRelativeAndAbsoluteEntries) {
    CRootDirectoryDialogLogic logic(dir.File("data"));
    std::string result;
    logic.editText = "";
    ASSERT_TRUE(logic.Ok(result));
    EXPECT_EQ(result, dir.File("data"));
    logic.editText = "beta";
    ASSERT_TRUE(logic.Ok(result));
    EXPECT_EQ(result, dir.File("data/beta"));
    logic.editText = dir.File("data/alpha");
    ASSERT_TRUE(logic.Ok(result));
    EXPECT_EQ(result, dir.File("data/alpha"));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(RootDirectoryTest, OkOffersToCreateAMissingFolder) {
    CRootDirectoryDialogLogic logic(dir.File("data"));
    std::string result;
    logic.editText = "Gamma";  // letter case is kept
    prompt.answers = {EPromptAnswer::Cancel};
    EXPECT_FALSE(logic.Ok(result));
    EXPECT_FALSE(fs::exists(dir.File("data/Gamma")));
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "The folder\n\n\t" + dir.File("data/Gamma") +
                                        "\t  \n\ndoes not exist.  Attempt to create it?");
    EXPECT_EQ(prompt.shown[0].caption, "Root Directory Error");
    EXPECT_EQ(prompt.shown[0].buttons, EPromptButtons::OkCancel);

    prompt.answers = {EPromptAnswer::Ok};
    ASSERT_TRUE(logic.Ok(result));
    EXPECT_EQ(result, dir.File("data/Gamma"));
    EXPECT_TRUE(fs::is_directory(result));

    // A folder that cannot be made keeps the dialog open with the message.
    logic.editText = "notes.txt/inner";
    prompt.answers = {EPromptAnswer::Ok};
    EXPECT_FALSE(logic.Ok(result));
    EXPECT_EQ(prompt.LastText(),
              "Cannot create root directory " + dir.File("data/notes.txt/inner") + ".");
    EXPECT_EQ(prompt.shown.back().icon, EPromptIcon::Stop);
}

TEST_F(RootDirectoryTest, CancelCommitsTheExperimentNumberAndResetsCounters) {
    profile.WriteProfileInt(kMainframeSection, "Next Image", 12);
    profile.WriteProfileInt(kMainframeSection, "Next Export File", 3);
    CRootDirectoryDialogLogic logic(dir.File("data"));
    logic.Cancel();
    EXPECT_EQ(GetNextImageNumber(), 0);
    EXPECT_EQ(GetNextExportFileNumber(), 0);
    EXPECT_EQ(profile.GetProfileString(kMainframeSection, "Last Expt"), "12/5/2007 - 0");
}

TEST_F(RootDirectoryTest, NewFoldersAreNamedByDateAndNumberedThroughTheDay) {
    CRootDirectoryDialogLogic logic(dir.File("data"));
    std::string first = logic.ProposedFolderName();
    EXPECT_EQ(first, "12050700");
    ASSERT_TRUE(logic.CreateInCurrent(first));
    EXPECT_EQ(prompt.LastText(), "The folder \n\n\t" + dir.File("data/12050700") +
                                     "\t  \n\ndoes not exist.  Attempt to create it?");
    EXPECT_EQ(logic.CurrentPath(), dir.File("data/12050700"));
    EXPECT_TRUE(fs::is_directory(logic.CurrentPath()));

    logic.GoToParent();  // "New In Parent Directory ..."
    EXPECT_EQ(logic.CurrentPath(), dir.File("data"));
    EXPECT_EQ(logic.ProposedFolderName(), "12050701");

    // The next day starts again at 00.
    clock.Advance(24 * 3600 * 1000);
    EXPECT_EQ(logic.ProposedFolderName(), "12060700");
}

TEST_F(RootDirectoryTest, CreatingAnExistingOrDeclinedFolderMakesNothing) {
    CRootDirectoryDialogLogic logic(dir.File("data"));
    EXPECT_FALSE(logic.CreateInCurrent("alpha"));
    EXPECT_EQ(prompt.LastText(), "Error moving to directory " + dir.File("data/alpha"));
    EXPECT_FALSE(logic.CreateInCurrent(""));
    prompt.answers = {EPromptAnswer::No};
    EXPECT_FALSE(logic.CreateInCurrent("declined"));
    EXPECT_FALSE(fs::exists(dir.File("data/declined")));
    // An absolute name is taken as it stands.
    prompt.answers = {EPromptAnswer::Yes};
    EXPECT_TRUE(logic.CreateInCurrent(dir.File("elsewhere")));
    EXPECT_EQ(logic.CurrentPath(), dir.File("elsewhere"));
}

TEST_F(RootDirectoryTest, DefaultFilenamesDialogResetsAtOnceAndStoresPrefixesOnOk) {
    profile.WriteProfileInt(kMainframeSection, "Next Image", 41);
    profile.WriteProfileInt(kMainframeSection, "Next Export File", 6);
    CDefaultFilenamesLogic logic;
    EXPECT_EQ(logic.imageNumber, 41);
    EXPECT_EQ(CDefaultFilenamesLogic::NumberText(logic.exportNumber), "current number: 6");
    prompt.answers = {EPromptAnswer::No};
    EXPECT_FALSE(logic.ResetImageNumber());
    EXPECT_EQ(GetNextImageNumber(), 41);
    EXPECT_TRUE(logic.ResetImageNumber());
    EXPECT_EQ(prompt.LastText(), "Are you sure you want to reset the next image file number to 0?");
    EXPECT_EQ(GetNextImageNumber(), 0);  // written at once, before OK
    EXPECT_EQ(logic.imageNumber, 0);
    EXPECT_TRUE(logic.ResetExportNumber());
    EXPECT_EQ(GetNextExportFileNumber(), 0);
    logic.imagePrefix = "cell";
    logic.exportPrefix = "rootsX";
    logic.Ok();
    EXPECT_EQ(GetImagePrefix(), "cell");
    EXPECT_EQ(GetExportPrefix(), "roots");
}

TEST_F(RootDirectoryTest, DefaultFilenamesOkOnAFreshInstallationKeepsTheFileNames) {
    {
        CDefaultFilenamesLogic logic;
        EXPECT_EQ(logic.imagePrefix, "image");
        EXPECT_EQ(logic.exportPrefix, "expor");
        logic.Ok();
    }
    EXPECT_EQ(profile.GetProfileString(kPrefixSection, "Images"), "image");
    EXPECT_EQ(profile.GetProfileString(kPrefixSection, "Text Exports"), "expor");
    // The dialog shows what is stored next time.
    SetPrefixes("cell", "run");
    CDefaultFilenamesLogic again;
    EXPECT_EQ(again.imagePrefix, "cell");
    EXPECT_EQ(again.exportPrefix, "run");
}

TEST_F(RootDirectoryTest, RootDirectoryIsRememberedAndEntered) {
    EXPECT_EQ(GetRootDirectory(), DefaultDataRoot());
    fs::create_directories(dir.File("data"));
    fs::path before = fs::current_path();
    EXPECT_EQ(UseRootDirectory(dir.File("data")), dir.File("data"));
    EXPECT_EQ(fs::current_path(), fs::path(dir.File("data")));
    EXPECT_EQ(GetRootDirectory(), dir.File("data"));
    EXPECT_EQ(profile.GetProfileString(kMainframeSection, "Line 0"), dir.File("data"));
    EXPECT_TRUE(prompt.shown.empty());
    fs::current_path(before);
}

TEST_F(RootDirectoryTest, AnUnreachableRootIsUsedForThisRunButNeverStored) {
    // An unmounted data disk, or a velm.ini copied from a Windows station: the stored root
    // must survive this run, which works in the current folder instead.
    fs::path before = fs::current_path();
    fs::current_path(dir.Path());
    const std::string stored = "d:\\data\\expt";
    profile.WriteProfileString(kMainframeSection, "Line 0", stored);
    EXPECT_EQ(UseRootDirectory(GetRootDirectory()), dir.Path());
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[0].text, "Error moving to root directory " + stored +
                                        "\n\nNo such file or directory. The path is a Windows "
                                        "path (a velm.ini copied from a Windows station?).");
    EXPECT_EQ(prompt.shown[0].icon, EPromptIcon::Stop);
    EXPECT_EQ(prompt.shown[1].text.rfind("Using current directory " + dir.Path() + "\n\n", 0), 0u);
    EXPECT_EQ(profile.GetProfileString(kMainframeSection, "Line 0"), stored);
    // Files of this run go to the stand-in; choosing a root that works ends it.
    EXPECT_EQ(GetRootDirectory(), dir.Path());
    fs::create_directories(dir.File("data"));
    EXPECT_EQ(UseRootDirectory(dir.File("data")), dir.File("data"));
    EXPECT_EQ(GetRootDirectory(), dir.File("data"));
    EXPECT_EQ(profile.GetProfileString(kMainframeSection, "Line 0"), dir.File("data"));
    // The stand-in belongs to its settings file: another file sees its own root.
    UseRootDirectory(dir.File("missing"));
    EXPECT_EQ(prompt.shown[2].text, "Error moving to root directory " + dir.File("missing") +
                                        "\n\nNo such file or directory.");
    CProfile other(dir.File("other.ini"));
    {
        CScopedProfile scoped(&other);
        EXPECT_EQ(GetRootDirectory(), DefaultDataRoot());
    }
    EXPECT_EQ(GetRootDirectory(), dir.File("data"));  // cwd when the stand-in was taken
    fs::current_path(before);
}

TEST(FileLocations, LayoutTextNamesTheThreeKindsOfFiles) {
    EXPECT_EQ(FileLocationsText("/home/lab/data"),
              "Data:\t/home/lab/data/<filename>.VPO\n"
              "Scans:\t/home/lab/data/SGMMDDYY/SMMDD###.SCN\n"
              "Images:\t/home/lab/data/IMAGES/IMAGE###.DIB");
    EXPECT_EQ(ParentPath("/a/b/"), "/a");
    EXPECT_EQ(ParentPath("/a"), "/");
    EXPECT_EQ(JoinPath("/", "x"), "/x");
}
