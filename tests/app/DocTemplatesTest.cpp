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
    // Acquired sequences are saved as .vsq: the sequence type opens them and offers them.
    EXPECT_EQ(FindTemplateForPath("/data/V0314007/v0314007.vsq")->type, EDocType::ImageSequence);
    EXPECT_EQ(FindTemplateForPath("OLD.ISQ")->type, EDocType::ImageSequence);
    EXPECT_EQ(OpenFilter(t[4]), "Image Sequence (*.isq *.vsq)");
    EXPECT_EQ(OpenFilter(t[0]), "VELM Data Document (*.vpo)");
}
