#include <gtest/gtest.h>

#include <filesystem>

#include "app/MainFrame.h"
#include "app/Startup.h"
#include "hw/AdBoard.h"
#include "hw/fg/FgDialogs.h"
#include "hw/motion/MotionDialogs.h"
#include "settings/FileNumbering.h"
#include "support/TestEnv.h"

namespace fs = std::filesystem;

namespace {
// The window system as the start-up sees it, scripted and recorded.
class CFakeStartupUi : public CStartupUi {
  public:
    bool CreateMainFrame() override {
        calls.push_back("create");
        if (!canCreate) return false;
        frame = std::make_unique<CMainFrame>();
        return true;
    }
    std::optional<EStartChoice> FileLocations(std::string& root) override {
        calls.push_back("locations " + root);
        if (!changedRoot.empty()) root = changedRoot;
        return choice;
    }
    std::optional<std::string> AskOpenPath(const std::string& startName,
                                           const SDocTemplate* only) override {
        calls.push_back("ask " + startName + (only ? std::string(" ") + only->extension : ""));
        return picked;
    }
    bool OpenDocument(const std::string& path, const SDocTemplate& type) override {
        calls.push_back(std::string("open ") + type.docClass + " " + path);
        return true;
    }
    void NewDocument(const SDocTemplate& type) override {
        calls.push_back(std::string("new ") + type.docClass);
    }
    void ShowMainWindow() override { calls.push_back("show"); }

    bool canCreate = true;
    std::optional<EStartChoice> choice;
    std::string changedRoot;
    std::optional<std::string> picked;
    std::vector<std::string> calls;
    std::unique_ptr<CMainFrame> frame;
};

class StartupTest : public CVelmTest {
  protected:
    StartupTest() : cwd(fs::current_path()) {
        profile.WriteProfileInt(kMainframeSection, kNumberOfRunsKey, 5);
        fs::create_directories(dir.File("root"));
        profile.WriteProfileString(kMainframeSection, "Line 0", dir.File("root"));
    }
    ~StartupTest() override { fs::current_path(cwd); }

    fs::path cwd;
    CFakeStartupUi ui;
    CVelmApp app{ui};
};
}  // namespace

TEST_F(StartupTest, ADocumentOnTheCommandLineIsOpenedByItsExtension) {
    WriteFileText(dir.File("Scan One.SCN"), "x");
    std::string scan = dir.File("Scan One.SCN");
    // A path with blanks that arrived as two words is still one path.
    ASSERT_TRUE(app.InitInstance({dir.File("Scan"), "One.SCN"}));
    EXPECT_EQ(ui.calls, (std::vector<std::string>{"create", "open CScanDoc " + scan, "show"}));
    EXPECT_EQ(app.recentFiles.Paths(), std::vector<std::string>{scan});
    EXPECT_EQ(profile.GetProfileString("Recent File List", "File1"), scan);
    EXPECT_EQ(profile.GetProfileInt(kMainframeSection, kNumberOfRunsKey, 0), 6);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(StartupTest, AMissingDocumentIsLookedForWithTheUser) {
    const std::string missing = "gone/old data.vpo";
    ASSERT_TRUE(app.InitInstance({missing}));
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.LastText(), "File gone/old data.vpo not found\nPlease locate current copy.");
    EXPECT_EQ(prompt.shown[0].icon, EPromptIcon::Exclamation);
    EXPECT_EQ(ui.calls, (std::vector<std::string>{"create", "ask " + missing, "show"}));
    EXPECT_TRUE(app.recentFiles.Paths().empty());

    WriteFileText(dir.File("found.vpo"), "x");
    ui.picked = dir.File("found.vpo");
    ui.calls.clear();
    EXPECT_TRUE(app.OpenDocumentFile(missing));
    EXPECT_EQ(ui.calls.back(), "open CObsDoc " + dir.File("found.vpo"));

    // A file that is no document of ours is named, not opened.
    WriteFileText(dir.File("notes.txt"), "x");
    ui.calls.clear();
    EXPECT_FALSE(app.OpenDocumentFile(dir.File("notes.txt")));
    EXPECT_TRUE(ui.calls.empty());
    EXPECT_NE(prompt.LastText().find("notes.txt is not a VELM document"), std::string::npos);
}

