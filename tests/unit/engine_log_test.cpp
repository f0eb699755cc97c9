#include "msi/engine_log.h"

#include <gtest/gtest.h>

namespace {

std::string Utf16Bytes(const std::wstring& text) {
    return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

TEST(EngineLog, BecomesUtf16LinesLikeTheSetupLogsOwn) {
    const std::pair<std::string, std::wstring> cases[] = {
        {"", L""},
        {"=== Logging started ===\nAction 1\r\nend", L"=== Logging started ===\r\nAction 1\r\nend"},
        {"\n\nx\n", L"\r\n\r\nx\r\n"},
        {Utf16Bytes(L"Unicode \u0416\nline\r\n"), L"Unicode \u0416\r\nline\r\n"},
        {Utf16Bytes(L""), L""},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(DecodeEngineLog(bytes), text) << "bytes: " << bytes;
}

} // namespace
