#include "foundation/web_address.h"

#include "foundation/text.h"

namespace {
bool IsAsciiLetter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

bool IsSchemeCharacter(wchar_t c) {
    return IsAsciiLetter(c) || (c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || c == L'.';
}

// The length of the scheme before the ':' that ends it, or 0 when the text starts with none. A
// ':' followed by a digit ends a host name with its port, not a scheme.
std::size_t SchemeLength(const std::wstring& text) {
    if (text.empty() || !IsAsciiLetter(text[0]))
        return 0;
    std::size_t end = 1;
    while (end < text.size() && IsSchemeCharacter(text[end]))
        ++end;
    if (end == text.size() || text[end] != L':')
        return 0;
    const bool port = end + 1 < text.size() && text[end + 1] >= L'0' && text[end + 1] <= L'9';
    return port ? 0 : end;
}

} // namespace

std::wstring WebAddress(const std::wstring& url) {
    const std::wstring address = Trim(url);
    const std::size_t scheme = SchemeLength(address);
    if (scheme > 0) {
        const std::wstring_view name(address.data(), scheme);
        const bool web = EqualsIgnoringCase(name, L"http") || EqualsIgnoringCase(name, L"https");
        return web ? address : std::wstring();
    }
    // A drive letter reads as a one-letter scheme above; a path has a backslash or a leading '/'.
    if (address.empty() || address[0] == L'/' || address.find(L'\\') != std::wstring::npos ||
        (address.size() >= 2 && address[1] == L':'))
        return std::wstring();
    return L"http://" + address;
}
