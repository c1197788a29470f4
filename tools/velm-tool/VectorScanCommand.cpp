// Vector scan command: the operations an observation document holds, run as Mode > "&Vector
// Scan" runs them with the document's own schedule and no dialogs, on the station configured in
// velm.ini; what is taken is appended to the document. The run ticks once a second on the
// clock, as the desktop program's timer does, so the runs keep their interval. With interval 0
// each run waits for an outside program's region file in the transfer folder.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ToolCommand.h"
#include "app/MainFrame.h"
#include "app/ObsDocCommands.h"
#include "obs/ObsDoc.h"
#include "obs/VelmObs.h"
#include "platform/Services.h"
#include "scan/VectorScanRun.h"

namespace {

constexpr const char* kUsage = "vectorscan [--reps N] DOC.vpo";

// The station's calibration and rules go into the document before CDP and raw A/D operations
// measure, as before any measurement, so that their observations can be read.
bool PrepareDocument(CObsDocCommands& commands, const CObsList& ops) {
    const bool cdp =
        HasOperation(ops, EVectorOp::CdpPoint) || HasOperation(ops, EVectorOp::CdpReference);
    if (cdp && !commands.EnsureWireSetup()) return false;
    if (HasOperation(ops, EVectorOp::RawAD) && !commands.EnsureRawADSetup()) return false;
    return true;
}

int Usage(const std::string& why) {
    std::fprintf(stderr, "velm-tool vectorscan: %s\nusage: velm-tool %s\n", why.c_str(), kUsage);
    return 2;
}

int RunVectorScan(const std::vector<std::string>& args) {
    std::string file;
    int reps = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--reps") {
            if (i + 1 >= args.size()) return Usage("--reps needs a value");
            const std::string& v = args[++i];
            char* end = nullptr;
            const long n = std::strtol(v.c_str(), &end, 10);
            if (v.empty() || *end || n < 1 || n > 30000)
                return Usage("--reps takes a number from 1 to 30000");
            reps = static_cast<int>(n);
            continue;
        }
        if (!a.empty() && a[0] == '-') return Usage("unknown option '" + a + "'");
        if (!file.empty()) return Usage("one document only");
        file = a;
    }
    if (file.empty()) return Usage("no document named");

    CObsDoc doc;
    std::string message;
    if (!doc.LoadFile(file, message)) {
        std::fprintf(stderr, "velm-tool vectorscan: %s\n",
                     message.empty() ? "the document cannot be read" : message.c_str());
        return 1;
    }
    doc.SetPathName(file);
    if (doc.vsOps.empty()) {
        std::fprintf(stderr, "velm-tool vectorscan: %s holds no vector scan operations\n",
                     file.c_str());
        return 1;
    }
    if (reps > 0) doc.vsReps = reps;

    CMainFrame frame;
    SVectorScanStation station;
    station.station = &frame.Station();
    station.devices = &frame.Devices();
    station.speedMode = [&frame](EStage stage) {
        return static_cast<int>(stage == EStage::Probe ? frame.probeSpeedMode
                                                       : frame.sampleSpeedMode);
    };
    CVectorScanRun run(doc, station);
    CObsDocCommands commands(doc, frame);
    run.prepareDocument = [&commands, &doc] { return PrepareDocument(commands, doc.vsOps); };
    const size_t before = doc.GetObsCount();
    bool completed = false;
    if (run.Start()) {
        CClock& clock = Clock();
        uint64_t next = clock.Ticks();
        while (run.IsRunning()) {
            // The next whole second after the last tick; a run that overran skips the ticks
            // that fell inside it, as a timer does.
            next += 1000;
            if (clock.Ticks() > next) next = clock.Ticks();
            clock.WaitUntil(next);
            run.OnTick();
        }
        completed = run.LastRunCompleted() && run.State().count >= run.State().reps;
    }
    // What was measured before a stop is kept.
    if (doc.GetObsCount() != before && !doc.SaveFile(file, message)) {
        std::fprintf(stderr, "velm-tool vectorscan: %s\n", message.c_str());
        return 1;
    }
    std::string line;
    for (size_t i = before; i < doc.GetObsCount(); ++i) {
        line.clear();
        doc.GetObsAt(i)->Describe(line, &doc, static_cast<unsigned>(doc.detailFlags));
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    if (std::fflush(stdout) != 0) return 1;
    return completed ? 0 : 1;
}

CToolCommandRegistrar vectorScanCommand(
    {"vectorscan", kUsage,
     "runs the vector scan operations DOC holds with its stored interval and repetitions (or N "
     "repetitions) on the velm.ini station, appending what they take to DOC; prints one line "
     "per new observation; exit 1 when a run was stopped",
     RunVectorScan});

}  // namespace
