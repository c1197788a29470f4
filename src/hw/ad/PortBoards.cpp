#include "hw/ad/PortBoards.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/Format.h"
#include "platform/PortIo.h"
#include "platform/Services.h"

namespace {

// `freq` clamped to what a pacer can divide down to; a NaN pace takes the slowest one.
double ClampPace(double freq, double lowest, double highest) {
    if (!(freq >= lowest)) return lowest;
    return std::min(freq, highest);
}

// The threshold tests of the gain tables, in the form the boards' ranges were chosen with:
// trunc(k*r + 0.1) non-zero, i.e. r >= 0.9/k.
bool AtLeast(double r, double k) {
    return std::trunc(k * r + 0.1) != 0.0;
}

// A 12-bit D/A code for volts in [-daRange, +daRange]. Full scale is 4095: 4096 would wrap to
// 0 in the converter's 12 bits and put out -daRange for +daRange.
int DaCode12(double volts, double daRange) {
    return std::min(static_cast<int>(std::trunc((volts / daRange + 1.0) * 2048.0)), 4095);
}

int DaCode16(double volts, double daRange) {
    return std::min(static_cast<int>(std::trunc((volts / daRange + 1.0) * 32768.0)), 65535);
}

}  // namespace

bool CPortBoardDriver::Access() {
    std::vector<std::pair<int, int>> ranges;  // (offset, count)
    switch (board.type) {
        case kAdDas08Aol:
        case kAdDas08Aom:
        case kAdDas08Aoh:
            ranges = {{0, 0x12}};
            break;
        case kAdDas1602:
            ranges = {{0, 0x10}, {0x400, 8}};
            break;
        case kAdDt2801:
        case kAdDt2801A:
            ranges = {{0, 2}};
            break;
        case kAdDt2837:
            ranges = {{0, 0x18}};
            break;
        default:
            ranges = {{0, 8}};
            break;
    }
    std::string why;
    bool ok = board.base >= 0;
    if (!ok) why = "The base address is negative.";
    for (auto [offset, count] : ranges) {
        if (!ok) break;
        ok = PortIo().Acquire(static_cast<uint32_t>(board.base) + static_cast<uint32_t>(offset),
                              static_cast<uint32_t>(count), why);
    }
    if (!ok) {
        board.ReportDeviceProblem(StrPrintf("The %s (base address %X) cannot be used.\n%s",
                                            board.GetBoardName(), static_cast<unsigned>(board.base),
                                            why.c_str()));
    }
    return ok;
}

bool CPortBoardDriver::Wait(int offset, bool word, const std::function<bool(unsigned)>& done,
                            uint64_t limitMs, const char* what) {
    auto status = [&]() -> unsigned {
        return word ? PortIo().In16(P(offset)) : PortIo().In8(P(offset));
    };
    for (int i = 0; i < kSpinPolls; ++i)
        if (done(status())) return true;
    const uint64_t deadline = Clock().Ticks() + limitMs;
    for (;;) {
        Clock().WaitTicks(1);
        if (done(status())) return true;
        if (Clock().Ticks() >= deadline) break;
    }
    board.ReportDeviceProblem(
        StrPrintf("The %s at base address %X does not answer (%s).\nCheck that the board is "
                  "installed and that its base address in the A/D Board Setup is right.",
                  board.GetBoardName(), static_cast<unsigned>(board.base), what));
    return false;
}

uint64_t CPortBoardDriver::PacedLimitMs() const {
    const double freq = board.freq > 0.0 ? board.freq : 1.0;
    return kConversionLimitMs + static_cast<uint64_t>(std::min(2000.0 / freq, 1.0e7));
}

// --- Data Translation DT2801 command protocol: command register and status at +1, data at +0.

bool CPortBoardDriver::DtStop() {
    PortIo().Out8(P(1), 0x0F);
    (void)PortIo().In8(P(0));  // drops a value left in the data register
    return Wait(
        1, false, [](unsigned s) { return !(s & 2) && (s & 4); }, kHandshakeLimitMs,
        "the command interface does not become ready");
}

bool CPortBoardDriver::DtCommand(uint8_t command) {
    if (!Wait(
            1, false, [](unsigned s) { return !(s & 2) && (s & 4); }, kHandshakeLimitMs,
            "the command interface does not become ready"))
        return false;
    PortIo().Out8(P(1), command);
    return true;
}

