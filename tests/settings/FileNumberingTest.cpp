#include <gtest/gtest.h>

#include "platform/Format.h"
#include "settings/FileNumbering.h"
#include "support/TestEnv.h"

namespace {

class FileNumberingTest : public CVelmTest {
  protected:
    std::string Get(const char* key) { return profile.GetProfileString(kMainframeSection, key); }
    void SetToday(int year, int month, int day) {
        std::tm tm{};
        tm.tm_year = year - 1900;
        tm.tm_mon = month - 1;
        tm.tm_mday = day;
        tm.tm_hour = 12;
        clock.SetWallTime({static_cast<int64_t>(timegm(&tm)), 0});
    }
};

const char* kImageQuestion =
    "Out of Image Numbers - reset to zero?\n(Create a new Root Directory as soon as possible).";

}  // namespace

TEST_F(FileNumberingTest, CountersStartAtZeroAndAdvanceByOne) {
    EXPECT_EQ(GetNextImageNumber(), 0);
    AdvanceImageNumber();  // missing key advances to 1
    AdvanceImageNumber();
    EXPECT_EQ(GetNextImageNumber(), 2);
    AdvanceScanGroupNumber();
    AdvanceExportFileNumber();
    AdvanceVideoSequenceNumber();
    AdvanceVideoSequenceNumber();
    EXPECT_EQ(GetNextScanGroupNumber(), 1);
    EXPECT_EQ(GetNextExportFileNumber(), 1);
    EXPECT_EQ(GetNextVideoSequenceNumber(), 2);
    EXPECT_EQ(Get("Next Image"), "2");
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(FileNumberingTest, AtTheLimitTheUserChoosesBetweenReuseAndZero) {
    profile.WriteProfileInt(kMainframeSection, "Next Image", 9999);
    prompt.answers = {EPromptAnswer::No};
    AdvanceImageNumber();
    EXPECT_EQ(GetNextImageNumber(), 9999);  // No: the same number is used again
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, kImageQuestion);
    EXPECT_EQ(prompt.shown[0].buttons, EPromptButtons::YesNo);
    EXPECT_EQ(prompt.shown[0].icon, EPromptIcon::Exclamation);
    prompt.answers = {EPromptAnswer::Yes};
    AdvanceImageNumber();
    EXPECT_EQ(GetNextImageNumber(), 0);

    // Export files and video sequences stop at 999; scan groups at 9,999.
    profile.WriteProfileInt(kMainframeSection, "Next Export File", 998);
    AdvanceExportFileNumber();
    EXPECT_EQ(GetNextExportFileNumber(), 999);
    prompt.answers = {EPromptAnswer::Yes};
    AdvanceExportFileNumber();
    EXPECT_EQ(GetNextExportFileNumber(), 0);
    EXPECT_EQ(prompt.LastText(),
              "Out of Export File Numbers - reset to zero?\n(Create a new Root Directory as soon "
              "as possible).");
    profile.WriteProfileInt(kMainframeSection, "Next Video Sequence", 999);
    prompt.answers = {EPromptAnswer::No};
    AdvanceVideoSequenceNumber();
    EXPECT_EQ(GetNextVideoSequenceNumber(), 999);
    profile.WriteProfileInt(kMainframeSection, "Next Scan Group", 9999);
    prompt.answers = {EPromptAnswer::No};
    AdvanceScanGroupNumber();
    EXPECT_NE(prompt.LastText().find("Out of Scan Group Numbers"), std::string::npos);
    // A corrupt negative counter is out of range too.
    profile.WriteProfileInt(kMainframeSection, "Next Image", -7);
    prompt.answers = {EPromptAnswer::Yes};
    AdvanceImageNumber();
    EXPECT_EQ(GetNextImageNumber(), 0);
}

