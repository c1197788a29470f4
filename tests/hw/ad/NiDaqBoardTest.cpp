// The traditional NI-DAQ boards through a fake of the role interface (scan set-up, start,
// check, clear, analogue and digital output), and the Comedi backend's answers on a machine
// without the device.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "AdTestSupport.h"
#include "hw/ad/ComediNiDaq.h"
#include "hw/ad/NiDaqBoard.h"

namespace {

struct SNiDaqScript {
    std::vector<std::string> calls;
    bool openOk = true;
    std::string openWhy;
    int setupStatus = 0, startStatus = 0, checkStatus = 0, aoStatus = 0, dioStatus = 0;
    int checksBeforeStop = 1;  // ScanCheck answers "running" this many times first
    std::vector<int16_t> counts;
    std::vector<int16_t> channels, gains;
    uint32_t total = 0;
    int timebase = 0;
    uint32_t interval = 0;
};

class CFakeNiDaq : public CNiDaqRoles {
  public:
    explicit CFakeNiDaq(SNiDaqScript& s) : s(s) {}
    bool Open(int device, std::string& why) override {
        s.calls.push_back("Open " + std::to_string(device));
        why = s.openWhy;
        return s.openOk;
    }
    int ScanSetup(int, int count, const int16_t channels[], const int16_t gains[]) override {
        s.calls.push_back("ScanSetup");
        s.channels.assign(channels, channels + count);
        s.gains.assign(gains, gains + count);
        return s.setupStatus;
    }
    int ScanStart(int, int16_t* buffer, uint32_t total, int timebase, uint32_t interval,
                  int scanTimebase, uint32_t scanInterval) override {
        s.calls.push_back("ScanStart " + std::to_string(scanTimebase) + " " +
                          std::to_string(scanInterval));
        s.total = total;
        s.timebase = timebase;
        s.interval = interval;
        for (uint32_t k = 0; k < total && k < s.counts.size(); ++k)
            buffer[k] = s.counts[k];
        checks = 0;
        return s.startStatus;
    }
    int ScanCheck(int, bool& stopped, uint32_t& retrieved) override {
        ++checks;
        stopped = s.checksBeforeStop >= 0 && checks > s.checksBeforeStop;
        retrieved = stopped ? s.total : 0;
        return s.checkStatus;
    }
    int AcqClear(int) override {
        s.calls.push_back("AcqClear");
        return 0;
    }
    int AOVWrite(int device, int channel, double volts) override {
        s.calls.push_back("AOVWrite " + std::to_string(device) + " " + std::to_string(channel) +
                          " " + std::to_string(volts));
        return s.aoStatus;
    }
    int DigOutPort(int device, int port, int value) override {
        s.calls.push_back("DigOutPort " + std::to_string(device) + " " + std::to_string(port) +
                          " " + std::to_string(value));
        return s.dioStatus;
    }

