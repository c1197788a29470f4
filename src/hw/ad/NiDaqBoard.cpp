#include "hw/ad/NiDaqBoard.h"

#include <cmath>
#include <new>
#include <vector>

#include "hw/ad/ComediNiDaq.h"
#include "platform/Format.h"
#include "platform/Services.h"

CNiDaqBoardDriver::CNiDaqBoardDriver(CAdBoard& board,
                                     std::function<std::unique_ptr<CNiDaqRoles>()> factory)
    : CAdDriver(board), factory(std::move(factory)) {}

int CNiDaqBoardDriver::GainCode(double adRange) {
    const double r = adRange;
    if (std::trunc((r + 1.0) * 0.1) != 0.0) return -1;
    if (std::trunc(0.2 * r + 0.1) != 0.0) return 1;
    if (std::trunc(2.0 * r + 0.05) != 0.0) return 10;
    if (std::trunc(20.0 * r + 0.005) != 0.0) return 100;
    return 1;
}

double CNiDaqBoardDriver::GainRange(int gain) {
    return gain == -1 ? 10.0 : 5.0 / gain;
}

bool CNiDaqBoardDriver::Open() {
    if (!roles) {
        roles = factory ? factory() : MakeComediNiDaq();
        if (!roles) return false;
    }
    std::string why;
    if (roles->Open(board.base, why)) return true;
    board.ReportDeviceProblem(why);
    return false;
}

void CNiDaqBoardDriver::Error(int status) {
    board.ReportLibraryError(StrPrintf("NI DAQ error code %d.\nAborting DAQ operation.", status));
}

bool CNiDaqBoardDriver::Scan(int firstCh, int lastCh, int64_t rate, int16_t* buffer,
                             uint32_t total) {
    const int n = lastCh - firstCh + 1;
    const int16_t gain = static_cast<int16_t>(GainCode(board.adRange));
    std::vector<int16_t> channels, gains;
    for (int ch = firstCh; ch <= lastCh; ++ch) {
        channels.push_back(static_cast<int16_t>(ch));
        gains.push_back(gain);
    }
    const int device = board.base;
    int status = roles->ScanSetup(device, n, channels.data(), gains.data());
    if (status != 0) {
        Error(status);
        return false;
    }
    // Slow rates count microseconds, fast ones the 20 MHz clock.
    const int timebase = rate <= 500 ? 1 : -3;
    const uint32_t interval = static_cast<uint32_t>(rate <= 500 ? 1000000 / rate : 20000000 / rate);
    status = roles->ScanStart(device, buffer, total, timebase, interval, 1, 0);
    if (status != 0) {
        roles->AcqClear(device);
        Error(status);
        return false;
    }
    // A scan that never stops (a board that lost its clock) must not hold the station: it is
    // given its own length and some slack.
    const uint64_t deadline = Clock().Ticks() +
                              static_cast<uint64_t>(total) * 1000 / static_cast<uint64_t>(rate) +
                              kScanSlackMs;
    for (;;) {
        bool stopped = false;
        uint32_t retrieved = 0;
        status = roles->ScanCheck(device, stopped, retrieved);
        if (status != 0) {
            roles->AcqClear(device);
            Error(status);
            return false;
        }
        if (stopped) return true;
        if (Clock().Ticks() >= deadline) {
            roles->AcqClear(device);
            board.ReportDeviceProblem(StrPrintf(
                "The %s (device %d) did not finish its scan in time.\nCheck that the board is "
                "installed and that its device number in the A/D Board Setup is right.",
                board.GetBoardName(), device));
            return false;
        }
        Clock().WaitTicks(1);
    }
}

bool CNiDaqBoardDriver::ReadChannels(double periodSec, int firstCh, int lastCh, double volts[]) {
    // The PCI-1200 has no read path in this layer.
    if (board.type != kAdNiESeries) return false;
    const int n = lastCh - firstCh + 1;
    if (n == 0) return false;
    if (!(board.freq >= 1.0 && board.freq <= 1.0e9)) return false;
    const int64_t rate = static_cast<int64_t>(std::trunc(board.freq));
    const int64_t perChannel = static_cast<int64_t>(std::trunc(rate * periodSec / n));
    if (perChannel < 1 || perChannel * n > CAdBoard::kMaxValues) return false;
    const uint32_t total = static_cast<uint32_t>(perChannel * n);
    if (!Open()) return false;
    std::vector<int16_t> buffer;
    try {
        buffer.assign(total, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!Scan(firstCh, lastCh, rate, buffer.data(), total)) return false;
    // Counts are relative to the range of the gain in use, which for a range between the
    // board's own (say 7 V) is not adRange.
    const double range = GainRange(GainCode(board.adRange));
    for (int i = 0; i < n; ++i) {
        int64_t sum = 0;
        for (int64_t s = 0; s < perChannel; ++s)
            sum += buffer[static_cast<size_t>(s * n + i)];
        volts[i] = static_cast<double>(sum) / static_cast<double>(perChannel) / 32768.0 * range;
    }
    return true;
}

bool CNiDaqBoardDriver::ReadBurst(int scans, int firstCh, int lastCh, double samples[]) {
    // The PCI-1200 reads nothing: a burst fails rather than returning an unfilled buffer.
    if (board.type != kAdNiESeries) return false;
    const int n = lastCh - firstCh + 1;
    if (n == 0) return false;
    if (!(board.freq >= 1.0 && board.freq <= 1.0e9)) return false;
    const int64_t rate = static_cast<int64_t>(std::trunc(board.freq));
    const uint32_t total = static_cast<uint32_t>(int64_t{scans} * n);
    if (!Open()) return false;
    std::vector<int16_t> buffer;
    try {
        buffer.assign(total, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!Scan(firstCh, lastCh, rate, buffer.data(), total)) return false;
    const double range = GainRange(GainCode(board.adRange));
    for (uint32_t k = 0; k < total; ++k)
        samples[k] = buffer[k] / 32768.0 * range;
    return true;
}

bool CNiDaqBoardDriver::SetDA(int channel, double volts) {
    if (!Open()) return false;
    // A write the driver refused is not reported as done, and not remembered as the output.
    if (roles->AOVWrite(board.base, channel, volts) != 0) return false;
    Remember(channel, volts);
    return true;
}

bool CNiDaqBoardDriver::WriteDigital(int port, int value) {
    if (board.type != kAdNiESeries) return true;  // the PCI-1200's digital port is not used
    if (!Open()) return false;
    int status = roles->DigOutPort(board.base, port, value);
    if (status != 0) {
        Error(status);
        return false;
    }
    return true;
}