bool CPortBoardDriver::DtData(uint8_t data) {
    if (!Wait(
            1, false, [](unsigned s) { return !(s & 2); }, kHandshakeLimitMs,
            "the board does not take a data byte"))
        return false;
    PortIo().Out8(P(0), data);
    return true;
}

// --- Init

void CPortBoardDriver::Init() {
    if (!Access()) return;
    switch (board.type) {
        case kAdDas08:
        case kAdDas08Pga:
        case kAdDas08Aol:
        case kAdDas08Aom:
        case kAdDas08Aoh: {
            if (board.type >= kAdDas08Aol) PortIo().Out8(P(0x0F), 0x80);
            board.freq = ClampPace(board.freq, 0.95367431640625, 62500.0);
            // 8254: counter 2 divides the 1 MHz crystal by 16, counter 1 by 62500/freq.
            // A divisor of 65536 is loaded as 0, which the 8254 counts as 65536.
            const int divisor = static_cast<int>(std::trunc(62500.0 / board.freq));
            PortIo().Out8(P(7), 0xB4);
            PortIo().Out8(P(6), 0x10);
            PortIo().Out8(P(6), 0x00);
            PortIo().Out8(P(7), 0x74);
            PortIo().Out8(P(5), static_cast<uint8_t>(divisor & 0xFF));
            PortIo().Out8(P(5), static_cast<uint8_t>((divisor >> 8) & 0xFF));
            break;
        }
        case kAdDas1602: {
            PortIo().Out8(P(0x406), 0);
            PortIo().Out8(P(0x405), 0);
            PortIo().Out8(P(0x404), 0);
            const double clock = (PortIo().In8(P(0x407)) & 1) ? 10.0e6 : 1.0e6;
            board.freq = ClampPace(board.freq, clock / 65536.0, clock);
            // The divisor is split over counters 1 and 2 of the pacer 8254: counter 1 halves
            // the clock, counter 2 divides the rest (both need a divisor of at least 2).
            int divisor = static_cast<int>(std::trunc(clock / board.freq));
            divisor = std::clamp(divisor, 4, 65536);
            const int second = divisor / 2;
            PortIo().Out8(P(0x0F), 0x74);
            PortIo().Out8(P(0x0D), 2);
            PortIo().Out8(P(0x0D), 0);
            PortIo().Out8(P(0x0F), 0xB4);
            PortIo().Out8(P(0x0E), static_cast<uint8_t>(second & 0xFF));
            PortIo().Out8(P(0x0E), static_cast<uint8_t>((second >> 8) & 0xFF));
            PortIo().Out8(P(0x0A), 0);  // no burst, no trigger
            PortIo().Out8(P(9), 0);     // pacer off until a scan starts
            PortIo().Out8(P(0x403), 0x81);
            PortIo().Out8(P(0x400), 0);
            PortIo().Out8(P(0x401), 0);
            break;
        }
        case kAdDt2801:
        case kAdDt2801A: {
            if (!DtStop()) return;
            const double period = board.type == kAdDt2801 ? 2.5e-6 : 1.25e-6;
            board.freq = ClampPace(board.freq, 1.0 / (period * 65536.0), 1.0 / period);
            // Rounding at the top of the range must not turn the divisor into 0.
            const int divisor =
                std::clamp(static_cast<int>(std::trunc(1.0 / (board.freq * period))), 1, 65535);
            if (!DtCommand(0x03)) return;
            if (!DtData(static_cast<uint8_t>(divisor & 0xFF))) return;
            DtData(static_cast<uint8_t>(divisor >> 8));
            break;
        }
        default:
            break;
    }
}

// --- Reading

