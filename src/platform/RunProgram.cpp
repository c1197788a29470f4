#include "platform/RunProgram.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

bool SplitCommandLine(const std::string& commandLine, std::vector<std::string>& words,
                      std::string* error) {
    words.clear();
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (size_t i = 0; i < commandLine.size(); ++i) {
        char c = commandLine[i];
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            } else if (c == '\\' && quote == '"' && i + 1 < commandLine.size() &&
                       (commandLine[i + 1] == '"' || commandLine[i + 1] == '\\')) {
                word.push_back(commandLine[++i]);
            } else {
                word.push_back(c);
            }
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '\\' && i + 1 < commandLine.size()) {
            word.push_back(commandLine[++i]);
        } else {
            word.push_back(c);
        }
    }
    if (quote != 0) {
        if (error) *error = "unterminated quote in the command line";
        words.clear();
        return false;
    }
    if (inWord) words.push_back(word);
    return true;
}

SStartResult StartProgram(const std::string& commandLine,
                          const std::vector<std::string>& arguments) {
    SStartResult result;
    std::vector<std::string> words;
    if (!SplitCommandLine(commandLine, words) || words.empty()) {
        result.errorCode = ENOENT;
        result.reason = StartFailureReason(ENOENT);
        return result;
    }
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    // The intermediate child starts the program and exits at once, so the program is
    // re-parented to init and never becomes our zombie. It reports the spawn's errno back
    // through a pipe.
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        result.errorCode = errno;
        result.reason = StartFailureReason(errno);
        return result;
    }
    pid_t child = ::fork();
    if (child < 0) {
        int e = errno;
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        result.errorCode = e;
        result.reason = StartFailureReason(e);
        return result;
    }
    if (child == 0) {
        ::close(pipeFds[0]);
        ::setsid();
        posix_spawnattr_t attr;
        posix_spawnattr_init(&attr);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attr, &none);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        sigaddset(&defaults, SIGCHLD);
        posix_spawnattr_setsigdefault(&attr, &defaults);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        pid_t grandchild = 0;
        int rc = posix_spawnp(&grandchild, argv[0], nullptr, &attr, argv.data(), environ);
        ssize_t ignored = ::write(pipeFds[1], &rc, sizeof rc);
        (void)ignored;
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    int rc = 0;
    ssize_t n;
    do {
        n = ::read(pipeFds[0], &rc, sizeof rc);
    } while (n < 0 && errno == EINTR);
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (n != static_cast<ssize_t>(sizeof rc)) rc = ECHILD;
    if (rc != 0) {
        result.errorCode = rc;
        result.reason = StartFailureReason(rc);
        return result;
    }
    result.ok = true;
    return result;
}

std::string StartFailureReason(int errnoValue) {
    switch (errnoValue) {
        case ENOENT:
            return "File was not found.";
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return "Path was not found.";
        case EACCES:
        case EPERM:
            return "Attempt was made to dynamically link to a task, or there was a sharing or "
                   "network-protection error.";
        case ENOMEM:
        case E2BIG:
        case EAGAIN:
            return "There was insufficient memory to start the application.";
        case ENOEXEC:
            return "Executable file was invalid. Either it was not a Windows application or "
                   "there was an error in the .EXE image.";
        default:
            return "Unknown.";
    }
}
