#pragma once
// velm-tool's commands register themselves here, one file per command family, so adding a
// command never touches another command's file.

#include <string>
#include <vector>

struct SToolCommand {
    const char* name;
    const char* usage;    // e.g. "describe [--details N] FILE"
    const char* summary;  // one line for --help
    // Runs with the arguments after the command name; returns the process exit code.
    int (*run)(const std::vector<std::string>& args);
};

std::vector<SToolCommand>& ToolCommands();

struct CToolCommandRegistrar {
    explicit CToolCommandRegistrar(const SToolCommand& command) {
        ToolCommands().push_back(command);
    }
};
