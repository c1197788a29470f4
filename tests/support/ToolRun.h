#pragma once
// Runs the built velm-tool as a user would, on a given settings file.

#include <algorithm>
#include <string>

struct SToolRun {
    int code = -1;    // exit code (-1 when it did not exit normally)
    std::string out;  // standard output
    std::string err;  // standard error
};

// The lines a command printed (each ends in a line break).
inline size_t LineCount(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

// `args` go to the shell as they stand (quote file names with blanks). Standard error is
// collected through a file in `scratchDir`.
SToolRun RunVelmTool(const std::string& settingsPath, const std::string& args,
                     const std::string& scratchDir);
