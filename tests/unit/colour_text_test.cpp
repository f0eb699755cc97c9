#include "ui/colour_text.h"

#include <gtest/gtest.h>

namespace {

TEST(ColourText, ReadsThreeDecimalNumbers) {
    struct Case {
        const wchar_t* text;
        int red, green, blue;
    };
    const Case cases[] = {
        {L"255,0,0", 255, 0, 0},
        {L"255, 0, 0", 255, 0, 0}, // blanks before a number
        {L"0,0,128", 0, 0, 128},
        {L"\t1,+2,\r3", 1, 2, 3},
        {L"300,0,0", 44, 0, 0}, // low 8 bits
        {L"256,257,258", 0, 1, 2},
        {L"-2,0,0", 254, 0, 0},     // only -1 is refused
        {L"0,0,-1", 0, 0, 255},     // ...and only in the first two places
        {L"12x,3.5,7 8", 12, 3, 7}, // a number ends at its first non-digit
        {L"a,b,c", 0, 0, 0},        // no digits give 0
        {L",,x", 0, 0, 0},
        {L"1,2,3,4", 1, 2, 3},           // the third part runs to the end
        {L"99999999999,0,0", 255, 0, 0}, // stops at the int limit
        {L"-99999999999,0,0", 0, 0, 0},
    };
    for (const Case& c : cases) {
        RgbColour colour;
        ASSERT_TRUE(ParseColourText(c.text, colour)) << testing::PrintToString(c.text);
        EXPECT_EQ(colour.red, c.red) << testing::PrintToString(c.text);
        EXPECT_EQ(colour.green, c.green) << testing::PrintToString(c.text);
        EXPECT_EQ(colour.blue, c.blue) << testing::PrintToString(c.text);
    }
}

TEST(ColourText, RefusesIncompleteTextsAndLeavesTheColour) {
    const wchar_t* texts[] = {
        L"", L"255", L"12,34", L"255,0", L"255,0,", L"-1,0,0", L"0,-1,0", L" -1,0,0", L"0,-1x,0",
    };
    for (const wchar_t* text : texts) {
        RgbColour colour{7, 8, 9};
        EXPECT_FALSE(ParseColourText(text, colour)) << testing::PrintToString(text);
        EXPECT_EQ(colour.red, 7) << testing::PrintToString(text);
        EXPECT_EQ(colour.green, 8);
        EXPECT_EQ(colour.blue, 9);
    }
}

} // namespace
