/* A stand-in for NI-DAQmx for Linux, built by the tests as a shared library and loaded through
 * the board layer's real dlopen path. It logs every call with its arguments, one line each, and
 * answers from what the test scripted through the VelmStub_ functions. */

#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#define EXPORT __attribute__((visibility("default")))

static char callLog[1 << 16], failName[64], errorText[512];
static size_t logLength;
static int32_t failStatus, readScans, writtenAnswer;
static double readData[4096];
static uint32_t readCount;
static int taskObject;

static void __attribute__((format(printf, 1, 2))) Log(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int n = vsnprintf(callLog + logLength, sizeof callLog - logLength, format, args);
    va_end(args);
    if (n > 0 && (size_t)n < sizeof callLog - logLength) logLength += (size_t)n;
}
static int32_t Status(const char* function) {
    return strcmp(failName, function) == 0 ? failStatus : 0;
}
static const char* S(const char* s) { return s ? s : "NULL"; }
static const char* T(void* task) { return task == &taskObject ? "T" : (task ? "?" : "0"); }

EXPORT void VelmStub_Reset(void) {
    logLength = 0;
    callLog[0] = failName[0] = '\0';
    readCount = 0;
    readScans = -1;
    writtenAnswer = 1;
    strcpy(errorText, "stub error");
}
EXPORT const char* VelmStub_Log(void) { return callLog; }
/* `function` (its name without "DAQmx") answers `status` from now on. */
EXPORT void VelmStub_Fail(const char* function, int32_t status) {
    snprintf(failName, sizeof failName, "%s", function);
    failStatus = status;
}
/* The next reads deliver `data` and report `scans` scans per channel (-1: as many as asked). */
EXPORT void VelmStub_SetRead(const double* data, uint32_t count, int32_t scans) {
    readCount = count < 4096 ? count : 4096;
    if (readCount) memcpy(readData, data, readCount * sizeof(double));
    readScans = scans;
}
EXPORT void VelmStub_SetWritten(int32_t written) { writtenAnswer = written; }
EXPORT void VelmStub_SetErrorText(const char* text) {
    snprintf(errorText, sizeof errorText, "%s", text);
}

EXPORT int32_t DAQmxCreateTask(const char name[], void** task) {
    Log("CreateTask(\"%s\")\n", S(name));
    *task = Status("CreateTask") == 0 ? &taskObject : NULL;
    return Status("CreateTask");
}
EXPORT int32_t DAQmxStartTask(void* task) { return Log("StartTask(%s)\n", T(task)), 0; }
EXPORT int32_t DAQmxStopTask(void* task) { return Log("StopTask(%s)\n", T(task)), 0; }
EXPORT int32_t DAQmxClearTask(void* task) { return Log("ClearTask(%s)\n", T(task)), 0; }
EXPORT int32_t DAQmxCreateAIVoltageChan(void* task, const char chan[], const char name[],
                                        int32_t config, double minVal, double maxVal,
                                        int32_t units, const char scale[]) {
    Log("CreateAIVoltageChan(%s,\"%s\",\"%s\",%d,%g,%g,%d,%s)\n", T(task), S(chan), S(name),
        config, minVal, maxVal, units, S(scale));
    return Status("CreateAIVoltageChan");
}
EXPORT int32_t DAQmxCfgSampClkTiming(void* task, const char source[], double rate, int32_t edge,
                                     int32_t mode, uint64_t samples) {
    Log("CfgSampClkTiming(%s,\"%s\",%g,%d,%d,%llu)\n", T(task), S(source), rate, edge, mode,
        (unsigned long long)samples);
    return Status("CfgSampClkTiming");
}
EXPORT int32_t DAQmxReadAnalogF64(void* task, int32_t samples, double timeout, uint32_t fill,
                                  double out[], uint32_t size, int32_t* read, uint32_t* reserved) {
    Log("ReadAnalogF64(%s,%d,%g,%u,buffer,%u,%s)\n", T(task), samples, timeout, fill, size,
        reserved ? "reserved" : "NULL");
    memcpy(out, readData, (readCount < size ? readCount : size) * sizeof(double));
    *read = readScans >= 0 ? readScans : samples;
    return Status("ReadAnalogF64");
}
EXPORT int32_t DAQmxCreateAOVoltageChan(void* task, const char chan[], const char name[],
                                        double minVal, double maxVal, int32_t units,
                                        const char scale[]) {
    Log("CreateAOVoltageChan(%s,\"%s\",\"%s\",%g,%g,%d,\"%s\")\n", T(task), S(chan), S(name),
        minVal, maxVal, units, S(scale));
    return Status("CreateAOVoltageChan");
}
EXPORT int32_t DAQmxWriteAnalogF64(void* task, int32_t samples, uint32_t autoStart,
                                   double timeout, uint32_t layout, const double data[],
                                   int32_t* written, uint32_t* reserved) {
    Log("WriteAnalogF64(%s,%d,%u,%g,%u,%g,%s)\n", T(task), samples, autoStart, timeout, layout,
        data[0], reserved ? "reserved" : "NULL");
    *written = writtenAnswer;
    return Status("WriteAnalogF64");
}
EXPORT int32_t DAQmxCreateDOChan(void* task, const char lines[], const char name[],
                                 int32_t grouping) {
    Log("CreateDOChan(%s,\"%s\",\"%s\",%d)\n", T(task), S(lines), S(name), grouping);
    return Status("CreateDOChan");
}
EXPORT int32_t DAQmxWriteDigitalU8(void* task, int32_t samples, uint32_t autoStart,
                                   double timeout, uint32_t layout, const uint8_t data[],
                                   int32_t* written, uint32_t* reserved) {
    Log("WriteDigitalU8(%s,%d,%u,%g,%u,%u,%s)\n", T(task), samples, autoStart, timeout, layout,
        data[0], reserved ? "reserved" : "NULL");
    *written = writtenAnswer;
    return Status("WriteDigitalU8");
}
EXPORT int32_t DAQmxGetExtendedErrorInfo(char text[], uint32_t size) {
    Log("GetExtendedErrorInfo(%u)\n", size);
    snprintf(text, size, "%s", errorText);
    return 0;
}
