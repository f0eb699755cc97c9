#include "foundation/win_version_text.h"

#include <gtest/gtest.h>

namespace {

using Numbers = std::vector<unsigned>;

TEST(WinVersionText, NamesVersionsWithTheirServicePacks) {
    struct Case {
        unsigned major, minor, spMajor, spMinor;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {5, 0, 4, 0, L"'Windows 2000' (Servi\u0441e Pack 4)"},
        {5, 1, 3, 0, L"'Windows XP' (Servi\u0441e Pack 3)"},
        {5, 2, 0, 0, L"'Windows XP 64-Bit'"},
        {6, 0, 2, 0, L"'Windows Vista' (Servi\u0441e Pack 2)"},
        {6, 1, 1, 0, L"'Windows 7' (Servi\u0441e Pack 1)"},
        {6, 1, 1, 2, L"'Windows 7' (Servi\u0441e Pack 1.2)"},
        {6, 1, 0, 5, L"'Windows 7'"}, // no suffix without a service pack major
        {6, 2, 0, 0, L"'Windows 8'"},
        {6, 3, 0, 0, L"'Windows 8.1'"},
        {10, 0, 0, 0, L"'Windows 10'"},
        {10, 7, 0, 0, L"'Windows 10'"},
        {6, 4, 0, 0, L"'Windows 6.4'"},
        {4, 0, 6, 0, L"'Windows 4.0' (Servi\u0441e Pack 6)"},
        {99, 0, 0, 0, L"'Windows 99.0'"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetWindowsVersionName(c.major, c.minor, c.spMajor, c.spMinor), c.expected)
            << c.major << "." << c.minor << " SP " << c.spMajor << "." << c.spMinor;
}

TEST(WinVersionText, ParsesDottedNumbers) {
    struct Case {
        const wchar_t* text;
        Numbers expected;
    };
    const Case cases[] = {
        {L"6.1", {6, 1}},      {L"1", {1}},
        {L"0.5", {0, 5}},      {L"10.0.19041", {10, 0, 19041}},
        {L" 6 .\t1 ", {6, 1}}, {L"6..1.", {6, 1}},
        {L".5", {5}},          {L"007.010", {7, 10}},
    };
    for (const Case& c : cases) {
        auto parsed = ParseDottedNumbers(c.text);
        ASSERT_TRUE(parsed.has_value()) << c.text;
        EXPECT_EQ(*parsed, c.expected) << c.text;
    }
}

TEST(WinVersionText, RejectsValuesThatAreNotPlainNumbers) {
    const wchar_t* invalid[] = {L"6.1a", L"-6",  L"+6",  L".",   L"..",         L"",
                                L"  ",   L"6 1", L"0x6", L"6,1", L"4294967296", L"\uFF16"};
    for (const wchar_t* text : invalid)
        EXPECT_FALSE(ParseDottedNumbers(text).has_value()) << text;
}

TEST(WinVersionText, ExpandsLineBreakEscapes) {
    struct Case {
        const wchar_t* text;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"Please update Windows.\\r\\nSee the readme.",
         L"Please update Windows.\r\nSee the readme."},
        {L"a\\nb\\rc", L"a\nb\rc"},
        {L"\\t \\R \\N stay", L"\\t \\R \\N stay"},
        {L"ends with \\", L"ends with \\"},
        {L"\\\\n", L"\\\n"},
        {L"", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExpandLineBreakEscapes(c.text), c.expected) << c.text;
}

} // namespace
