// The Simulated Station as a board on a bench: readings that follow the stages' real travel,
// the board's own behaviour (windows, clamping, D/A, digital outputs, noise), the hands, and
// its section of velm.ini.

#include "hw/sim/SimStationBoard.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "hw/AdBoard.h"
#include "hw/MsWcmc.h"
#include "hw/motion/MotionDialogs.h"
#include "hw/sim/SimStationSettings.h"
#include "hw/sim/VirtualBench.h"
#include "support/TestEnv.h"

namespace {

class SimStationBoard : public CVelmTest {
  protected:
    SimStationBoard() : scopedDialogs(&dialogs) {
        profile.WriteProfileString(CAdBoard::kSection, "Line 0", "Simulated Station");
        for (CMsWcmc* stage : {&probe, &sample, &tip})
            for (double& s : stage->stepsPerMicron)
                s = 10.0;  // every distance used here is a whole number of steps
    }

    // A board made as start-up makes it, on the three stages.
    std::unique_ptr<CAdBoard> MakeBoard() {
        auto board = std::make_unique<CAdBoard>();
        board->SetBenchStages({&probe, &sample, &tip});
        return board;
    }

    static std::array<double, 4> Cdp(CAdBoard& board) {
        std::array<double, 4> v{};
        EXPECT_TRUE(board.ReadChannels(0.5, 0, 3, v.data()));
        return v;
    }

    static double XSignal(const std::array<double, 4>& v) {
        return std::hypot(v[0] - 0.004, v[1] + 0.003);
    }

    CScriptedMotionDialogs dialogs;
    CScopedMotionDialogs scopedDialogs;
    CMsWcmc probe, sample, tip;
};

}  // namespace

