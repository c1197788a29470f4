#include "tech/Acquisition.h"

#include <cmath>

#include "hw/AdBoard.h"
#include "platform/Format.h"
#include "platform/Services.h"

namespace {
SAcquisitionHooks& Hooks() {
    static SAcquisitionHooks hooks;
    return hooks;
}

std::string Reason(const CAdBoard& board, int first, int last, double periodSec, int burstScans,
                   double burstHz) {
    if (board.type == kAdNone)
        return "no A/D board is set up (System > A/D Board > Setup chooses one).";
    const int64_t n = int64_t{last} - first + 1;
    if (first < 0 || last >= CAdBoard::kMaxChannels || n < 1)
        return StrPrintf("channels %d to %d cannot be read; the board has channels 0 to %d.", first,
                         last, CAdBoard::kMaxChannels - 1);
    if (burstScans == 0) {
        if (!(periodSec >= 0.0 && periodSec <= CAdBoard::kMaxPeriodSec))
            return StrPrintf("an averaging time of %g seconds cannot be read (0 to %.0f seconds).",
                             periodSec, CAdBoard::kMaxPeriodSec);
        if (periodSec < 0.001)
            return StrPrintf("no sample fits in an averaging time of %g seconds.", periodSec);
    } else {
        if (burstScans < 1 || int64_t{burstScans} * n > CAdBoard::kMaxValues)
            return StrPrintf(
                "a burst of %d samples of %lld channels is more than the board "
                "takes (%lld values).",
                burstScans, static_cast<long long>(n),
                static_cast<long long>(CAdBoard::kMaxValues));
        if (!(burstHz > 0.0 && std::isfinite(burstHz)))
            return StrPrintf("a burst rate of %g samples/sec cannot be used.", burstHz);
    }
    return "the board did not deliver the values.";
}
}  // namespace

uint64_t SettleDeadline(double seconds) {
    const uint64_t now = Clock().Ticks();
    if (!(seconds > 0.0)) return now;
    const double ms = std::trunc(std::fmin(seconds, CAdBoard::kMaxPeriodSec) * 1000.0);
    return now + static_cast<uint64_t>(ms);
}

void SetAcquisitionHooks(SAcquisitionHooks hooks) {
    Hooks() = std::move(hooks);
}

CAcquisitionScope::CAcquisitionScope() {
    if (Hooks().busyCursor) Hooks().busyCursor(true);
}

CAcquisitionScope::~CAcquisitionScope() {
    if (Hooks().busyCursor) Hooks().busyCursor(false);
    if (Hooks().refreshMainWindow) Hooks().refreshMainWindow();
}

std::string ReadFailureMessage(const CAdBoard& board, int first, int last, double periodSec,
                               int burstScans, double burstHz) {
    std::string what = burstScans == 0
                           ? StrPrintf("Reading A/D channels %d to %d", first, last)
                           : StrPrintf("The burst record of A/D channels %d to %d", first, last);
    return StrPrintf("%s failed on the A/D board \"%s\": %s\nNothing was recorded.", what.c_str(),
                     board.GetBoardName(),
                     Reason(board, first, last, periodSec, burstScans, burstHz).c_str());
}
