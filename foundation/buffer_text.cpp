#include "foundation/buffer_text.h"

std::wstring TextUpToNul(const wchar_t* buffer, std::size_t units) {
    std::size_t length = 0;
    while (length < units && buffer[length] != L'\0')
        ++length;
    return std::wstring(buffer, length);
}
