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
        // The same library the board loads: dlopen hands back the one instance.
        EXPECT_TRUE(stub.Open({VELM_DAQMX_STUB}, why)) << why;
        stub.Resolve("VelmStub_Reset", reset);
        stub.Resolve("VelmStub_Log", log);
        stub.Resolve("VelmStub_Fail", fail);
        stub.Resolve("VelmStub_SetRead", setRead);
        stub.Resolve("VelmStub_SetWritten", setWritten);
        stub.Resolve("VelmStub_SetErrorText", setErrorText);
        reset();
        devices.daqmxLibrary = {VELM_DAQMX_STUB};
    }

    // A PCI-6221 as device 2, programmed, with the call log cleared.
    std::unique_ptr<CAdBoard> MakeBoard() {
        auto board = std::make_unique<CAdBoard>(devices);
        board->type = kAdNiMSeries;
        board->base = 2;
        board->adRange = 5.0;
        board->Init();
        reset();
        return board;
    }

    std::string Log() const { return log(); }

    SAdBoardDevices devices;
    CDynamicLibrary stub;
    void (*reset)() = nullptr;
    const char* (*log)() = nullptr;
    void (*fail)(const char*, int32_t) = nullptr;
    void (*setRead)(const double*, uint32_t, int32_t) = nullptr;
    void (*setWritten)(int32_t) = nullptr;
    void (*setErrorText)(const char*) = nullptr;
};

