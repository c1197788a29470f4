/* A stand-in for NI-DAQmx for Linux, built by the tests as a shared library and loaded through
 * the board layer's real dlopen path. It records every call with its arguments, one line each,
 * and answers from what the test scripted through the VelmStub_ functions. */

#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#define EXPORT __attribute__((visibility("default")))

static char callLog[1 << 16];
static size_t logLength;
static int32_t failStatus[16];
static char failName[16][64];
static int failCount;
static double readData[4096];
static uint32_t readCount;
static int32_t readScans = -1;
static int32_t writtenAnswer = 1;
static char errorText[512] = "stub error";
static int taskObject;

static void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));

static void Log(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int n = vsnprintf(callLog + logLength, sizeof callLog - logLength, format, args);
    va_end(args);
    if (n > 0) logLength += (size_t)n < sizeof callLog - logLength ? (size_t)n : 0;
}

static int32_t Status(const char* function) {
    for (int i = 0; i < failCount; ++i)
        if (strcmp(failName[i], function) == 0) return failStatus[i];
    return 0;
}

static const char* Str(const char* s) {
    return s ? s : "NULL";
}

static const char* Task(void* task) {
    return task == &taskObject ? "T" : (task ? "?" : "0");
}

EXPORT void VelmStub_Reset(void) {
    logLength = 0;
    callLog[0] = '\0';
    failCount = 0;
    readCount = 0;
    readScans = -1;
    writtenAnswer = 1;
    strcpy(errorText, "stub error");
}
EXPORT const char* VelmStub_Log(void) {
    return callLog;
}
EXPORT void VelmStub_Fail(const char* function, int32_t status) {
    if (failCount < 16) {
        snprintf(failName[failCount], sizeof failName[0], "%s", function);
        failStatus[failCount++] = status;
    }
}
EXPORT void VelmStub_SetRead(const double* data, uint32_t count, int32_t scans) {
    readCount = count < 4096 ? count : 4096;
    memcpy(readData, data, readCount * sizeof(double));
    readScans = scans;
}
EXPORT void VelmStub_SetWritten(int32_t written) {
    writtenAnswer = written;
}
EXPORT void VelmStub_SetErrorText(const char* text) {
    snprintf(errorText, sizeof errorText, "%s", text);
}

EXPORT int32_t DAQmxCreateTask(const char name[], void** task) {
    Log("CreateTask(\"%s\")\n", Str(name));
    int32_t status = Status("CreateTask");
    *task = status == 0 ? &taskObject : NULL;
    return status;
}
EXPORT int32_t DAQmxStartTask(void* task) {
    Log("StartTask(%s)\n", Task(task));
    return Status("StartTask");
}
EXPORT int32_t DAQmxStopTask(void* task) {
    Log("StopTask(%s)\n", Task(task));
    return Status("StopTask");
}
EXPORT int32_t DAQmxClearTask(void* task) {
    Log("ClearTask(%s)\n", Task(task));
    return Status("ClearTask");
}
EXPORT int32_t DAQmxCreateAIVoltageChan(void* task, const char physicalChannel[],
                                        const char nameToAssign[], int32_t terminalConfig,
                                        double minVal, double maxVal, int32_t units,
                                        const char customScaleName[]) {
    Log("CreateAIVoltageChan(%s,\"%s\",\"%s\",%d,%g,%g,%d,%s)\n", Task(task), Str(physicalChannel),
        Str(nameToAssign), terminalConfig, minVal, maxVal, units, Str(customScaleName));
    return Status("CreateAIVoltageChan");
}
EXPORT int32_t DAQmxCfgSampClkTiming(void* task, const char source[], double rate,
                                     int32_t activeEdge, int32_t sampleMode,
                                     uint64_t sampsPerChan) {
    Log("CfgSampClkTiming(%s,\"%s\",%g,%d,%d,%llu)\n", Task(task), Str(source), rate, activeEdge,
        sampleMode, (unsigned long long)sampsPerChan);
    return Status("CfgSampClkTiming");
}
EXPORT int32_t DAQmxReadAnalogF64(void* task, int32_t numSampsPerChan, double timeout,
                                  uint32_t fillMode, double readArray[],
                                  uint32_t arraySizeInSamps, int32_t* sampsPerChanRead,
                                  uint32_t* reserved) {
    Log("ReadAnalogF64(%s,%d,%g,%u,buffer,%u,%s)\n", Task(task), numSampsPerChan, timeout,
        fillMode, arraySizeInSamps, reserved ? "reserved" : "NULL");
    uint32_t n = readCount < arraySizeInSamps ? readCount : arraySizeInSamps;
    memcpy(readArray, readData, n * sizeof(double));
    *sampsPerChanRead = readScans >= 0 ? readScans : numSampsPerChan;
    return Status("ReadAnalogF64");
}
EXPORT int32_t DAQmxCreateAOVoltageChan(void* task, const char physicalChannel[],
                                        const char nameToAssign[], double minVal, double maxVal,
                                        int32_t units, const char customScaleName[]) {
    Log("CreateAOVoltageChan(%s,\"%s\",\"%s\",%g,%g,%d,\"%s\")\n", Task(task),
        Str(physicalChannel), Str(nameToAssign), minVal, maxVal, units, Str(customScaleName));
    return Status("CreateAOVoltageChan");
}
EXPORT int32_t DAQmxWriteAnalogF64(void* task, int32_t numSampsPerChan, uint32_t autoStart,
                                   double timeout, uint32_t dataLayout, const double writeArray[],
                                   int32_t* sampsPerChanWritten, uint32_t* reserved) {
    Log("WriteAnalogF64(%s,%d,%u,%g,%u,%g,%s)\n", Task(task), numSampsPerChan, autoStart, timeout,
        dataLayout, writeArray[0], reserved ? "reserved" : "NULL");
    *sampsPerChanWritten = writtenAnswer;
    return Status("WriteAnalogF64");
}
EXPORT int32_t DAQmxCreateDOChan(void* task, const char lines[], const char nameToAssignToLines[],
                                 int32_t lineGrouping) {
    Log("CreateDOChan(%s,\"%s\",\"%s\",%d)\n", Task(task), Str(lines), Str(nameToAssignToLines),
        lineGrouping);
    return Status("CreateDOChan");
}
#ifndef VELM_STUB_PARTIAL
EXPORT int32_t DAQmxWriteDigitalU8(void* task, int32_t numSampsPerChan, uint32_t autoStart,
                                   double timeout, uint32_t dataLayout,
                                   const uint8_t writeArray[], int32_t* sampsPerChanWritten,
                                   uint32_t* reserved) {
    Log("WriteDigitalU8(%s,%d,%u,%g,%u,%u,%s)\n", Task(task), numSampsPerChan, autoStart, timeout,
        dataLayout, writeArray[0], reserved ? "reserved" : "NULL");
    *sampsPerChanWritten = writtenAnswer;
    return Status("WriteDigitalU8");
}
#endif
EXPORT int32_t DAQmxGetExtendedErrorInfo(char errorString[], uint32_t bufferSize) {
    Log("GetExtendedErrorInfo(%u)\n", bufferSize);
    snprintf(errorString, bufferSize, "%s", errorText);
    return 0;
}
