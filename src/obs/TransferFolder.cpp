#include "obs/TransferFolder.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
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

std::optional<SRegionRequest> CTransferFolder::TakeRegionRequest() const {
    const std::string path = PathOf(kRegionFile);
    std::optional<std::string> text = ReadHead(path);
    if (!text) return std::nullopt;
    ::unlink(path.c_str());
    SRegionRequest r;
    int n = std::sscanf(text->c_str(), "(%d,%d) to (%d,%d) ref=%d (%d,%d)", &r.x1, &r.y1, &r.x2,
                        &r.y2, &r.refFlag, &r.refX, &r.refY);
    if (n < 4) return std::nullopt;
    // The flag counts only with its position: a flag alone names no reference.
    if (n < 7) r.refFlag = 0;
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
