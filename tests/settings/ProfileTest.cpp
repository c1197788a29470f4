#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>

#include "settings/Profile.h"
#include "support/TestEnv.h"

namespace {
class ProfileTest : public CVelmTest {};
}  // namespace

TEST_F(ProfileTest, MissingFileGivesDefaultsAndTheFirstWriteCreatesIt) {
    EXPECT_EQ(profile.GetProfileInt("A/D Board", "Number", 7), 7);
    EXPECT_EQ(profile.GetProfileInt("Mainframe Parameters", "Next Image", -1), -1);
    EXPECT_EQ(profile.GetProfileString("A/D Board", "Line 0", "<None>"), "<None>");
    EXPECT_EQ(profile.GetProfileString("A/D Board", "Line 0"), "");
    EXPECT_FALSE(std::filesystem::exists(profile.Path()));

    ASSERT_TRUE(profile.WriteProfileInt("Mainframe Parameters", "Number of Runs", 1));
    EXPECT_EQ(ReadFileText(profile.Path()), "[Mainframe Parameters]\nNumber of Runs=1\n");
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(ProfileTest, CreatesTheSettingsFolderOnFirstWrite) {
    CProfile nested(dir.File("config/velm/velm.ini"));
    ASSERT_TRUE(nested.WriteProfileString("S", "k", "v"));
    EXPECT_EQ(nested.GetProfileString("S", "k"), "v");
}

TEST_F(ProfileTest, SectionsAndKeysIgnoreLetterCase) {
    profile.WriteProfileString("Frame Grabber", "Live Refresh", "500");
    EXPECT_EQ(profile.GetProfileInt("FRAME GRABBER", "live refresh", 0), 500);
    profile.WriteProfileString("frame grabber", "LIVE REFRESH", "250");
    // Same entry: replaced in place, spelt as it first was.
    EXPECT_EQ(ReadFileText(profile.Path()), "[Frame Grabber]\nLive Refresh=250\n");
}

TEST_F(ProfileTest, IntegersKeepTheirSignAndOddValuesReadSafely) {
    WriteFileText(profile.Path(),
                  "[S]\nneg=-1\nplain=42\ntext=abc\nempty=\nspaced=  17  \nhuge=99999999999\n"
                  "lead=12abc\n");
    EXPECT_EQ(profile.GetProfileInt("S", "neg", 0), -1);
    EXPECT_EQ(profile.GetProfileInt("S", "plain", 0), 42);
    EXPECT_EQ(profile.GetProfileInt("S", "text", 5), 0);   // present but not a number
    EXPECT_EQ(profile.GetProfileInt("S", "empty", 5), 5);  // empty value: the default
    EXPECT_EQ(profile.GetProfileInt("S", "spaced", 0), 17);
    EXPECT_EQ(profile.GetProfileInt("S", "huge", 0), INT_MAX);
    EXPECT_EQ(profile.GetProfileInt("S", "lead", 0), 12);
    profile.WriteProfileInt("S", "neg", INT_MIN);
    EXPECT_EQ(profile.GetProfileInt("S", "neg", 0), INT_MIN);
}

TEST_F(ProfileTest, WindowsMadeFileReadsAndAWriteChangesOnlyItsLine) {
    const std::string original =
        "; settings copied from the lab PC\r\n"
        "[Mainframe Parameters]\r\n"
        "Line 0=c:\\velm\\data\\120507\xE9\r\n"
        "Line 1=mpk=10.000000  mpfp=5.000000\r\n"
        "\r\n"
        "[A/D Board]\r\n"
        "Line 0=Random Number Generator\r\n"
        "  Line 1 = base=1 [ a/d +/-10.00V, d/a +/-5.00V ]  da0=0.000000  da1=0.000000  "
        "freq=1000.000000  \r\n"
        "\r\n";
    WriteFileText(profile.Path(), original);
    EXPECT_EQ(profile.GetProfileString("mainframe parameters", "line 0"),
              "c:\\velm\\data\\120507\xE9");
    EXPECT_EQ(profile.GetProfileString("A/D Board", "Line 1"),
              "base=1 [ a/d +/-10.00V, d/a +/-5.00V ]  da0=0.000000  da1=0.000000  "
              "freq=1000.000000");

    profile.WriteProfileString("Mainframe Parameters", "Line 1", "mpk=20.000000  mpfp=5.000000");
    std::string expected = original;
    expected.replace(expected.find("mpk=10"), 6, "mpk=20");
    EXPECT_EQ(ReadFileText(profile.Path()), expected);

    // A new key goes at the end of its section, before the blank line, with CRLF.
    profile.WriteProfileString("Mainframe Parameters", "Diagnostics", "OFF");
    expected.insert(expected.find("\r\n\r\n[A/D Board]") + 2, "Diagnostics=OFF\r\n");
    EXPECT_EQ(ReadFileText(profile.Path()), expected);

    // A new section is appended after a blank line.
    profile.WriteProfileString("Frame Grabber", "Live Refresh", "500");
    expected += "[Frame Grabber]\r\nLive Refresh=500\r\n";
    EXPECT_EQ(ReadFileText(profile.Path()), expected);
}

TEST_F(ProfileTest, LastLineWithoutLineBreakGetsOneBeforeANewKey) {
    WriteFileText(profile.Path(), "[S]\na=1");
    profile.WriteProfileString("S", "b", "2");
    EXPECT_EQ(ReadFileText(profile.Path()), "[S]\na=1\nb=2\n");
    profile.WriteProfileString("T", "c", "3");
    EXPECT_EQ(ReadFileText(profile.Path()), "[S]\na=1\nb=2\n\n[T]\nc=3\n");
}

TEST_F(ProfileTest, DuplicatesMalformedLinesAndCommentsAreHarmless) {
    const std::string original =
        "garbage before any section\n"
        "[S]\n"
        "no equals sign here\n"
        ";key=commented\n"
        "key=first\n"
        "KEY=second\n"
        "[broken header\n"
        "=value without key\n"
        "[S]\n"
        "key=third\n"
        "other=4\n";
    WriteFileText(profile.Path(), original);
    EXPECT_EQ(profile.GetProfileString("S", "key"), "first");
    EXPECT_EQ(profile.GetProfileString("S", ";key", "dflt"), "dflt");
    // Only the first section of a name counts.
    EXPECT_EQ(profile.GetProfileString("S", "other", "dflt"), "dflt");
    profile.WriteProfileString("S", "key", "new");
    std::string expected = original;
    expected.replace(expected.find("key=first"), 9, "key=new");
    EXPECT_EQ(ReadFileText(profile.Path()), expected);
}

TEST_F(ProfileTest, LongValuesAreCutWhenRead) {
    std::string longValue(100000, 'x');
    WriteFileText(profile.Path(), "[S]\nk=" + longValue + "\n");
    EXPECT_EQ(profile.GetProfileString("S", "k").size(), CProfile::kMaxValueLength);
    EXPECT_EQ(profile.GetProfileString("S", "missing", longValue).size(),
              CProfile::kMaxValueLength);
}

TEST_F(ProfileTest, ValuesCannotForgeOtherEntries) {
    profile.WriteProfileString("S", "k", "one\r\n[Evil]\r\nk=two");
    EXPECT_EQ(profile.GetProfileString("S", "k"), "one");
    EXPECT_EQ(profile.GetProfileString("Evil", "k", "none"), "none");
}

TEST_F(ProfileTest, QuotedValuesLoseTheirQuotesAsOnTheStation) {
    WriteFileText(profile.Path(), "[S]\nk=\"quoted text\"\nhalf=\"open\n");
    EXPECT_EQ(profile.GetProfileString("S", "k"), "quoted text");
    EXPECT_EQ(profile.GetProfileString("S", "half"), "\"open");
}

TEST_F(ProfileTest, BinaryGarbageNeverCrashesAndIsKeptOnWrite) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
    WriteFileText(profile.Path(), garbage);
    EXPECT_EQ(profile.GetProfileString("S", "k", "d"), "d");
    ASSERT_TRUE(profile.WriteProfileString("Fresh Section", "k", "v"));
    std::string after = ReadFileText(profile.Path());
    EXPECT_EQ(after.substr(0, garbage.size()), garbage);
    EXPECT_EQ(profile.GetProfileString("Fresh Section", "k"), "v");
}

