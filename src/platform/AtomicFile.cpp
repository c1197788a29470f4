#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

namespace {
constexpr size_t kBufferSize = 1 << 20;

std::string DirectoryOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Follows symbolic links so that replacing a linked settings file keeps the link.
std::string ResolveTarget(const std::string& path) {
    std::string current = path;
    for (int depth = 0; depth < 16; ++depth) {
        char link[PATH_MAX];
        ssize_t n = readlink(current.c_str(), link, sizeof link - 1);
        if (n < 0) break;
        std::string next(link, static_cast<size_t>(n));
        if (next.empty()) break;
        if (next[0] != '/') next = DirectoryOf(current) + "/" + next;
        current = next;
    }
    return current;
}
}  // namespace

CAtomicFile::~CAtomicFile() {
    Abort();
}

bool CAtomicFile::Open(const std::string& path) {
    Abort();
    errorCode = 0;
    target = ResolveTarget(path);
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".tmp%08x", static_cast<unsigned>(rd()));
        tempPath = target + suffix;
        fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) break;
        if (errno != EEXIST) {
            Fail(errno);
            tempPath.clear();
            return false;
        }
    }
    if (fd < 0) {
        Fail(EEXIST);
        tempPath.clear();
        return false;
    }
    // Keep the permissions of the file being replaced.
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) ::fchmod(fd, st.st_mode & 07777);
    buffer.clear();
    buffer.reserve(kBufferSize);
    return true;
}

void CAtomicFile::Fail(int code) {
    if (errorCode == 0) errorCode = code != 0 ? code : EIO;
}

bool CAtomicFile::FlushBuffer() {
    size_t done = 0;
    while (done < buffer.size()) {
        ssize_t n = ::write(fd, buffer.data() + done, buffer.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail(errno);
            buffer.clear();
            return false;
        }
        done += static_cast<size_t>(n);
    }
    buffer.clear();
    return true;
}

bool CAtomicFile::Write(const void* data, size_t size) {
    if (fd < 0 || errorCode != 0) return false;
    const char* bytes = static_cast<const char*>(data);
    if (buffer.size() + size > kBufferSize) {
        if (!FlushBuffer()) return false;
        if (size >= kBufferSize) {
            buffer.assign(bytes, size);
            return FlushBuffer();
        }
    }
    buffer.append(bytes, size);
    return true;
}

bool CAtomicFile::Commit() {
    if (fd < 0) return false;
    bool ok = errorCode == 0 && FlushBuffer();
    if (ok && ::fsync(fd) != 0) {
        Fail(errno);
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        Fail(errno);
        ok = false;
    }
    fd = -1;
    if (ok && ::rename(tempPath.c_str(), target.c_str()) != 0) {
        Fail(errno);
        ok = false;
    }
    if (!ok) {
        ::unlink(tempPath.c_str());
        tempPath.clear();
        return false;
    }
    tempPath.clear();
    // Make the rename itself durable.
    int dirFd = ::open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

void CAtomicFile::Abort() {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
    if (!tempPath.empty()) {
        ::unlink(tempPath.c_str());
        tempPath.clear();
    }
    buffer.clear();
}

std::string CAtomicFile::ErrorText() const {
    return errorCode == 0 ? std::string() : std::string(std::strerror(errorCode));
}

bool WriteFileAtomic(const std::string& path, std::string_view bytes, std::string* error) {
    CAtomicFile file;
    if (file.Open(path) && file.Write(bytes) && file.Commit()) return true;
    if (error) *error = file.ErrorText();
    return false;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, int* errorCode) {
    bytes.clear();
    // Without O_NONBLOCK, opening a FIFO that nobody writes to would wait for ever.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errorCode) *errorCode = errno;
        return false;
    }
    struct stat st {};
    int code = 0;
    if (::fstat(fd, &st) != 0)
        code = errno;
    else if (S_ISDIR(st.st_mode))
        code = EISDIR;
    else if (!S_ISREG(st.st_mode))
        code = EINVAL;  // a FIFO, socket or device: nothing to read whole
    if (code != 0) {
        ::close(fd);
        if (errorCode) *errorCode = code;
        return false;
    }
    if (st.st_size > 0) bytes.reserve(static_cast<size_t>(st.st_size));
    char chunk[65536];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errorCode) *errorCode = errno;
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        bytes.append(chunk, static_cast<size_t>(n));
    }
    ::close(fd);
    if (errorCode) *errorCode = 0;
    return true;
}
