// The smaller pieces of the application shell: the Technique menu's title and probe names,
// "Open Observations With ..." and the message that hands a document to a running program.

#include <gtest/gtest.h>

#include "app/HandOver.h"
#include "support/TestEnv.h"
#include "tech/Station.h"

namespace {
class ShellSettingsTest : public CVelmTest {};
}  // namespace

TEST_F(ShellSettingsTest, TechniqueMenuIsTitledAfterTheTechniqueAndProbe) {
    EXPECT_EQ(TechniqueMenuTitle(kTechniqueCdp, "pH"), "&Technique (CDP)");
    EXPECT_EQ(TechniqueMenuTitle(kTechniqueGradient, ""), "&Technique (ISP/PVP)");
    EXPECT_EQ(TechniqueMenuTitle(kTechniqueGradient, "pH"), "&Technique (pH)");
    EXPECT_EQ(TechniqueMenuTitle(kTechniqueRawAD, ""), "&Technique (RawA/D)");
    EXPECT_EQ(TechniqueMenuTitle(kTechniqueInterestPoint, ""), "&Technique (Interest Point)");
    EXPECT_EQ(TechniqueMenuTitle(0, ""), "&Technique");
}

TEST(HandOver, OnlyAPlainAbsolutePathIsTaken) {
    std::string path;
    ASSERT_TRUE(ParseHandOverMessage(HandOverMessage("/home/u/day 1.vpo"), path));
    EXPECT_EQ(path, "/home/u/day 1.vpo");
    ASSERT_TRUE(ParseHandOverMessage("/data/caf\xC3\xA9.scn\n", path));
    for (std::string bad :
         {std::string(""), std::string("\n"), std::string("/a.vpo"), std::string("rel/a.vpo\n"),
          std::string("/a.vpo\n/b.vpo\n"), std::string("/a\x1b[2J.vpo\n"),
          std::string("/a\0b.vpo\n", 9), "/" + std::string(kMaxHandOverPath, 'x') + "\n"}) {
        path = "unchanged";
        EXPECT_FALSE(ParseHandOverMessage(bad, path)) << bad;
        EXPECT_EQ(path, "unchanged");
    }
}