TEST_F(DaqmxBoard, ReadChannelsRunsOneFiniteTaskAndAveragesTheScans) {
    auto board = MakeBoard();
    std::vector<double> data;
    for (int s = 0; s < 10; ++s) {
        data.push_back(1.0 + s);   // channel 3
        data.push_back(-2.0 * s);  // channel 4
    }
    setRead(data.data(), static_cast<uint32_t>(data.size()), 10);
    double v[2];
    ASSERT_TRUE(board->ReadChannels(0.01, 3, 4, v));
    EXPECT_EQ(Log(),
              "CreateTask(\"\")\n"
              "CreateAIVoltageChan(T,\"Dev2/ai3:4\",\"\",10083,-5,5,10348,NULL)\n"
              "CfgSampClkTiming(T,\"\",1000,10280,10178,10)\n"
              "StartTask(T)\n"
              "ReadAnalogF64(T,10,10.01,1,buffer,20,NULL)\n"
              "StopTask(T)\n"
              "ClearTask(T)\n");
    EXPECT_DOUBLE_EQ(v[0], 5.5);
    EXPECT_DOUBLE_EQ(v[1], -9.0);

    // Fewer scans than asked: the mean is over the scans read.
    reset();
    setRead(data.data(), 4, 2);
    ASSERT_TRUE(board->ReadChannels(0.01, 3, 4, v));
    EXPECT_DOUBLE_EQ(v[0], 1.5);
    EXPECT_DOUBLE_EQ(v[1], -1.0);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(DaqmxBoard, ALibraryErrorIsShownWithItsExtendedTextAndTheTaskCleared) {
    auto board = MakeBoard();
    fail("ReadAnalogF64", -200284);
    setErrorText("Some or all of the samples requested have not yet been acquired.");
    double v[1];
    EXPECT_FALSE(board->ReadChannels(0.5, 0, 0, v));
    EXPECT_EQ(prompt.LastText(),
              "NI DAQmx error code -200284.\nSome or all of the samples requested have not yet "
              "been acquired.\nAborting DAQ operation.");
    const std::string log = Log();
    EXPECT_NE(log.find("GetExtendedErrorInfo(2048)\nStopTask(T)\nClearTask(T)\n"),
              std::string::npos);

    // No task: nothing to stop or clear.
    reset();
    fail("CreateTask", -50103);
    EXPECT_FALSE(board->ReadChannels(0.5, 0, 0, v));
    EXPECT_EQ(Log(), "CreateTask(\"\")\nGetExtendedErrorInfo(2048)\n");

    // A read that delivers nothing fails without a message of its own.
    reset();
    prompt.shown.clear();
    setRead(nullptr, 0, 0);
    EXPECT_FALSE(board->ReadChannels(0.5, 0, 0, v));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(DaqmxBoard, LongWindowsGetATimeoutBeyondTheirOwnLength) {
    auto board = MakeBoard();
    double v[1];
    ASSERT_TRUE(board->ReadChannels(30.0, 1, 1, v));
    EXPECT_NE(Log().find("ReadAnalogF64(T,30000,40,1,buffer,30000,NULL)"), std::string::npos);
}

TEST_F(DaqmxBoard, BurstCopiesTheInterleavedSamplesAtTheBurstRate) {
    auto board = MakeBoard();
    const double data[] = {0.5, -0.5, 1.5, -1.5, 2.5, -2.5};
    setRead(data, 6, 3);
    double s[6] = {};
    ASSERT_TRUE(board->ReadBurst(3, 25000.0, 0, 1, s));
    EXPECT_NE(Log().find("CfgSampClkTiming(T,\"\",25000,10280,10178,3)\n"), std::string::npos);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(s[k], data[k]);
    EXPECT_EQ(board->freq, 1000.0);
}

TEST_F(DaqmxBoard, SetDaWritesOneSampleAndRemembersIt) {
    auto board = MakeBoard();
    ASSERT_TRUE(board->SetDA(1, -1.25));
    EXPECT_EQ(Log(),
              "CreateTask(\"\")\n"
              "CreateAOVoltageChan(T,\"Dev2/ao1\",\"\",-5,5,10348,\"\")\n"
              "StartTask(T)\n"
              "WriteAnalogF64(T,1,1,10,0,-1.25,NULL)\n"
              "StopTask(T)\n"
              "ClearTask(T)\n");
    EXPECT_EQ(board->da1, -1.25);

    // The one status that still means "written" is accepted quietly.
    reset();
    fail("WriteAnalogF64", daqmx::kAcceptedWriteStatus);
    EXPECT_TRUE(board->SetDA(0, 2.0));
    EXPECT_EQ(board->da0, 2.0);
    EXPECT_TRUE(prompt.shown.empty());

    // Nothing written: not stored.
    reset();
    setWritten(0);
    EXPECT_FALSE(board->SetDA(0, 3.0));
    EXPECT_EQ(board->da0, 2.0);

    // A failed task creation is shown, and the attempt goes on.
    reset();
    fail("CreateTask", -50103);
    board->SetDA(0, 1.0);
    EXPECT_NE(Log().find("CreateAOVoltageChan(0,"), std::string::npos);
    EXPECT_EQ(prompt.shown.size(), 1u);
}

TEST_F(DaqmxBoard, WriteDigitalUsesOneChannelForAllLines) {
    auto board = MakeBoard();
    ASSERT_TRUE(board->WriteDigital(board->GetDigitalPort(), 0x15A));
    EXPECT_EQ(Log(),
              "CreateTask(\"\")\n"
              "CreateDOChan(T,\"Dev2/port1\",\"VELM-DigOut\",1)\n"
              "WriteDigitalU8(T,1,1,0,0,90,NULL)\n"
              "StopTask(T)\n"
              "ClearTask(T)\n");
    // A byte that did not reach the port is shown and not reported as written.
    reset();
    fail("WriteDigitalU8", -200220);
    EXPECT_FALSE(board->WriteDigital(1, 1));
    EXPECT_NE(prompt.LastText().find("NI DAQmx error code -200220."), std::string::npos);
    EXPECT_NE(Log().find("StopTask(T)\nClearTask(T)\n"), std::string::npos);
    reset();
    fail("CreateTask", -50103);
    EXPECT_FALSE(board->WriteDigital(1, 1));
    EXPECT_EQ(Log(), "CreateTask(\"\")\nGetExtendedErrorInfo(2048)\n");
}

TEST_F(DaqmxBoard, WithoutTheLibraryEveryOperationFailsWithOneClearMessage) {
    devices.daqmxLibrary = {"/nonexistent/libnidaqmx.so"};
    CAdBoard board(devices);
    board.type = kAdNiMSeries;
    board.Init();  // sets both D/A outputs: one message, not two
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_NE(prompt.LastText().find("The NI-DAQmx library (libnidaqmx.so) could not be loaded"),
              std::string::npos);
    EXPECT_NE(prompt.LastText().find("Install NI-DAQmx for Linux"), std::string::npos);
    double v[1];
    EXPECT_FALSE(board.ReadChannels(0.1, 0, 0, v));
    EXPECT_FALSE(board.ReadBurst(10, 100.0, 0, 0, v));
    EXPECT_FALSE(board.WriteDigital(1, 0));
    EXPECT_EQ(prompt.shown.size(), 1u);
}

TEST_F(DaqmxBoard, ALibraryLackingAFunctionIsNamed) {
    devices.daqmxLibrary = {VELM_DAQMX_STUB_PARTIAL};
    CAdBoard board(devices);
    board.type = kAdNiMSeries;
    EXPECT_FALSE(board.WriteDigital(1, 0));
    EXPECT_NE(prompt.LastText().find("lacks the function DAQmxWriteDigitalU8"), std::string::npos);
}

TEST_F(DaqmxBoard, RatesAndWindowsThatGiveNoSampleAreRefusedBeforeTheLibrary) {
    auto board = MakeBoard();
    double v[1];
    EXPECT_FALSE(board->ReadChannels(0.0, 0, 0, v));
    board->freq = -1000.0;
    EXPECT_FALSE(board->ReadChannels(1.0, 0, 0, v));
    board->freq = 1.0e12;  // 10^12 samples would not fit any buffer
    EXPECT_FALSE(board->ReadChannels(1.0, 0, 0, v));
    EXPECT_EQ(Log(), "");
}

}  // namespace