TEST_F(ProfileTest, FormattedLinesParseUpToTheFirstMismatch) {
    // The %.2lf writer rounds; the %lf reader takes what was written.
    profile.WriteLine("A/D Board", "Line 1", "base=%X [ a/d +/-%.2lfV, d/a +/-%.2lfV ]", 0x300,
                      9.876, 5.0);
    EXPECT_EQ(profile.GetProfileString("A/D Board", "Line 1"),
              "base=300 [ a/d +/-9.88V, d/a +/-5.00V ]");
    unsigned base = 1;
    double ad = 10.0, da = 5.0;
    EXPECT_EQ(profile.ReadLine("A/D Board", "Line 1", "", "base=%X [ a/d +/-%lfV, d/a +/-%lfV ]",
                               &base, &ad, &da),
              3);
    EXPECT_EQ(base, 0x300u);
    EXPECT_DOUBLE_EQ(ad, 9.88);

    // Second label misspelt: the first field is taken, the rest keep their values.
    profile.WriteProfileString("Mainframe Parameters", "Line 1", "mpk=20.5  mpfq=7.0");
    double mpk = 10.0, mpfp = 5.0;
    profile.ReadLine("Mainframe Parameters", "Line 1", "", "mpk=%lf  mpfp=%lf", &mpk, &mpfp);
    EXPECT_DOUBLE_EQ(mpk, 20.5);
    EXPECT_DOUBLE_EQ(mpfp, 5.0);

    // Missing key: the default line gives the factory values.
    int on = 5;
    unsigned port = 0, value = 9;
    profile.ReadLine("A/D Board", "Line 2", "init=0 (port=307, value=0)",
                     "init=%d (port=%X, value=%X)", &on, &port, &value);
    EXPECT_EQ(on, 0);
    EXPECT_EQ(port, 0x307u);
    EXPECT_EQ(value, 0u);
}

