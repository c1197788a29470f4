#include "hw/ad/DaqmxBoard.h"

#include <cmath>
#include <new>

#include "platform/Format.h"
#include "platform/Services.h"

std::vector<std::string> CDaqmxLibrary::DefaultNames() {
    return {"libnidaqmx.so.1", "libnidaqmx.so"};
}

bool CDaqmxLibrary::Load(const std::vector<std::string>& names, std::string& why) {
    if (loaded) return true;
    std::string loaderSays;
    if (!library.Open(names, loaderSays)) {
        why = StrPrintf(
            "The NI-DAQmx library (libnidaqmx.so) could not be loaded, so the National "
            "Instruments board cannot be used.\nInstall NI-DAQmx for Linux from National "
            "Instruments, or choose another board in the A/D Board Setup.\n(%s)",
            loaderSays.c_str());
        return false;
    }
    SDaqmxApi table;
    const char* missing = nullptr;
    auto resolve = [&](const char* symbol, auto& fn) {
        if (!missing && !library.Resolve(symbol, fn)) missing = symbol;
    };
    resolve("DAQmxCreateTask", table.CreateTask);
    resolve("DAQmxStartTask", table.StartTask);
    resolve("DAQmxStopTask", table.StopTask);
    resolve("DAQmxClearTask", table.ClearTask);
    resolve("DAQmxCreateAIVoltageChan", table.CreateAIVoltageChan);
    resolve("DAQmxCfgSampClkTiming", table.CfgSampClkTiming);
    resolve("DAQmxReadAnalogF64", table.ReadAnalogF64);
    resolve("DAQmxCreateAOVoltageChan", table.CreateAOVoltageChan);
    resolve("DAQmxWriteAnalogF64", table.WriteAnalogF64);
    resolve("DAQmxCreateDOChan", table.CreateDOChan);
    resolve("DAQmxWriteDigitalU8", table.WriteDigitalU8);
    resolve("DAQmxGetExtendedErrorInfo", table.GetExtendedErrorInfo);
    if (missing) {
        why = StrPrintf(
            "The NI-DAQmx library %s lacks the function %s.\nInstall a current "
            "NI-DAQmx for Linux.",
            library.Name().c_str(), missing);
        library.Close();
        return false;
    }
    api = table;
    loaded = true;
    return true;
}

CDaqmxBoardDriver::CDaqmxBoardDriver(CAdBoard& board, std::vector<std::string> libraryNames)
    : CAdDriver(board), names(std::move(libraryNames)) {
    if (names.empty()) names = CDaqmxLibrary::DefaultNames();
}

bool CDaqmxBoardDriver::Load() {
    std::string why;
    if (library.Load(names, why)) return true;
    board.ReportDeviceProblem(why);
    return false;
}

void CDaqmxBoardDriver::Error(int32_t status) {
    char text[2048] = {};
    library.Api().GetExtendedErrorInfo(text, sizeof text);
    text[sizeof text - 1] = '\0';
    board.ReportLibraryError(
        StrPrintf("NI DAQmx error code %d.\n%s\nAborting DAQ operation.", status, text));
}

