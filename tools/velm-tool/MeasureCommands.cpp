// Measure command: point measurements from a terminal or a script, on the board configured in
// velm.ini, with the station's rules and calibration, appended to a document exactly as
// Mode > Point appends them (the rules and calibration first when the document needs them).
// A gradient point walks the named probe's path on the tip stage.
// --probe-at first moves the probe stage, so a script can place the probe (on the Simulated
// Station, where the reading depends on it). The stages start at 0 in every run.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ToolCommand.h"
#include "ToolDocument.h"
#include "app/MainFrame.h"
#include "app/ObsDocCommands.h"
#include "hw/MsWcmc.h"
#include "obs/ObsDoc.h"
#include "obs/VelmObs.h"
#include "platform/NumberEntry.h"
#include "tech/Station.h"

namespace {

constexpr const char* kUsage =
    "measure --technique cdp|rawad|gradient [--probe NAME] [--count N] [--probe-at X,Y,Z,W] "
    "DOC.vpo";
constexpr long kMaxCount = 1000000;

int Usage(const char* why) {
    std::fprintf(stderr, "velm-tool measure: %s\nusage: velm-tool %s\n", why, kUsage);
    return 2;
}

// "X,Y,Z,W": four numbers (microns) separated by commas.
std::optional<CDVector4> ParsePosition(const std::string& text) {
    CDVector4 position;
    size_t start = 0;
    for (int axis = 0; axis < 4; ++axis) {
        const size_t comma = text.find(',', start);
        if ((comma == std::string::npos) != (axis == 3)) return std::nullopt;
        const std::optional<double> v =
            ParseNumberEntry(std::string_view(text).substr(start, comma - start));
        if (!v) return std::nullopt;
        position[axis] = *v;
        start = comma + 1;
    }
    return position;
}

// Moves the probe to `target` as Go To A Position does. False when it did not get there (the
// user has been told why).
bool PlaceProbe(CMsWcmc& probe, const CDVector4& target) {
    // A script has nobody to answer the Z-minimum question: refuse rather than move elsewhere.
    if (probe.zMinimumOn && target.z < probe.zMinimum) {
        std::fprintf(stderr,
                     "velm-tool measure: --probe-at Z %g lies below the probe's Z minimum %g; "
                     "the probe was not moved.\n",
                     target.z, probe.zMinimum);
        return false;
    }
    return probe.MoveAbsolute(target, kSpeedModeLinear) == CMsWcmc::kMoveDone;
}

int RunMeasure(const std::vector<std::string>& args) {
    std::string technique, file, probe;
    long count = 1;
    std::optional<CDVector4> probeAt;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--technique" || a == "--count" || a == "--probe-at" || a == "--probe") {
            if (i + 1 >= args.size()) return Usage((a + " needs a value").c_str());
            const std::string& value = args[++i];
            if (a == "--technique") {
                technique = value;
                continue;
            }
            if (a == "--probe") {
                probe = value;
                continue;
            }
            if (a == "--probe-at") {
                probeAt = ParsePosition(value);
                if (!probeAt)
                    return Usage(
                        ("--probe-at must be four numbers X,Y,Z,W in microns, not '" + value + "'")
                            .c_str());
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
    if (technique != "cdp" && technique != "rawad" && technique != "gradient")
        return Usage("--technique must be cdp, rawad or gradient");
    if (technique == "gradient" && probe.empty())
        return Usage("a gradient point needs the probe's name (--probe NAME)");
    if (technique != "gradient" && !probe.empty())
        return Usage("--probe names the gradient probe of --technique gradient");
    if (file.empty()) return Usage("no document named");

    CMainFrame frame;
    CObsDoc doc;
    std::string message;
    if (!OpenOrNewObsDoc(file, doc, "measure")) return 1;
    if (probeAt && !PlaceProbe(frame.ProbeSystem(), *probeAt)) return 1;

    CObsDocCommands commands(doc, frame);
    // The probe measured with, for this run only (the desktop program's choice stays).
    if (!probe.empty()) frame.Station().selectedProbe = probe;
    std::vector<const CVelmObs*> added;
    bool ok = true;
    for (long n = 0; n < count && ok; ++n) {
        if (technique == "gradient")
            ok = commands.IonPoint();
        else
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
     "board (a gradient probe's by NAME), appended to DOC (created when missing), after moving "
     "the probe to X,Y,Z,W (microns) when asked; prints one line per new observation",
     RunMeasure});

}  // namespace
