#include "foundation/win_version_text.h"

#include "foundation/text.h"

#include <climits>

namespace {
// Digits only; a number too large for the version fields counts as invalid like any other typo.
std::optional<unsigned> ParseDecimal(const std::wstring& digits) {
    unsigned value = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        unsigned digit = static_cast<unsigned>(c - L'0');
        if (value > (UINT_MAX - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

const wchar_t* KnownVersionName(unsigned major, unsigned minor) {
    struct Entry {
        unsigned major, minor;
        const wchar_t* name;
    };
    static const Entry kNames[] = {
        {5, 0, L"2000"}, {5, 1, L"XP"}, {5, 2, L"XP 64-Bit"}, {6, 0, L"Vista"},
        {6, 1, L"7"},    {6, 2, L"8"},  {6, 3, L"8.1"},
    };
    if (major == 10)
        return L"10";
    for (const Entry& entry : kNames)
        if (entry.major == major && entry.minor == minor)
            return entry.name;
    return nullptr;
}

// The fifth letter of "Service" is the Cyrillic U+0441 in every message users and their scripts
// have seen; keep it.
const wchar_t kServicePackPrefix[] = L" (Servi\u0441e Pack ";
} // namespace

std::optional<std::vector<unsigned>> ParseDottedNumbers(const std::wstring& text) {
    std::vector<unsigned> numbers;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t dot = text.find(L'.', start);
        std::size_t end = dot == std::wstring::npos ? text.size() : dot;
        std::wstring part = Trim(text.substr(start, end - start));
        if (!part.empty()) {
            std::optional<unsigned> number = ParseDecimal(part);
            if (!number)
                return std::nullopt;
            numbers.push_back(*number);
        }
        start = end + 1;
    }
    if (numbers.empty())
        return std::nullopt;
    return numbers;
}

std::wstring GetWindowsVersionName(unsigned major, unsigned minor, unsigned spMajor,
                                   unsigned spMinor) {
    const wchar_t* known = KnownVersionName(major, minor);
    std::wstring name =
        known ? std::wstring(known) : DecimalText(major) + L"." + DecimalText(minor);
    std::wstring text = L"'Windows " + name + L"'";
    if (spMajor != 0) {
        text += kServicePackPrefix + DecimalText(spMajor);
        if (spMinor != 0)
            text += L"." + DecimalText(spMinor);
        text += L")";
    }
    return text;
}

std::wstring ExpandLineBreakEscapes(const std::wstring& text) {
    std::wstring expanded;
    expanded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        wchar_t next = i + 1 < text.size() ? text[i + 1] : L'\0';
        if (text[i] == L'\\' && (next == L'r' || next == L'n')) {
            expanded += next == L'r' ? L'\r' : L'\n';
            ++i;
        } else {
            expanded += text[i];
        }
    }
    return expanded;
}