int32_t CDaqmxBoardDriver::Acquire(int firstCh, int lastCh, double rate, int64_t samplesPerChannel,
                                   std::vector<double>& buffer) {
    const SDaqmxApi& api = library.Api();
    const int n = lastCh - firstCh + 1;
    try {
        buffer.assign(static_cast<size_t>(samplesPerChannel * n), 0.0);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    SDaqmxApi::TaskHandle task = nullptr;
    int32_t read = 0;
    int32_t status = api.CreateTask("", &task);
    if (status == 0) {
        const std::string channels = StrPrintf("Dev%d/ai%d:%d", board.base, firstCh, lastCh);
        status = api.CreateAIVoltageChan(task, channels.c_str(), "", daqmx::kRse, -board.adRange,
                                         board.adRange, daqmx::kVolts, nullptr);
    }
    if (status == 0) {
        status = api.CfgSampClkTiming(task, "", rate, daqmx::kRising, daqmx::kFiniteSamps,
                                      static_cast<uint64_t>(samplesPerChannel));
    }
    if (status == 0) status = api.StartTask(task);
    if (status == 0) {
        // The read waits for the whole acquisition: a fixed timeout would fail every window
        // longer than itself.
        const double timeout = kReadTimeoutSec + static_cast<double>(samplesPerChannel) / rate;
        status = api.ReadAnalogF64(task, static_cast<int32_t>(samplesPerChannel), timeout,
                                   daqmx::kGroupByScanNumber, buffer.data(),
                                   static_cast<uint32_t>(buffer.size()), &read, nullptr);
    }
    if (status != 0) Error(status);
    if (task) {
        api.StopTask(task);
        api.ClearTask(task);
    }
    if (status != 0 || read <= 0) return 0;
    return std::min<int32_t>(read, static_cast<int32_t>(samplesPerChannel));
}

bool CDaqmxBoardDriver::ReadChannels(double periodSec, int firstCh, int lastCh, double volts[]) {
    const int n = lastCh - firstCh + 1;
    if (n == 0) return false;
    const double freq = board.freq;
    if (!(freq > 0.0 && std::isfinite(freq))) return false;
    const double perChannel = std::trunc(periodSec * freq);
    if (!(perChannel >= 1.0 && perChannel * n <= static_cast<double>(CAdBoard::kMaxValues)))
        return false;
    if (!Load()) return false;
    std::vector<double> buffer;
    const int32_t read = Acquire(firstCh, lastCh, freq, static_cast<int64_t>(perChannel), buffer);
    if (read <= 0) return false;
    for (int i = 0; i < n; ++i) {
        double sum = 0.0;
        for (int32_t s = 0; s < read; ++s)
            sum += buffer[static_cast<size_t>(s) * n + i];
        volts[i] = sum / read;
    }
    return true;
}

bool CDaqmxBoardDriver::ReadBurst(int scans, int firstCh, int lastCh, double samples[]) {
    const int n = lastCh - firstCh + 1;
    if (n == 0) return false;
    if (!Load()) return false;
    std::vector<double> buffer;
    const int32_t read = Acquire(firstCh, lastCh, board.freq, scans, buffer);
    if (read <= 0) return false;
    std::copy(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(read) * n, samples);
    return true;
}

bool CDaqmxBoardDriver::SetDA(int channel, double volts) {
    if (!Load()) return false;
    const SDaqmxApi& api = library.Api();
    SDaqmxApi::TaskHandle task = nullptr;
    // A failed task creation is shown but the attempt goes on, as the library may still
    // take the calls.
    int32_t status = api.CreateTask("", &task);
    if (status != 0) Error(status);
    const std::string channelName = StrPrintf("Dev%d/ao%d", board.base, channel);
    status = api.CreateAOVoltageChan(task, channelName.c_str(), "", -board.daRange, board.daRange,
                                     daqmx::kVolts, "");
    if (status != 0) Error(status);
    api.StartTask(task);
    int32_t written = 0;
    const double value = volts;
    status = api.WriteAnalogF64(task, 1, 1, kReadTimeoutSec, daqmx::kGroupByChannel, &value,
                                &written, nullptr);
    const bool ok = (status == 0 || status == daqmx::kAcceptedWriteStatus) && written > 0;
    if (status != 0 && status != daqmx::kAcceptedWriteStatus) Error(status);
    if (task) {
        api.StopTask(task);
        api.ClearTask(task);
    }
    if (ok) Remember(channel, volts);
    return ok;
}

bool CDaqmxBoardDriver::WriteDigital(int port, int value) {
    if (!Load()) return false;
    const SDaqmxApi& api = library.Api();
    SDaqmxApi::TaskHandle task = nullptr;
    int32_t status = api.CreateTask("", &task);
    if (status != 0) {
        Error(status);
        return false;
    }
    const std::string lines = StrPrintf("Dev%d/port%d", board.base, port);
    status = api.CreateDOChan(task, lines.c_str(), "VELM-DigOut", daqmx::kChanForAllLines);
    if (status == 0) {
        int32_t written = 0;
        const uint8_t byte = static_cast<uint8_t>(value & 0xFF);
        status =
            api.WriteDigitalU8(task, 1, 1, 0.0, daqmx::kGroupByChannel, &byte, &written, nullptr);
    }
    if (status != 0) Error(status);
    api.StopTask(task);
    api.ClearTask(task);
    // A byte that did not reach the port is not reported as written.
    return status == 0;
}
