#include "hw/ad/SimulatedBoards.h"

#include <cmath>

#include "platform/Services.h"

namespace {

// Seeded from the time of day, as a fresh noise sequence per reading.
CAdLcg SeededGenerator() {
    return CAdLcg(static_cast<uint32_t>(Clock().Now().seconds));
}

uint64_t WindowTicks(double periodSec) {
    return static_cast<uint64_t>(std::trunc(periodSec * 1000.0));
}

}  // namespace

bool CRandomBoardDriver::ReadChannels(double periodSec, int firstCh, int lastCh, double volts[]) {
    const int n = lastCh - firstCh + 1;
    CAdLcg generator = SeededGenerator();
    int64_t acc[CAdBoard::kMaxChannels] = {};
    for (int i = 0; i < n; ++i)
        volts[i] = 0.0;
    int64_t sweeps = 0;
    const uint64_t end = Clock().Ticks() + WindowTicks(periodSec);
    while (Clock().Ticks() < end) {
        Clock().WaitTicks(1);
        for (int i = 0; i < n; ++i)
            acc[i] += generator.Next();
        ++sweeps;
    }
    if (sweeps == 0) return false;
    for (int i = 0; i < n; ++i) {
        volts[i] =
            (2.0 * static_cast<double>(acc[i]) / static_cast<double>(sweeps) / 32767.0 - 1.0) *
            board.adRange;
    }
    return true;
}

bool CRandomBoardDriver::ReadBurst(int scans, int firstCh, int lastCh, double samples[]) {
    const int64_t total = int64_t{scans} * (lastCh - firstCh + 1);
    CAdLcg generator = SeededGenerator();
    for (int64_t k = 0; k < total; ++k)
        samples[k] = (generator.Next() * 2.0 / 32767.0 - 1.0) * board.adRange;
    return true;
}

bool CSineBoardDriver::ReadChannels(double periodSec, int firstCh, int lastCh, double volts[]) {
    const int n = lastCh - firstCh + 1;
    // Channel i is read alone during slice i of the window.
    const uint64_t t0 = Clock().Ticks();
    for (int i = 0; i < n; ++i) {
        const uint64_t sliceEnd = t0 + static_cast<uint64_t>(std::trunc(
                                           (i + 1) * periodSec * 1000.0 / static_cast<double>(n)));
        int64_t acc = 0;
        int64_t count = 0;
        while (Clock().Ticks() < sliceEnd) {
            Clock().WaitTicks(1);
            const double t = static_cast<double>(Clock().Ticks());
            acc += static_cast<int64_t>(std::trunc(2048.0 * std::cos(0.0001 * t)));
            ++count;
        }
        volts[i] = count == 0 ? 0.0
                              : static_cast<double>(acc) / static_cast<double>(count) / 2048.0 *
                                    board.adRange;
    }
    return true;
}

bool CSineBoardDriver::ReadBurst(int scans, int firstCh, int lastCh, double samples[]) {
    const int64_t total = int64_t{scans} * (lastCh - firstCh + 1);
    for (int64_t k = 0; k < total; ++k) {
        Clock().WaitTicks(1);
        samples[k] = std::cos(0.0001 * static_cast<double>(Clock().Ticks())) * board.adRange;
    }
    return true;
}
