// The start of the desktop program after a crash during a scan: the journal under the data root
// becomes the scan file before any document is read, the observation document on disk gains
// the scan, and the user is told in one message.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "app/MainFrame.h"
#include "app/Startup.h"
#include "obs/ObsDoc.h"
#include "obs/ScanObs.h"
#include "obs/WireObs.h"
#include "scan/ScanDoc.h"
#include "scan/ScanJournal.h"
#include "settings/FileNumbering.h"
#include "support/TestEnv.h"

namespace fs = std::filesystem;

namespace {

class CRecordingStartupUi : public CStartupUi {
  public:
    bool CreateMainFrame() override {
        frame = std::make_unique<CMainFrame>();
        return true;
    }
    std::optional<EStartChoice> FileLocations(std::string&) override { return choice; }
    std::optional<std::string> AskOpenPath(const std::string&, const SDocTemplate*) override {
        return std::nullopt;
    }
    bool OpenDocument(const std::string& path, const SDocTemplate&) override {
        // What the window reads at this moment.
        CObsDoc doc;
        std::string message;
        if (doc.LoadFile(path, message)) obsCountWhenOpened = doc.GetObsCount();
        return true;
    }
    void NewDocument(const SDocTemplate&) override {}

    std::optional<EStartChoice> choice = EStartChoice::NewFile;
    size_t obsCountWhenOpened = 0;
    std::unique_ptr<CMainFrame> frame;
};

class ScanRecoveryStartupTest : public CVelmTest {
  protected:
    ScanRecoveryStartupTest() : cwd(fs::current_path()) {
        profile.WriteProfileInt(kMainframeSection, kNumberOfRunsKey, 5);
        root = dir.File("root");
        fs::create_directories(root + "/ScnGrp0001WedDec05");
        profile.WriteProfileString(kMainframeSection, "Line 0", root);
        scanFile = root + "/ScnGrp0001WedDec05/WedDec05Scan0000.scn";
        obsDocPath = root + "/day.vpo";
        CObsDoc obsDoc;
        obsDoc.AddLogEntry("the day starts");
        std::string message;
        EXPECT_TRUE(obsDoc.SaveFile(obsDocPath, message)) << message;

        // A scan of 6 points that died after its second point.
        CScanDoc scan;
        scan.scanFile = scanFile;
        scan.steps = CIVector4(3, 2, 1, 1);
        CScanJournal journal;
        EXPECT_TRUE(journal.Begin(scan, obsDocPath, 0, 6, message)) << message;
        for (int i = 0; i < 2; ++i) {
            CWireObs obs;
            obs.reading = CDVector4(0.1, 0, 0, 0);
            EXPECT_TRUE(journal.Append(obs, i + 1, message));
        }
    }
    ~ScanRecoveryStartupTest() override { fs::current_path(cwd); }

    fs::path cwd;
    std::string root, scanFile, obsDocPath;
    CRecordingStartupUi ui;
    CVelmApp app{ui};
};

TEST_F(ScanRecoveryStartupTest, FileLocationsRootIsSearchedAndTheUserTold) {
    ASSERT_TRUE(app.InitInstance({}));
    ASSERT_TRUE(fs::exists(scanFile));
    EXPECT_FALSE(fs::exists(CScanJournal::PathFor(scanFile)));
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].icon, EPromptIcon::Information);
    EXPECT_NE(prompt.LastText().find(scanFile + ": scan 0 recovered, 2 observations, stopped at "
                                                "point 3 of 6"),
              std::string::npos)
        << prompt.LastText();
    CObsDoc obsDoc;
    std::string message;
    ASSERT_TRUE(obsDoc.LoadFile(obsDocPath, message));
    ASSERT_EQ(obsDoc.GetObsCount(), 2u);
    EXPECT_EQ(dynamic_cast<const CScanObs&>(*obsDoc.GetObsAt(1)).fileName, scanFile);
}

// The document named on the command line is read after the recovery, with the scan in it.
TEST_F(ScanRecoveryStartupTest, DocumentOnTheCommandLineIsReadAfterRecovery) {
    ASSERT_TRUE(app.InitInstance({obsDocPath}));
    EXPECT_EQ(ui.obsCountWhenOpened, 2u);
    EXPECT_EQ(prompt.shown.size(), 1u);
}

}  // namespace
