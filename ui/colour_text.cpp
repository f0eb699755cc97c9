#include "ui/colour_text.h"

#include <climits>

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}

// A decimal integer read the C library's way: leading blanks and a sign, digits up to the first
// non-digit, 0 without digits. Out-of-range values stop at the int limits, as the library does.
long long ReadDecimal(const std::wstring& text, std::size_t from, std::size_t to) {
    while (from < to && IsBlank(text[from]))
        ++from;
    bool negative = false;
    if (from < to && (text[from] == L'-' || text[from] == L'+'))
        negative = text[from++] == L'-';
    long long value = 0;
    for (; from < to && text[from] >= L'0' && text[from] <= L'9'; ++from) {
        value = value * 10 + (text[from] - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    value = negative ? -value : value;
    return value > INT_MAX ? INT_MAX : value;
}

unsigned char LowByte(long long value) {
    return static_cast<unsigned char>(static_cast<unsigned long long>(value) & 0xFF);
}

} // namespace

bool ParseColourText(const std::wstring& text, RgbColour& colour) {
    const std::size_t firstComma = text.find(L',');
    if (firstComma == std::wstring::npos)
        return false;
    const std::size_t secondComma = text.find(L',', firstComma + 1);
    if (secondComma == std::wstring::npos || secondComma + 1 == text.size())
        return false;
    const long long red = ReadDecimal(text, 0, firstComma);
    const long long green = ReadDecimal(text, firstComma + 1, secondComma);
    if (red == -1 || green == -1)
        return false;
    const long long blue = ReadDecimal(text, secondComma + 1, text.size());
    colour.red = LowByte(red);
    colour.green = LowByte(green);
    colour.blue = LowByte(blue);
    return true;
}
