#include "foundation/ini_text.h"

#include <cwctype>

long ParseLeadingInt(const std::wstring& text) {
    std::size_t i = 0;
    while (i < text.size() && std::iswspace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
        negative = text[i++] == L'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > 0x7FFFFFFFLL)
            value = 0x80000000LL; // saturate like the C runtime instead of overflowing
    }
    if (negative)
        value = -value;
    if (value > 0x7FFFFFFFLL)
        value = 0x7FFFFFFFLL;
    return static_cast<long>(value);
}

VersionWords ParseVersionWords(const std::wstring& text) {
    std::uint32_t parts[4] = {0, 0, 0, 0};
    std::wstring rest = text;
    for (int i = 0; i < 4 && !rest.empty(); ++i) {
        std::size_t dot = rest.find(L'.');
        std::wstring component = rest.substr(0, dot);
        rest = dot == std::wstring::npos ? std::wstring() : rest.substr(dot + 1);
        parts[i] = static_cast<std::uint32_t>(ParseLeadingInt(component)) & 0xFFFFu;
    }
    return VersionWords{parts[0] << 16 | parts[1], parts[2] << 16 | parts[3]};
}
