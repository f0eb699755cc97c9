#include "prereq/file_version_text.h"

namespace {
unsigned Part(const VersionWords& version, int index) {
    std::uint32_t word = index < 2 ? version.high : version.low;
    return index % 2 == 0 ? word >> 16 : word & 0xFFFF;
}

void AppendDecimal(std::wstring& text, unsigned value) {
    wchar_t digits[12];
    int count = 0;
    do {
        digits[count++] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0)
        text += digits[--count];
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}
} // namespace

int CompareFileVersion(const VersionWords& a, const VersionWords& b) {
    for (int index = 0; index < 4; ++index) {
        unsigned left = Part(a, index);
        unsigned right = Part(b, index);
        if (left != right)
            return left < right ? -1 : 1;
    }
    return 0;
}

std::wstring FormatFileVersion(const VersionWords& version) {
    std::wstring text;
    for (int index = 0; index < 4; ++index) {
        if (index > 0)
            text += L'.';
        AppendDecimal(text, Part(version, index));
    }
    return text;
}

std::vector<std::wstring> SplitTrimmed(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> pieces;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::wstring::npos)
            end = text.size();
        std::size_t first = start;
        std::size_t last = end;
        while (first < last && IsBlank(text[first]))
            ++first;
        while (last > first && IsBlank(text[last - 1]))
            --last;
        if (last > first)
            pieces.push_back(text.substr(first, last - first));
        start = end + 1;
    }
    return pieces;
}
