#include "foundation/text.h"

namespace {
wchar_t FoldAscii(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}
} // namespace

bool IsAsciiSpace(wchar_t c) {
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}

std::wstring Trim(const std::wstring& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsAsciiSpace(text[first]))
        ++first;
    while (last > first && IsAsciiSpace(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

bool ContainsIgnoringCase(std::wstring_view text, std::wstring_view needle) {
    if (needle.size() > text.size())
        return false;
    for (std::size_t at = 0; at + needle.size() <= text.size(); ++at)
        if (EqualsIgnoringCase(text.substr(at, needle.size()), needle))
            return true;
    return false;
}

std::wstring DecimalText(unsigned number) {
    wchar_t digits[10];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<wchar_t>(L'0' + number % 10);
        number /= 10;
    } while (number != 0);
    std::wstring text;
    while (count > 0)
        text += digits[--count];
    return text;
}
