// FormatWideV on the Windows C runtime, whose wide formats take %s as a wide string. The native
// fuzz build brings its own (fuzz/wide_format_native.cpp).
#include "foundation/wide_format.h"

#include <stdio.h>
#include <vector>

std::wstring FormatWideV(const wchar_t* format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    int length = _vscwprintf(format, measure);
    va_end(measure);
    if (length <= 0)
        return std::wstring();
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
    _vsnwprintf(buffer.data(), buffer.size(), format, args);
    buffer.back() = L'\0';
    return std::wstring(buffer.data());
}
