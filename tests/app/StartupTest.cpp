#include <gtest/gtest.h>

#include <filesystem>

#include "app/MainFrame.h"
#include "app/Startup.h"
#include "hw/AdBoard.h"
#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"
#include "hw/fg/FgDialogs.h"
#include "hw/motion/MotionDialogs.h"
#include "hw/motion/MotionSetupLogic.h"
#include "hw/motion/SimMotionController.h"
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

TEST_F(StartupTest, AnUnreachableRootFallsBackToTheCurrentFolderForThisRunOnly) {
    fs::current_path(dir.Path());
    ui.choice = EStartChoice::NewFile;
    ui.changedRoot = dir.File("no/such/folder");
    EXPECT_TRUE(app.RunFileLocations());
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[0].text, "Error moving to root directory " + ui.changedRoot +
                                        "\n\nNo such file or directory.");
    EXPECT_EQ(prompt.shown[1].text.rfind("Using current directory " + dir.Path(), 0), 0u);
    EXPECT_EQ(GetRootDirectory(), dir.Path());
    // The next start still offers the root the settings hold.
    EXPECT_EQ(profile.GetProfileString(kMainframeSection, "Line 0"), dir.File("root"));
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

TEST_F(StartupTest, TheWholeStationIsBuiltFromVelmIniAsStartUpDoes) {
    // A station's velm.ini: a camera, a sample stage whose Z crawls at 50 um/s with inverted
    // step directions on X, and its own move-complete criteria.
    const char* fg = kFrameGrabberSection;
    profile.WriteProfileString(fg, "Line 0", "NI-IMAQ (PCI-1408/9)");
    profile.WriteProfileString(fg, "Line 1",
                               "C=230  M=D000  Preview=320x240  Capture=768x576  (avg 1)");
    profile.WriteProfileString(fg, "Line 2",
                               "G=61  O=40  H=50  S=50  ILUT=0  OLUT=0 (PC=0)  Pal=1487");
    profile.WriteProfileString(fg, "Line 3",
                               "Aspect: 1.250000  Origin0: 300,200  Origin1: 320,240  TVStandard: "
                               "1484  SecToSave=5.000000");
    const char* sample = kSampleMotionSection;
    profile.WriteProfileString(sample, "Line 1", "Steps/micron: 10 10 10 10");
    profile.WriteProfileString(sample, "Line 2", "Positive motion: 1 0 0 0");
    profile.WriteProfileString(sample, "Line 4", "Maximum speed: 2500 2500 50 2500 microns/sec");
    const std::string mcs = "criteria=3  deadband=7  delay=2  minpulse=12  statuscheckdelay=30";
    profile.WriteProfileString(kFlexMotionMcsSection, "Line 1", mcs);
    profile.WriteProfileString("A/D Board", "Line 0", "Sine Wave (0.1 Hz)");

    ui.choice = EStartChoice::NewFile;
    ASSERT_TRUE(app.InitInstance({}));
    ASSERT_NE(ui.frame, nullptr);
    CMainFrame& frame = *ui.frame;

    // The grabber took its section: it grabs from the camera, at the stored size.
    CFgBoard& board = frame.FgBoard();
    EXPECT_EQ(board.type, kFgNiImaq1408);
    EXPECT_EQ(board.captureWidth, 768);
    EXPECT_EQ(board.gain, 61);
    EXPECT_EQ(board.origin0, (SPixel{300, 200}));
    EXPECT_EQ(board.tvStandard, kTvStandardPal);
    EXPECT_EQ(frame.AdBoard().type, kAdSine);

    // The stages are programmed: speeds, step directions and the controller's start-up.
    CMsWcmc& stage = frame.SampleSystem();
    auto* controller = dynamic_cast<CSimMotionController*>(&stage.controller.Driver());
    ASSERT_NE(controller, nullptr);
    EXPECT_TRUE(controller->Initialized());
    EXPECT_EQ(controller->StepMode(1), kStepModePositive);
    EXPECT_EQ(controller->StepMode(2), kStepModeInverted);
    EXPECT_EQ(stage.controller.velocity[2], 500);  // 50 um/s at 10 steps/um
    EXPECT_EQ(stage.controller.velocity[0], 25000);
    EXPECT_EQ(stage.controller.deadband[0], 7);
    EXPECT_EQ(stage.controller.statusCheckDelay, 30);
    // 100 um of Z at 50 um/s takes seconds, not the tenths the controller's defaults would.
    ASSERT_EQ(stage.MoveRelative({0, 0, 100.0, 0}, kSpeedModeLinear), CMsWcmc::kMoveDone);
    EXPECT_GT(stage.controller.ExpectedMoveSeconds(), 2.0);

    // Saving a stage (Setup OK, a "Zmin:" box) keeps the shared line as the station had it,
    // and OK in a grabber dialog keeps the grabber's section.
    frame.zMinimumEntry[1] = "-50";
    frame.ApplyZMinimum(EStage::Sample, true);
    EXPECT_EQ(profile.GetProfileString(kFlexMotionMcsSection, "Line 1"), mcs);
    board.ZeroOrigin();
    EXPECT_EQ(profile.GetProfileString(fg, "Line 0"), "NI-IMAQ (PCI-1408/9)");
    EXPECT_EQ(profile.GetProfileString(fg, "Line 1"),
              "C=230  M=D000  Preview=320x240  Capture=768x576  (avg 1)");
    EXPECT_EQ(profile.GetProfileString(fg, "Line 2").substr(0, 11), "G=61  O=40 ");
    EXPECT_TRUE(prompt.shown.empty()) << prompt.LastText();
}

TEST_F(StartupTest, AZMinimumSetInTheFirstRunSetupIsWhatTheBoxesApply) {
    // First run: the probe's setup sets a Z minimum of -20 um and turns it on. The control
    // bar's boxes must show it, or the first Home/End key would apply the stale -100.
    CScriptedMotionDialogs motion;
    int setups = 0;
    motion.editSetup = [&](CMotionSetupLogic& logic) {
        if (setups++ != 0) return false;
        logic.zMinimum = "-20";
        logic.zMinimumOn = true;
        return logic.Accept();
    };
    CScopedMotionDialogs scopedMotion(&motion);
    auto oldAdDialog = CAdBoard::setupDialog;
    CAdBoard::setupDialog = nullptr;
    profile.WriteProfileString(kMainframeSection, kNumberOfRunsKey, "0");
    ASSERT_TRUE(app.InitInstance({}));
    CMainFrame& frame = *ui.frame;
    EXPECT_EQ(frame.zMinimumEntry[0], "-20.00");
    frame.micronsPerKeyEntry = "10";
    EXPECT_TRUE(frame.OnKey(EMotionKey::End, 1, false));
    EXPECT_DOUBLE_EQ(frame.ProbeSystem().zMinimum, -20.0);
    EXPECT_EQ(frame.ProbeSystem().zMinimumOn, 1);
    EXPECT_EQ(profile.GetProfileString(kProbeMotionSection, "Line 8"),
              "ZMinimum: -20.000000  on=1");
    CAdBoard::setupDialog = oldAdDialog;
}