  private:
    SNiDaqScript& s;
    int checks = 0;
};

class NiDaqBoard : public CAdTest {
  protected:
    std::unique_ptr<CAdBoard> MakeBoard(int type) {
        SAdBoardDevices devices;
        devices.niDaq = [this] { return std::make_unique<CFakeNiDaq>(script); };
        auto board = std::make_unique<CAdBoard>(devices);
        board->type = type;
        board->Init();
        script.calls.clear();
        return board;
    }
    SNiDaqScript script;
};

TEST_F(NiDaqBoard, ReadChannelsScansAtTheBoardsPaceAndAveragesSignedCounts) {
    auto board = MakeBoard(kAdNiESeries);
    // 1000/s over 0.01 s for two channels: 5 samples each, interleaved.
    script.counts = {16384, -100, 16384, -100, 0, -100, 0, -100, 8192, -100};
    double v[2];
    ASSERT_TRUE(board->ReadChannels(0.01, 6, 7, v));
    EXPECT_EQ(script.calls, (std::vector<std::string>{"Open 1", "ScanSetup", "ScanStart 1 0"}));
    EXPECT_EQ(script.channels, (std::vector<int16_t>{6, 7}));
    EXPECT_EQ(script.gains, (std::vector<int16_t>{-1, -1}));  // +/-10 V is a gain of 0.5
    EXPECT_EQ(script.total, 10u);
    EXPECT_EQ(script.timebase, -3);  // above 500/s: the 20 MHz clock
    EXPECT_EQ(script.interval, 20000u);
    EXPECT_DOUBLE_EQ(v[0], (16384.0 * 2 + 8192) / 5 / 32768 * 10);
    EXPECT_DOUBLE_EQ(v[1], -100.0 / 32768 * 10);

    board->freq = 200.0;
    board->adRange = 0.5;
    script.calls.clear();
    ASSERT_TRUE(board->ReadChannels(0.05, 0, 0, v));
    EXPECT_EQ(script.timebase, 1);  // microseconds
    EXPECT_EQ(script.interval, 5000u);
    EXPECT_EQ(script.gains, (std::vector<int16_t>{10}));
}

TEST_F(NiDaqBoard, CountsAreScaledByTheRangeTheGainMeasures) {
    auto board = MakeBoard(kAdNiESeries);
    board->adRange = 7.0;  // gain 1: the board measures +/-5 V
    script.counts.assign(10, 16384);
    double v[1];
    ASSERT_TRUE(board->ReadChannels(0.01, 0, 0, v));
    EXPECT_EQ(script.gains, (std::vector<int16_t>{1}));
    EXPECT_DOUBLE_EQ(v[0], 2.5);
    EXPECT_EQ(CNiDaqBoardDriver::GainCode(9.0), -1);
    EXPECT_EQ(CNiDaqBoardDriver::GainCode(4.5), 1);
    EXPECT_EQ(CNiDaqBoardDriver::GainCode(0.475), 10);
    EXPECT_EQ(CNiDaqBoardDriver::GainCode(0.05), 100);
    EXPECT_EQ(CNiDaqBoardDriver::GainCode(0.01), 1);
}

TEST_F(NiDaqBoard, LibraryErrorsAreShownAndAFailedStartClearsTheAcquisition) {
    auto board = MakeBoard(kAdNiESeries);
    script.startStatus = -10608;
    double v[1];
    EXPECT_FALSE(board->ReadChannels(0.1, 0, 0, v));
    EXPECT_EQ(script.calls.back(), "AcqClear");
    EXPECT_EQ(prompt.LastText(), "NI DAQ error code -10608.\nAborting DAQ operation.");
    EXPECT_EQ(prompt.shown.back().icon, EPromptIcon::Exclamation);

    script.startStatus = 0;
    script.setupStatus = -10003;
    EXPECT_FALSE(board->ReadChannels(0.1, 0, 0, v));
    EXPECT_EQ(prompt.LastText(), "NI DAQ error code -10003.\nAborting DAQ operation.");
}

TEST_F(NiDaqBoard, AScanThatNeverStopsIsAbandonedAtItsBound) {
    auto board = MakeBoard(kAdNiESeries);
    script.checksBeforeStop = -1;  // never
    double v[1];
    EXPECT_FALSE(board->ReadChannels(1.0, 0, 0, v));
    EXPECT_EQ(script.calls.back(), "AcqClear");
    EXPECT_NE(prompt.LastText().find("did not finish its scan in time"), std::string::npos);
    EXPECT_LE(clock.Ticks(), 1000000u + 1000 + CNiDaqBoardDriver::kScanSlackMs + 5);
}

TEST_F(NiDaqBoard, BurstDeliversEachSampleScaled) {
    auto board = MakeBoard(kAdNiESeries);
    script.counts = {32767, -32768, 0, 16384};
    double s[4];
    ASSERT_TRUE(board->ReadBurst(2, 1000.0, 0, 1, s));
    EXPECT_EQ(script.total, 4u);
    EXPECT_DOUBLE_EQ(s[0], 32767.0 / 32768 * 10);
    EXPECT_DOUBLE_EQ(s[1], -10.0);
    EXPECT_DOUBLE_EQ(s[3], 5.0);
    EXPECT_EQ(board->freq, 1000.0);
    // A burst below one conversion per second has no interval to program.
    EXPECT_FALSE(board->ReadBurst(2, 0.5, 0, 1, s));
}

TEST_F(NiDaqBoard, OutputsOfTheTwoBoards) {
    auto board = MakeBoard(kAdNiESeries);
    board->base = 2;
    ASSERT_TRUE(board->SetDA(1, 2.5));
    EXPECT_EQ(board->da1, 2.5);
    ASSERT_TRUE(board->WriteDigital(board->GetDigitalPort(), 0x81));
    EXPECT_EQ(script.calls, (std::vector<std::string>{"Open 2", "AOVWrite 2 1 2.500000", "Open 2",
                                                      "DigOutPort 2 1 129"}));
    // A refused output is not reported as done.
    script.aoStatus = -10401;
    EXPECT_FALSE(board->SetDA(1, 1.0));
    EXPECT_EQ(board->da1, 2.5);
    script.dioStatus = -10401;
    EXPECT_FALSE(board->WriteDigital(1, 0));
    EXPECT_EQ(prompt.LastText(), "NI DAQ error code -10401.\nAborting DAQ operation.");

    // The PCI-1200: analogue output only.
    script.aoStatus = script.dioStatus = 0;
    auto labpc = MakeBoard(kAdNi1200);
    double v[1];
    EXPECT_FALSE(labpc->ReadChannels(0.1, 0, 0, v));
    EXPECT_FALSE(labpc->ReadBurst(5, 100.0, 0, 0, v));
    EXPECT_TRUE(labpc->WriteDigital(labpc->GetDigitalPort(), 1));
    for (const auto& call : script.calls) {
        EXPECT_EQ(call.find("Scan"), std::string::npos);
        EXPECT_EQ(call.find("DigOutPort"), std::string::npos);
    }
    EXPECT_TRUE(labpc->SetDA(0, -1.0));
    EXPECT_EQ(labpc->da0, -1.0);
}

TEST_F(NiDaqBoard, AMissingDeviceIsExplainedOnce) {
    script.openOk = false;
    script.openWhy = "no device";
    auto board = MakeBoard(kAdNiESeries);  // Init sets D/A 0 and 1: one message
    EXPECT_EQ(prompt.Texts(), (std::vector<std::string>{"no device"}));
    double v[1];
    EXPECT_FALSE(board->ReadChannels(0.1, 0, 0, v));
    EXPECT_EQ(prompt.shown.size(), 1u);
}

TEST(ComediNiDaq, NamesTheDeviceFileAndWhatToDo) {
    EXPECT_EQ(ComediDevicePath(1), "/dev/comedi0");
    EXPECT_EQ(ComediDevicePath(3), "/dev/comedi2");
    auto roles = MakeComediNiDaq();
    std::string why;
    EXPECT_FALSE(roles->Open(0, why));
    EXPECT_NE(why.find("numbered from 1"), std::string::npos) << why;
    struct stat st {};
    if (::stat("/dev/comedi7", &st) == 0) GTEST_SKIP() << "this machine has Comedi devices";
    why.clear();
    EXPECT_FALSE(roles->Open(8, why));
#ifdef VELM_HAVE_COMEDI
    EXPECT_NE(why.find("/dev/comedi7 does not exist"), std::string::npos) << why;
    EXPECT_NE(why.find("ni_pcimio"), std::string::npos);
#else
    EXPECT_NE(why.find("built without"), std::string::npos) << why;
#endif
}

}  // namespace
