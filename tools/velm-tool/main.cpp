// velm-tool: the station's headless command line. It uses the same settings file as the
// desktop program (or the one named by --settings) and never opens a window.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ToolCommand.h"
#include "platform/Services.h"
#include "scan/ScanDoc.h"
#include "settings/Profile.h"

std::vector<SToolCommand>& ToolCommands() {
    static std::vector<SToolCommand> commands;
    return commands;
}

namespace {

void PrintHelp() {
    std::printf(
        "Usage: velm-tool [--settings FILE] COMMAND [ARGUMENTS]\n"
        "\n"
        "The command line of VELM, the scanning electrode measurement station program.\n"
        "It reads and writes the same documents and settings as the desktop program.\n"
        "\n"
        "Options:\n"
        "  --settings FILE  use FILE as velm.ini (default: %s)\n"
        "  --help           show this help\n"
        "  --version        show the version\n"
        "\n"
        "Commands:\n",
        CProfile::DefaultPath().c_str());
    auto commands = ToolCommands();
    std::sort(commands.begin(), commands.end(), [](const SToolCommand& a, const SToolCommand& b) {
        return std::strcmp(a.name, b.name) < 0;
    });
    if (commands.empty()) std::printf("  (none yet)\n");
    for (const auto& c : commands)
        std::printf("  %-40s %s\n", c.usage, c.summary);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string settingsPath = CProfile::DefaultPath();
    size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            PrintHelp();
            return 0;
        }
        if (a == "--version") {
            std::printf("velm-tool %s\n", VELM_VERSION);
            return 0;
        }
        if (a == "--settings") {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "velm-tool: --settings needs a file name\n");
                return 2;
            }
            settingsPath = args[++i];
            continue;
        }
        break;
    }
    if (i >= args.size()) {
        PrintHelp();
        return 2;
    }
    CProfile profile(settingsPath);
    SetProfile(&profile);
    CConsolePrompt prompt(false);
    SetServices(nullptr, &prompt);
    // Exports of a document that lists scans take in the scans' own observations.
    InstallScanDocumentOpener();

    const std::string& name = args[i];
    for (const auto& c : ToolCommands()) {
        if (name == c.name) {
            std::vector<std::string> rest(args.begin() + static_cast<long>(i) + 1, args.end());
            int code = c.run(rest);
            SetProfile(nullptr);
            return code;
        }
    }
    std::fprintf(stderr, "velm-tool: unknown command '%s' (see velm-tool --help)\n", name.c_str());
    return 2;
}
