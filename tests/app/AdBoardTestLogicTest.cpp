#include <gtest/gtest.h>

#include <functional>

#include "app/AdBoardTestLogic.h"
#include "hw/AdBoard.h"
#include "platform/PortIo.h"
#include "platform/StationBusy.h"
#include "settings/FileNumbering.h"
#include "support/TestEnv.h"

namespace {
// Registers of a DAS08 that always has a conversion ready; reading the data register takes a
// millisecond, as on the board, so that an averaging window comes to an end.
class CReadyPorts : public CScriptedPortIo {
  public:
    explicit CReadyPorts(CSimClock& clock) : clock(clock) { levels[0x302] = 0x08; }
    uint8_t In8(uint16_t port) override {
        if (port == 0x300) clock.Advance(1);
        return CScriptedPortIo::In8(port);
    }

  private:
    CSimClock& clock;
};

class AdBoardTestLogicTest : public CVelmTest {
  protected:
    AdBoardTestLogicTest() {
        // A board whose D/A outputs are registers we can watch; the sine board reads.
        output.type = kAdDas08Aom;
        output.base = 0x300;
        output.Init();
        input.type = kAdSine;
        input.Init();
    }
    // Readings of channel 0 running, D/A channel `daChannel` tracking them.
    static void TrackChannelZero(CAdBoardTestLogic& logic, const char* daChannel) {
        logic.first = "0";
        logic.last = "0";
        logic.daChannel = daChannel;
        logic.trackCh = "0";
        logic.ToggleTrack();
        ASSERT_TRUE(logic.Start());
    }

    CReadyPorts ports{clock};
    CScopedPortIo scopedPorts{&ports};
    CAdBoard output;
    CAdBoard input;
};
}  // namespace

TEST_F(AdBoardTestLogicTest, ChannelRangeIsCheckedBeforeReadingsStart) {
    CAdBoardTestLogic logic(input);
    EXPECT_EQ(logic.StartText(), "Start");
    logic.first = "3";
    logic.last = "2";
    EXPECT_FALSE(logic.Start());
    EXPECT_EQ(prompt.LastText(), "Illegal A/D channel range (3-2), must be inside 0-7.");
    EXPECT_FALSE(logic.Running());
    logic.last = "8";
    EXPECT_FALSE(logic.Start());
    logic.last = "x";
    EXPECT_FALSE(logic.Start());
    EXPECT_EQ(prompt.LastText(), "Last: enter a whole number.");

    logic.first = "2";
    logic.last = "4";
    ASSERT_TRUE(logic.Start());
    EXPECT_EQ(logic.StartText(), "Stop");
    std::vector<double> volts;
    ASSERT_TRUE(logic.Tick(volts));
    ASSERT_EQ(volts.size(), 3u);
    EXPECT_EQ(logic.ValuesText({1.0, -0.25}), "2: 1.000  3: -0.250  ");
    logic.Stop();
    EXPECT_FALSE(logic.Tick(volts));
}

TEST_F(AdBoardTestLogicTest, SendChecksChannelAndRangeThenWrites) {
    CAdBoardTestLogic logic(output);
    logic.daChannel = "2";
    logic.Send();
    EXPECT_EQ(prompt.LastText(), "Illegal D/A channel (2), must be 0-1.");
    logic.daChannel = "1";
    logic.daVolts = "6.0";  // the board's range is 5 V
    ports.log.clear();
    logic.Send();
    EXPECT_TRUE(ports.Writes().empty());
    EXPECT_EQ(output.da1, 0.0);
    logic.daVolts = "-2.5";
    logic.Send();
    EXPECT_EQ(prompt.LastText(), "D/A Channel 1 set to -2.500 volts.");
    EXPECT_EQ(output.da1, -2.5);
}

TEST_F(AdBoardTestLogicTest, TrackingFollowsTheReadingAtItsPosition) {
    CAdBoardTestLogic logic(output);
    logic.trackCh = "9";
    logic.ToggleTrack();
    EXPECT_EQ(prompt.LastText(), "Illegal A/D track channel (9), must be inside 0-7.");
    EXPECT_EQ(logic.TrackText(), "Track A/D");
    logic.trackCh = "1";
    logic.daChannel = "0";
    logic.ToggleTrack();
    EXPECT_EQ(logic.TrackText(), "Stop Track");

    logic.first = "2";
    logic.last = "3";
    ASSERT_TRUE(logic.Start());
    output.daRange = 10.0;  // the empty registers read as the bottom of the 10 V input range
    std::vector<double> volts;
    output.da0 = 99.0;
    ASSERT_TRUE(logic.Tick(volts));
    ASSERT_EQ(volts.size(), 2u);
    EXPECT_EQ(output.da0, volts[1]);  // the second reading: channel 3

    // A position past the channels read has no reading and leaves the output alone.
    logic.ToggleTrack();
    logic.trackCh = "5";
    logic.ToggleTrack();
    output.da0 = 99.0;
    ASSERT_TRUE(logic.Tick(volts));
    EXPECT_EQ(output.da0, 99.0);
    logic.ToggleTrack();
    EXPECT_FALSE(logic.Tracking());
}

