#include <gtest/gtest.h>

#include "platform/NumberEntry.h"

TEST(NumberEntry, TheWholeEntryMustBeOneFiniteNumber) {
    EXPECT_EQ(ParseNumberEntry(" 0.5 "), 0.5);
    EXPECT_EQ(ParseNumberEntry("+3"), 3.0);
    EXPECT_EQ(ParseNumberEntry("-1e-3"), -0.001);
    for (const char* bad : {"", "  ", "0,5", "12a", "nan", "inf", "1e999", "0x10", "- 1", "++1"})
        EXPECT_FALSE(ParseNumberEntry(bad).has_value()) << bad;
}

TEST(NumberEntry, WholeNumbersWithinTheirRange) {
    EXPECT_EQ(ParseWholeEntry("10", 1, 3600), 10);
    EXPECT_EQ(ParseWholeEntry("10.0", 1, 3600), 10);
    EXPECT_FALSE(ParseWholeEntry("10.5", 1, 3600).has_value());
    EXPECT_FALSE(ParseWholeEntry("0", 1, 3600).has_value());
    EXPECT_FALSE(ParseWholeEntry("3601", 1, 3600).has_value());
    EXPECT_EQ(ParseWholeEntry("-7", -10, 10), -7);
}

TEST(NumberEntry, FormattedNumbersReadBackExactly) {
    for (double v : {0.02, 3.0, 1e-05, 20.157, -0.1 + 0.2, 123456789.125}) {
        const std::string text = FormatNumberEntry(v);
        EXPECT_EQ(ParseNumberEntry(text), v) << text;
    }
    EXPECT_EQ(FormatNumberEntry(0.02), "0.02");
    EXPECT_EQ(FormatNumberEntry(3.0), "3");
}

TEST(NumberEntry, CountsAreDigitsOnly) {
    EXPECT_EQ(ParseDigitsEntry(" 12 ", 0, 999), 12);
    for (const char* bad : {"", "-1", "+1", "1.0", "1e2", "12a", "1234567890"})
        EXPECT_FALSE(ParseDigitsEntry(bad, 0, 2000000000).has_value()) << bad;
    EXPECT_FALSE(ParseDigitsEntry("1000", 0, 999).has_value());
}
