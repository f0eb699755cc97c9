// Fuzz target: a download page's address (foundation/web_address.h). Input: 16-bit
// little-endian units, the Url as the ini file gives it.
#include "foundation/text.h"
#include "foundation/web_address.h"
#include "fuzz_text.h"

#include <cstdint>
#include <string>

namespace {
bool StartsWithIgnoringCase(const std::wstring& text, const std::wstring& start) {
    if (text.size() < start.size())
        return false;
    for (std::size_t i = 0; i < start.size(); ++i) {
        wchar_t c = text[i];
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != start[i])
            return false;
    }
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring url = WideFromUnits(data, size);
    const std::wstring address = WebAddress(url);
    if (address.empty())
        return 0;
    // Whatever comes out is an http or https address, and it stays one.
    FUZZ_CHECK(StartsWithIgnoringCase(address, L"http:") ||
               StartsWithIgnoringCase(address, L"https:"));
    FUZZ_CHECK(WebAddress(address) == address);
    // Nothing but "http://" is ever added: the address ends with the Url without its blanks.
    const std::wstring trimmed = Trim(url);
    FUZZ_CHECK(address == trimmed || address == L"http://" + trimmed);
    return 0;
}
