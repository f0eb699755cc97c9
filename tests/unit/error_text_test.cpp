#include "foundation/error_text.h"
#include "foundation/wide_format.h"

#include <gtest/gtest.h>

namespace {
TEST(ErrorText, SystemTextsLoseTheirTrailingLineBreakOnly) {
    std::wstring text = GetSystemErrorText(2);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), L'\n');
    EXPECT_NE(text.back(), L'\r');
    EXPECT_EQ(FormatErrorCode(2), L"Error(2) '" + text + L"'");
}

TEST(ErrorText, ResultCodesPrintSignedAndUnknownCodesGetTheFallback) {
    EXPECT_EQ(FormatErrorCode(0x80070005).rfind(L"Error(-2147024891) '", 0), 0u);
    EXPECT_EQ(GetSystemErrorText(0x2FEDCBA9), L"Unknown error 0x2FEDCBA9");
    EXPECT_EQ(FormatErrorCode(0x2FEDCBA9), L"Error(804113321) 'Unknown error 0x2FEDCBA9'");
}

TEST(WideFormat, PercentSTakesAWideString) {
    EXPECT_EQ(FormatWide(L"%s (%s) Setup", L"\u0420\u0435\u0434", L"1.0"),
              L"\u0420\u0435\u0434 (1.0) Setup");
    EXPECT_EQ(FormatWide(L"% s|%d|%08X", L"it", -5, 0xABCu), L"it|-5|00000ABC");
    EXPECT_EQ(FormatWide(L"%s", std::wstring(5000, L'y').c_str()).size(), 5000u);
}
} // namespace
