// The etch and rinse bath mover against the recording port double and the simulated carriage,
// on the simulated clock: which buttons each sensor state allows, the port bytes of the steps
// and of an automatic etch, the time-outs, and the refusals that keep a probe tip whole.

#include <gtest/gtest.h>

#include "platform/StationBusy.h"

#include <string>
#include <vector>

#include "hw/BathMover.h"
#include "hw/MsWcmc.h"
#include "platform/PortIo.h"
#include "settings/FileNumbering.h"
#include "support/TestEnv.h"

namespace {

using PortWrites = std::vector<std::pair<uint16_t, uint16_t>>;
constexpr uint16_t kPort = 0x378;

// A carriage on the recording port double: each command pulse sets the input byte that the
// test says the carriage shows after it (unset: the carriage does not move).
class CCarriagePorts : public CScriptedPortIo {
  public:
    void Out8(uint16_t port, uint8_t value) override {
        CScriptedPortIo::Out8(port, value);
        if (auto it = after.find(value); it != after.end()) levels[port] = it->second;
    }
    std::map<uint8_t, uint16_t> after;
};

class CRecordingBathView : public CBathMoverView {
  public:
    void ShowHint(const std::string& text) override { hints.push_back(text); }
    void RunPollTimer(bool on) override { timer = on; }
    void ShowBusy(bool on) override { busyChanges += on ? 1 : 0; }
    std::vector<std::string> hints;
    bool timer = false;
    int busyChanges = 0;
};

class BathMoverTest : public CVelmTest {
  protected:
    BathMoverTest() : scopedPorts(&ports), mover(probe, kPort) {
        probe.name.clear();  // no controller: moves only update the position
        for (double& s : probe.stepsPerMicron)
            s = 10;
        mover.SetView(&view);
    }

    void Input(uint16_t in) { ports.levels[kPort] = in; }
    // Runs the 50 ms timer until the pending raise ends or `limit` ticks have passed.
    int PollUntilDone(int limit = 1000) {
        int ticks = 0;
        while (mover.Pending() && ticks < limit) {
            clock.Advance(CBathMover::kPollMs);
            mover.Poll();
            ++ticks;
        }
        return ticks;
    }

