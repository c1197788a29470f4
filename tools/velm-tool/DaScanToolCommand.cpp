// D/A output scan command: a scan from a terminal or a script, as Mode > "&D/A Output Scan"
// runs it with automatic increments and no dialog, on the board configured in velm.ini, with
// the station's "Point " rules and CDP calibration, appended to a document (created when
// missing). The entries are checked as the dialog checks them; the reset at the end is the
// document's (a new document's comes from velm.ini). The dialog's defaults in velm.ini are
// left as they were: a script does not change what the desktop program offers next.

#include <cstdio>
#include <string>
#include <vector>

#include "ToolCommand.h"
#include "ToolDocument.h"
#include "app/DaScanCommand.h"
#include "app/MainFrame.h"
#include "app/ObsDocCommands.h"
#include "hw/AdBoard.h"
#include "obs/ObsDoc.h"
#include "obs/VelmObs.h"
#include "scan/DaScanSetup.h"

namespace {

constexpr const char* kUsage =
    "dascan --channel C --from V --to V --points N --interval S [--cdp] [--rawad] [--cycle] "
    "[--times N] DOC.vpo";

int Usage(const std::string& why) {
    std::fprintf(stderr, "velm-tool dascan: %s\nusage: velm-tool %s\n", why.c_str(), kUsage);
    return 2;
}

int RunDaScan(const std::vector<std::string>& args) {
    struct SValue {
        const char* option;
        std::string text;
        bool given = false;
    };
    SValue values[] = {{"--channel", {}}, {"--from", {}},     {"--to", {}},
                       {"--points", {}},  {"--interval", {}}, {"--times", "1"}};
    bool cdp = false, rawad = false, cycle = false;
    std::string file;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--cdp" || a == "--rawad" || a == "--cycle") {
            (a == "--cdp" ? cdp : a == "--rawad" ? rawad : cycle) = true;
            continue;
        }
        bool known = false;
        for (SValue& v : values) {
            if (a != v.option) continue;
            if (i + 1 >= args.size()) return Usage(a + " needs a value");
            v.text = args[++i];
            v.given = true;
            known = true;
        }
        if (known) continue;
        if (!a.empty() && a[0] == '-') return Usage("unknown option '" + a + "'");
        if (!file.empty()) return Usage("one document only");
        file = a;
    }
    for (const SValue& v : values)
        if (!v.given && std::string(v.option) != "--times")
            return Usage(std::string(v.option) + " is needed");
    if (file.empty()) return Usage("no document named");

    CMainFrame frame;
    CObsDoc doc;
    std::string message;
    if (!OpenOrNewObsDoc(file, doc, "dascan")) return 1;

    CDaScanSetupLogic setup(doc, frame.Station(), frame.AdBoard().daRange);
    setup.channel = values[0].text;
    setup.start = values[1].text;
    setup.end = values[2].text;
    setup.points = values[3].text;
    setup.interval = values[4].text;
    setup.times = values[5].text;
    setup.increment = CDaScanSetupLogic::kAutomatic;
    setup.recordCDP = cdp;
    setup.recordRawAD = rawad;
    setup.cycle = cycle;
    if (!setup.Accept(message)) {
        std::fprintf(stderr, "velm-tool dascan: %s\n", message.c_str());
        return 2;
    }
    setup.Store(doc);

    CObsDocCommands commands(doc, frame);
    CDaScanCommand command(commands, frame);
    const size_t before = doc.GetObsCount();
    const EDaScanResult result = command.Scan();
    // What was measured before a stop is kept: the document is saved with it.
    if (doc.GetObsCount() != before && !doc.SaveFile(file, message)) {
        std::fprintf(stderr, "velm-tool dascan: %s\n", message.c_str());
        return 1;
    }
    // The new observations, in the order of the list (they are the latest).
    std::string line;
    for (size_t i = before; i < doc.GetObsCount(); ++i) {
        line.clear();
        doc.GetObsAt(i)->Describe(line, &doc, static_cast<unsigned>(doc.detailFlags));
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    if (std::fflush(stdout) != 0) return 1;
    return result == EDaScanResult::Completed ? 0 : 1;
}

CToolCommandRegistrar daScanCommand(
    {"dascan", kUsage,
     "a D/A output scan with automatic increments on the velm.ini board: channel C stepped "
     "from V to V in N points, waiting S seconds at each, then a CDP and/or raw A/D sample "
     "with the velm.ini rules, appended to DOC (created when missing); prints one line per new "
     "observation; exit 1 when the scan stopped early",
     RunDaScan});

}  // namespace
