// Settings commands: read and write single velm.ini entries from a terminal or a script.

#include <cstdio>

#include "ToolCommand.h"
#include "settings/FileNumbering.h"
#include "settings/Profile.h"

namespace {

int RunGet(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: velm-tool get SECTION KEY\n");
        return 2;
    }
    // A missing key prints nothing and exits 1, so scripts can tell it from an empty value.
    const std::string kMissing("\x01missing\x01");
    std::string value = Profile().GetProfileString(args[0], args[1], kMissing);
    if (value == kMissing) return 1;
    std::printf("%s\n", value.c_str());
    return 0;
}

int RunSet(const std::vector<std::string>& args) {
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: velm-tool set SECTION KEY VALUE\n");
        return 2;
    }
    return Profile().WriteProfileString(args[0], args[1], args[2]) ? 0 : 1;
}

int RunCounters(const std::vector<std::string>& args) {
    if (!args.empty()) {
        std::fprintf(stderr, "usage: velm-tool counters\n");
        return 2;
    }
    std::printf("settings file:        %s\n", Profile().Path().c_str());
    std::printf("Next Image:           %d\n", GetNextImageNumber());
    std::printf("Next Scan Group:      %d\n", GetNextScanGroupNumber());
    std::printf("Next Export File:     %d\n", GetNextExportFileNumber());
    std::printf("Next Video Sequence:  %d\n", GetNextVideoSequenceNumber());
    std::printf("Image prefix:         %s\n", GetImagePrefix().c_str());
    std::printf("Export prefix:        %s\n", GetExportPrefix().c_str());
    return 0;
}

CToolCommandRegistrar getCommand({"get", "get SECTION KEY", "print one velm.ini value", RunGet});
CToolCommandRegistrar setCommand({"set", "set SECTION KEY VALUE", "write one velm.ini value",
                                  RunSet});
CToolCommandRegistrar countersCommand({"counters", "counters",
                                       "show the file counters and name prefixes", RunCounters});

}  // namespace