TEST_F(FileNumberingTest, ExperimentNumbersCountWithinADayAndRestartTheNext) {
    SetToday(2007, 12, 5);
    EXPECT_EQ(GetExperimentNumber(), 0);
    EXPECT_EQ(Get("Last Expt"), "12/5/2007 - 0");
    CommitExperimentNumber(-1);  // the first root of the day is made
    EXPECT_EQ(Get("Last Expt"), "12/5/2007 - 1");
    EXPECT_EQ(GetExperimentNumber(), 1);
    std::tm date = CClock::LocalTime(clock.Now().seconds);
    EXPECT_EQ(RootDirectoryName(date, 1), "12050701");

    SetToday(2007, 12, 6);
    EXPECT_EQ(GetExperimentNumber(), 0);
    EXPECT_EQ(Get("Last Expt"), "12/6/2007 - 0");
    // Same day and month but another year is another day.
    profile.WriteProfileString(kMainframeSection, "Last Expt", "12/6/2006 - 5");
    EXPECT_EQ(GetExperimentNumber(), 0);
}

TEST_F(FileNumberingTest, CommittingResetsTheFourCounters) {
    SetToday(2008, 1, 2);
    for (const char* key :
         {"Next Image", "Next Scan Group", "Next Export File", "Next Video Sequence"}) {
        profile.WriteProfileInt(kMainframeSection, key, 17);
    }
    CommitExperimentNumber(7);
    EXPECT_EQ(Get("Last Expt"), "1/2/2008 - 7");
    EXPECT_EQ(GetNextImageNumber(), 0);
    EXPECT_EQ(GetNextScanGroupNumber(), 0);
    EXPECT_EQ(GetNextExportFileNumber(), 0);
    EXPECT_EQ(GetNextVideoSequenceNumber(), 0);
}

TEST_F(FileNumberingTest, OutOfExperimentNumbersWarnsAndCommitStartsAgain) {
    SetToday(2007, 12, 5);
    profile.WriteProfileString(kMainframeSection, "Last Expt", "12/5/2007 - 100");
    EXPECT_EQ(GetExperimentNumber(), 100);
    EXPECT_EQ(prompt.LastText(),
              "Out of Experiment Numbers - set 'Last Expt=0' in velm.ini, then restart program "
              "and create a new root directory.");
    CommitExperimentNumber(-1);
    EXPECT_EQ(Get("Last Expt"), "12/5/2007 - 0");
    // Garbage reads as "not today".
    profile.WriteProfileString(kMainframeSection, "Last Expt", "yesterday-ish");
    EXPECT_EQ(GetExperimentNumber(), 0);
}

TEST_F(FileNumberingTest, RootNamesUseTwoDigitYearsInBothCenturies) {
    std::tm tm{};
    tm.tm_year = 99;  // 1999
    tm.tm_mon = 0;
    tm.tm_mday = 9;
    EXPECT_EQ(RootDirectoryName(tm, 3), "01099903");
    tm.tm_year = 107;  // 2007
    tm.tm_mon = 11;
    tm.tm_mday = 5;
    EXPECT_EQ(RootDirectoryName(tm, 0), "12050700");
}

TEST_F(FileNumberingTest, PrefixesHaveDefaultsAndAreCutToFiveWholeCharacters) {
    EXPECT_EQ(GetImagePrefix(), "image");
    EXPECT_EQ(GetExportPrefix(), "expor");
    SetPrefixes("pictures", "ex");
    EXPECT_EQ(GetImagePrefix(), "pictu");
    EXPECT_EQ(GetExportPrefix(), "ex");
    EXPECT_EQ(profile.GetProfileString(kPrefixSection, "Images"), "pictu");
    // Five characters, not five bytes: a two-byte letter in fifth place stays whole.
    SetPrefixes("cell\xC3\xA9s", "\xC3\x84rger");
    EXPECT_EQ(GetImagePrefix(), "cell\xC3\xA9");
    EXPECT_EQ(GetExportPrefix(), "\xC3\x84rger");
    // 8-bit text from an older station counts its bytes.
    SetPrefixes("caf\xE9s", "x");
    EXPECT_EQ(GetImagePrefix(), "caf\xE9s");
    EXPECT_EQ(CutToCharacters("\xE9t\xE9s_2", 5), "\xE9t\xE9s_");
    EXPECT_EQ(CutToCharacters("ab\xF0\x9F\x94\xAC"
                              "cdef",
                              3),
              "ab\xF0\x9F\x94\xAC");
}