TEST_F(AdBoardTestLogicTest, ATickNeverReadsInsideAnotherOperation) {
    // A grid scan keeps running behind the modal test dialog, and its timer fires inside the
    // scan's settling waits. Tracking must not rewrite a D/A output in the middle of a point.
    CAdBoardTestLogic logic(output);
    TrackChannelZero(logic, "0");
    output.daRange = 10.0;
    output.da0 = 3.0;
    ports.log.clear();
    bool ticked = true;
    clock.SetIdleHook([&] {
        std::vector<double> volts;
        ticked = logic.Tick(volts);
    });
    clock.WaitTicks(100);  // the scan's wait
    clock.SetIdleHook(nullptr);
    EXPECT_FALSE(ticked);
    EXPECT_TRUE(ports.log.empty());
    EXPECT_EQ(output.da0, 3.0);
    std::vector<double> volts;
    {
        CStationBusy::CScope acquisition;
        EXPECT_FALSE(logic.Tick(volts));
    }
    EXPECT_TRUE(ports.log.empty());
    EXPECT_TRUE(logic.Tick(volts));  // free again
}

TEST_F(AdBoardTestLogicTest, NoReadingRunsUnderTheDialogsOwnMessages) {
    // A message box runs its own event loop, in which the 200 ms timer keeps firing.
    CAdBoardTestLogic logic(output);
    TrackChannelZero(logic, "0");
    struct CTickingPrompt : CPrompt {
        std::function<void()> during;
        EPromptAnswer Show(const std::string&, const std::string&, EPromptButtons,
                           EPromptIcon) override {
            during();
            return EPromptAnswer::Ok;
        }
    } box;
    int readings = 0;
    box.during = [&] {
        std::vector<double> volts;
        readings += logic.Tick(volts) ? 1 : 0;
    };
    CScopedServices services(nullptr, &box);
    logic.daVolts = "1.5";
    logic.Send();  // "D/A Channel 0 set to 1.500 volts."
    logic.first = "5";
    logic.last = "4";
    logic.Start();  // "Illegal A/D channel range (5-4), ..."
    EXPECT_EQ(readings, 0);
    box.during();  // no box open: the tick reads
    EXPECT_EQ(readings, 1);
}

TEST_F(AdBoardTestLogicTest, TrackingBeyondTheOutputRangeSaturatesAndFailuresAreSaidOnce) {
    CAdBoardTestLogic logic(output);
    TrackChannelZero(logic, "1");
    // The empty registers read as the bottom of the 10 V input, beyond the 5 V output.
    std::vector<double> volts;
    ASSERT_TRUE(logic.Tick(volts));
    EXPECT_LT(volts[0], -9.9);
    EXPECT_EQ(output.da1, -5.0);
    EXPECT_TRUE(prompt.shown.empty());

    // A board that cannot be read: one message however many ticks, with the reads coming
    // back it may be said again.
    output.type = kAdNone;
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(logic.Tick(volts));
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.LastText(),
              "Reading A/D channels 0 to 0 failed on the A/D board \"No A/D "
              "Board\".");
    EXPECT_EQ(prompt.shown[0].caption, "A/D Board Test");
    output.type = kAdDas08Aom;
    EXPECT_TRUE(logic.Tick(volts));
    output.type = kAdNone;
    EXPECT_FALSE(logic.Tick(volts));
    EXPECT_EQ(prompt.shown.size(), 2u);
}

TEST_F(AdBoardTestLogicTest, ABoardWithoutDAOffersNothingToSendOrTrack) {
    CAdBoard random;
    random.type = kAdRandom;
    CAdBoardTestLogic logic(random);
    EXPECT_FALSE(logic.DaAvailable());
    logic.daChannel = "0";
    logic.daVolts = "1";
    logic.Send();
    logic.ToggleTrack();
    EXPECT_FALSE(logic.Tracking());
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_TRUE(CAdBoardTestLogic(output).DaAvailable());
    EXPECT_EQ(random.SetDAFailureText(1, 2.0),
              "Error setting D/A Channel 1 to 2.000 volts.\nThe Random Number Generator has no "
              "D/A outputs.");
    EXPECT_EQ(output.SetDAFailureText(0, -1.0), "Error setting D/A Channel 0 to -1.000 volts.");
}

TEST_F(AdBoardTestLogicTest, SettingsLineIsKept) {
    profile.WriteProfileString(kMainframeSection, "ADTest",
                               "first=1  last=3  scale=5.000000 to -5.000000 over 20.000000 sec  "
                               "daChan=1  daVolts=0.500000  track=2");
    CAdBoardTestLogic logic(input);
    EXPECT_EQ(logic.first, "1");
    EXPECT_EQ(logic.span, "20");
    EXPECT_EQ(logic.trackCh, "2");
    logic.last = "4";
    logic.daVolts = "not a number";  // kept as it was
    logic.Save();
    EXPECT_EQ(profile.GetProfileString(kMainframeSection, "ADTest"),
              "first=1  last=4  scale=5.000000 to -5.000000 over 20.000000 sec  daChan=1  "
              "daVolts=0.500000  track=2");
}
