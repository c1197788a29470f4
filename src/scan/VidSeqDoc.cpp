#include "scan/VidSeqDoc.h"

#include <cmath>
#include <cstdio>

#include "obs/ObsDocSettings.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "settings/Profile.h"
#include "settings/SettingsLines.h"

namespace {

constexpr const char* kLine0 = "Move Tool: %c  Move Type: %c  Wait %lf sec,  avg %d";
constexpr const char* kLine1 = "Reference image: func=%c  num = %d";
constexpr const char* kLine8 = "Home probe=%d, sample=%d";

struct SVectorLine {
    const char* key;
    const char* format;
    CDVector4 CVidSeqDoc::*field;
};
const SVectorLine kVectorLines[] = {
    {"Line 2", "Reference: %lf %lf %lf %lf", &CVidSeqDoc::reference},
    {"Line 3", "Start: %lf %lf %lf %lf", &CVidSeqDoc::start},
    {"Line 4", "End: %lf %lf %lf %lf", &CVidSeqDoc::end},
    {"Line 6", "Probe Home: %lf %lf %lf %lf", &CVidSeqDoc::probeHome},
    {"Line 7", "Sample Home: %lf %lf %lf %lf", &CVidSeqDoc::sampleHome},
};

bool ValidTool(int c) {
    return c == 'S' || c == 'P';
}
bool ValidRefUse(int c) {
    return c == 'B' || c == 'R' || c == 'I';
}

}  // namespace

CVidSeqDoc::CVidSeqDoc() {
    const std::tm today = CClock::LocalTime(Clock().Now().seconds);
    day = today.tm_mday;
    month = today.tm_mon + 1;
}

CVidSeqDoc::~CVidSeqDoc() = default;

void CVidSeqDoc::Serialize(CArchive& ar) {
    CDataDocument::Serialize(ar);
    ar.String(seqDir);
    ar.Word(readOnly);
    ar.Word(day);
    ar.Word(month);
    ar.Word(seqNumber);
    ar.Double(wait);
    ar.Word(average);
    ar.Word(refCount);
    if (ar.IsStoring()) {
        ar.WriteByte(static_cast<uint8_t>(tool));
        ar.WriteWord(static_cast<uint16_t>(moveType));
        ar.WriteByte(static_cast<uint8_t>(refUse));
    } else {
        tool = static_cast<char>(ar.ReadByte());
        moveType = ar.ReadWord();
        refUse = static_cast<char>(ar.ReadByte());
    }
    ar.Vector(reference);
    ar.Vector(start);
    ar.Vector(end);
    ar.Vector(steps);
    ar.Vector(probeHome);
    ar.Vector(sampleHome);
    ar.Word(homeProbe);
    ar.Word(homeSample);
    opticalSystem.Serialize(ar);
    ar.String(preComment);
    ar.String(postComment);
    if (ar.IsLoading()) loaded = true;
}

std::string CVidSeqDoc::FolderName() const {
    return StrPrintf("V%02d%02d%03d", month, day, seqNumber);
}

std::string CVidSeqDoc::FileName() const {
    return StrPrintf("v%02d%02d%03d.vsq", month, day, seqNumber);
}

int64_t CVidSeqDoc::FrameCount() const {
    int64_t count = 1;
    for (int axis = 0; axis < 4; ++axis) {
        if (steps[axis] < 1) return 0;
        count *= steps[axis];
    }
    return count;
}

CDVector4 CVidSeqDoc::FramePosition(const CIVector4& index) const {
    CDVector4 position = start;
    for (int axis = 0; axis < 4; ++axis) {
        if (steps[axis] < 2) continue;
        position[axis] = start[axis] + (end[axis] - start[axis]) * index[axis] / (steps[axis] - 1);
    }
    return position;
}

std::string CVidSeqDoc::FrameName(const CIVector4& index) const {
    // One digit holds an index up to 9, so ten steps still give names of the short form.
    if (steps.x <= 10 && steps.y <= 10)
        return StrPrintf("%03d%03d%01d%01d.bmp", index.w, index.z, index.y, index.x);
    return StrPrintf("%03d%03d%03d%03d.bmp", index.w, index.z, index.y, index.x);
}

