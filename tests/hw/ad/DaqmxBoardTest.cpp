// The NI M series board through the real run-time loading path: a stand-in library built by
// the tests exports the NI-DAQmx functions, records each call with its arguments and answers
// with scripted data and statuses.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AdTestSupport.h"
#include "hw/ad/DaqmxBoard.h"
#include "platform/DynamicLibrary.h"

namespace {

class DaqmxBoard : public CAdTest {
  protected:
    DaqmxBoard() {
        std::string why;
        // The library the board loads: dlopen hands back the same instance.
        EXPECT_TRUE(stub.Open({"/nonexistent/libnidaqmx.so", VELM_DAQMX_STUB}, why)) << why;
        stub.Resolve("VelmStub_Reset", reset);
        stub.Resolve("VelmStub_Log", log);
        stub.Resolve("VelmStub_Fail", fail);
        stub.Resolve("VelmStub_SetRead", setRead);
        stub.Resolve("VelmStub_SetWritten", setWritten);
        stub.Resolve("VelmStub_SetErrorText", setErrorText);
        SAdBoardDevices devices;
        devices.daqmxLibrary = {VELM_DAQMX_STUB};
        board = std::make_unique<CAdBoard>(devices);
        board->type = kAdNiMSeries;
        board->base = 2;
        board->adRange = 5.0;
        board->Init();
        reset();
    }

