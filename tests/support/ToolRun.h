#pragma once
// Runs the built velm-tool as a user would, on a given settings file.

#include <string>

struct SToolRun {
    int code = -1;    // exit code (-1 when it did not exit normally)
    std::string out;  // standard output
    std::string err;  // standard error
};

// `args` go to the shell as they stand (quote file names with blanks). Standard error is
// collected through a file in `scratchDir`.
SToolRun RunVelmTool(const std::string& settingsPath, const std::string& args,
                     const std::string& scratchDir);
