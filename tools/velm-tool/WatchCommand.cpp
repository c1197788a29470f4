// Watch command: the watch window of a technique without a screen. Each tick takes one
// observation with the velm.ini rules (and calibration) on the velm.ini board, as the window
// does, and prints one line: the clock time, the seconds since the first tick and the values the
// window shows. Nothing is recorded and the window's settings in velm.ini stay as they are.

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ToolCommand.h"
#include "app/MainFrame.h"
#include "platform/Clock.h"
#include "platform/Format.h"
#include "platform/NumberEntry.h"
#include "platform/Services.h"
#include "tech/Station.h"
#include "tech/watch/IonWatch.h"
#include "tech/watch/RawADWatch.h"
#include "tech/watch/WatchFor.h"
#include "tech/watch/WireWatch.h"

namespace {

constexpr const char* kUsage =
    "watch --technique cdp|rawad|gradient [--probe NAME] [--interval S] [--count N]";
constexpr long kMaxCount = 1000000;

int Usage(const std::string& why) {
    std::fprintf(stderr, "velm-tool watch: %s\nusage: velm-tool %s\n", why.c_str(), kUsage);
    return 2;
}

std::string Join(const std::string& label, const std::array<std::string, 4>& values) {
    std::string text = label;
    for (const std::string& v : values)
        text += " " + v;
    return text;
}

// What the window shows after a tick, on one line.
std::string TickValues(CWatch& watch) {
    if (auto* cdp = dynamic_cast<CWireWatch*>(&watch)) {
        const auto current = cdp->CurrentTexts();
        return Join("Sample:", cdp->SampleTexts()) + " uV tip gradient  X Cur: " + current[0] +
               "  Y Cur: " + current[1] + "  Length: " + current[2] +
               " uA/sq.cm.  Angle: " + current[3] + " deg.";
    }
    if (auto* raw = dynamic_cast<CRawADWatch*>(&watch)) return raw->ValuesText();
    if (auto* ion = dynamic_cast<CIonWatch*>(&watch))
        return ion->ReferenceLabel() + " " + ion->ReferenceText() + "  " + ion->SampleLabel() +
               " " + ion->SampleText() + "  " + ion->DifferenceLabel() + " " +
               ion->DifferenceText();
    return "";
}

int RunWatch(const std::vector<std::string>& args) {
    std::string technique, probe;
    std::optional<double> interval;
    long count = 10;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a != "--technique" && a != "--probe" && a != "--interval" && a != "--count")
            return Usage("unknown argument '" + a + "'");
        if (i + 1 >= args.size()) return Usage(a + " needs a value");
        const std::string& value = args[++i];
        if (a == "--technique") {
            technique = value;
        } else if (a == "--probe") {
            probe = value;
        } else if (a == "--interval") {
            interval = ParseNumberEntry(value);
            if (!interval || !(*interval >= kMinWatchInterval && *interval <= kMaxWatchInterval))
                return Usage("--interval must be a number of seconds from 0.1 to 86400, not '" +
                             value + "'");
        } else {
            char* end = nullptr;
            errno = 0;
            count = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || errno != 0 || count < 1 || count > kMaxCount)
                return Usage("--count must be a whole number from 1 to 1000000, not '" + value +
                             "'");
        }
    }
    int kind = 0;
    if (technique == "cdp") kind = kTechniqueCdp;
    if (technique == "rawad") kind = kTechniqueRawAD;
    if (technique == "gradient") kind = kTechniqueGradient;
    if (kind == 0) return Usage("--technique must be cdp, rawad or gradient");
    if (kind == kTechniqueGradient && probe.empty())
        return Usage("a gradient watch needs the probe's name (--probe NAME)");
    if (kind != kTechniqueGradient && !probe.empty())
        return Usage("--probe names the gradient probe of --technique gradient");

    CMainFrame frame;
    CStation& station = frame.Station();
    // The probe watched, for this run only (the desktop program's choice stays).
    if (!probe.empty()) station.selectedProbe = probe;
    std::unique_ptr<CWatch> watch = MakeWatchFor(station, kind);
    if (!watch) return 1;
    watch->keepSettings = false;
    CClock& clock = Clock();
    // Ticks are timed from the start of the first, which opening takes.
    const uint64_t start = clock.Ticks();
    watch->Open();
    if (interval) watch->ApplyInterval(*interval);

    int code = 0;
    for (long n = 0; n < count; ++n) {
        uint64_t tickStart = start;
        if (n > 0) {
            const uint64_t next = start + static_cast<uint64_t>(n) *
                                              static_cast<uint64_t>(watch->TimerMilliseconds());
            if (clock.Ticks() < next) clock.WaitUntil(next);
            tickStart = clock.Ticks();
            if (!watch->Tick()) {
                code = 1;
                break;
            }
        } else if (watch->TickCount() == 0) {
            code = 1;
            break;
        }
        const CTimeStamp now = clock.Now();
        const std::string line =
            CClock::FormatLocal(now.seconds, "%H:%M:%S") +
            StrPrintf(".%03u  %8.3f s  ", static_cast<unsigned>(now.milliseconds),
                      static_cast<double>(tickStart - start) / 1000.0) +
            TickValues(*watch) + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    }
    watch->Close();
    return code;
}

CToolCommandRegistrar watchCommand(
    {"watch", kUsage,
     "N ticks (default 10) of the technique's watch window (a gradient probe's by NAME) on the "
     "velm.ini board every S seconds (default: the window's interval); prints the time and the "
     "values of each tick",
     RunWatch});

}  // namespace