    std::unique_ptr<CAdBoard> board;
    CDynamicLibrary stub;
    void (*reset)() = nullptr;
    const char* (*log)() = nullptr;
    void (*fail)(const char*, int32_t) = nullptr;
    void (*setRead)(const double*, uint32_t, int32_t) = nullptr;
    void (*setWritten)(int32_t) = nullptr;
    void (*setErrorText)(const char*) = nullptr;
};

TEST_F(DaqmxBoard, ReadChannelsRunsOneFiniteTaskAndAveragesTheScansRead) {
    std::vector<double> data;
    for (int s = 0; s < 10; ++s)
        data.insert(data.end(), {1.0 + s, -2.0 * s});
    setRead(data.data(), 20, 10);
    double v[2];
    ASSERT_TRUE(board->ReadChannels(0.01, 3, 4, v));
    EXPECT_STREQ(log(),
                 "CreateTask(\"\")\n"
                 "CreateAIVoltageChan(T,\"Dev2/ai3:4\",\"\",10083,-5,5,10348,NULL)\n"
                 "CfgSampClkTiming(T,\"\",1000,10280,10178,10)\n"
                 "StartTask(T)\n"
                 "ReadAnalogF64(T,10,10.01,1,buffer,20,NULL)\n"
                 "StopTask(T)\n"
                 "ClearTask(T)\n");
    EXPECT_DOUBLE_EQ(v[0], 5.5);
    EXPECT_DOUBLE_EQ(v[1], -9.0);
    setRead(data.data(), 4, 2);  // fewer scans than asked
    ASSERT_TRUE(board->ReadChannels(0.01, 3, 4, v));
    EXPECT_DOUBLE_EQ(v[0], 1.5);
    // A window longer than ten seconds gets a timeout beyond its own length.
    reset();
    ASSERT_TRUE(board->ReadChannels(30.0, 1, 1, v));
    EXPECT_NE(std::string(log()).find("ReadAnalogF64(T,30000,40,1,"), std::string::npos);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(DaqmxBoard, LibraryErrorsAreShownWithTheirExtendedTextAndTheTaskCleared) {
    fail("ReadAnalogF64", -200284);
    setErrorText("Some or all of the samples requested have not yet been acquired.");
    double v[1];
    EXPECT_FALSE(board->ReadChannels(0.5, 0, 0, v));
    EXPECT_EQ(prompt.LastText(),
              "NI DAQmx error code -200284.\nSome or all of the samples requested have not yet "
              "been acquired.\nAborting DAQ operation.");
    EXPECT_NE(std::string(log()).find("GetExtendedErrorInfo(2048)\nStopTask(T)\nClearTask(T)\n"),
              std::string::npos);
    reset();
    fail("CreateTask", -50103);  // no task: nothing to stop or clear
    EXPECT_FALSE(board->ReadChannels(0.5, 0, 0, v));
    EXPECT_FALSE(board->WriteDigital(1, 1));
    EXPECT_STREQ(log(),
                 "CreateTask(\"\")\nGetExtendedErrorInfo(2048)\n"
                 "CreateTask(\"\")\nGetExtendedErrorInfo(2048)\n");
    // Windows and rates that give no sample are refused before the library.
    reset();
    EXPECT_FALSE(board->ReadChannels(0.0, 0, 0, v));
    board->freq = 1.0e12;
    EXPECT_FALSE(board->ReadChannels(1.0, 0, 0, v));
    EXPECT_STREQ(log(), "");
}

TEST_F(DaqmxBoard, BurstCopiesTheInterleavedSamplesAtTheBurstRate) {
    const double data[] = {0.5, -0.5, 1.5, -1.5, 2.5, -2.5};
    setRead(data, 6, 3);
    double s[6] = {};
    ASSERT_TRUE(board->ReadBurst(3, 25000.0, 0, 1, s));
    EXPECT_NE(std::string(log()).find("CfgSampClkTiming(T,\"\",25000,10280,10178,3)\n"),
              std::string::npos);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(s[k], data[k]);
    EXPECT_EQ(board->freq, 1000.0);
}

TEST_F(DaqmxBoard, OutputsWriteOneSampleAndReportWhatReachedTheBoard) {
    ASSERT_TRUE(board->SetDA(1, -1.25));
    ASSERT_TRUE(board->WriteDigital(board->GetDigitalPort(), 0x15A));
    EXPECT_STREQ(log(),
                 "CreateTask(\"\")\n"
                 "CreateAOVoltageChan(T,\"Dev2/ao1\",\"\",-5,5,10348,\"\")\n"
                 "StartTask(T)\n"
                 "WriteAnalogF64(T,1,1,10,0,-1.25,NULL)\n"
                 "StopTask(T)\nClearTask(T)\n"
                 "CreateTask(\"\")\n"
                 "CreateDOChan(T,\"Dev2/port1\",\"VELM-DigOut\",1)\n"
                 "WriteDigitalU8(T,1,1,0,0,90,NULL)\n"
                 "StopTask(T)\nClearTask(T)\n");
    EXPECT_EQ(board->da1, -1.25);
    // The one status that still means "written" is accepted quietly.
    fail("WriteAnalogF64", daqmx::kAcceptedWriteStatus);
    EXPECT_TRUE(board->SetDA(0, 2.0));
    EXPECT_TRUE(prompt.shown.empty());
    reset();
    setWritten(0);  // nothing written: not stored
    EXPECT_FALSE(board->SetDA(0, 3.0));
    EXPECT_EQ(board->da0, 2.0);
    reset();
    fail("WriteDigitalU8", -200220);
    EXPECT_FALSE(board->WriteDigital(1, 1));
    EXPECT_NE(prompt.LastText().find("NI DAQmx error code -200220."), std::string::npos);
}

TEST_F(DaqmxBoard, WithoutTheLibraryEveryOperationFailsWithOneClearMessage) {
    SAdBoardDevices devices;
    devices.daqmxLibrary = {"/nonexistent/libnidaqmx.so"};
    CAdBoard missing(devices);
    missing.type = kAdNiMSeries;
    missing.Init();  // sets both D/A outputs: one message, not two
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_NE(prompt.LastText().find("The NI-DAQmx library (libnidaqmx.so) could not be loaded"),
              std::string::npos);
    EXPECT_NE(prompt.LastText().find("Install NI-DAQmx for Linux"), std::string::npos);
    double v[1];
    EXPECT_FALSE(missing.ReadChannels(0.1, 0, 0, v));
    EXPECT_FALSE(missing.WriteDigital(1, 0));
    EXPECT_EQ(prompt.shown.size(), 1u);
}

}  // namespace
