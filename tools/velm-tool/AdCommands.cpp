// A/D board commands: check the board configured in velm.ini from a terminal, without the
// desktop program. Both read through the same board layer the measurements use.

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "ToolCommand.h"
#include "hw/AdBoard.h"
#include "settings/Profile.h"

namespace {

struct SAdArgs {
    int first = 0;
    int last = -1;  // -1: the same as first
    double period = 0.5;
    long long scans = 0;
    double rate = 0.0;
};

bool ParseInt(const std::string& text, long long& value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE) return false;
    value = v;
    return true;
}

bool ParseDouble(const std::string& text, double& value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (*end != '\0' || errno == ERANGE || !std::isfinite(v)) return false;
    value = v;
    return true;
}

// Parses the options a command allows; prints what is wrong and returns false.
bool ParseArgs(const std::vector<std::string>& args, bool burst, SAdArgs& out, const char* usage) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (i + 1 >= args.size()) {
            std::fprintf(stderr, "velm-tool: %s needs a value\nusage: velm-tool %s\n", name.c_str(),
                         usage);
            return false;
        }
        const std::string& value = args[++i];
        long long number = 0;
        bool ok = true;
        if (name == "--first" || name == "--last") {
            ok = ParseInt(value, number) && number >= 0 && number < CAdBoard::kMaxChannels;
            if (ok) (name == "--first" ? out.first : out.last) = static_cast<int>(number);
            if (!ok)
                std::fprintf(stderr, "velm-tool: %s must be a channel from 0 to 7, not '%s'\n",
                             name.c_str(), value.c_str());
        } else if (name == "--period" && !burst) {
            ok = ParseDouble(value, out.period) && out.period > 0 &&
                 out.period <= CAdBoard::kMaxPeriodSec;
            if (!ok)
                std::fprintf(stderr,
                             "velm-tool: --period must be seconds above 0, at most %.0f, not "
                             "'%s'\n",
                             CAdBoard::kMaxPeriodSec, value.c_str());
        } else if (name == "--scans" && burst) {
            ok = ParseInt(value, out.scans) && out.scans > 0;
            if (!ok)
                std::fprintf(stderr,
                             "velm-tool: --scans must be a whole number above 0, not '%s'\n",
                             value.c_str());
        } else if (name == "--rate" && burst) {
            ok = ParseDouble(value, out.rate) && out.rate > 0;
            if (!ok)
                std::fprintf(stderr,
                             "velm-tool: --rate must be samples per second above 0, not "
                             "'%s'\n",
                             value.c_str());
        } else {
            std::fprintf(stderr, "velm-tool: unknown option '%s'\nusage: velm-tool %s\n",
                         name.c_str(), usage);
            return false;
        }
        if (!ok) return false;
    }
    if (out.last < 0) out.last = out.first;
    if (out.last < out.first) {
        std::fprintf(stderr, "velm-tool: --last (%d) is below --first (%d)\n", out.last, out.first);
        return false;
    }
    if (burst && (out.scans == 0 || out.rate == 0.0)) {
        std::fprintf(stderr, "velm-tool: --scans and --rate are needed\nusage: velm-tool %s\n",
                     usage);
        return false;
    }
    return true;
}

// False (after saying why) when velm.ini names no board.
bool BoardConfigured(const CAdBoard& board) {
    if (board.type != kAdNone) return true;
    std::fprintf(stderr, "velm-tool: no A/D board is configured in %s (section [%s])\n",
                 Profile().Path().c_str(), CAdBoard::kSection);
    return false;
}

constexpr const char* kReadUsage = "adread [--first N] [--last M] [--period S]";
constexpr const char* kBurstUsage = "adburst --scans N --rate HZ [--first N] [--last M]";

int RunAdRead(const std::vector<std::string>& args) {
    SAdArgs a;
    if (!ParseArgs(args, false, a, kReadUsage)) return 2;
    CAdBoard board;
    if (!BoardConfigured(board)) return 1;
    double volts[CAdBoard::kMaxChannels] = {};
    if (!board.ReadChannels(a.period, a.first, a.last, volts)) {
        std::fprintf(stderr, "velm-tool: reading channels %d-%d of the %s failed\n", a.first,
                     a.last, board.GetBoardName());
        return 1;
    }
    for (int ch = a.first; ch <= a.last; ++ch)
        std::printf("%d %.6f\n", ch, volts[ch - a.first]);
    return 0;
}

int RunAdBurst(const std::vector<std::string>& args) {
    SAdArgs a;
    if (!ParseArgs(args, true, a, kBurstUsage)) return 2;
    const int n = a.last - a.first + 1;
    if (a.scans > CAdBoard::kMaxValues / n) {
        std::fprintf(stderr,
                     "velm-tool: %lld scans of %d channels are more than one burst holds "
                     "(%lld values)\n",
                     a.scans, n, static_cast<long long>(CAdBoard::kMaxValues));
        return 2;
    }
    CAdBoard board;
    if (!BoardConfigured(board)) return 1;
    std::vector<double> samples;
    try {
        samples.assign(static_cast<size_t>(a.scans) * static_cast<size_t>(n), 0.0);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "velm-tool: not enough memory for %lld samples\n",
                     static_cast<long long>(a.scans) * n);
        return 1;
    }
    if (!board.ReadBurst(static_cast<int>(a.scans), a.rate, a.first, a.last, samples.data())) {
        std::fprintf(stderr, "velm-tool: the burst from the %s failed\n", board.GetBoardName());
        return 1;
    }
    for (long long s = 0; s < a.scans; ++s)
        for (int i = 0; i < n; ++i)
            std::printf("%lld %d %.6f\n", s, a.first + i, samples[static_cast<size_t>(s * n + i)]);
    return 0;
}

CToolCommandRegistrar adReadCommand(
    {"adread", kReadUsage,
     "mean volts of channels N..M (default 0..N) over S s (default 0.5) on the velm.ini board; "
     "prints 'CHANNEL VOLTS' per line",
     RunAdRead});
CToolCommandRegistrar adBurstCommand(
    {"adburst", kBurstUsage,
     "N scans of channels at HZ samples/s on the velm.ini board; prints 'SCAN CHANNEL VOLTS' "
     "per sample",
     RunAdBurst});

}  // namespace
