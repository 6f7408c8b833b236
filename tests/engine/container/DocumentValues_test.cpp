#include "engine/container/DocumentValues.h"

#include <gtest/gtest.h>

TEST(ColorText, WritesRedGreenBlueInUpperCaseHex)
{
    EXPECT_EQ(ColorToText(0x000000FF), "#FF0000");
    EXPECT_EQ(ColorToText(0x00102030), "#302010");
    EXPECT_EQ(ColorToText(0x80000005), "#050000") << "the highest byte is ignored";
}

TEST(ColorText, ReadsBackWithRedLowest)
{
    EXPECT_EQ(TextToColor("#FF0000"), 0x0000FFu);
    EXPECT_EQ(TextToColor("#0000FF"), 0xFF0000u);
    EXPECT_EQ(TextToColor("#302010"), 0x102030u);
    for (TColor colour : {0x000000u, 0xFFFFFFu, 0x123456u, 0xABCDEFu})
        EXPECT_EQ(TextToColor(ColorToText(colour)), colour);
}

TEST(ColorText, MalformedTextGivesBlack)
{
    EXPECT_EQ(TextToColor("#FF00"), 0u);
    EXPECT_EQ(TextToColor("#GG0000"), 0u);
    EXPECT_EQ(TextToColor(""), 0u);
    EXPECT_EQ(TextToColor("1234567"), 1234567u) << "7 characters without # convert unchanged";
}

TEST(IntegerText, FollowsThePlatformConversion)
{
    EXPECT_EQ(TextToInt("42"), 42);
    EXPECT_EQ(TextToInt("-7"), -7);
    EXPECT_EQ(TextToInt("+7"), 7);
    EXPECT_EQ(TextToInt("  15"), 15);
    EXPECT_EQ(TextToInt("$FF"), 255);
    EXPECT_EQ(TextToInt("$ffffffff"), -1);
    EXPECT_EQ(TextToInt("2147483647"), 2147483647);
    EXPECT_EQ(TextToInt("-2147483648"), -2147483647 - 1);
    for (const char *bad :
         {"", " ", "-", "abc", "12 ", "1.5", "$", "$123456789", "2147483648", "0x10"})
        EXPECT_FALSE(TextToInt(bad).has_value()) << bad;
    EXPECT_EQ(TextToIntDef("x", 12), 12);
    EXPECT_EQ(IntToText(-15), "-15");
}

TEST(TrimBlanksAndControls, CutsBothEndsOnly)
{
    EXPECT_EQ(TrimBlanksAndControls("  \t My  puzzle\r\n\x01"), "My  puzzle");
    EXPECT_EQ(TrimBlanksAndControls(" \x02 "), "");
    EXPECT_EQ(TrimBlanksAndControls("\xC3\xA9t\xC3\xA9"), "\xC3\xA9t\xC3\xA9");
}
