#include "settings/FileNumbering.h"

#include <cstdio>

#include "platform/Format.h"
#include "platform/Services.h"
#include "settings/Profile.h"

namespace {

struct SCounter {
    const char* key;
    int last;  // highest number in range
    const char* question;
};

const SCounter kImage{"Next Image", 9999,
                      "Out of Image Numbers - reset to zero?\n(Create a new Root Directory as "
                      "soon as possible)."};
const SCounter kScanGroup{"Next Scan Group", 9999,
                          "Out of Scan Group Numbers - reset to zero?\n(Create a new Root "
                          "Directory as soon as possible)."};
const SCounter kExport{"Next Export File", 999,
                       "Out of Export File Numbers - reset to zero?\n(Create a new Root "
                       "Directory as soon as possible)."};
const SCounter kVideo{"Next Video Sequence", 999,
                      "Out of Video Sequence Numbers - reset to zero?\n(Create a new Root "
                      "Directory as soon as possible)."};

int Get(const SCounter& c) {
    return Profile().GetProfileInt(kMainframeSection, c.key, 0);
}

void Advance(const SCounter& c) {
    int next = Get(c) + 1;
    if (next >= 0 && next <= c.last) {
        Profile().WriteProfileInt(kMainframeSection, c.key, next);
        return;
    }
    if (Prompt().Ask(c.question, EPromptButtons::YesNo, EPromptIcon::Exclamation) ==
        EPromptAnswer::Yes) {
        Profile().WriteProfileInt(kMainframeSection, c.key, 0);
    }
}

struct SLastExpt {
    int month = 0;
    int day = 0;
    int year = 0;
    int number = 0;
    bool present = false;
};

SLastExpt ReadLastExpt() {
    SLastExpt e;
    std::string text = Profile().GetProfileString(kMainframeSection, "Last Expt", "");
    if (text.empty()) return e;
    e.present = true;
    std::sscanf(text.c_str(), "%d/%d/%d - %d", &e.month, &e.day, &e.year, &e.number);
    return e;
}

std::tm Today() {
    return CClock::LocalTime(Clock().Now().seconds);
}

bool IsToday(const SLastExpt& e, const std::tm& today) {
    return e.present && e.month == today.tm_mon + 1 && e.day == today.tm_mday &&
           e.year == today.tm_year + 1900;
}

void WriteLastExpt(const std::tm& today, int number) {
    Profile().WriteProfileString(
        kMainframeSection, "Last Expt",
        StrPrintf("%d/%d/%d - %d", today.tm_mon + 1, today.tm_mday, today.tm_year + 1900, number));
}

}  // namespace

int GetNextImageNumber() {
    return Get(kImage);
}
int GetNextScanGroupNumber() {
    return Get(kScanGroup);
}
int GetNextExportFileNumber() {
    return Get(kExport);
}
int GetNextVideoSequenceNumber() {
    return Get(kVideo);
}

void AdvanceImageNumber() {
    Advance(kImage);
}
void AdvanceScanGroupNumber() {
    Advance(kScanGroup);
}
void AdvanceExportFileNumber() {
    Advance(kExport);
}
void AdvanceVideoSequenceNumber() {
    Advance(kVideo);
}

void ResetImageNumber() {
    Profile().WriteProfileInt(kMainframeSection, kImage.key, 0);
}
void ResetExportFileNumber() {
    Profile().WriteProfileInt(kMainframeSection, kExport.key, 0);
}

int GetExperimentNumber() {
    std::tm today = Today();
    SLastExpt last = ReadLastExpt();
    int n = IsToday(last, today) ? last.number : 0;
    if (n < 0 || n > 99) {
        Prompt().Message(
            "Out of Experiment Numbers - set 'Last Expt=0' in velm.ini, then restart program "
            "and create a new root directory.");
    }
    WriteLastExpt(today, n);
    return n;
}

void CommitExperimentNumber(int number) {
    std::tm today = Today();
    SLastExpt last = ReadLastExpt();
    int n = IsToday(last, today) ? last.number + 1 : 0;
    if (n < 0 || n > 99) n = 0;
    if (number >= 0) n = number;
    WriteLastExpt(today, n);
    Profile().WriteProfileInt(kMainframeSection, kVideo.key, 0);
    Profile().WriteProfileInt(kMainframeSection, kImage.key, 0);
    Profile().WriteProfileInt(kMainframeSection, kScanGroup.key, 0);
    Profile().WriteProfileInt(kMainframeSection, kExport.key, 0);
}

std::string GetImagePrefix() {
    return Profile().GetProfileString(kPrefixSection, "Images", "image");
}
std::string GetExportPrefix() {
    return Profile().GetProfileString(kPrefixSection, "Text Exports", "expor");
}
void SetPrefixes(const std::string& imagePrefix, const std::string& exportPrefix) {
    Profile().WriteProfileString(kPrefixSection, "Images",
                                 CutToCharacters(imagePrefix, kMaxPrefixLength));
    Profile().WriteProfileString(kPrefixSection, "Text Exports",
                                 CutToCharacters(exportPrefix, kMaxPrefixLength));
}

std::string RootDirectoryName(const std::tm& date, int experimentNumber) {
    int year = date.tm_year + 1900;
    int twoDigit = year >= 2000 ? year - 2000 : year - 1900;
    return StrPrintf("%02d%02d%02d%02d", date.tm_mon + 1, date.tm_mday, twoDigit, experimentNumber);
}