TEST_F(StartupTest, WithoutACommandLineTheFileLocationsDialogDecides) {
    ui.choice = EStartChoice::NewFile;
    ui.changedRoot = dir.File("root/expt");
    fs::create_directories(ui.changedRoot);
    ASSERT_TRUE(app.InitInstance({}));
    EXPECT_EQ(ui.calls, (std::vector<std::string>{"create", "locations " + dir.File("root"),
                                                  "new CObsDoc", "show"}));
    EXPECT_EQ(GetRootDirectory(), dir.File("root/expt"));
    EXPECT_EQ(fs::current_path(), fs::path(dir.File("root/expt")));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(StartupTest, OpenFileSystemSetupAndClosingTheDialog) {
    WriteFileText(dir.File("root/day.vpo"), "x");
    ui.choice = EStartChoice::OpenFile;
    ui.picked = dir.File("root/day.vpo");
    EXPECT_FALSE(app.RunFileLocations());
    EXPECT_EQ(ui.calls, (std::vector<std::string>{"locations " + dir.File("root"),
                                                  "ask " + dir.File("root") + " .vpo",
                                                  "open CObsDoc " + dir.File("root/day.vpo")}));

    for (std::optional<EStartChoice> choice :
         {std::optional(EStartChoice::SystemSetup), std::optional<EStartChoice>()}) {
        prompt.shown.clear();
        ui.choice = choice;
        EXPECT_FALSE(app.RunFileLocations());
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_EQ(prompt.LastText(),
                  "Use the 'System' menu to specify and test\nyour hardware configuration.");
    }
}

TEST_F(StartupTest, AnUnreachableRootFallsBackToTheCurrentFolder) {
    fs::current_path(dir.Path());
    ui.choice = EStartChoice::NewFile;
    ui.changedRoot = dir.File("no/such/folder");
    EXPECT_TRUE(app.RunFileLocations());
    EXPECT_EQ(prompt.Texts(),
              (std::vector<std::string>{"Error moving to root directory " + ui.changedRoot,
                                        "Using current directory " + dir.Path()}));
    EXPECT_EQ(GetRootDirectory(), dir.Path());
}

TEST_F(StartupTest, TheFirstRunShowsTheFiveSetupDialogsOnce) {
    int adSetups = 0;
    auto oldAdDialog = CAdBoard::setupDialog;
    CAdBoard::setupDialog = [&](CAdBoardSetupLogic&) {
        ++adSetups;
        return false;
    };
    CScriptedFgDialogs fg;
    int fgSetups = 0;
    fg.editSetup = [&](CFgSetupLogic&) {
        ++fgSetups;
        return false;
    };
    CScopedFgDialogs scopedFg(&fg);
    CScriptedMotionDialogs motion;
    int motionSetups = 0;
    motion.editSetup = [&](CMotionSetupLogic&) {
        ++motionSetups;
        return false;  // cancelled: the count still grows
    };
    CScopedMotionDialogs scopedMotion(&motion);

    profile.WriteProfileString(kMainframeSection, kNumberOfRunsKey, "");
    WriteFileText(dir.File("a.vpd"), "x");
    ASSERT_TRUE(app.InitInstance({dir.File("a.vpd")}));
    EXPECT_EQ(adSetups, 1);
    EXPECT_EQ(fgSetups, 1);
    EXPECT_EQ(motionSetups, 3);
    EXPECT_EQ(profile.GetProfileInt(kMainframeSection, kNumberOfRunsKey, 0), 1);

    CVelmApp::CountRun();
    EXPECT_EQ(motionSetups, 3);
    EXPECT_EQ(profile.GetProfileInt(kMainframeSection, kNumberOfRunsKey, 0), 2);
    CAdBoard::setupDialog = oldAdDialog;
}

TEST_F(StartupTest, NoMainWindowNoStart) {
    ui.canCreate = false;
    EXPECT_FALSE(app.InitInstance({}));
    EXPECT_EQ(ui.calls, std::vector<std::string>{"create"});
    EXPECT_EQ(profile.GetProfileInt(kMainframeSection, kNumberOfRunsKey, 0), 5);
}

TEST_F(StartupTest, RecentFilesKeepFourNewestFirstWithoutRepeats) {
    profile.WriteProfileString("Recent File List", "File1", "/a.vpo");
    profile.WriteProfileString("Recent File List", "File2", "");
    profile.WriteProfileString("Recent File List", "File3", "/a.vpo");
    profile.WriteProfileString("Recent File List", "File4", "/b.scn");
    CRecentFileList list;
    list.Load();
    EXPECT_EQ(list.Paths(), (std::vector<std::string>{"/a.vpo", "/b.scn"}));
    for (const char* path : {"/c.vpd", "/d.isq", "/e.bmp", "/b.scn"})
        list.Add(path);
    EXPECT_EQ(list.Paths(), (std::vector<std::string>{"/b.scn", "/e.bmp", "/d.isq", "/c.vpd"}));
    list.Remove("/e.bmp");
    CRecentFileList again;
    again.Load();
    EXPECT_EQ(again.Paths(), (std::vector<std::string>{"/b.scn", "/d.isq", "/c.vpd"}));
    EXPECT_EQ(profile.GetProfileString("Recent File List", "File4", "?"), "");
}
