#include <gtest/gtest.h>

#include "app/DocTemplates.h"

TEST(DocTemplates, FiveKindsInTheirOrderAndFoundByExtension) {
    const auto& t = DocTemplates();
    EXPECT_STREQ(t[0].newListName, "VELM Data Document");
    EXPECT_STREQ(t[4].filter, "Image Sequence (*.isq)");
    EXPECT_EQ(FindTemplateForPath("/data/run.scn")->type, EDocType::Scan);
    EXPECT_EQ(FindTemplateForPath("C:\\VELM\\DATA.VPO")->type, EDocType::Observation);
    EXPECT_EQ(FindTemplateForPath("frame.BMP")->type, EDocType::Image);
    EXPECT_EQ(FindTemplateForPath("notes.txt"), nullptr);
    EXPECT_EQ(FindTemplateForPath(".vpo"), nullptr);  // no name before the extension
}
