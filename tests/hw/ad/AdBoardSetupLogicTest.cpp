// What the "A/D Board Setup" dialog shows and what its OK does, without the dialog.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "AdTestSupport.h"
#include "hw/ad/AdBoardSetupLogic.h"

namespace {

class AdBoardSetup : public CAdTest {};

TEST_F(AdBoardSetup, ListsTheBoardsInTheDialogsOrder) {
    EXPECT_EQ(CAdBoardSetupLogic::TypeList(),
              (std::vector<std::string>{
                  "<None>", "National Instruments PCI-6221", "National Instruments PCI-1200",
                  "National Instruments PCI-603X", "PCI-DAS1602/16", "DAS08PGA Free Run",
                  "Metrabyte/CIO-DAS08", "Metrabyte/CIO-DAS08PGA", "CIO-DAS08AOL", "CIO-DAS08AOM",
                  "CIO-DAS08AOH", "CIO-DAS1602/16", "Data Translation 2801/5716",
                  "Data Translation 2801A", "Data Translation 2837", "LabMaster 12-bit",
                  "PCM-DAS16D/12AO", "Random Number Generator", "Sine Wave (0.1 Hz)"}));
}

TEST_F(AdBoardSetup, ShowsTheBoardWithHexadecimalAddresses) {
    CAdBoard board;
    board.type = kAdDas1602;
    board.base = 0x2A0;
    board.initPort = 0x37A;
    board.initValue = 0xC;
    board.adRange = 1.25;
    CAdBoardSetupLogic logic(board);
    EXPECT_EQ(logic.typeName, "CIO-DAS1602/16");
    EXPECT_EQ(logic.baseText, "2A0");
    EXPECT_EQ(logic.portText, "37A");
    EXPECT_EQ(logic.valueText, "C");
    EXPECT_EQ(logic.adRangeText, "1.25");
    EXPECT_EQ(logic.daRangeText, "5");
    EXPECT_EQ(logic.freqText, "1000");
    EXPECT_FALSE(logic.initOn);
}

TEST_F(AdBoardSetup, CaptionsFollowTheBoardFamily) {
    CAdBoard board;
    CAdBoardSetupLogic logic(board);
    EXPECT_EQ(logic.Title(), "A/D Board Setup");
    EXPECT_EQ(logic.BaseLabel(), "Base Address (hex):");
    logic.typeName = "National Instruments PCI-1200";
    EXPECT_EQ(logic.Title(), "A/D Board Setup - National Instruments A/D");
    EXPECT_EQ(logic.BaseLabel(), "Device ID:");
    logic.typeName = "PCM-DAS16D/12AO";
    EXPECT_EQ(logic.Title(), "A/D Board Setup - Measurement Computing A/D");
    EXPECT_EQ(logic.BaseLabel(), "Board ID:");
    logic.typeName = "CIO-DAS1602/16";  // the ISA board keeps its base address
    EXPECT_EQ(logic.BaseLabel(), "Base Address (hex):");
}

TEST_F(AdBoardSetup, RefusesEntriesThatAreNotWhatTheFieldHolds) {
    CAdBoard board;
    struct SCase {
        std::string CAdBoardSetupLogic::*field;
        const char* text;
    };
    const SCase bad[] = {
        {&CAdBoardSetupLogic::baseText, "xyz"},    {&CAdBoardSetupLogic::baseText, "300h"},
        {&CAdBoardSetupLogic::baseText, "10000"},  {&CAdBoardSetupLogic::baseText, ""},
        {&CAdBoardSetupLogic::portText, "-1"},     {&CAdBoardSetupLogic::valueText, "100"},
        {&CAdBoardSetupLogic::adRangeText, "ten"}, {&CAdBoardSetupLogic::adRangeText, "0"},
        {&CAdBoardSetupLogic::daRangeText, "-5"},  {&CAdBoardSetupLogic::daRangeText, "nan"},
        {&CAdBoardSetupLogic::freqText, "1e999"},  {&CAdBoardSetupLogic::freqText, "1000 Hz"},
    };
    for (const auto& c : bad) {
        CAdBoardSetupLogic logic(board);
        logic.*c.field = c.text;
        prompt.shown.clear();
        EXPECT_FALSE(logic.CheckEntries()) << c.text;
        EXPECT_EQ(prompt.shown.size(), 1u) << c.text;
    }
    CAdBoardSetupLogic logic(board);
    logic.typeName = "National Instruments PCI-6221";
    logic.baseText = "zz";
    logic.CheckEntries();
    EXPECT_EQ(prompt.LastText(), "\"Device ID\" must be a hexadecimal number from 0 to FFFF.");

    logic.baseText = " 0x2a0 ";
    logic.adRangeText = "2.5";
    logic.freqText = "1e4";
    prompt.shown.clear();
    EXPECT_TRUE(logic.CheckEntries());
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(AdBoardSetup, OkTakesTheEntriesProgramsTheBoardAndSavesIt) {
    CAdBoard board;
    board.da0 = 1.0;
    board.da1 = -1.0;
    CAdBoardSetupLogic logic(board);
    logic.typeName = "CIO-DAS08AOM";
    logic.baseText = "310";
    logic.initOn = true;
    logic.portText = "37a";
    logic.valueText = "FF";
    logic.adRangeText = "0.5";
    logic.daRangeText = "10";
    logic.freqText = "2000";
    ASSERT_TRUE(logic.CheckEntries());
    logic.Apply(board);
    EXPECT_EQ(board.type, kAdDas08Aom);
    EXPECT_EQ(board.base, 0x310);
    EXPECT_EQ(board.initPort, 0x37A);
    EXPECT_EQ(board.initValue, 0xFF);
    EXPECT_EQ(board.da0, 0.0);
    EXPECT_EQ(board.da1, 0.0);
    EXPECT_TRUE(prompt.shown.empty());
    // Init ran: the initialization byte and the pacer for 2000/s (divisor 31).
    auto writes = ports.Writes();
    EXPECT_NE(
        std::find(writes.begin(), writes.end(), std::make_pair(uint16_t{0x37A}, uint16_t{0xFF})),
        writes.end());
    EXPECT_NE(
        std::find(writes.begin(), writes.end(), std::make_pair(uint16_t{0x315}, uint16_t{31})),
        writes.end());
    EXPECT_EQ(profile.GetProfileString("A/D Board", "Line 0"), "CIO-DAS08AOM");
    EXPECT_EQ(profile.GetProfileString("A/D Board", "Line 1"),
              "base=310 [ a/d +/-0.50V, d/a +/-10.00V ]  da0=0.000000  da1=0.000000  "
              "freq=2000.000000");
    EXPECT_EQ(profile.GetProfileString("A/D Board", "Line 2"), "init=1 (port=37A, value=FF)");
}

TEST_F(AdBoardSetup, WarnsAboutSuspectDeviceIdsAndUnsupportedBoards) {
    CAdBoard board;
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
    EXPECT_EQ(board.type, kAdNi1200);  // the setup goes on
    EXPECT_EQ(profile.GetProfileString("A/D Board", "Line 0"), "National Instruments PCI-1200");

    prompt.shown.clear();
    logic.typeName = "PCI-DAS1602/16";
    logic.baseText = "A";
    logic.Apply(board);
    EXPECT_EQ(prompt.shown.front().text,
              "The selected Measurement Computing board is not supported by this release.");
    EXPECT_EQ(board.type, kAdPciDas1602);

    logic.typeName = "No such board";
    logic.Apply(board);
    EXPECT_EQ(board.type, kAdNone);
}

}  // namespace
