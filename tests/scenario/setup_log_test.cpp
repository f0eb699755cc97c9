// The setup log as an administrator finds it in the temp folder.
#include "setup_support.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

std::size_t Count(const std::wstring& text, const std::wstring& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST(SetupLog, SecondRunInTheSameMinuteAppendsWithoutASecondByteOrderMark) {
    FakeProductFolder product(L"log_same_minute");

    // Both runs must fall into the same minute; a run that straddles a minute is repeated.
    RunResult second;
    for (int attempt = 0; attempt < 3; ++attempt) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        if (now.wSecond > 50)
            Sleep((61 - now.wSecond) * 1000);
        ASSERT_EQ(product.run(L"/i /quiet").exitCode, 0u);
        second = product.run(L"/i /passive");
        if (second.logFiles.size() == 1)
            break;
    }
    ASSERT_EQ(second.logFiles.size(), 1u);
    EXPECT_EQ(second.logBytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(second.logBytes.find("\xFF\xFE", 2), std::string::npos) << "a second byte order mark";
    EXPECT_EQ(Count(second.log, L"]: UILevel is set to 2\r\n"), 1u);
    EXPECT_EQ(Count(second.log, L"]: UILevel is set to 67\r\n"), 1u);
    EXPECT_LT(second.log.find(L"UILevel is set to 2"), second.log.find(L"UILevel is set to 67"));
}

} // namespace
} // namespace scenario
