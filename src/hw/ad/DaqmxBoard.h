#pragma once
// The NI M series (PCI-6221) through NI-DAQmx, loaded at run time from NI-DAQmx for Linux
// (libnidaqmx.so). A station without the library still starts: the board's operations fail
// with a message that says what is missing.

#include <cstdint>
#include <string>
#include <vector>

#include "hw/ad/AdDriver.h"
#include "platform/DynamicLibrary.h"

// The NI-DAQmx calls the board layer uses. NI's int32/uInt32/bool32 are 32 bits on every
// platform; `long` would be 64 bits on Linux.
struct SDaqmxApi {
    using TaskHandle = void*;
    int32_t (*CreateTask)(const char name[], TaskHandle* task) = nullptr;
    int32_t (*StartTask)(TaskHandle task) = nullptr;
    int32_t (*StopTask)(TaskHandle task) = nullptr;
    int32_t (*ClearTask)(TaskHandle task) = nullptr;
    int32_t (*CreateAIVoltageChan)(TaskHandle task, const char physicalChannel[],
                                   const char nameToAssign[], int32_t terminalConfig, double minVal,
                                   double maxVal, int32_t units,
                                   const char customScaleName[]) = nullptr;
    int32_t (*CfgSampClkTiming)(TaskHandle task, const char source[], double rate,
                                int32_t activeEdge, int32_t sampleMode,
                                uint64_t sampsPerChan) = nullptr;
    int32_t (*ReadAnalogF64)(TaskHandle task, int32_t numSampsPerChan, double timeout,
                             uint32_t fillMode, double readArray[], uint32_t arraySizeInSamps,
                             int32_t* sampsPerChanRead, uint32_t* reserved) = nullptr;
    int32_t (*CreateAOVoltageChan)(TaskHandle task, const char physicalChannel[],
                                   const char nameToAssign[], double minVal, double maxVal,
                                   int32_t units, const char customScaleName[]) = nullptr;
    int32_t (*WriteAnalogF64)(TaskHandle task, int32_t numSampsPerChan, uint32_t autoStart,
                              double timeout, uint32_t dataLayout, const double writeArray[],
                              int32_t* sampsPerChanWritten, uint32_t* reserved) = nullptr;
    int32_t (*CreateDOChan)(TaskHandle task, const char lines[], const char nameToAssignToLines[],
                            int32_t lineGrouping) = nullptr;
    int32_t (*WriteDigitalU8)(TaskHandle task, int32_t numSampsPerChan, uint32_t autoStart,
                              double timeout, uint32_t dataLayout, const uint8_t writeArray[],
                              int32_t* sampsPerChanWritten, uint32_t* reserved) = nullptr;
    int32_t (*GetExtendedErrorInfo)(char errorString[], uint32_t bufferSize) = nullptr;
};

// NI-DAQmx constants the board layer passes.
namespace daqmx {
constexpr int32_t kRse = 10083;
constexpr int32_t kVolts = 10348;
constexpr int32_t kRising = 10280;
constexpr int32_t kFiniteSamps = 10178;
constexpr uint32_t kGroupByScanNumber = 1;
constexpr uint32_t kGroupByChannel = 0;
constexpr int32_t kChanForAllLines = 1;
// A status the analogue-output write may return although the value was written.
constexpr int32_t kAcceptedWriteStatus = -2000561;
}  // namespace daqmx

// Loads the library and resolves every function of SDaqmxApi.
class CDaqmxLibrary {
  public:
    // The names NI-DAQmx for Linux installs.
    static std::vector<std::string> DefaultNames();

    // False with a message naming what is missing (the library or one of its functions).
    bool Load(const std::vector<std::string>& names, std::string& why);
    bool IsLoaded() const { return loaded; }
    const SDaqmxApi& Api() const { return api; }

  private:
    CDynamicLibrary library;
    SDaqmxApi api;
    bool loaded = false;
};

class CDaqmxBoardDriver : public CAdDriver {
  public:
    CDaqmxBoardDriver(CAdBoard& board, std::vector<std::string> libraryNames);

    bool ReadChannels(double periodSec, int firstCh, int lastCh, double volts[]) override;
    bool ReadBurst(int scans, int firstCh, int lastCh, double samples[]) override;
    bool SetDA(int channel, double volts) override;
    bool WriteDigital(int port, int value) override;
    bool SetADRange(double) override { return false; }

    // The read waits this long beyond the acquisition's own length.
    static constexpr double kReadTimeoutSec = 10.0;

  private:
    bool Load();
    // Shows the NI-DAQmx error text for a non-zero status.
    void Error(int32_t status);
    // One finite analogue-input task: samplesPerChannel scans of firstCh..lastCh at rate into
    // buffer. Returns the scans read (0 on failure, after the message).
    int32_t Acquire(int firstCh, int lastCh, double rate, int64_t samplesPerChannel,
                    std::vector<double>& buffer);

    std::vector<std::string> names;
    CDaqmxLibrary library;
};