TEST_F(ProfileTest, UnchangedWriteLeavesTheFileUntouched) {
    profile.WriteProfileString("S", "k", "v");
    auto before = std::filesystem::last_write_time(profile.Path());
    struct stat st1 {};
    ::stat(profile.Path().c_str(), &st1);
    profile.WriteProfileString("S", "k", "v");
    struct stat st2 {};
    ::stat(profile.Path().c_str(), &st2);
    EXPECT_EQ(st1.st_ino, st2.st_ino);  // not replaced
    EXPECT_EQ(before, std::filesystem::last_write_time(profile.Path()));
}

TEST_F(ProfileTest, FailedWriteIsReportedOnceAndKeepsTheOldFile) {
    // A settings file inside a folder we may not write to.
    std::string folder = dir.File("locked");
    std::filesystem::create_directory(folder);
    CProfile locked(folder + "/velm.ini");
    locked.WriteProfileString("S", "k", "old");
    ::chmod(folder.c_str(), 0500);
    if (::access(folder.c_str(), W_OK) == 0) {
        ::chmod(folder.c_str(), 0700);
        GTEST_SKIP() << "running with privileges that ignore folder permissions";
    }
    EXPECT_FALSE(locked.WriteProfileString("S", "k", "new"));
    EXPECT_FALSE(locked.WriteProfileString("S", "other", "x"));
    ::chmod(folder.c_str(), 0700);
    EXPECT_TRUE(locked.WriteFailed());
    EXPECT_EQ(locked.GetProfileString("S", "k"), "old");
    ASSERT_EQ(prompt.shown.size(), 1u);  // once per run and file
    EXPECT_NE(prompt.shown[0].text.find(folder + "/velm.ini"), std::string::npos);
    EXPECT_NE(prompt.shown[0].text.find("ermission denied"), std::string::npos);
}

