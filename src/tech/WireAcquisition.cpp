// CDP point and reference acquisitions.

#include <climits>
#include <cmath>
#include <new>

#include "hw/AdBoard.h"
#include "obs/SampRulesWire.h"
#include "obs/WireObs.h"
#include "platform/Services.h"
#include "tech/Acquisition.h"

namespace {

// Reads the four lock-in channels from FirstChan on; false after the failure message.
bool ReadLockIns(const CSampRulesWire& rules, double periodSec, CAdBoard& board, double v[4]) {
    const int first = rules.FirstChan;
    // FirstChan + 3 must not overflow for a channel no board has.
    const int last = first > INT_MAX - 3 ? INT_MAX : first + 3;
    if (board.ReadChannels(periodSec, first, last, v)) return true;
    Prompt().Message(ReadFailureMessage(board, first, last, periodSec), EPromptIcon::Exclamation);
    return false;
}

}  // namespace

bool AcquireWirePoint(const CSampRulesWire* rules, CWireObs& obs, CAdBoard& board,
                      const CDVector4& currentReference) {
    if (rules == nullptr) {
        Prompt().Message("NULL wire sampling rules - execute Wire::Sampling... Command First",
                         EPromptIcon::Exclamation);
        return false;
    }
    CAcquisitionScope busy;
    const uint64_t settled = SettleDeadline(rules->WaitPeriod);
    obs.StampNow();
    obs.StampPositions();
    Clock().WaitUntil(settled);
    double v[4] = {};
    // Rules marked for references still average a point over the absolute value.
    if (!ReadLockIns(*rules, std::fabs(rules->SamplePeriod), board, v)) return false;
    obs.reference = currentReference;
    obs.reading = CDVector4(v);
    return true;
}

bool AcquireWireReference(const CSampRulesWire* rules, CWireReference& ref, CAdBoard& board,
                          CDVector4& currentReference) {
    if (rules == nullptr) {
        Prompt().Message("Execute Wire::Sampling... Command First", EPromptIcon::Exclamation);
        return false;
    }
    CAcquisitionScope busy;
    const uint64_t settled = SettleDeadline(rules->WaitPeriod);
    ref.StampNow();
    ref.StampPositions();
    ref.reference = currentReference;
    Clock().WaitUntil(settled);
    double v[4] = {};
    if (!ReadLockIns(*rules, rules->RefPeriod, board, v)) return false;
    ref.reading = CDVector4(v);
    currentReference = ref.reading;
    return true;
}

std::unique_ptr<CVelmObs> TakeWireObservation(const CSampRulesWire& rules, CAdBoard& board,
                                              CDVector4& currentReference) {
    if (rules.MakesReferences()) {
        std::unique_ptr<CWireReference> ref;
        try {
            ref = std::make_unique<CWireReference>();
        } catch (const std::bad_alloc&) {
            Prompt().Message("Insufficient Memory for Current Density Reference Observation");
            return nullptr;
        }
        if (!AcquireWireReference(&rules, *ref, board, currentReference)) return nullptr;
        return ref;
    }
    std::unique_ptr<CWireObs> point;
    try {
        point = std::make_unique<CWireObs>();
    } catch (const std::bad_alloc&) {
        Prompt().Message("Insufficient Memory for Current Density Point Observation");
        return nullptr;
    }
    if (!AcquireWirePoint(&rules, *point, board, currentReference)) return nullptr;
    return point;
}