bool CPortBoardDriver::BeginScan(int firstCh, int lastCh, bool burst) {
    switch (board.type) {
        case kAdDas08:
        case kAdDas08Pga:
        case kAdDas08Aol:
        case kAdDas08Aom:
        case kAdDas08Aoh:
            SetADRange(board.adRange);
            return true;
        case kAdDas08PgaFreeRun:
            SetADRange(board.adRange);
            if (burst) PortIo().Out8(P(2), static_cast<uint8_t>(lastCh * 16 + firstCh));
            return true;
        case kAdDas1602:
            PortIo().Out8(P(2), static_cast<uint8_t>(lastCh * 16 + firstCh));
            PortIo().Out8(P(9), 0xF3);
            PortIo().Out8(P(8), 0);
            if (!Wait(
                    8, false, [](unsigned s) { return (s & 0x10) && !(s & 0x80); }, PacedLimitMs(),
                    "no end of conversion"))
                return false;
            PortIo().Out8(P(8), 0);
            return true;
        case kAdDt2801:
        case kAdDt2801A: {
            const double r = std::fabs(board.adRange);
            const uint8_t gain = r >= 9 ? 0 : r >= 4.5 ? 1 : r >= 2.25 ? 2 : r >= 1.125 ? 3 : 0;
            return DtStop() && DtCommand(0x0D) && DtData(gain) &&
                   DtData(static_cast<uint8_t>(firstCh)) && DtData(static_cast<uint8_t>(lastCh)) &&
                   DtData(10) && DtData(0) && DtCommand(0x2E);
        }
        case kAdDt2837: {
            const double r = std::fabs(board.adRange);
            const int gain = r >= 9 ? 0 : r >= 0.9 ? 1 : r >= 0.09 ? 2 : r >= 0.018 ? 3 : 0;
            PortIo().Out16(P(0), 0x100 | 0x2000);
            for (int ch = firstCh; ch <= lastCh; ++ch)
                PortIo().Out16(P(8), static_cast<uint16_t>((ch & 7) + (gain << 8) + 8));
            return true;
        }
        default:
            return true;
    }
}

bool CPortBoardDriver::BeforeSweep(bool burst) {
    if (board.type == kAdDas08PgaFreeRun && !burst) Clock().WaitTicks(2);
    if (board.type == kAdLabMaster) Clock().WaitTicks(1);
    return true;
}

bool CPortBoardDriver::Convert(int ch, int64_t& count, bool burst) {
    auto eocClear = [](unsigned s) { return !(s & 0x80); };
    switch (board.type) {
        case kAdDas08:
        case kAdDas08Pga:
        case kAdDas08Aol:
        case kAdDas08Aom:
        case kAdDas08Aoh:
        case kAdDas08PgaFreeRun: {
            const bool freeRun = board.type == kAdDas08PgaFreeRun;
            if (freeRun && burst) {
                PortIo().Out8(P(0), 0);
                if (!Wait(2, false, eocClear, kConversionLimitMs, "no end of conversion"))
                    return false;
                const int high = PortIo().In8(P(1));
                const int low = PortIo().In8(P(0));
                count = high * 256 + low;
                return true;
            }
            PortIo().Out8(P(2), static_cast<uint8_t>(ch));
            if (freeRun) {
                Clock().WaitTicks(2);
            } else if (!Wait(
                           2, false, [](unsigned s) { return (s & 0x08) != 0; }, PacedLimitMs(),
                           "no pacer tick")) {
                return false;
            }
            PortIo().Out8(P(1), 0);
            if (!Wait(2, false, eocClear, kConversionLimitMs, "no end of conversion")) return false;
            if (!freeRun) PortIo().Out8(P(2), 8);
            const int high = PortIo().In8(P(1));
            const int low = PortIo().In8(P(0));
            count = high * 16 + low / 16;
            return true;
        }
        case kAdDas1602: {
            if (!Wait(
                    8, false, [](unsigned s) { return (s & 0x10) && !(s & 0x80); }, PacedLimitMs(),
                    "no end of conversion"))
                return false;
            const int low = PortIo().In8(P(0));
            const int high = PortIo().In8(P(1));
            count = low + 256 * high;
            PortIo().Out8(P(8), 0);
            return true;
        }
        case kAdDt2801:
        case kAdDt2801A: {
            if (!Wait(
                    1, false, [](unsigned s) { return (s & 5) != 0; }, PacedLimitMs(), "no data"))
                return false;
            const int low = PortIo().In8(P(0));
            const int high = PortIo().In8(P(0));
            // The DT2801 delivers two's complement: the conversion has no offset term.
            count = static_cast<int16_t>(static_cast<uint16_t>(high * 256 + low));
            return true;
        }
        case kAdDt2837: {
            if (!Wait(
                    0, true, [](unsigned s) { return (s & 0x800) != 0; }, PacedLimitMs(),
                    "no data"))
                return false;
            count = PortIo().In16(P(kDt2837AdData));
            return true;
        }
        case kAdLabMaster: {
            PortIo().Out8(P(5), static_cast<uint8_t>(ch));
            PortIo().Out8(P(6), 0);
            if (!Wait(
                    4, false, [](unsigned s) { return (s & 0x80) != 0; }, kConversionLimitMs,
                    "no end of conversion"))
                return false;
            const int low = PortIo().In8(P(6));
            const int high = PortIo().In8(P(7));
            count = high * 256 + low;
            return true;
        }
        default:
            return false;
    }
}

