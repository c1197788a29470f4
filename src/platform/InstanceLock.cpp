#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

CInstanceLock::~CInstanceLock() {
    Release();
}

CInstanceLock::EResult CInstanceLock::Take(const std::string& path) {
    if (fd >= 0) return EResult::Taken;
    // Close-on-exec: a program started from here ("Open With ...") must not inherit the lock
    // and keep it after we end. No following of links: in a shared temporary folder a link
    // planted by someone else would point the lock at their file.
    int file = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (file < 0) return EResult::Unavailable;
    struct stat st {};
    if (::fstat(file, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(file);
        return EResult::Unavailable;
    }
    while (::flock(file, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        const bool busy = errno == EWOULDBLOCK;
        ::close(file);
        return busy ? EResult::HeldElsewhere : EResult::Unavailable;
    }
    fd = file;
    return EResult::Taken;
}

void CInstanceLock::Release() {
    if (fd < 0) return;
    ::close(fd);  // closing the only descriptor lets go of the lock
    fd = -1;
}

std::string CInstanceLock::RuntimePath(const std::string& name) {
    struct stat st {};
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/' && ::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode))
        return std::string(runtime) + "/" + name;
    const char* temp = std::getenv("TMPDIR");
    std::string folder = temp && temp[0] == '/' ? temp : "/tmp";
    return folder + "/" + name;
}
