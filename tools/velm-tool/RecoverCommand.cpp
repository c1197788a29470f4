// velm-tool recover FOLDER: turns the journals of interrupted scans under FOLDER into their scan
// files, as the desktop program does when it starts.

#include <cstdio>
#include <string>
#include <vector>

#include "ToolCommand.h"
#include "scan/ScanRecovery.h"

namespace {

int RunRecover(const std::vector<std::string>& args) {
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
        std::fprintf(stderr, "usage: velm-tool recover FOLDER\n");
        return 2;
    }
    const SScanRecoveryReport report = RecoverScanJournals(args[0]);
    for (const SRecoveredScan& scan : report.recovered) {
        std::printf("%s\n", RecoveredScanLine(scan).c_str());
        if (!scan.obsDocProblem.empty())
            std::fprintf(stderr,
                         "velm-tool recover: %s not added to its observation document: %s\n",
                         scan.scanFile.c_str(), scan.obsDocProblem.c_str());
    }
    for (const std::string& line : report.failures)
        std::fprintf(stderr, "velm-tool recover: %s\n", line.c_str());
    if (std::fflush(stdout) != 0) return 1;
    return report.failures.empty() ? 0 : 1;
}

CToolCommandRegistrar recoverCommand(
    {"recover", "recover FOLDER",
     "turn the journals of interrupted scans under FOLDER into their scan files", RunRecover});

}  // namespace
