// The "Simulated Station" dialog's logic: entries shown from the bench, refused entries that
// change nothing, and OK that the next reading sees and the next run keeps.

#include "hw/sim/SimStationLogic.h"

#include <gtest/gtest.h>

#include "hw/AdBoard.h"
#include "hw/sim/SimStationBoard.h"
#include "hw/sim/SimStationSettings.h"
#include "support/TestEnv.h"

namespace {

class SimStationLogic : public CVelmTest {
  protected:
    SimStationLogic() {
        profile.WriteProfileString(CAdBoard::kSection, "Line 0", "Simulated Station");
    }
    void Set(CSimStationLogic& logic, const char* name, const std::string& text) {
        SSimField* field = logic.Field(name);
        ASSERT_NE(field, nullptr) << name;
        field->text = text;
    }
};

}  // namespace

TEST_F(SimStationLogic, RefusedEntriesNameTheFieldAndChangeNothing) {
    CSimStationLogic logic{SSimStationParams{}};
    std::string error;
    Set(logic, "rho", "250");
    Set(logic, "sourceNanoAmps", "6O");
    EXPECT_FALSE(logic.Check(error));
    EXPECT_EQ(error,
              "Please enter a number for \"Current (nA)\" in Calibration source (on the sample) "
              "(not \"6O\").");
    EXPECT_EQ(logic.Params().rho, 100.0);

    Set(logic, "sourceNanoAmps", "60");
    Set(logic, "electrode1HiChan", "8");
    EXPECT_FALSE(logic.Check(error));
    EXPECT_EQ(
        error,
        "Please enter a whole number from 0 to 7 for \"High-gain A/D channel\" in Electrode 1 "
        "(not \"8\").");

    // Each entry a number, but a bench that cannot run.
    Set(logic, "electrode1HiChan", "4");
    Set(logic, "electrode1PreampGain", "0");
    EXPECT_FALSE(logic.Check(error));
    EXPECT_EQ(error, "The amplifier gains of electrode 1 cannot be 0.");
    EXPECT_EQ(logic.Params().rho, 100.0);
    Set(logic, "electrode1PreampGain", "10");
    Set(logic, "fieldAlongX", "0");
    EXPECT_FALSE(logic.Check(error));
    EXPECT_EQ(error, "The direction of the concentration gradient cannot be 0, 0, 0.");

    Set(logic, "fieldAlongX", "1");
    Set(logic, "field", "1");
    Set(logic, "noiseSeed", "4294967295");
    ASSERT_TRUE(logic.Check(error)) << error;
    EXPECT_EQ(logic.Params().rho, 250.0);
    EXPECT_EQ(logic.Params().field, kSimFieldPoint);
    EXPECT_EQ(logic.Params().noiseSeed, 4294967295u);
}

TEST_F(SimStationLogic, OkIsSeenByTheNextReadingAndKeptInVelmIni) {
    CAdBoard board;
    double before;
    ASSERT_TRUE(board.ReadChannels(0.01, 5, 5, &before));
    EXPECT_DOUBLE_EQ(before, 0.59);

    board.Hands()->PlaceInSolution(2);
    CSimStationLogic logic(board);
    EXPECT_EQ(logic.Field("xPsdAxis")->text, "1");
    EXPECT_EQ(logic.Field("xPsdInPhaseOffset")->text, "0.004");
    EXPECT_EQ(logic.Field("beaker")->text, "2");
    Set(logic, "beaker", "0");
    Set(logic, "electrode1E0", "100");
    Set(logic, "sourceOn", "1");
    Set(logic, "xPsdPlane", "1");
    std::string error;
    ASSERT_TRUE(logic.Check(error)) << error;
    logic.Apply(board);
    double after;
    ASSERT_TRUE(board.ReadChannels(0.01, 5, 5, &after));
    EXPECT_DOUBLE_EQ(after, 1.0);
    EXPECT_TRUE(board.Hands()->SourceCurrent());
    EXPECT_EQ(profile.GetProfileString(kSimStationSection, "Line 2").substr(0, 26),
              "X PSD: axis=Y  plane=YZ  a");

    SSimStationParams saved;
    LoadSimStationParams(saved, nullptr);
    EXPECT_EQ(saved.electrodes[0].e0, 100.0);
    EXPECT_TRUE(saved.sourceOn);

    // With another board the dialog still edits the section, for when the bench is chosen.
    board.type = kAdRandom;
    CSimStationLogic other(board);
    EXPECT_EQ(other.Field("electrode1E0")->text, "100");
    Set(other, "rho", "35");
    ASSERT_TRUE(other.Check(error));
    other.Apply(board);
    LoadSimStationParams(saved, nullptr);
    EXPECT_EQ(saved.rho, 35.0);
}
