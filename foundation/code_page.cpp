#include "foundation/code_page.h"

#include <windows.h>

std::string ToCodePage(const std::wstring& text, unsigned codePage) {
    if (text.empty())
        return std::string();
    int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string result(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &result[0],
                            size, nullptr, nullptr);
    return result;
}

std::wstring FromCodePage(const std::string& text, unsigned codePage) {
    if (text.empty())
        return std::wstring();
    int size =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(size > 0 ? size : 0, L'\0');
    if (size > 0)
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &result[0],
                            size);
    return result;
}