TEST_F(SimStationBoard, IsTheTwentiethBoardTypeAndTheOthersKeepTheirIdsAndNames) {
    EXPECT_EQ(CAdBoard::TypeFromName("Simulated Station"), kAdSimStation);
    EXPECT_EQ(kAdSimStation, 19);
    EXPECT_EQ(CAdBoard::kSetupListOrder[CAdBoard::kTypeCount - 1], kAdSimStation);
    EXPECT_STREQ(CAdBoard::kSettingsNames[kAdRandom], "Random Number Generator");
    EXPECT_STREQ(CAdBoard::kSettingsNames[kAdNiMSeries], "National Instruments PCI-6221");

    auto board = MakeBoard();
    EXPECT_EQ(board->type, kAdSimStation);
    EXPECT_TRUE(board->HasDA());
    EXPECT_NE(board->Hands(), nullptr);
    board->SaveSettings();
    EXPECT_EQ(profile.GetProfileString(CAdBoard::kSection, "Line 0"), "Simulated Station");
    // Real boards have no hands.
    board->type = kAdRandom;
    EXPECT_EQ(board->Hands(), nullptr);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(SimStationBoard, ReadingsFollowThePhysicalTravelOfTheStages) {
    auto board = MakeBoard();
    board->Hands()->SetSourceCurrent(true);
    ASSERT_EQ(probe.MoveAbsolute(CDVector4(0, 150, 0, 0), kSpeedModeLinear), CMsWcmc::kMoveDone);
    const auto at150 = Cdp(*board);
    EXPECT_NEAR(XSignal(at150), 0.2122, 1e-4);

    // Re-declaring the probe's Z (as Find Z Plane does) moves nothing: the same bits.
    probe.SetPosition(0, 150, -400, 0);
    EXPECT_EQ(Cdp(*board), at150);
    sample.SetPosition(1000, 1000, 1000, 0);
    EXPECT_EQ(Cdp(*board), at150);

    // "Move and Reset Z Coordinate to Minimum" moves as asked and only re-declares Z.
    probe.zMinimumOn = 1;
    probe.zMinimum = -450;
    dialogs.moveAnswers = {EZMinimumMoveAnswer::MoveAndResetZ};
    ASSERT_EQ(probe.MoveRelative(CDVector4(0, 150, -100, 0), kSpeedModeLinear), CMsWcmc::kMoveDone);
    EXPECT_EQ(probe.Position().z, -450.0);
    EXPECT_EQ(PhysicalPosition(probe), CDVector4(0, 300, -100, 0));
    probe.zMinimumOn = 0;
    ASSERT_EQ(probe.MoveRelative(CDVector4(0, 0, 100, 0), kSpeedModeLinear), CMsWcmc::kMoveDone);
    EXPECT_NEAR(XSignal(at150) / XSignal(Cdp(*board)), 4.0, 1e-12);  // twice as far

    // Moving the sample (which carries the source) really moves it.
    ASSERT_EQ(sample.MoveRelative(CDVector4(0, 150, 0, 0), kSpeedModeLinear), CMsWcmc::kMoveDone);
    EXPECT_EQ(Cdp(*board), at150);
}

TEST_F(SimStationBoard, PhysicalTravelCountsStepsWithTheStagesResolutionAndDirection) {
    probe.stepsPerMicron[0] = 20.157;
    probe.positiveMotion[1] = 1;
    ASSERT_EQ(probe.MoveRelative(CDVector4(150, -20, 0, 0), kSpeedModeTrack), CMsWcmc::kMoveDone);
    // Whole steps only, as the stage remembers them.
    EXPECT_EQ(PhysicalPosition(probe).x, std::trunc(150 * 20.157) / 20.157);
    EXPECT_EQ(PhysicalPosition(probe).x, probe.Position().x);
    EXPECT_EQ(PhysicalPosition(probe).y, -20.0);
    probe.SetPosition(0, 0, 0, 0);
    EXPECT_EQ(PhysicalPosition(probe).y, -20.0);
    // A stage without a board commands no steps.
    tip.name.clear();
    ASSERT_EQ(tip.MoveRelative(CDVector4(10, 0, 0, 0), kSpeedModeLinear), CMsWcmc::kMoveDone);
    EXPECT_EQ(PhysicalPosition(tip), CDVector4());
}

TEST_F(SimStationBoard, ConsumesWindowsOnTheClockAndReadsExactlyWithoutNoise) {
    auto board = MakeBoard();
    double a[8], b[8];
    const uint64_t start = clock.Ticks();
    ASSERT_TRUE(board->ReadChannels(0.5, 0, 7, a));
    EXPECT_EQ(clock.Ticks(), start + 500);
    ASSERT_TRUE(board->ReadChannels(0.0205, 0, 7, b));
    EXPECT_EQ(clock.Ticks(), start + 520);
    EXPECT_EQ(std::memcmp(a, b, sizeof a), 0);
    EXPECT_EQ(a[5], 0.59);
    // A window shorter than a tick reads nothing.
    EXPECT_FALSE(board->ReadChannels(0.0009, 0, 0, a));

    // A burst lasts its scans at the pace and repeats the bench's values.
    double burst[6];
    ASSERT_TRUE(board->ReadBurst(3, 100.0, 4, 5, burst));
    EXPECT_EQ(clock.Ticks(), start + 550);
    EXPECT_EQ(burst[1], 0.59);
    EXPECT_EQ(burst[5], 0.59);
    // A pace so slow that the burst would outlast a day is refused, not waited for.
    EXPECT_FALSE(board->ReadBurst(3, 1e-300, 4, 5, burst));
    EXPECT_EQ(clock.Ticks(), start + 550);
}

TEST_F(SimStationBoard, NoiseIsSeededAndShrinksWithTheWindow) {
    SSimStationParams p;
    p.noiseVolts = 0.01;
    p.noiseSeed = 7;
    SaveSimStationParams(p);
    auto spread = [this](double window) {
        auto board = MakeBoard();
        double sum2 = 0.0;
        for (int i = 0; i < 200; ++i) {
            double v;
            EXPECT_TRUE(board->ReadChannels(window, 0, 0, &v));
            sum2 += (v - 0.004) * (v - 0.004);
        }
        return std::sqrt(sum2 / 200);
    };
    const double oneTick = spread(0.001);
    EXPECT_NEAR(oneTick, 0.01, 0.002);
    EXPECT_NEAR(spread(0.1), 0.001, 0.0003);
    EXPECT_EQ(spread(0.001), oneTick);  // the same seed, the same readings
}

TEST_F(SimStationBoard, ClampsInputsAndOutputsAndRecordsDigitalWrites) {
    auto board = MakeBoard();
    ASSERT_TRUE(board->SetDA(0, 9.0));
    EXPECT_EQ(board->da0, 5.0);
    ASSERT_TRUE(board->SetDA(1, -0.25));
    EXPECT_EQ(board->da1, -0.25);
    // D/A 0 feeds electrode 1's offset: 100 * (0.59 - 5) saturates the converter.
    double v[2];
    ASSERT_TRUE(board->ReadChannels(0.01, 4, 5, v));
    EXPECT_EQ(v[0], -10.0);
    EXPECT_EQ(v[1], 0.59);
    ASSERT_TRUE(board->SetADRange(0.5));
    ASSERT_TRUE(board->ReadChannels(0.01, 4, 5, v));
    EXPECT_EQ(v[1], 0.5);

    ASSERT_TRUE(board->WriteDigital(board->GetDigitalPort(), 0x1A5));
    ASSERT_TRUE(board->WriteDigital(0x300, 1));
    const auto& outputs = CSimStationBoardDriver::Of(*board)->DigitalOutputs();
    EXPECT_EQ(outputs.at(0x378), 0xA5);
    EXPECT_EQ(outputs.at(0x300), 1);
}

TEST_F(SimStationBoard, HandsChangeTheBenchAndAreKeptForTheNextRun) {
    auto board = MakeBoard();
    ASSERT_EQ(probe.MoveAbsolute(CDVector4(0, 150, 0, 0), kSpeedModeLinear), CMsWcmc::kMoveDone);
    CBenchHands* hands = board->Hands();
    EXPECT_FALSE(hands->SourceCurrent());
    EXPECT_EQ(XSignal(Cdp(*board)), 0.0);
    hands->SetSourceCurrent(true);
    EXPECT_GT(XSignal(Cdp(*board)), 0.2);
    EXPECT_EQ(profile.GetProfileString(kSimStationSection, "Line 0"),
              "source: x=0.000000  y=0.000000  z=0.000000  nA=60.000000  on=1");

    EXPECT_TRUE(hands->PlaceInSolution(1));
    EXPECT_FALSE(hands->PlaceInSolution(4));
    EXPECT_FALSE(hands->PlaceInSolution(-1));
    EXPECT_EQ(hands->Solution(), 1);
    double lo;
    ASSERT_TRUE(board->ReadChannels(0.01, 5, 5, &lo));
    EXPECT_DOUBLE_EQ(lo, 10.0 * (59.0 + 59.0 * std::log10(0.1)) / 1000.0);
    EXPECT_EQ(profile.GetProfileString(kSimStationSection, "Line 7"),
              "solutions: c1=0.100000  c2=1.000000  c3=10.000000  beaker=1");

    // The next run starts as this one was left; a new choice of board in the setup too.
    auto next = MakeBoard();
    EXPECT_TRUE(next->Hands()->SourceCurrent());
    EXPECT_EQ(next->Hands()->Solution(), 1);
    next->type = kAdRandom;
    next->type = kAdSimStation;
    EXPECT_TRUE(next->Hands()->SourceCurrent());
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(SimStationBoard, SettingsLinesReadBackAndUnusableLinesAreNamedInOneMessage) {
    SSimStationParams p;
    p.xPsd.plane = kSimPlaneYZ;
    p.xPsd.angleDegrees = -12.5;
    p.field = kSimFieldPoint;
    p.electrodes[1].kind = kSimElectrodePolarographic;
    p.noiseSeed = 4000000000u;
    ASSERT_TRUE(SaveSimStationParams(p));
    EXPECT_EQ(profile.GetProfileString(kSimStationSection, "Line 2"),
              "X PSD: axis=Y  plane=YZ  angle=-12.500000  phase=30.000000  offsets=0.004000 "
              "-0.003000");
    EXPECT_EQ(profile.GetProfileString(kSimStationSection, "Line 6"),
              "electrode 2: polar  e0=59.000000  slope=59.000000  i0=5.000000  kp=5.000000  "
              "plateau=-0.900000 -0.500000  gains=10.000000 100.000000  hi=6  lo=7  da=1");
    SSimStationParams back;
    std::string problems;
    LoadSimStationParams(back, &problems);
    EXPECT_EQ(problems, "");
    EXPECT_EQ(back.xPsd.plane, kSimPlaneYZ);
    EXPECT_EQ(back.xPsd.angleDegrees, -12.5);
    EXPECT_EQ(back.yPsd.axis, kSimAxisZ);
    EXPECT_EQ(back.field, kSimFieldPoint);
    EXPECT_EQ(back.electrodes[1].kind, kSimElectrodePolarographic);
    EXPECT_EQ(back.noiseSeed, 4000000000u);

    // Damaged lines: each keeps the defaults as a whole, the others are taken, one message.
    profile.WriteProfileString(kSimStationSection, "Line 1",
                               "medium: rho=250  SG=nan  span=20  fchan=0");
    profile.WriteProfileString(kSimStationSection, "Line 3",
                               "Y PSD: axis=W  plane=XY  angle=0  phase=60  offsets=0 0");
    profile.WriteProfileString(kSimStationSection, "Line 5",
                               "electrode 1: nernst  e0=1  slope=2  i0=3  kp=4  plateau=0 1  "
                               "gains=0 100  hi=4  lo=5  da=0");
    profile.WriteProfileString(kSimStationSection, "Line 7",
                               "solutions: c1=1  c2=2  c3=3  beaker=7");
    profile.WriteProfileString(kSimStationSection, "Line 0", "source: x=1  y=2  z=3  nA=40  on=1");
    auto board = MakeBoard();
    ASSERT_EQ(prompt.shown.size(), 1u);
    const std::string& text = prompt.shown.front().text;
    EXPECT_EQ(text,
              "These lines of the simulated station in velm.ini could not be used:\n"
              "  [Simulated Station] Line 1=medium: rho=250  SG=nan  span=20  fchan=0\n"
              "  [Simulated Station] Line 3=Y PSD: axis=W  plane=XY  angle=0  phase=60  "
              "offsets=0 0\n"
              "  [Simulated Station] Line 5=electrode 1: nernst  e0=1  slope=2  i0=3  kp=4  "
              "plateau=0 1  gains=0 100  hi=4  lo=5  da=0\n"
              "  [Simulated Station] Line 7=solutions: c1=1  c2=2  c3=3  beaker=7\n\n"
              "The bench uses its defaults in their place; correct them in System > Simulated "
              "Station.");
    const SSimStationParams& used = CSimStationBoardDriver::Of(*board)->Params();
    EXPECT_EQ(used.rho, 100.0);
    EXPECT_EQ(used.yPsd.axis, kSimAxisZ);
    EXPECT_EQ(used.electrodes[0].e0, 59.0);
    EXPECT_EQ(used.beaker, 0);
    EXPECT_EQ(used.sourceNanoAmps, 40.0);  // the good line was taken
    EXPECT_TRUE(used.sourceOn);
    EXPECT_EQ(used.xPsd.plane, kSimPlaneYZ);
}
