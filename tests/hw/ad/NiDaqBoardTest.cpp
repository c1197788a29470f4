// The traditional NI-DAQ boards through a fake of the role interface, and the Comedi backend's
// answers on a machine without the device.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <string>
#include <vector>

#include "AdTestSupport.h"
#include "hw/ad/ComediNiDaq.h"
#include "hw/ad/NiDaqBoard.h"

namespace {

// Records calls as text; answers with the statuses and counts set in its public fields.
struct CFakeNiDaq : CNiDaqRoles {
    std::vector<std::string> calls;
    std::string openWhy;  // non-empty: Open fails with it
    int startStatus = 0, aoStatus = 0, dioStatus = 0;
    bool neverStops = false;
    std::vector<int16_t> counts;

    bool Open(int device, std::string& why) override {
        Call("Open %d", device);
        why = openWhy;
        return openWhy.empty();
    }
    int ScanSetup(int, int count, const int16_t channels[], const int16_t gains[]) override {
        Call("ScanSetup %d ch%d gain%d", count, channels[0], gains[0]);
        return 0;
    }
    int ScanStart(int, int16_t* buffer, uint32_t total, int timebase, uint32_t interval, int st,
                  uint32_t si) override {
        Call("ScanStart %u %d %u %d %u", total, timebase, interval, st, si);
        for (uint32_t k = 0; k < total && k < counts.size(); ++k)
            buffer[k] = counts[k];
        return startStatus;
    }
    int ScanCheck(int, bool& stopped, uint32_t&) override {
        stopped = !neverStops;
        return 0;
    }
    int AcqClear(int) override { return Call("AcqClear"), 0; }
    int AOVWrite(int device, int channel, double volts) override {
        return Call("AOVWrite %d %d %g", device, channel, volts), aoStatus;
    }
    int DigOutPort(int device, int port, int value) override {
        return Call("DigOutPort %d %d %d", device, port, value), dioStatus;
    }
    template <typename... A>
    void Call(const char* format, A... args) {
        char text[128];
        std::snprintf(text, sizeof text, format, args...);
        calls.push_back(text);
    }
};

class NiDaqBoard : public CAdTest {
  protected:
    // A board of `type` whose roles are a fresh fake (failing Open with `openWhy` if set).
    CAdBoard& Make(int type) {
        SAdBoardDevices devices;
        devices.niDaq = [this] {
            auto made = std::make_unique<CFakeNiDaq>();
            made->openWhy = openWhy;
            fake = made.get();
            return made;
        };
        board = std::make_unique<CAdBoard>(devices);
        board->type = type;
        board->Init();
        fake->calls.clear();
        return *board;
    }

