// The shell's Qt dialogs bound to their logic, and the hand-over of documents between two
// starts of the program.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <thread>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "app/MainFrame.h"
#include "gui/GuiTestSupport.h"
#include "gui/app/AdBoardTestDialog.h"
#include "gui/app/Dialogs.h"
#include "gui/app/RootDirectoryDialogs.h"
#include "gui/platform/SingleInstance.h"
#include "hw/AdBoard.h"
#include "settings/FileNumbering.h"
#include "support/TestEnv.h"

namespace fs = std::filesystem;

namespace {
class ShellDialogsTest : public CVelmTest {};

// The runtime folder of a test is its scratch folder, so the lock files go with it.
class CScopedRuntimeDir {
  public:
    explicit CScopedRuntimeDir(const std::string& path) {
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        had = old != nullptr;
        if (had) saved = old;
        setenv("XDG_RUNTIME_DIR", path.c_str(), 1);
    }
    ~CScopedRuntimeDir() {
        if (had)
            setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
    }

  private:
    bool had = false;
    std::string saved;
};

void ClickOk(QDialog& dialog) {
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}
}  // namespace

TEST_F(ShellDialogsTest, FileLocationsShowsTheLayoutAndReturnsTheButtonPressed) {
    CFileLocationsDialog dialog(dir.Path());
    QStringList texts;
    for (QLabel* label : Child(dialog, "fileLocations")->findChildren<QLabel*>())
        texts << label->text();
    EXPECT_TRUE(texts.contains("Scans:"));
    EXPECT_TRUE(texts.contains(QString::fromStdString(dir.File("IMAGES/IMAGE###.DIB"))));
    EXPECT_TRUE(Child<QPushButton>(dialog, "newFile")->isDefault());
    EXPECT_FALSE(dialog.Choice());
    Child<QPushButton>(dialog, "systemSetup")->click();
    EXPECT_EQ(dialog.Choice(), EStartChoice::SystemSetup);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(ShellDialogsTest, RootDirectoryDialogListsFoldersAndCreatesAMissingRoot) {
    fs::create_directories(dir.File("data/alpha"));
    WriteFileText(dir.File("data/notes.txt"), "n");
    profile.WriteProfileInt(kMainframeSection, "Next Image", 7);
    CRootDirectoryDialog dialog(dir.File("data"));
    auto* paths = Child<QListWidget>(dialog, "paths");
    ASSERT_EQ(paths->count(), 2);
    EXPECT_EQ(paths->item(1)->text(), "alpha");
    EXPECT_EQ(Child<QListWidget>(dialog, "files")->item(0)->text(), "notes.txt");
    emit paths->itemDoubleClicked(paths->item(1));
    EXPECT_EQ(Child<QLabel>(dialog, "currentPath")->text().toStdString(), dir.File("data/alpha"));

    Child<QLineEdit>(dialog, "rootDirectory")->setText("beta");
    prompt.answers = {EPromptAnswer::Ok};
    dialog.accept();
    EXPECT_EQ(dialog.Result(), dir.File("data/alpha/beta"));
    EXPECT_TRUE(fs::is_directory(dialog.Result()));

    // Cancelling records the experiment number and starts the counters again (numbered files
    // never overwrite an existing one, so nothing is lost by it).
    CRootDirectoryDialog other(dir.Path());
    other.reject();
    EXPECT_EQ(GetNextImageNumber(), 0);
}

TEST_F(ShellDialogsTest, DefaultFilenamesTakeFiveCharactersAndResetAsked) {
    profile.WriteProfileInt(kMainframeSection, "Next Export File", 12);
    CDefaultFilenamesDialog dialog;
    auto* images = Child<QLineEdit>(dialog, "images");
    EXPECT_EQ(images->maxLength(), 5);
    EXPECT_EQ(Child<QLabel>(dialog, "exportNumber")->text(), "current number: 12");
    prompt.answers = {EPromptAnswer::Yes};
    Child<QPushButton>(dialog, "resetExports")->click();
    EXPECT_EQ(prompt.LastText(),
              "Are you sure you want to reset the next export file number to 0?");
    EXPECT_EQ(Child<QLabel>(dialog, "exportNumber")->text(), "current number: 0");
    // The prefix in use is shown (the default on a fresh installation).
    EXPECT_EQ(images->text(), "image");
    images->clear();
    QTest::keyClicks(images, "frames");
    EXPECT_EQ(images->text(), "frame");
    ClickOk(dialog);
    EXPECT_EQ(GetImagePrefix(), "frame");
}

TEST_F(ShellDialogsTest, SetDaOutputRefusesABadPeriodAndReturnsTheValues) {
    CMainFrame frame;
    CSetDaOutputLogic logic(frame.da, frame.AdBoard());
    CSetDaOutputDialog dialog(logic);
    auto* period = Child<QLineEdit>(dialog, "period");
    period->setText("2.5");
    ClickOk(dialog);
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(prompt.LastText(), "The tracking period is whole seconds from 1 to 3600.");
    period->setText("3");
    Child<QRadioButton>(dialog, "choice1_2")->setChecked(true);
    ClickOk(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Values().op[1], kDaTrack[1]);
    EXPECT_DOUBLE_EQ(dialog.Values().trackSec, 3.0);
}

TEST_F(ShellDialogsTest, AboutBoxAndNewDocumentChoice) {
    CAboutDialog about;
    EXPECT_EQ(about.windowTitle(), "About VELM for Windows");
    EXPECT_EQ(Child<QLabel>(about, "version")->text(), "VELM for Windows Version 2.00");
    CNewDocumentDialog chooser;
    auto* types = Child<QListWidget>(chooser, "types");
    ASSERT_EQ(types->count(), 5);
    EXPECT_EQ(types->item(0)->text(), "VELM Data Document");
    EXPECT_EQ(types->item(4)->text(), "VELM Image Sequence");
    types->setCurrentRow(1);
    EXPECT_EQ(chooser.Choice(), EDocType::Scan);
}

TEST_F(ShellDialogsTest, ASecondStartHandsItsDocumentToTheFirst) {
    const QString settings = QString::fromStdString(profile.Path());
    CSingleInstance first(settings);
    QStringList received;
    ASSERT_TRUE(first.Listen([&](const QString& path) { received << path; }));

    // The second start blocks on its socket, as a separate program would; the first keeps
    // its event loop turning meanwhile.
    bool taken = false;
    std::thread second([&] {
        CSingleInstance other(settings);
        taken = other.HandOver("/data/day 1.vpo");
    });
    QTRY_VERIFY_WITH_TIMEOUT(received.size() == 1, 5000);
    second.join();
    EXPECT_TRUE(taken);
    EXPECT_EQ(received.front(), "/data/day 1.vpo");

    // Whatever else arrives on the socket is dropped.
    for (QByteArray junk :
         {QByteArray("relative/path.vpo\n"), QByteArray("/a\x07.vpo\n"), QByteArray(9000, 'x')}) {
        QLocalSocket socket;
        socket.connectToServer(CSingleInstance::ServerName(settings));
        ASSERT_TRUE(socket.waitForConnected(1000));
        socket.write(junk);
        socket.flush();
        QTest::qWait(50);
    }
    QTest::qWait(100);
    EXPECT_EQ(received.size(), 1);

    // Another settings file is another program.
    EXPECT_NE(CSingleInstance::ServerName(settings), CSingleInstance::ServerName("/x/velm.ini"));
    EXPECT_FALSE(CSingleInstance("/x/velm.ini").HandOver("/data/a.vpo", 200));
}

TEST_F(ShellDialogsTest, OneProgramPerSettingsFileAndNeverASecondStation) {
    CScopedRuntimeDir runtime(dir.Path());
    const QString settings = QString::fromStdString(profile.Path());
    CSingleInstance first(settings);
    ASSERT_EQ(first.Start(QString()), CSingleInstance::ERole::First);
    EXPECT_EQ(CSingleInstance::LockPath(settings).toStdString().rfind(dir.Path() + "/velm-", 0),
              0u);
    EXPECT_TRUE(QFileInfo::exists(CSingleInstance::LockPath(settings)));

    // A second start without a document does not build a station on the same hardware.
    CSingleInstance plain(settings);
    EXPECT_EQ(plain.Start(QString()), CSingleInstance::ERole::Refused);
    EXPECT_EQ(prompt.LastText().rfind(
                  "VELM is already running with the settings file " + profile.Path() + ".", 0),
              0u);

    // The first is still starting (not listening yet): the second waits, then gives up without
    // starting a station of its own.
    CSingleInstance waiting(settings);
    EXPECT_EQ(waiting.Start("/data/day 1.vpo", 1000), CSingleInstance::ERole::Refused);
    EXPECT_NE(prompt.LastText().find("did not take the document\n\n/data/day 1.vpo\n\nwithin 1 "
                                     "seconds"),
              std::string::npos);

    // Listening, it takes documents; a start from another program blocks on its socket while
    // the first keeps its event loop turning.
    QStringList received;
    ASSERT_TRUE(first.Listen([&](const QString& path) { received << path; }));
    CSingleInstance::ERole role = CSingleInstance::ERole::First;
    std::thread second([&] { role = CSingleInstance(settings).Start("/data/day 2.vpo", 10000); });
    QTRY_VERIFY_WITH_TIMEOUT(received.size() == 1, 10000);
    second.join();
    EXPECT_EQ(role, CSingleInstance::ERole::HandedOver);
    EXPECT_EQ(received.front(), "/data/day 2.vpo");
}

TEST_F(ShellDialogsTest, AStaleSocketOfAProgramThatEndedIsTakenOver) {
    CScopedRuntimeDir runtime(dir.Path());
    const QString settings = QString::fromStdString(profile.Path());
    // A program that crashed left its socket file behind; nothing holds the lock.
    {
        QLocalServer crashed;
        crashed.setSocketOptions(QLocalServer::UserAccessOption);
        ASSERT_TRUE(crashed.listen(CSingleInstance::ServerName(settings)));
        const QString socketFile = crashed.fullServerName();
        crashed.close();
        // QLocalServer removes its file on close; put one back as a crash would leave it.
        int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(fd, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socketFile.toLocal8Bit().constData(),
                     sizeof address.sun_path - 1);
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
        ASSERT_TRUE(QFileInfo::exists(socketFile));
    }
    // A start with a document finds no program: it starts the station itself and listens.
    CSingleInstance next(settings);
    ASSERT_EQ(next.Start("/data/day 3.vpo", 1000), CSingleInstance::ERole::First);
    QStringList received;
    ASSERT_TRUE(next.Listen([&](const QString& path) { received << path; }));
    bool taken = false;
    std::thread other([&] { taken = CSingleInstance(settings).HandOver("/data/day 4.vpo"); });
    QTRY_VERIFY_WITH_TIMEOUT(received.size() == 1, 5000);
    other.join();
    EXPECT_TRUE(taken);
}

TEST_F(ShellDialogsTest, AdBoardTestShowsReadingsAndKeepsItsLine) {
    CAdBoard board;
    board.type = kAdSine;
    board.Init();
    CAdBoardTestDialog dialog(board);
    Child<QLineEdit>(dialog, "last")->setText("2");
    auto* start = Child<QPushButton>(dialog, "start");
    start->click();
    EXPECT_TRUE(dialog.TimerRunning());
    EXPECT_EQ(start->text(), "Stop");
    dialog.Tick();
    dialog.Tick();
    EXPECT_TRUE(Child<QLabel>(dialog, "values")->text().startsWith("A/D Values: 0: "));
    EXPECT_TRUE(Child<QLabel>(dialog, "values")->text().contains("  2: "));
    EXPECT_EQ(Child<CStripChart>(dialog, "chart")->SampleCount(), 2u);
    dialog.reject();
    EXPECT_FALSE(dialog.TimerRunning());
    EXPECT_EQ(profile.GetProfileString(kMainframeSection, "ADTest").rfind("first=0  last=2  ", 0),
              0u);

    // A range the board does not have starts nothing.
    CAdBoardTestDialog again(board);
    Child<QLineEdit>(again, "first")->setText("3");
    Child<QPushButton>(again, "start")->click();
    EXPECT_FALSE(again.TimerRunning());
    EXPECT_EQ(prompt.LastText(), "Illegal A/D channel range (3-2), must be inside 0-7.");
    EXPECT_TRUE(Child<QPushButton>(again, "send")->isEnabled());

    // A board without D/A outputs has nothing to send or track to.
    board.type = kAdRandom;
    CAdBoardTestDialog noDa(board);
    EXPECT_FALSE(Child<QPushButton>(noDa, "send")->isEnabled());
    EXPECT_FALSE(Child<QPushButton>(noDa, "track")->isEnabled());
    EXPECT_FALSE(Child<QLineEdit>(noDa, "daVolts")->isEnabled());
    EXPECT_TRUE(Child<QPushButton>(noDa, "start")->isEnabled());
}
