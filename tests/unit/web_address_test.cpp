// A download page's Url becomes an http or https address, or nothing: never a file or a program.
#include "foundation/web_address.h"

#include <gtest/gtest.h>

namespace {

TEST(WebAddress, WebSchemesAsTheyAreOthersNeverAndNoSchemeIsHttp) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"https://vendor.example/download", L"https://vendor.example/download"},
        {L"  HTTP://vendor.example/x?a=1 ", L"HTTP://vendor.example/x?a=1"},
        {L"www.vendor.com", L"http://www.vendor.com"},
        {L"vendor.com/downloads/tool.exe", L"http://vendor.com/downloads/tool.exe"},
        {L"vendor.com:8080/x", L"http://vendor.com:8080/x"},
        {L"localhost:8080", L"http://localhost:8080"},
        {L"file:///C:/Windows/System32/cmd.exe", L""},
        {L"javascript:alert(1)", L""},
        {L"ms-settings:windowsupdate", L""},
        {L"mailto:support@vendor.example", L""},
        {L"C:\\Windows\\System32\\cmd.exe", L""},
        {L"c:tool.exe", L""},
        {L"\\\\server\\share\\tool.exe", L""},
        {L"redist\\vc.exe", L""},
        {L"/downloads", L""},
        {L"", L""},
        {L"   ", L""},
    };
    for (const auto& [url, address] : cases)
        EXPECT_EQ(WebAddress(url), address) << testing::PrintToString(url);
}

} // namespace
