#pragma once
// Starting an outside program ("Open With ...", "Load into"): never through a shell, so no file
// name can inject a command. The stored command line is split into words the way a shell would
// split it (blanks, '...' and "..." quoting, backslash escapes) but nothing is expanded or run
// by a shell; the file is handed over as one more argument, exactly as it is.

#include <string>
#include <vector>

// Splits a command line into words; false (with `error`) for an unterminated quote.
bool SplitCommandLine(const std::string& commandLine, std::vector<std::string>& words,
                      std::string* error = nullptr);

struct SStartResult {
    bool ok = false;
    int errorCode = 0;   // errno of the failure (0 when ok)
    std::string reason;  // the user-facing reason (see StartFailureReason)
};

// Starts `commandLine` with `arguments` appended, detached (the program runs on after we
// return and never becomes a zombie). Returns once the program has started or failed to.
SStartResult StartProgram(const std::string& commandLine,
                          const std::vector<std::string>& arguments);

// The reason shown after "Command '...' failed.\n" for a failure to start a program, in the
// station's words for the classic start-up error codes.
std::string StartFailureReason(int errnoValue);
