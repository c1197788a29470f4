// Grid scan command: one scan group with a stored parameter set, from a terminal or a script,
// on the station configured in velm.ini. No dialog opens: the set is used as stored (--reps
// and --triggered change only this run, never the set), and questions take the cautious
// answer (an existing scan file is not overwritten). Each scan file written is printed as
// "Scan %d: %s" and recorded in the observation document (created when missing), which is
// saved after every scan so a stopped run keeps what it took.

#include <cctype>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ToolCommand.h"
#include "ToolDocument.h"
#include "app/MainFrame.h"
#include "obs/ObsDoc.h"
#include "obs/ScanObs.h"
#include "platform/Clock.h"
#include "platform/NumberEntry.h"
#include "platform/Services.h"
#include "scan/GridScanSet.h"
#include "scan/GridScanSetup.h"
#include "scan/ScanDoc.h"
#include "scan/ScanSequencer.h"

namespace {

constexpr const char* kUsage = "scan --set NAME [--reps N] [--triggered] DOC.vpo";

int Usage(const std::string& why) {
    std::fprintf(stderr, "velm-tool scan: %s\nusage: velm-tool %s\n", why.c_str(), kUsage);
    return 2;
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

int RunScan(const std::vector<std::string>& args) {
    std::string setName, file;
    int reps = 0;
    bool triggered = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--triggered") {
            triggered = true;
        } else if (a == "--set" || a == "--reps") {
            if (i + 1 >= args.size()) return Usage(a + " needs a value");
            const std::string& value = args[++i];
            if (a == "--set") {
                setName = value;
            } else {
                const auto n = ParseDigitsEntry(value, 1, kMaxScansInGroup);
                if (!n) return Usage("--reps takes a number from 1 to 9999");
                reps = static_cast<int>(*n);
            }
        } else if (!a.empty() && a[0] == '-') {
            return Usage("unknown option '" + a + "'");
        } else {
            if (!file.empty()) return Usage("one document only");
            file = a;
        }
    }
    if (setName.empty()) return Usage("--set is needed");
    if (file.empty()) return Usage("no document named");
    std::string found;
    for (const std::string& name : GridScanSetNames())
        if (Lower(name) == Lower(setName)) found = name;
    if (found.empty()) return Usage("no grid scan parameter set '" + setName + "' in velm.ini");

    CMainFrame frame;
    CObsDoc doc;
    if (!OpenOrNewObsDoc(file, doc, "scan")) return 1;
    doc.SetPathName(file);

    auto scan = std::make_unique<CScanDoc>();
    scan->paramSetName = found;
    LoadScanParams(*scan, found);
    TakeStationCalibration(*scan, frame.Station());
    if (reps > 0) {
        scan->reps = reps;
        scan->continuous = false;
    }
    {
        CGridScanSetupLogic setup(*scan, frame.Station());
        // A triggered run has no interval to fit into.
        if (triggered) setup.params.interval = 0.0;
        if (!setup.Accept(false)) return 2;
    }

    CScanSequencer sequencer(doc, frame.Station());
    bool saveFailed = false;
    sequencer.scanAdded = [&](const CScanObs& obs) {
        std::printf("Scan %d: %s\n", obs.scanNumber, obs.fileName.c_str());
        std::fflush(stdout);
        std::string message;
        if (!doc.SaveFile(file, message)) {
            std::fprintf(stderr, "velm-tool scan: %s\n", message.c_str());
            saveFailed = true;
        }
    };
    if (!sequencer.StartGridGroup(std::move(scan), triggered)) return 1;
    // The desktop program's one-second timer.
    CClock& clock = Clock();
    uint64_t next = clock.Ticks();
    while (sequencer.GridRunning() && !saveFailed) {
        next += CScanSequencer::kTickMs;
        const uint64_t now = clock.Ticks();
        if (next < now) next = now;  // a long scan: the next tick comes when it is over
        clock.WaitUntil(next);
        sequencer.OnTimerTick();
    }
    if (saveFailed) return 1;
    return sequencer.GridStoppedEarly() ? 1 : 0;
}

CToolCommandRegistrar scanCommand(
    {"scan", kUsage,
     "one grid scan group with the stored parameter set NAME on the velm.ini station (--reps "
     "N repetitions instead of the set's; --triggered waits for regions in the transfer "
     "folder); prints \"Scan N: FILE\" per scan file and records each in DOC (created when "
     "missing); exit 1 when the group stopped early",
     RunScan});

}  // namespace
