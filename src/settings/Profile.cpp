#include "settings/Profile.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "platform/AtomicFile.h"
#include "platform/Format.h"
#include "platform/Services.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    }
    return true;
}

// Names and values are single-line: anything from a line break on would forge other entries.
std::string_view SingleLine(std::string_view s) {
    size_t cut = s.find_first_of("\r\n");
    return cut == std::string_view::npos ? s : s.substr(0, cut);
}

// One line of the file: [start, contentEnd) is its text, [contentEnd, end) its line break.
struct SLine {
    size_t start = 0;
    size_t contentEnd = 0;
    size_t end = 0;
};

// Walks the file's lines. A UTF-8 byte-order mark before the first line is skipped for parsing.
class CLineReader {
  public:
    explicit CLineReader(std::string_view text) : text(text) {
        if (text.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;
    }
    bool Next(SLine& line) {
        if (pos >= text.size()) return false;
        line.start = pos;
        size_t nl = text.find('\n', pos);
        if (nl == std::string_view::npos) {
            line.contentEnd = line.end = text.size();
        } else {
            line.end = nl + 1;
            line.contentEnd = (nl > pos && text[nl - 1] == '\r') ? nl - 1 : nl;
        }
        pos = line.end;
        return true;
    }

  private:
    std::string_view text;
    size_t pos = 0;
};

enum class ELineKind { Other, Section, Entry };

// Classifies a line; for a section header `name` is the name, for an entry `name` is the key
// and `value` the value, both trimmed.
ELineKind Classify(std::string_view content, std::string_view& name, std::string_view& value) {
    std::string_view t = Trim(content);
    if (t.empty() || t.front() == ';') return ELineKind::Other;
    if (t.front() == '[') {
        size_t close = t.rfind(']');
        if (close == std::string_view::npos) return ELineKind::Other;  // header without "]"
        name = Trim(t.substr(1, close - 1));
        return ELineKind::Section;
    }
    size_t eq = t.find('=');
    if (eq == std::string_view::npos) return ELineKind::Other;
    name = Trim(t.substr(0, eq));
    if (name.empty()) return ELineKind::Other;
    value = Trim(t.substr(eq + 1));
    return ELineKind::Entry;
}

// Where a section and key stand in the file.
struct SLocation {
    bool sectionFound = false;
    bool keyFound = false;
    SLine keyLine;           // the key's line, when found
    size_t insertAt = 0;     // after the section's last non-blank line, when the key is not
    std::string_view value;  // the key's value, when found
};

// The first section of the name wins; in it, the first entry of the key.
SLocation Locate(std::string_view text, std::string_view section, std::string_view key) {
    SLocation loc;
    CLineReader reader(text);
    SLine line;
    bool inSection = false;
    while (reader.Next(line)) {
        std::string_view content = text.substr(line.start, line.contentEnd - line.start);
        std::string_view name, value;
        ELineKind kind = Classify(content, name, value);
        if (kind == ELineKind::Section) {
            if (inSection) break;  // end of our section
            if (!loc.sectionFound && EqualNoCase(name, section)) {
                inSection = true;
                loc.sectionFound = true;
                loc.insertAt = line.end;
            }
            continue;
        }
        if (!inSection) continue;
        if (!Trim(content).empty()) loc.insertAt = line.end;
        if (kind == ELineKind::Entry && EqualNoCase(name, key)) {
            loc.keyFound = true;
            loc.keyLine = line;
            loc.value = value;
            return loc;
        }
    }
    return loc;
}

std::string_view LineBreakOf(std::string_view text) {
    return text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
}

std::string LoadFile(const std::string& path) {
    std::string bytes;
    ReadWholeFile(path, bytes);  // a missing or unreadable file reads as empty
    return bytes;
}

// Windows-style profile readers drop one pair of quotes around a value.
std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 &&
        ((v.front() == '"' && v.back() == '"') || (v.front() == '\'' && v.back() == '\''))) {
        v = v.substr(1, v.size() - 2);
    }
    return v;
}

CProfile* currentProfile = nullptr;

}  // namespace

CProfile::CProfile(std::string path) : path(std::move(path)) {}

std::string CProfile::DefaultPath() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && home[0] ? home : ".") + "/.config";
    }
    return base + "/velm/velm.ini";
}

std::string CProfile::GetProfileString(std::string_view section, std::string_view key,
                                       std::string_view defaultValue) const {
    // Names are matched as a write stores them: trimmed ("Point " finds "Point").
    section = Trim(SingleLine(section));
    key = Trim(SingleLine(key));
    std::string text = LoadFile(path);
    SLocation loc = Locate(text, section, key);
    if (!loc.keyFound) return std::string(defaultValue.substr(0, kMaxValueLength));
    std::string_view value = Unquote(loc.value);
    return std::string(value.substr(0, kMaxValueLength));
}