void CPortBoardDriver::EndScan() {
    switch (board.type) {
        case kAdDas1602:
            PortIo().Out8(P(9), 0);
            break;
        case kAdDt2801:
        case kAdDt2801A:
            DtStop();
            break;
        case kAdDt2837:
            PortIo().Out16(P(0), 0x100);
            break;
        default:
            break;
    }
}

double CPortBoardDriver::ToVolts(int64_t acc, int64_t sweeps) const {
    const double adRange = board.adRange;
    switch (board.type) {
        case kAdDas1602:
            // The mean count is taken in integers first.
            return (static_cast<double>(acc / sweeps) / 32768.0 - 1.0) * adRange;
        case kAdDt2837:
            return (static_cast<double>(acc) / static_cast<double>(sweeps) / 32768.0 - 1.0) *
                   adRange;
        case kAdDt2801:
        case kAdDt2801A:
            return static_cast<double>(acc) * adRange / static_cast<double>(sweeps) / 32768.0;
        default:  // 12-bit offset binary
            return (static_cast<double>(acc) / static_cast<double>(sweeps) / 2048.0 - 1.0) *
                   adRange;
    }
}

bool CPortBoardDriver::ReadChannels(double periodSec, int firstCh, int lastCh, double volts[]) {
    const int n = lastCh - firstCh + 1;
    if (n == 0 || !Access()) return false;
    int64_t acc[CAdBoard::kMaxChannels] = {};
    for (int i = 0; i < n; ++i)
        volts[i] = 0.0;
    int64_t sweeps = 0;
    const uint64_t end = Clock().Ticks() + static_cast<uint64_t>(std::trunc(periodSec * 1000.0));
    if (Clock().Ticks() >= end) return false;  // the window passed before the first sweep
    bool ok = BeginScan(firstCh, lastCh, false);
    while (ok && Clock().Ticks() < end) {
        ok = BeforeSweep(false);
        for (int i = 0; ok && i < n; ++i) {
            int64_t count = 0;
            ok = Convert(firstCh + i, count, false);
            acc[i] += count;
        }
        if (ok) ++sweeps;
    }
    EndScan();
    if (!ok || sweeps == 0) return false;
    for (int i = 0; i < n; ++i)
        volts[i] = ToVolts(acc[i], sweeps);
    return true;
}

bool CPortBoardDriver::ReadBurst(int scans, int firstCh, int lastCh, double samples[]) {
    const int n = lastCh - firstCh + 1;
    if (n == 0 || !Access()) return false;
    bool ok = BeginScan(firstCh, lastCh, true);
    for (int s = 0; ok && s < scans; ++s) {
        ok = BeforeSweep(true);
        for (int i = 0; ok && i < n; ++i) {
            int64_t count = 0;
            ok = Convert(firstCh + i, count, true);
            if (!ok) break;
            double& sample = samples[static_cast<int64_t>(s) * n + i];
            if (board.type == kAdDas08PgaFreeRun)
                sample = (static_cast<double>(count) / 32768.0 - 1.0) * board.adRange;
            else
                sample = ToVolts(count, 1);
        }
    }
    EndScan();
    return ok;
}

// --- Output

bool CPortBoardDriver::SetDA(int channel, double volts) {
    const double daRange = board.daRange;
    if (!(daRange > 0.0 && std::isfinite(daRange))) return false;
    if (volts < -daRange || volts > daRange) return false;
    switch (board.type) {
        case kAdDas08Aol:
        case kAdDas08Aom:
        case kAdDas08Aoh: {
            if (!Access()) return false;
            const int code = DaCode12(volts, daRange);
            const int offset = channel == 0 ? 8 : 0x10;
            PortIo().Out8(P(offset), static_cast<uint8_t>(code & 0xFF));
            PortIo().Out8(P(offset + 1), static_cast<uint8_t>(code >> 8));
            break;
        }
        case kAdDas1602: {
            if (!Access()) return false;
            const int code = DaCode12(volts, daRange);
            const int offset = channel == 0 ? 4 : 6;
            PortIo().Out8(P(offset), static_cast<uint8_t>((code << 4) & 0xFF));
            PortIo().Out8(P(offset + 1), static_cast<uint8_t>(code >> 4));
            break;
        }
        case kAdDt2801:
        case kAdDt2801A: {
            if (!Access()) return false;
            const int code = DaCode12(volts, daRange);
            if (!(DtStop() && DtCommand(0x08) && DtData(static_cast<uint8_t>(channel & 3)) &&
                  DtData(static_cast<uint8_t>(code & 0xFF)) &&
                  DtData(static_cast<uint8_t>(code >> 8))))
                return false;
            Clock().WaitTicks(100);
            break;
        }
        case kAdDt2837: {
            if (!Access()) return false;
            const int code = DaCode16(volts, daRange);
            PortIo().Out16(P(0x16), static_cast<uint16_t>(channel & 1));
            if (!Wait(
                    2, true, [](unsigned s) { return (s & kDt2837DacReady) != 0; },
                    kHandshakeLimitMs, "the D/A converter does not become ready"))
                return false;
            PortIo().Out16(P(0x10), static_cast<uint16_t>(code));
            break;
        }
        default:
            return false;
    }
    Remember(channel, volts);
    return true;
}

