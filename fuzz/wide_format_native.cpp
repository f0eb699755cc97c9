// FormatWideV for the native fuzz build; FormatWide itself is the product's. The product's
// FormatWideV runs on the Windows C runtime, where %s in a wide format takes a wide string;
// glibc's takes a narrow one. The formats are rewritten the Windows way (%s -> %ls, %I64 -> %ll)
// before glibc's vswprintf sees them.
#include "foundation/wide_format.h"

#include <cstdarg>
#include <cwchar>
#include <vector>

namespace {

std::wstring GlibcFormat(const wchar_t* format) {
    std::wstring rewritten;
    for (const wchar_t* at = format; *at; ++at) {
        rewritten += *at;
        if (*at != L'%')
            continue;
        for (++at; *at && std::wcschr(L"-+ #0123456789.*", *at); ++at)
            rewritten += *at;
        if (at[0] == L'I' && at[1] == L'6' && at[2] == L'4') {
            rewritten += L"ll";
            at += 3;
        }
        if (*at == L's' || *at == L'c')
            rewritten += L'l';
        if (!*at)
            break;
        rewritten += *at;
    }
    return rewritten;
}

} // namespace

std::wstring FormatWideV(const wchar_t* format, va_list args) {
    const std::wstring glibcFormat = GlibcFormat(format);
    for (std::size_t size = 256;; size *= 2) {
        std::vector<wchar_t> buffer(size);
        va_list attempt;
        va_copy(attempt, args);
        const int length = std::vswprintf(buffer.data(), size, glibcFormat.c_str(), attempt);
        va_end(attempt);
        if (length >= 0)
            return std::wstring(buffer.data(), static_cast<std::size_t>(length));
        if (size > (1u << 26))
            return std::wstring();
    }
}
