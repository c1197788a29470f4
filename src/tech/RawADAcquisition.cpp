// Raw A/D acquisitions: averages or bursts of a range of channels.

#include <new>

#include "hw/AdBoard.h"
#include "obs/RawADObs.h"
#include "obs/SampRulesRawAD.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "tech/Acquisition.h"

namespace {

bool Failed(const CAdBoard& board, int first, int last, double period, int scans = 0,
            double hz = 0.0) {
    Prompt().Message(ReadFailureMessage(board, first, last, period, scans, hz),
                     EPromptIcon::Exclamation);
    return false;
}

}  // namespace

bool AcquireRawAD(const CSampRulesRawAD& rules, CRawADObs& obs, CAdBoard& board) {
    obs.rules.CopyRulesFrom(rules);
    obs.FreeData();
    CAcquisitionScope busy;
    const uint64_t settled = SettleDeadline(rules.WaitSec);
    const int first = rules.FirstChan, last = rules.LastChan;
    const int64_t n = int64_t{last} - first + 1;
    if (n < 1) {
        Prompt().Message(StrPrintf("Raw A/D sampling rules for channels %d to %d hold no channel: "
                                   "the last channel must not be below the first.",
                                   first, last),
                         EPromptIcon::Exclamation);
        return false;
    }
    std::vector<double> buffer;
    if (rules.average) {
        // More than eight channels cannot be read; the read says so below.
        try {
            buffer.assign(static_cast<size_t>(std::min<int64_t>(n, CAdBoard::kMaxChannels)), 0.0);
        } catch (const std::bad_alloc&) {
            Prompt().Message("Cannot allocate buffer for raw A/D values - aborting observation.",
                             EPromptIcon::Stop);
            return false;
        }
    } else {
        // A burst the board cannot take is refused here, before a buffer of that size is asked
        // for.
        const bool fits = rules.BurstNum >= 1 && n <= CAdBoard::kMaxChannels &&
                          int64_t{rules.BurstNum} * n <= CAdBoard::kMaxValues;
        try {
            if (!fits) throw std::bad_alloc();
            buffer.assign(static_cast<size_t>(int64_t{rules.BurstNum} * n), 0.0);
        } catch (const std::bad_alloc&) {
            Prompt().Message(
                "Cannot allocate buffer for burst raw A/D values - aborting observation.",
                EPromptIcon::Stop);
            return false;
        }
    }
    obs.StampNow();
    obs.StampPositions();
    Clock().WaitUntil(settled);

    if (rules.average) {
        if (rules.interleave || n > CAdBoard::kMaxChannels) {
            if (!board.ReadChannels(rules.AvgSec, first, last, buffer.data()))
                return Failed(board, first, last, rules.AvgSec);
        } else {
            for (int c = first; c <= last; ++c)
                if (!board.ReadChannels(rules.AvgSec, c, c,
                                        &buffer[static_cast<size_t>(c - first)]))
                    return Failed(board, c, c, rules.AvgSec);
        }
    } else if (rules.interleave) {
        if (!board.ReadBurst(rules.BurstNum, rules.BurstFreq, first, last, buffer.data()))
            return Failed(board, first, last, 0.0, rules.BurstNum, rules.BurstFreq);
    } else {
        for (int c = first; c <= last; ++c) {
            double* block = &buffer[static_cast<size_t>(c - first) * rules.BurstNum];
            if (!board.ReadBurst(rules.BurstNum, rules.BurstFreq, c, c, block))
                return Failed(board, c, c, 0.0, rules.BurstNum, rules.BurstFreq);
        }
    }
    obs.values = std::move(buffer);
    return true;
}

std::vector<std::unique_ptr<CRawADObs>> SplitForStorage(std::unique_ptr<CRawADObs> obs) {
    std::vector<std::unique_ptr<CRawADObs>> out;
    if (!obs) return out;
    const CSampRulesRawAD& r = obs->rules;
    const int n = r.ChannelCount();
    const size_t count = r.BurstNum > 0 ? static_cast<size_t>(r.BurstNum) : 0;
    if (r.average || n <= 1 || count == 0 || obs->values.size() != count * static_cast<size_t>(n)) {
        out.push_back(std::move(obs));
        return out;
    }
    for (int i = 0; i < n; ++i) {
        auto one = std::make_unique<CRawADObs>();
        one->SetTime(obs->time, obs->milliseconds);
        one->index = obs->index;
        one->probePosition = obs->probePosition;
        one->samplePosition = obs->samplePosition;
        one->rules.CopyRulesFrom(r);
        one->rules.SetTime(r.time, r.milliseconds);
        one->rules.index = r.index;
        one->rules.probePosition = r.probePosition;
        one->rules.samplePosition = r.samplePosition;
        one->rules.FirstChan = one->rules.LastChan = r.FirstChan + i;
        one->values.resize(count);
        for (size_t s = 0; s < count; ++s) {
            // Interleaved: scan s holds every channel in turn; sequential: one block per channel.
            const size_t from = r.interleave ? s * static_cast<size_t>(n) + static_cast<size_t>(i)
                                             : static_cast<size_t>(i) * count + s;
            one->values[s] = obs->values[from];
        }
        out.push_back(std::move(one));
    }
    return out;
}

CObsList TakeRawADObservations(const CSampRulesRawAD& rules, CAdBoard& board,
                               const char* outOfMemory) {
    CObsList taken;
    std::unique_ptr<CRawADObs> obs;
    try {
        obs = std::make_unique<CRawADObs>();
    } catch (const std::bad_alloc&) {
        Prompt().Message(outOfMemory, EPromptIcon::Exclamation);
        return taken;
    }
    if (!AcquireRawAD(rules, *obs, board)) return taken;
    try {
        for (auto& one : SplitForStorage(std::move(obs)))
            taken.push_back(std::move(one));
    } catch (const std::bad_alloc&) {
        Prompt().Message(outOfMemory, EPromptIcon::Exclamation);
        taken.clear();
    }
    return taken;
}
