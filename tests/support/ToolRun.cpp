#include "support/ToolRun.h"

#include <sys/wait.h>

#include <cstdio>

#include "support/TestEnv.h"

SToolRun RunVelmTool(const std::string& settingsPath, const std::string& args,
                     const std::string& scratchDir) {
    const std::string errFile = scratchDir + "/velm-tool-stderr.txt";
    const std::string command = std::string(VELM_TOOL_PATH) + " --settings '" + settingsPath +
                                "' " + args + " 2>'" + errFile + "'";
    SToolRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, n);
    const int status = ::pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadFileText(errFile);
    return run;
}
