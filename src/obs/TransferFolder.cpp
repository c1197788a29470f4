#include "obs/TransferFolder.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "settings/RootDirectory.h"

namespace {

constexpr size_t kMaxLine = 512;

// The first `kMaxLine` characters of a file, or nothing when it cannot be read.
std::optional<std::string> ReadHead(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(kMaxLine, '\0');
    in.read(text.data(), static_cast<std::streamsize>(kMaxLine));
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

std::string FirstLine(const std::string& text) {
    size_t end = text.find_first_of("\r\n");
    return end == std::string::npos ? text : text.substr(0, end);
}

// Text as the outside program wrote it, without a byte-order mark: UTF-8's is dropped, and
// UTF-16 (Notepad's "Unicode") is narrowed to the 8-bit characters the line is made of.
std::string WithoutByteOrderMark(const std::string& text) {
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) return text.substr(3);
    const bool little = text.compare(0, 2, "\xFF\xFE") == 0;
    const bool big = text.compare(0, 2, "\xFE\xFF") == 0;
    if (!little && !big) return text;
    std::string narrow;
    for (size_t i = 2; i + 1 < text.size(); i += 2)
        narrow += little ? text[i] : text[i + 1];
    return narrow;
}

// How far a text matches "(%d,%d) to (%d,%d) ref=%d (%d,%d)" as sscanf reads it (a blank in
// the format takes any run of blanks, a number may have blanks before it).
struct SRegionMatch {
    SRegionRequest request;
    int fields = 0;       // numbers read
    bool ranOut = false;  // the text ended inside the pattern (it may still be growing)
};

SRegionMatch MatchRegionLine(const std::string& text) {
    static const char kPattern[] = "(%,%) to (%,%) ref=% (%,%)";
    SRegionMatch m;
    int* fields[] = {&m.request.x1,      &m.request.y1,   &m.request.x2,  &m.request.y2,
                     &m.request.refFlag, &m.request.refX, &m.request.refY};
    size_t at = 0;
    auto skipBlanks = [&] {
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
            ++at;
    };
    for (const char* p = kPattern; *p; ++p) {
        if (*p == ' ') {
            skipBlanks();
            continue;
        }
        if (*p == '%') {
            skipBlanks();
            size_t digits = at;
            if (digits < text.size() && (text[digits] == '-' || text[digits] == '+')) ++digits;
            const size_t first = digits;
            while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits])))
                ++digits;
            if (digits == first) {
                m.ranOut = digits >= text.size();
                return m;
            }
            long value = std::strtol(text.c_str() + at, nullptr, 10);
            *fields[m.fields++] = static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
            at = digits;
            // A number at the very end may still be getting its next digit.
            if (at >= text.size() && m.fields < 7) m.ranOut = true;
            continue;
        }
        if (at >= text.size()) {
            m.ranOut = true;
            return m;
        }
        if (text[at] != *p) return m;
        ++at;
    }
    return m;
}

}  // namespace

CTransferFolder CTransferFolder::ForRoot(const std::string& root) {
    return CTransferFolder(JoinPath(root, "transfer"));
}

CTransferFolder CTransferFolder::Current() {
    return ForRoot(GetRootDirectory());
}

std::string CTransferFolder::PathOf(const char* name) const {
    return JoinPath(folder, name);
}

std::optional<SRegionRequest> CTransferFolder::TakeRegionRequest() {
    const std::string path = PathOf(kRegionFile);
    std::optional<std::string> head = ReadHead(path);
    if (!head) {
        unfinishedRegion.clear();
        return std::nullopt;
    }
    const std::string text = WithoutByteOrderMark(*head);
    const std::string line = FirstLine(text);
    const bool ended = line.size() < text.size() || head->size() >= kMaxLine;
    const SRegionMatch m = MatchRegionLine(line);
    if (!ended && m.fields < 7 && m.ranOut && text != unfinishedRegion) {
        // Perhaps caught while the outside program is writing it: look again at the next tick.
        unfinishedRegion = text;
        return std::nullopt;
    }
    unfinishedRegion.clear();
    ::unlink(path.c_str());
    if (m.fields < 4) return std::nullopt;
    SRegionRequest r = m.request;
    if (m.fields < 5) r.refFlag = 0;  // no flag written: no reference
    return r;
}

bool CTransferFolder::WriteResponse(std::string_view word) const {
    return WriteFileAtomic(PathOf(kResponseFile), word);
}

bool CTransferFolder::TakeAbortCommand() const {
    const std::string path = PathOf(kCommandFile);
    std::optional<std::string> text = ReadHead(path);
    if (!text || FirstLine(*text) != kAbortScan) return false;
    ::unlink(path.c_str());
    return true;
}

bool CTransferFolder::RequestImage(std::string* error) const {
    const std::string image = PathOf(kImageFile);
    if (::unlink(image.c_str()) != 0 && errno != ENOENT) {
        if (error) *error = std::strerror(errno);
        return false;
    }
    std::string reason;
    if (!WriteFileAtomic(PathOf(kResponseFile), kGetImage, &reason)) {
        if (error) *error = reason;
        return false;
    }
    return true;
}

bool CTransferFolder::WaitForImage(CClock& clock, uint64_t timeoutMs) const {
    const std::string image = PathOf(kImageFile);
    const uint64_t end = clock.Ticks() + timeoutMs;
    for (;;) {
        if (::access(image.c_str(), F_OK) == 0) return true;
        if (clock.Ticks() >= end) return false;
        clock.WaitTicks(50);
    }
}