    CCarriagePorts ports;
    CScopedPortIo scopedPorts;
    CMsWcmc probe;
    CBathMover mover;
    CRecordingBathView view;
};

TEST_F(BathMoverTest, SensorStatesAllowOnlyTheStepsThatMakeSense) {
    struct SRow {
        uint16_t in;
        uint8_t s;
        bool up, down, etch, rinse, etchGreen, rinseGreen;
    };
    const SRow rows[] = {
        {0x0F, 0x0, false, true, false, false, false, false},   // nothing active
        {0x0A, 0x5, false, true, false, false, true, false},    // raised, etch cup
        {0x06, 0x9, false, true, false, false, false, true},    // raised, rinse cup
        {0x09, 0x6, true, false, true, true, false, false},     // lowered, etch cup
        {0x05, 0xA, true, false, true, true, false, false},     // lowered, rinse cup
        {0x0D, 0x2, false, false, true, true, false, false},    // lowered, no cup
        {0x0C, 0x3, false, false, false, false, false, false},  // raised and lowered
        {0x03, 0xC, false, false, false, false, false, false},  // both cups
        {0xF9, 0x6, true, false, true, true, false, false},     // the high bits do not count
    };
    for (const SRow& row : rows) {
        Input(row.in);
        const SBathStatus& s = mover.ReadStatus();
        SCOPED_TRACE(row.in);
        EXPECT_TRUE(s.known);
        EXPECT_EQ(s.bits, row.s);
        EXPECT_EQ(mover.CanStep(EBathStep::Up), row.up);
        EXPECT_EQ(mover.CanStep(EBathStep::Down), row.down);
        EXPECT_EQ(mover.CanStep(EBathStep::Etch), row.etch);
        EXPECT_EQ(mover.CanStep(EBathStep::Rinse), row.rinse);
        EXPECT_EQ(s.InEtchBath(), row.etchGreen);
        EXPECT_EQ(s.InRinseBath(), row.rinseGreen);
        EXPECT_EQ(mover.CanAuto(EBath::Etch), !s.Contradictory());
    }
    // A step the sensors do not allow only refreshes.
    Input(0x0C);
    EXPECT_FALSE(mover.Step(EBathStep::Etch));
    EXPECT_TRUE(ports.Writes().empty());
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(BathMoverTest, SingleStepsPulseTheirBitAndWaitForTheirSensor) {
    Input(0x05);  // lowered, rinse cup
    ports.after = {{0x10, 0x06}};
    const uint64_t start = clock.Ticks();
    EXPECT_TRUE(mover.Step(EBathStep::Up));
    EXPECT_EQ(ports.Writes(), (PortWrites{{kPort, 0x10}, {kPort, 0x00}}));
    EXPECT_EQ(clock.Ticks(), start);  // arrived at the first look
    EXPECT_EQ(view.busyChanges, 1);

    // A carriage that never arrives: the time-out after 15 s of clock time.
    ports.log.clear();
    ports.after.clear();
    EXPECT_FALSE(mover.Step(EBathStep::Down));
    EXPECT_EQ(ports.Writes(), (PortWrites{{kPort, 0x20}, {kPort, 0x00}}));
    EXPECT_EQ(clock.Ticks() - start, 15000u);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "Move Down 15.0 second timeout.");
    EXPECT_EQ(prompt.shown[0].caption, "Etch Rinse Control");
    EXPECT_EQ(prompt.shown[0].icon, EPromptIcon::Exclamation);

    mover.timeout = 2.5;
    Input(0x0D);
    EXPECT_FALSE(mover.Step(EBathStep::Rinse));
    EXPECT_EQ(prompt.LastText(), "Move to Rinse 2.5 second timeout.");
}

TEST_F(BathMoverTest, AutomaticEtchSwingsTheCupMovesTheProbeThenRaises) {
    mover.etchPosition = CDVector4(1000, 2000, -500, 0);
    Input(0x05);  // lowered, rinse cup
    ports.after = {{0x40, 0x09}};
    ASSERT_TRUE(mover.Auto(EBath::Etch));
    EXPECT_EQ(ports.Writes(),
              (PortWrites{{kPort, 0x40}, {kPort, 0x00}, {kPort, 0x10}, {kPort, 0x00}}));
    EXPECT_EQ(probe.Position(), mover.etchPosition);
    EXPECT_EQ(view.hints, std::vector<std::string>{"Going to etch bath."});
    EXPECT_TRUE(mover.Pending());
    EXPECT_TRUE(view.timer);
    // While the raise is pending only Down (which ends it) is offered.
    EXPECT_FALSE(mover.CanStep(EBathStep::Etch));
    EXPECT_FALSE(mover.CanAuto(EBath::Rinse));

    clock.Advance(400);
    Input(0x0A);  // raised with the etch cup
    EXPECT_EQ(PollUntilDone(), 1);
    EXPECT_FALSE(view.timer);
    EXPECT_EQ(view.hints.back(), "Arrived in etch bath.");
    EXPECT_TRUE(prompt.shown.empty());

    // Already there: nothing is written.
    ports.log.clear();
    EXPECT_TRUE(mover.Auto(EBath::Etch));
    EXPECT_TRUE(ports.Writes().empty());
    EXPECT_FALSE(mover.Pending());
}

TEST_F(BathMoverTest, APendingRaiseTimesOutOnTheClockAtTheTimeout) {
    mover.rinsePosition = CDVector4(5, 6, 7, 8);
    Input(0x09);  // lowered, etch cup; the carriage then never raises
    ports.after = {{0x80, 0x05}};
    ASSERT_TRUE(mover.Auto(EBath::Rinse));
    EXPECT_EQ(ports.Writes(),
              (PortWrites{{kPort, 0x80}, {kPort, 0x00}, {kPort, 0x10}, {kPort, 0x00}}));
    EXPECT_EQ(PollUntilDone(299), 299);
    EXPECT_TRUE(mover.Pending());
    EXPECT_EQ(PollUntilDone(), 1);  // tick 300: exactly 15.0 s
    EXPECT_EQ(prompt.LastText(), "Auto rinse up 15.0 second timeout.");
    EXPECT_EQ(prompt.shown.back().caption, "Etch Rinse Control");

    // Ticks that come late (a busy station) do not stretch the time-out.
    ports.after[0x80] = 0x05;
    Input(0x09);
    ASSERT_TRUE(mover.Auto(EBath::Rinse));
    clock.Advance(15000);
    mover.Poll();
    EXPECT_FALSE(mover.Pending());
}

TEST_F(BathMoverTest, AnAutomaticSequenceEndsAtTheFirstStepThatDoesNotArrive) {
    mover.etchPosition = CDVector4(100, 0, 0, 0);
    Input(0x06);  // raised with the rinse cup; lowering fails
    EXPECT_FALSE(mover.Auto(EBath::Etch));
    EXPECT_EQ(ports.Writes(), (PortWrites{{kPort, 0x20}, {kPort, 0x00}}));
    EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"Move Down 15.0 second timeout."});
    EXPECT_EQ(probe.Position(), CDVector4());  // the probe stays where it was
    EXPECT_FALSE(mover.Pending());

    // The cup does not come: no probe move, no raise.
    ports.log.clear();
    Input(0x05);
    EXPECT_FALSE(mover.Auto(EBath::Etch));
    EXPECT_EQ(ports.Writes(), (PortWrites{{kPort, 0x40}, {kPort, 0x00}}));
    EXPECT_EQ(prompt.LastText(), "Move to Etch 15.0 second timeout.");
    EXPECT_EQ(probe.Position(), CDVector4());
}

