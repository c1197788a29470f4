// Measure command: point measurements from a terminal or a script, on the board configured in
// velm.ini, with the station's rules and calibration, appended to a document exactly as
// Mode > Point appends them (the rules and calibration first when the document needs them).

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ToolCommand.h"
#include "app/MainFrame.h"
#include "app/ObsDocCommands.h"
#include "obs/ObsDoc.h"
#include "obs/ObsDocSettings.h"
#include "obs/VelmObs.h"
#include "tech/Station.h"

namespace {

constexpr const char* kUsage = "measure --technique cdp|rawad [--count N] DOC.vpo";
constexpr long kMaxCount = 1000000;

int Usage(const char* why) {
    std::fprintf(stderr, "velm-tool measure: %s\nusage: velm-tool %s\n", why, kUsage);
    return 2;
}

int RunMeasure(const std::vector<std::string>& args) {
    std::string technique, file;
    long count = 1;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--technique" || a == "--count") {
            if (i + 1 >= args.size()) return Usage((a + " needs a value").c_str());
            const std::string& value = args[++i];
            if (a == "--technique") {
                technique = value;
                continue;
            }
            char* end = nullptr;
            errno = 0;
            count = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || errno != 0 || count < 1 || count > kMaxCount)
                return Usage(
                    ("--count must be a whole number from 1 to 1000000, not '" + value + "'")
                        .c_str());
        } else if (!a.empty() && a[0] == '-') {
            return Usage(("unknown option '" + a + "'").c_str());
        } else if (file.empty()) {
            file = a;
        } else {
            return Usage("one document only");
        }
    }
    if (technique != "cdp" && technique != "rawad")
        return Usage("--technique must be cdp or rawad");
    if (file.empty()) return Usage("no document named");

    CMainFrame frame;
    CObsDoc doc;
    struct stat st {};
    std::string message;
    if (::stat(file.c_str(), &st) != 0 && errno == ENOENT) {
        LoadNewObsDocSettings(doc);
    } else if (!doc.LoadFile(file, message)) {
        if (!message.empty()) std::fprintf(stderr, "velm-tool measure: %s\n", message.c_str());
        return 1;
    }

    CObsDocCommands commands(doc, frame);
    std::vector<const CVelmObs*> added;
    bool ok = true;
    for (long n = 0; n < count && ok; ++n) {
        ok = technique == "cdp" ? commands.WirePoint() : commands.RawADPoint();
        added.insert(added.end(), commands.LastAdded().begin(), commands.LastAdded().end());
    }
    // What was measured before a failure is kept: the document is saved with it.
    if (!added.empty() && !doc.SaveFile(file, message)) {
        std::fprintf(stderr, "velm-tool measure: %s\n", message.c_str());
        return 1;
    }
    std::string line;
    for (const CVelmObs* obs : added) {
        line.clear();
        obs->Describe(line, &doc, static_cast<unsigned>(doc.detailFlags));
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    if (std::fflush(stdout) != 0) return 1;
    return ok ? 0 : 1;
}

CToolCommandRegistrar measureCommand(
    {"measure", kUsage,
     "N point measurements (default 1) with the velm.ini rules and calibration on the velm.ini "
     "board, appended to DOC (created when missing); prints one line per new observation",
     RunMeasure});

}  // namespace