    std::string openWhy;
    CFakeNiDaq* fake = nullptr;
    std::unique_ptr<CAdBoard> board;
};

TEST_F(NiDaqBoard, ReadChannelsScansAtTheBoardsPaceAndAveragesSignedCounts) {
    CAdBoard& b = Make(kAdNiESeries);
    // 1000/s over 0.01 s for two channels: 5 samples each, interleaved.
    fake->counts = {16384, -100, 16384, -100, 0, -100, 0, -100, 8192, -100};
    double v[2];
    ASSERT_TRUE(b.ReadChannels(0.01, 6, 7, v));
    // +/-10 V is gain -1 (0.5); above 500/s the 20 MHz timebase (-3).
    EXPECT_EQ(fake->calls, (std::vector<std::string>{"Open 1", "ScanSetup 2 ch6 gain-1",
                                                     "ScanStart 10 -3 20000 1 0"}));
    EXPECT_DOUBLE_EQ(v[0], (16384.0 * 2 + 8192) / 5 / 32768 * 10);
    EXPECT_DOUBLE_EQ(v[1], -100.0 / 32768 * 10);

    // Slow rates count microseconds. A range between the board's own (7 V) reads with gain 1,
    // and the counts are scaled by the +/-5 V that gain measures.
    b.freq = 200.0;
    b.adRange = 7.0;
    fake->calls.clear();
    fake->counts.assign(10, 16384);
    ASSERT_TRUE(b.ReadChannels(0.05, 0, 0, v));
    EXPECT_EQ(fake->calls[2], "ScanStart 10 1 5000 1 0");
    EXPECT_EQ(fake->calls[1], "ScanSetup 1 ch0 gain1");
    EXPECT_DOUBLE_EQ(v[0], 2.5);

    // A burst hands back every sample, scaled; below one conversion per second it cannot run.
    fake->counts = {32767, -32768, 0, 16384};
    double s[4];
    ASSERT_TRUE(b.ReadBurst(2, 1000.0, 0, 1, s));
    EXPECT_DOUBLE_EQ(s[1], -5.0);
    EXPECT_DOUBLE_EQ(s[3], 2.5);
    EXPECT_EQ(b.freq, 200.0);
    EXPECT_FALSE(b.ReadBurst(2, 0.5, 0, 1, s));
}

TEST_F(NiDaqBoard, FailedOrEndlessScansAreClearedAndReported) {
    CAdBoard& b = Make(kAdNiESeries);
    fake->startStatus = -10608;
    double v[1];
    EXPECT_FALSE(b.ReadChannels(0.1, 0, 0, v));
    EXPECT_EQ(fake->calls.back(), "AcqClear");
    EXPECT_EQ(prompt.LastText(), "NI DAQ error code -10608.\nAborting DAQ operation.");

    fake->startStatus = 0;
    fake->neverStops = true;
    EXPECT_FALSE(b.ReadChannels(1.0, 0, 0, v));
    EXPECT_EQ(fake->calls.back(), "AcqClear");
    EXPECT_NE(prompt.LastText().find("did not finish its scan in time"), std::string::npos);
    EXPECT_LE(clock.Ticks(), 1000000u + 1000 + CNiDaqBoardDriver::kScanSlackMs + 5);
}

TEST_F(NiDaqBoard, OutputsReportWhatTheDriverRefused) {
    CAdBoard& b = Make(kAdNiESeries);
    b.base = 2;
    ASSERT_TRUE(b.SetDA(1, 2.5));
    ASSERT_TRUE(b.WriteDigital(b.GetDigitalPort(), 0x81));
    EXPECT_EQ(fake->calls, (std::vector<std::string>{"Open 2", "AOVWrite 2 1 2.5", "Open 2",
                                                     "DigOutPort 2 1 129"}));
    fake->aoStatus = fake->dioStatus = -10401;
    EXPECT_FALSE(b.SetDA(1, 1.0));
    EXPECT_EQ(b.da1, 2.5);
    EXPECT_FALSE(b.WriteDigital(1, 0));
    EXPECT_EQ(prompt.LastText(), "NI DAQ error code -10401.\nAborting DAQ operation.");

    // The PCI-1200: analogue output only.
    CAdBoard& labpc = Make(kAdNi1200);
    double v[1];
    EXPECT_FALSE(labpc.ReadChannels(0.1, 0, 0, v));
    EXPECT_FALSE(labpc.ReadBurst(5, 100.0, 0, 0, v));
    EXPECT_TRUE(labpc.WriteDigital(labpc.GetDigitalPort(), 1));
    for (const auto& call : fake->calls)
        EXPECT_EQ(call.find("Scan"), std::string::npos);
    EXPECT_TRUE(labpc.SetDA(0, -1.0));
}

TEST_F(NiDaqBoard, ALibraryErrorIsShownOncePerCauseNotAtEveryCall) {
    // The A/D board test reads every 200 ms: a failing board gives one box, not five a second.
    CAdBoard& b = Make(kAdNiESeries);
    fake->startStatus = -10608;
    double v[1];
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(b.ReadChannels(0.1, 0, 0, v));
    EXPECT_EQ(prompt.Texts(),
              (std::vector<std::string>{"NI DAQ error code -10608.\nAborting DAQ operation."}));
    // Outputs are a cause of their own: a timer that reads well and writes badly says so
    // once, and its good reads do not bring the write error back every time.
    fake->startStatus = 0;
    fake->dioStatus = -10401;
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(b.ReadChannels(0.1, 0, 0, v));
        EXPECT_FALSE(b.WriteDigital(1, 0x55));
    }
    EXPECT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.LastText(), "NI DAQ error code -10401.\nAborting DAQ operation.");
    // Reads worked in between: the same read error again is news.
    fake->startStatus = -10608;
    EXPECT_FALSE(b.ReadChannels(0.1, 0, 0, v));
    EXPECT_EQ(prompt.shown.size(), 3u);
}

TEST(ComediSamples, ASampleThatIsNoNumberIsAFailedReadNotZeroVolts) {
    int16_t count = 7;
    EXPECT_FALSE(CountOfVolts(std::nan(""), 10.0, count));
    EXPECT_EQ(count, 7);
    // A saturated input reads as the range's ends.
    ASSERT_TRUE(CountOfVolts(10.0, 10.0, count));
    EXPECT_EQ(count, 32767);
    ASSERT_TRUE(CountOfVolts(-10.0, 10.0, count));
    EXPECT_EQ(count, -32768);
    ASSERT_TRUE(CountOfVolts(2.5, 5.0, count));
    EXPECT_EQ(count, 16384);
    EXPECT_FALSE(CountOfVolts(1.0, 0.0, count));
}

TEST_F(NiDaqBoard, AMissingDeviceIsExplainedOnce) {
    openWhy = "no device";
    CAdBoard& b = Make(kAdNiESeries);  // Init sets D/A 0 and 1: one message
    double v[1];
    EXPECT_FALSE(b.ReadChannels(0.1, 0, 0, v));
    EXPECT_EQ(prompt.Texts(), (std::vector<std::string>{"no device"}));

    auto comedi = MakeComediNiDaq();
    std::string why;
    EXPECT_FALSE(comedi->Open(0, why));
    EXPECT_NE(why.find("numbered from 1"), std::string::npos) << why;
    struct stat st {};
    if (::stat("/dev/comedi7", &st) == 0) GTEST_SKIP() << "this machine has Comedi devices";
    EXPECT_FALSE(comedi->Open(8, why));
#ifdef VELM_HAVE_COMEDI
    EXPECT_NE(why.find("/dev/comedi7 does not exist"), std::string::npos) << why;
    EXPECT_NE(why.find("ni_pcimio"), std::string::npos);
#else
    EXPECT_NE(why.find("built without"), std::string::npos) << why;
#endif
}

}  // namespace