TEST_F(BathMoverTest, SensorsThatContradictEachOtherStopEverything) {
    Input(0x0C);  // raised and lowered at once
    EXPECT_FALSE(mover.Auto(EBath::Rinse));
    EXPECT_TRUE(ports.Writes().empty());
    EXPECT_EQ(prompt.LastText(),
              "Etch-rinse sensors disagree (raised and lowered, or both cups in place): check the "
              "carriage.");
    // Half way through: the lowering arrives, then the cup sensors disagree.
    Input(0x06);
    ports.after = {{0x20, 0x01}};  // lowered, and both cups in place
    EXPECT_FALSE(mover.Auto(EBath::Etch));
    EXPECT_EQ(ports.Writes(), (PortWrites{{kPort, 0x20}, {kPort, 0x00}}));
    EXPECT_EQ(probe.Position(), CDVector4());
}

TEST_F(BathMoverTest, PortAddressesBelow100AreRefusedAndZeroIsTheSimulatedCarriage) {
    mover.port = 1;  // an NI board's port number, not an address
    mover.ResetPort();
    EXPECT_FALSE(mover.ReadStatus().known);
    EXPECT_FALSE(mover.Step(EBathStep::Down));
    EXPECT_TRUE(ports.acquired.empty());
    EXPECT_TRUE(ports.log.empty());
    EXPECT_EQ(prompt.LastText(),
              "The etch/rinse control port 1 is not an I/O port address; choose one in "
              "Etch-Rinse Setup.");

    // Refused access is kept as the reason, not asked again at every refresh.
    mover.port = 0x300;
    mover.ResetPort();
    ports.refuse = "no privilege";
    EXPECT_FALSE(mover.ReadStatus().known);
    EXPECT_FALSE(mover.ReadStatus().known);
    EXPECT_EQ(mover.PortProblem(),
              "The etch/rinse control cannot reach its carriage.\nno privilege");

    mover.port = CBathMover::kSimulatedPort;
    mover.ResetPort();
    EXPECT_EQ(mover.ReadStatus().bits, kBathLowered | kBathRinseCup);
    EXPECT_TRUE(ports.log.empty());
}

TEST_F(BathMoverTest, TheSimulatedCarriageFollowsItsCommandsWithRealisticDelays) {
    mover.port = CBathMover::kSimulatedPort;
    mover.ResetPort();
    mover.etchPosition = CDVector4(10, 20, 30, 0);
    const uint64_t start = clock.Ticks();
    ASSERT_TRUE(mover.Auto(EBath::Etch));  // lowered at the rinse cup: swing, move, raise
    EXPECT_EQ(clock.Ticks() - start, CSimulatedCarriage::kCupMs);
    EXPECT_EQ(probe.Position(), mover.etchPosition);
    EXPECT_EQ(mover.Status().bits, kBathEtchCup);  // on its way up: neither lamp
    EXPECT_EQ(PollUntilDone(), 20);                // one second of 50 ms ticks
    EXPECT_TRUE(mover.ReadStatus().InEtchBath());

    // To the rinse bath: down, swing, up.
    ASSERT_TRUE(mover.Auto(EBath::Rinse));
    PollUntilDone();
    EXPECT_TRUE(mover.ReadStatus().InRinseBath());
    EXPECT_EQ(view.hints.back(), "Arrived in rinse bath.");
    EXPECT_TRUE(prompt.shown.empty());

    // Raised, the carriage does not swing its cups, and Down ends a pending raise.
    CSimulatedCarriage carriage;
    carriage.Write(kBathRaise);
    clock.Advance(CSimulatedCarriage::kLiftMs);
    carriage.Write(kBathToEtch);
    clock.Advance(CSimulatedCarriage::kCupMs);
    EXPECT_EQ(carriage.Sensors(), kBathRaised | kBathRinseCup);
    ASSERT_TRUE(mover.Step(EBathStep::Down));
    ASSERT_TRUE(mover.Auto(EBath::Etch));
    ASSERT_TRUE(mover.Pending());
    EXPECT_TRUE(mover.CanStep(EBathStep::Down));
    EXPECT_TRUE(mover.Step(EBathStep::Down));
    EXPECT_FALSE(mover.Pending());
    EXPECT_TRUE(mover.ReadStatus().Lowered());
}

