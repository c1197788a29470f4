#pragma once
// A per-user lock that a running program holds for its whole life: a file in the runtime
// folder, locked with flock. The kernel lets go of it when the program ends, however it
// ends, so a lock that cannot be taken always means a program that is running now; a socket
// or a file left behind by one that crashed never does.

#include <string>

class CInstanceLock {
  public:
    enum class EResult {
        Taken,          // this process holds it now
        HeldElsewhere,  // another running program holds it
        Unavailable     // no lock can be had here (no usable runtime folder, a foreign file)
    };

    CInstanceLock() = default;
    ~CInstanceLock();  // lets go
    CInstanceLock(const CInstanceLock&) = delete;
    CInstanceLock& operator=(const CInstanceLock&) = delete;

    // Takes the lock file `path` without waiting (created, mode 0600, when missing). A file
    // that is not a plain file of this user is left alone: Unavailable.
    EResult Take(const std::string& path);
    void Release();
    bool Held() const { return fd >= 0; }

    // The user's runtime folder ($XDG_RUNTIME_DIR when it is an absolute folder, else the
    // temporary folder) joined with `name`.
    static std::string RuntimePath(const std::string& name);

  private:
    int fd = -1;
};
