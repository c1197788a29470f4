// What the "A/D Board Setup" dialog shows and what its OK does, without the dialog.

#include <gtest/gtest.h>

#include <string>

#include "AdTestSupport.h"
#include "hw/ad/AdBoardSetupLogic.h"

namespace {

class AdBoardSetup : public CAdTest {
  protected:
    CAdBoard board;
};

TEST_F(AdBoardSetup, ShowsHexadecimalAddressesAndCaptionsOfTheBoardFamily) {
    board.type = kAdDas1602;
    board.base = 0x2A0;
    board.initValue = 0xC;
    board.adRange = 1.25;
    CAdBoardSetupLogic logic(board);
    EXPECT_EQ(logic.typeName, "CIO-DAS1602/16");
    EXPECT_EQ(logic.baseText, "2A0");
    EXPECT_EQ(logic.portText, "307");
    EXPECT_EQ(logic.valueText, "C");
    EXPECT_EQ(logic.adRangeText, "1.25");
    EXPECT_EQ(logic.Title(), "A/D Board Setup");
    EXPECT_EQ(logic.BaseLabel(), "Base Address (hex):");
    logic.typeName = "National Instruments PCI-1200";
    EXPECT_EQ(logic.Title(), "A/D Board Setup - National Instruments A/D");
    EXPECT_EQ(logic.BaseLabel(), "Device ID:");
    logic.typeName = "PCM-DAS16D/12AO";
    EXPECT_EQ(logic.Title(), "A/D Board Setup - Measurement Computing A/D");
    EXPECT_EQ(logic.BaseLabel(), "Board ID:");
}

TEST_F(AdBoardSetup, RefusesEntriesThatAreNotWhatTheFieldHolds) {
    const std::pair<std::string CAdBoardSetupLogic::*, const char*> bad[] = {
        {&CAdBoardSetupLogic::baseText, "300h"},   {&CAdBoardSetupLogic::baseText, "10000"},
        {&CAdBoardSetupLogic::baseText, ""},       {&CAdBoardSetupLogic::portText, "-1"},
        {&CAdBoardSetupLogic::valueText, "100"},   {&CAdBoardSetupLogic::adRangeText, "0"},
        {&CAdBoardSetupLogic::daRangeText, "nan"}, {&CAdBoardSetupLogic::freqText, "1e999"},
    };
    for (const auto& [field, text] : bad) {
        CAdBoardSetupLogic logic(board);
        logic.*field = text;
        prompt.shown.clear();
        EXPECT_FALSE(logic.CheckEntries()) << text;
        EXPECT_EQ(prompt.shown.size(), 1u) << text;
    }
    CAdBoardSetupLogic logic(board);
    logic.typeName = "National Instruments PCI-6221";
    logic.baseText = "zz";
    logic.CheckEntries();
    EXPECT_EQ(prompt.LastText(), "\"Device ID\" must be a hexadecimal number from 0 to FFFF.");
    logic.baseText = " 0x2a0 ";
    logic.freqText = "1e4";
    EXPECT_TRUE(logic.CheckEntries());
}

TEST_F(AdBoardSetup, OkTakesTheEntriesProgramsTheBoardAndSavesIt) {
    board.da0 = 1.0;
    CAdBoardSetupLogic logic(board);
    logic.typeName = "CIO-DAS08AOM";
    logic.baseText = "310";
    logic.initOn = true;
    logic.portText = "37a";
    logic.valueText = "FF";
    logic.adRangeText = "0.5";
    logic.freqText = "2000";
    logic.Apply(board);
    EXPECT_EQ(board.type, kAdDas08Aom);
    EXPECT_EQ(board.da0, 0.0);
    EXPECT_TRUE(prompt.shown.empty());
    // Init ran: the initialization byte came first after the pacer for 2000/s (divisor 31).
    auto writes = ports.Writes();
    ASSERT_GE(writes.size(), 8u);
    EXPECT_EQ(writes[5], (std::pair<uint16_t, uint16_t>{0x315, 31}));
    EXPECT_EQ(writes[7], (std::pair<uint16_t, uint16_t>{0x37A, 0xFF}));
    EXPECT_EQ(profile.GetProfileString("A/D Board", "Line 1"),
              "base=310 [ a/d +/-0.50V, d/a +/-5.00V ]  da0=0.000000  da1=0.000000  "
              "freq=2000.000000");
    EXPECT_EQ(profile.GetProfileString("A/D Board", "Line 2"), "init=1 (port=37A, value=FF)");
}

TEST_F(AdBoardSetup, WarnsAboutSuspectDeviceIdsAndUnsupportedBoards) {
    CAdBoardSetupLogic logic(board);
    logic.typeName = "Random Number Generator";
    logic.baseText = "300";  // a port address: no device ID, no warning
    logic.Apply(board);
    EXPECT_TRUE(prompt.shown.empty());
    logic.typeName = "National Instruments PCI-1200";
    logic.baseText = "B";
    logic.Apply(board);
    ASSERT_FALSE(prompt.shown.empty());
    EXPECT_EQ(prompt.shown.front().text,
              "Device ID 11 (decimal) is suspect,\nplease confirm that it is correct and make "
              "changes\nto the A/D Board setup if necessary.");
    EXPECT_EQ(profile.GetProfileString("A/D Board", "Line 0"), "National Instruments PCI-1200");
    prompt.shown.clear();
    logic.typeName = "PCI-DAS1602/16";
    logic.baseText = "A";
    logic.Apply(board);
    EXPECT_EQ(prompt.shown.front().text,
              "The selected Measurement Computing board is not supported by this release.");
    logic.typeName = "No such board";
    logic.Apply(board);
    EXPECT_EQ(board.type, kAdNone);
}

}  // namespace