TEST_F(BathMoverTest, TimerTicksInsideAnotherAcquisitionAreSkipped) {
    Input(0x09);
    ports.after = {{0x80, 0x05}};
    ASSERT_TRUE(mover.Auto(EBath::Rinse));
    {
        CStationBusy::CScope anotherAcquisition;
        const size_t reads = ports.ReadCount(kPort);
        clock.Advance(20000);
        mover.Poll();
        EXPECT_EQ(ports.ReadCount(kPort), reads);
        EXPECT_TRUE(mover.Pending());
    }
    mover.Poll();
    EXPECT_FALSE(mover.Pending());
}

TEST_F(BathMoverTest, SettingsLinesAndTheirGuards) {
    mover.rinsePosition = CDVector4(1000, 2000, -500, 0);
    mover.SaveSettings();
    EXPECT_EQ(profile.GetProfileString(kMainframeSection, "Etch-Rinse Control"),
              "Port: 378  Timeout: 15.000000  Status: 2.500000");
    EXPECT_EQ(profile.GetProfileString(kMainframeSection, "Rinse Position"),
              "Rinse: 1000.000000 2000.000000 -500.000000 0.000000");
    EXPECT_EQ(CBathMover::PositionText(mover.rinsePosition), "(1000.0,2000.0, -500.0,0.0)");
    EXPECT_EQ(mover.StatusPeriodMs(), 2500);

    for (const char* stored : {"0.000000", "61.000000", "nan"}) {
        profile.WriteProfileString(
            kMainframeSection, "Etch-Rinse Control",
            std::string("Port: 2F8  Timeout: ") + stored + "  Status: " + stored);
        CBathMover loaded(probe, kPort);
        loaded.LoadSettings();
        EXPECT_EQ(loaded.port, 0x2F8);
        EXPECT_EQ(loaded.timeout, 15.0) << stored;
        EXPECT_EQ(loaded.statusPeriod, 2.5) << stored;
        EXPECT_EQ(loaded.rinsePosition, mover.rinsePosition);
    }
    EXPECT_TRUE(prompt.shown.empty());

    // A damaged line is named once; what it could not give keeps the defaults.
    profile.WriteProfileString(kMainframeSection, "Etch Position", "Etch: 1 2 x 4");
    CBathMover damaged(probe, kPort);
    damaged.LoadSettings();
    EXPECT_EQ(damaged.etchPosition, CDVector4(1, 2, 0, 0));
    EXPECT_NE(prompt.LastText().find("Etch Position=Etch: 1 2 x 4"), std::string::npos);
}

TEST_F(BathMoverTest, SetupChecksItsEntriesSavesAndOpensTheNewPort) {
    CBathSetupLogic logic(mover);
    std::string error;
    EXPECT_EQ(logic.portText, "378");
    EXPECT_EQ(logic.timeoutText, "15");
    for (const char* bad : {"FF", "1", "10000", "3G8"}) {
        logic.portText = bad;
        EXPECT_FALSE(logic.Accept(error)) << bad;
    }
    EXPECT_EQ(error,
              "Control I/O port: enter 0 for the simulated carriage or an I/O address from 100 "
              "to FFFF (hexadecimal).");
    logic.portText = "0";
    logic.timeoutText = "61";
    EXPECT_FALSE(logic.Accept(error));
    logic.timeoutText = "20";
    logic.statusText = "0.5";
    EXPECT_FALSE(logic.Accept(error));
    logic.statusText = "1";
    logic.etchText[2] = "-5,5";
    EXPECT_FALSE(logic.Accept(error));
    logic.etchText[2] = "-55";
    ASSERT_TRUE(logic.Accept(error));
    Input(0x0F);
    mover.ReadStatus();
    logic.Apply(mover);
    EXPECT_EQ(mover.port, 0);
    EXPECT_EQ(mover.StatusPeriodMs(), 1000);
    EXPECT_EQ(profile.GetProfileString(kMainframeSection, "Etch-Rinse Control"),
              "Port: 0  Timeout: 20.000000  Status: 1.000000");
    EXPECT_EQ(profile.GetProfileString(kMainframeSection, "Etch Position"),
              "Etch: 0.000000 0.000000 -55.000000 0.000000");
    EXPECT_TRUE(mover.ReadStatus().Lowered());  // now the simulated carriage

    // "Get" takes the probe's position when there is a probe system.
    EXPECT_FALSE(mover.CanGet());
    probe.name = "Default";
    probe.SetPosition(1, 2, 3, 4);
    mover.GetPosition(EBath::Rinse);
    EXPECT_EQ(profile.GetProfileString(kMainframeSection, "Rinse Position"),
              "Rinse: 1.000000 2.000000 3.000000 4.000000");
}

}  // namespace