int CProfile::GetProfileInt(std::string_view section, std::string_view key,
                            int defaultValue) const {
    section = Trim(SingleLine(section));
    key = Trim(SingleLine(key));
    std::string text = LoadFile(path);
    SLocation loc = Locate(text, section, key);
    if (!loc.keyFound) return defaultValue;
    std::string value(Unquote(loc.value).substr(0, kMaxValueLength));
    if (value.empty()) return defaultValue;
    errno = 0;
    char* end = nullptr;
    long long n = std::strtoll(value.c_str(), &end, 10);
    if (end == value.c_str()) return 0;  // not a number
    if (n > INT_MAX) return INT_MAX;
    if (n < INT_MIN) return INT_MIN;
    return static_cast<int>(n);
}

bool CProfile::WriteProfileInt(std::string_view section, std::string_view key, int value) {
    return WriteProfileString(section, key, std::to_string(value));
}

bool CProfile::WriteProfileString(std::string_view section, std::string_view key,
                                  std::string_view value) {
    section = Trim(SingleLine(section));
    key = Trim(SingleLine(key));
    if (section.empty() || key.empty()) return false;
    return Replace(section, key, SingleLine(value));
}

bool CProfile::Replace(std::string_view section, std::string_view key, std::string_view value) {
    int readError = 0;
    std::string text;
    if (!ReadWholeFile(path, text, &readError) && readError != ENOENT) {
        // An existing file that cannot be read must not be replaced by one holding only our key.
        ReportWriteFailure(readError == EINVAL ? std::string("it is not a regular file")
                                               : std::strerror(readError));
        return false;
    }
    const std::string_view br = LineBreakOf(text);
    SLocation loc = Locate(text, section, key);

    std::string updated;
    updated.reserve(text.size() + key.size() + value.size() + section.size() + 16);
    if (loc.keyFound) {
        std::string_view oldContent(text.data() + loc.keyLine.start,
                                    loc.keyLine.contentEnd - loc.keyLine.start);
        // Keep the key's spelling as the file has it.
        size_t eq = oldContent.find('=');
        std::string_view keyText = Trim(oldContent.substr(0, eq));
        std::string newContent;
        newContent.append(keyText).append("=").append(value);
        if (newContent == oldContent) return true;  // nothing changes: leave the file alone
        updated.append(text, 0, loc.keyLine.start);
        updated.append(newContent);
        updated.append(text, loc.keyLine.contentEnd, std::string::npos);
    } else if (loc.sectionFound) {
        size_t at = loc.insertAt;
        updated.append(text, 0, at);
        // The section's last line may be the file's last line without a line break.
        if (at > 0 && text[at - 1] != '\n') updated.append(br);
        updated.append(key).append("=").append(value).append(br);
        updated.append(text, at, std::string::npos);
    } else {
        updated = text;
        if (!updated.empty() && updated.back() != '\n') updated.append(br);
        if (!updated.empty()) {
            // Separate the new section from the last one by a blank line.
            size_t lastStart = updated.rfind('\n', updated.size() - 2);
            lastStart = lastStart == std::string::npos ? 0 : lastStart + 1;
            if (!Trim(std::string_view(updated).substr(lastStart)).empty()) updated.append(br);
        }
        updated.append("[").append(section).append("]").append(br);
        updated.append(key).append("=").append(value).append(br);
    }

    std::error_code ec;
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty() && !std::filesystem::exists(parent, ec)) {
        std::filesystem::create_directories(parent, ec);
        if (ec) {
            ReportWriteFailure(ec.message());
            return false;
        }
    }
    std::string error;
    if (!WriteFileAtomic(path, updated, &error)) {
        ReportWriteFailure(error);
        return false;
    }
    return true;
}

void CProfile::ReportWriteFailure(const std::string& reason) {
    writeFailed = true;
    if (failureReported) return;
    failureReported = true;
    Prompt().Message(StrPrintf("The settings could not be saved to %s:\n%s\n\n"
                               "The file was left as it was. Settings changed in this run are "
                               "lost until the problem is solved.",
                               path.c_str(), reason.c_str()),
                     EPromptIcon::Exclamation);
}

bool CProfile::WriteLine(std::string_view section, std::string_view key, const char* format, ...) {
    char buffer[kMaxValueLength + 1];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return WriteProfileString(section, key, buffer);
}

int CProfile::ReadLine(std::string_view section, std::string_view key, const char* defaultLine,
                       const char* format, ...) const {
    std::string line = GetProfileString(section, key, defaultLine ? defaultLine : "");
    va_list args;
    va_start(args, format);
    int n = std::vsscanf(line.c_str(), format, args);
    va_end(args);
    return n < 0 ? 0 : n;
}

CProfile& Profile() {
    if (currentProfile) return *currentProfile;
    static CProfile fallback(CProfile::DefaultPath());
    return fallback;
}

void SetProfile(CProfile* profile) {
    currentProfile = profile;
}

CScopedProfile::CScopedProfile(CProfile* profile) : previous(currentProfile) {
    currentProfile = profile;
}

CScopedProfile::~CScopedProfile() {
    currentProfile = previous;
}