void CVidSeqDoc::LoadSettings(std::string& problems) {
    const char* section = kVidSeqDocSection;
    auto problem = [&](const char* key, const std::string& text) {
        AddSettingsProblem(&problems, section, key, text);
    };

    if (const auto text = ReadSettingsText(section, "Line 0")) {
        // The move type was written as the low byte of its number (0x18 or 0x19).
        char t = 0, m = 0;
        double w = wait;
        int avg = average;
        const int n = std::sscanf(text->c_str(), kLine0, &t, &m, &w, &avg);
        bool usable = n == 4;
        if (n >= 1 && ValidTool(t)) tool = t;
        if (n >= 2) moveType = static_cast<unsigned char>(m) == (1049 & 0xFF) ? 1049 : 1048;
        if (n >= 3 && w >= 0 && w <= kMaxWait)
            wait = w;
        else
            usable = false;
        if (n >= 4 && avg >= 1 && avg <= kMaxAverage)
            average = avg;
        else
            usable = false;
        if (n >= 1 && !ValidTool(t)) usable = false;
        if (!usable) problem("Line 0", *text);
    }
    if (const auto text = ReadSettingsText(section, "Line 1")) {
        char use = 0;
        int count = refCount;
        const int n = std::sscanf(text->c_str(), kLine1, &use, &count);
        if (n >= 1 && ValidRefUse(use)) refUse = use;
        if (n >= 2 && count >= 1 && count <= kMaxAverage) refCount = count;
        if (n < 2 || !ValidRefUse(use) || count < 1 || count > kMaxAverage)
            problem("Line 1", *text);
    }
    for (const SVectorLine& line : kVectorLines) {
        const auto text = ReadSettingsText(section, line.key);
        if (!text) continue;
        double v[4] = {};
        const int n = std::sscanf(text->c_str(), line.format, &v[0], &v[1], &v[2], &v[3]);
        bool usable = n == 4;
        for (int i = 0; i < n && i < 4; ++i) {
            if (std::isfinite(v[i]))
                (this->*line.field)[i] = v[i];
            else
                usable = false;
        }
        if (!usable) problem(line.key, *text);
    }
    if (const auto text = ReadSettingsText(section, "Line 5")) {
        int v[4] = {};
        const int n = std::sscanf(text->c_str(), "Steps: %d %d %d %d", &v[0], &v[1], &v[2], &v[3]);
        bool usable = n == 4;
        for (int i = 0; i < n && i < 4; ++i) {
            if (v[i] >= 1 && v[i] <= kMaxSteps)
                steps[i] = v[i];
            else
                usable = false;
        }
        if (!usable) problem("Line 5", *text);
    }
    if (const auto text = ReadSettingsText(section, "Line 8")) {
        int p = homeProbe, s = homeSample;
        const int n = std::sscanf(text->c_str(), kLine8, &p, &s);
        if (n >= 1) homeProbe = p != 0;
        if (n >= 2) homeSample = s != 0;
        if (n < 2) problem("Line 8", *text);
    }
    LoadDataDocLines(*this, kVidSeqDocViewSection, problems);
}

void CVidSeqDoc::SaveSettings() const {
    CProfile& profile = Profile();
    const char* section = kVidSeqDocSection;
    // Kept as ever: the move type's low byte stands in the line.
    profile.WriteLine(section, "Line 0", kLine0, tool, static_cast<char>(moveType & 0xFF), wait,
                      average);
    profile.WriteLine(section, "Line 1", kLine1, refUse, refCount);
    for (const SVectorLine& line : kVectorLines) {
        const CDVector4& v = this->*line.field;
        profile.WriteLine(section, line.key, line.format, v.x, v.y, v.z, v.w);
    }
    profile.WriteLine(section, "Line 5", "Steps: %d %d %d %d", steps.x, steps.y, steps.z, steps.w);
    profile.WriteLine(section, "Line 8", kLine8, homeProbe, homeSample);
    SaveDataDocLines(*this, kVidSeqDocViewSection);
}