TEST_F(ProfileTest, ASettingsPathThatCannotBeReadIsNeverReplaced) {
    // What stands where velm.ini should be cannot be read as a file: a folder (say, restored
    // from a backup the wrong way) or a FIFO. Permissions would not do, root reads anything.
    // Reads give the defaults without waiting for a writer, and no write replaces it.
    std::filesystem::create_directory(profile.Path());
    EXPECT_EQ(profile.GetProfileString("S", "k", "default"), "default");
    EXPECT_FALSE(profile.WriteProfileString("S", "k", "x"));
    EXPECT_FALSE(profile.WriteProfileInt("S", "n", 1));
    EXPECT_TRUE(std::filesystem::is_directory(profile.Path()));
    ASSERT_EQ(prompt.shown.size(), 1u);  // once per run and file
    EXPECT_NE(prompt.shown[0].text.find(profile.Path()), std::string::npos);
    EXPECT_NE(prompt.shown[0].text.find("Is a directory"), std::string::npos);

    CProfile fifo(dir.File("fifo.ini"));
    ASSERT_EQ(::mkfifo(fifo.Path().c_str(), 0600), 0);
    EXPECT_EQ(fifo.GetProfileInt("S", "n", 7), 7);
    EXPECT_FALSE(fifo.WriteProfileString("S", "k", "x"));
    struct stat st {};
    ASSERT_EQ(::stat(fifo.Path().c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_NE(prompt.shown[1].text.find("it is not a regular file"), std::string::npos);
}

TEST(ProfilePath, FollowsXdgConfigHome) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    std::string keep = saved ? saved : "";
    setenv("XDG_CONFIG_HOME", "/tmp/xdgtest", 1);
    EXPECT_EQ(CProfile::DefaultPath(), "/tmp/xdgtest/velm/velm.ini");
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);  // the XDG rules ignore relative paths
    EXPECT_NE(CProfile::DefaultPath().find("/.config/velm/velm.ini"), std::string::npos);
    if (saved)
        setenv("XDG_CONFIG_HOME", keep.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

TEST_F(ProfileTest, FolderThatCannotBeCreatedIsReportedOnce) {
    // Works with any privileges: the settings folder's parent is a plain file.
    WriteFileText(dir.File("plainfile"), "x");
    CProfile blocked(dir.File("plainfile/velm/velm.ini"));
    EXPECT_FALSE(blocked.WriteProfileString("S", "k", "v"));
    EXPECT_FALSE(blocked.WriteProfileInt("S", "n", 1));
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_NE(prompt.shown[0].text.find(dir.File("plainfile/velm/velm.ini")), std::string::npos);
    EXPECT_EQ(prompt.shown[0].icon, EPromptIcon::Exclamation);
    // Another file gets its own report.
    CProfile other(dir.File("plainfile/other.ini"));
    other.WriteProfileString("S", "k", "v");
    EXPECT_EQ(prompt.shown.size(), 2u);
}

TEST_F(ProfileTest, NamesWithBlanksAroundThemFindWhatWasWritten) {
    // Some owners use keys with a trailing blank ("Point "); the file holds them trimmed.
    profile.WriteProfileString("Voltage Probe Sample Rules", "Point ", "pre=0.02");
    EXPECT_EQ(ReadFileText(profile.Path()), "[Voltage Probe Sample Rules]\nPoint=pre=0.02\n");
    EXPECT_EQ(profile.GetProfileString("Voltage Probe Sample Rules", "Point "), "pre=0.02");
    EXPECT_EQ(profile.GetProfileString(" Voltage Probe Sample Rules ", "Point"), "pre=0.02");
    profile.WriteProfileInt("S", " n ", 3);
    EXPECT_EQ(profile.GetProfileInt("S", "n  ", 0), 3);
}