bool CPortBoardDriver::WriteDigital(int port, int value) {
    if (port < 0 || port > 0xFFFF) return false;
    std::string why;
    if (!PortIo().Acquire(static_cast<uint32_t>(port), 1, why)) {
        board.ReportDeviceProblem(StrPrintf("The digital output port %X cannot be written.\n%s",
                                            static_cast<unsigned>(port), why.c_str()));
        return false;
    }
    PortIo().Out8(static_cast<uint16_t>(port), static_cast<uint8_t>(value & 0xFF));
    return true;
}

namespace {

// One input range of a gain-programmable board: chosen when trunc(k * r + 0.1) is non-zero
// for the requested range r (the first such step, largest range first); k = 0 ends a table.
struct SGainStep {
    double k;
    double range;
    int code;
};

constexpr SGainStep kDas08PgaGains[] = {
    {0.1, 10, 8}, {0.2, 5, 0}, {2, 0.5, 2}, {20, 0.05, 4}, {0, 0.01, 6}};
constexpr SGainStep kDas08AolGains[] = {
    {0.1, 10, 8}, {0.2, 5, 0}, {0.4, 2.5, 2}, {0.8, 1.25, 4}, {0, 0.625, 6}};
constexpr SGainStep kDas08AomGains[] = {
    {0.1, 10, 8}, {0.2, 5, 0}, {2, 0.5, 10}, {20, 0.05, 12}, {0, 0.01, 14}};
constexpr SGainStep kDas08AohGains[] = {{0.1, 10, 8},    {0.2, 5, 0},   {1, 1.0, 10},
                                        {2, 0.5, 2},     {10, 0.1, 12}, {20, 0.05, 4},
                                        {100, 0.01, 14}, {0, 0.005, 6}};
constexpr SGainStep kDas1602Gains[] = {{0.1, 10, 0}, {0.2, 5, 1}, {0.4, 2.5, 2}, {0, 1.25, 3}};
// The DT2801 takes its gain with each scan command: only the range is snapped.
constexpr SGainStep kDt2801Ranges[] = {{0.1, 10, 0}, {0.2, 5, 0}, {0.4, 2.5, 0}, {0, 1.25, 0}};

const SGainStep& ChooseGain(const SGainStep* steps, double r) {
    while (steps->k != 0.0 && !AtLeast(r, steps->k))
        ++steps;
    return *steps;
}

}  // namespace

bool CPortBoardDriver::SetADRange(double r) {
    const SGainStep* table = nullptr;
    int offset = 3;
    switch (board.type) {
        case kAdDas08Pga:
        case kAdDas08PgaFreeRun:
            table = kDas08PgaGains;
            break;
        case kAdDas08Aol:
            table = kDas08AolGains;
            break;
        case kAdDas08Aom:
            table = kDas08AomGains;
            break;
        case kAdDas08Aoh:
            table = kDas08AohGains;
            break;
        case kAdDas1602:
            table = kDas1602Gains;
            offset = 0x0B;
            break;
        case kAdDt2801:
        case kAdDt2801A:
            board.adRange = ChooseGain(kDt2801Ranges, r).range;
            return false;
        default:
            return false;
    }
    const SGainStep& step = ChooseGain(table, r);
    board.adRange = step.range;
    if (!Access()) return false;
    PortIo().Out8(P(offset), static_cast<uint8_t>(step.code));
    return true;
}
