#include "harness_error.h"

#include <stdexcept>

namespace scenario {

std::string Utf8(const std::wstring& text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, result.data(), bytes, nullptr, nullptr);
    return result;
}

void ThrowWin32Error(const std::string& what, const std::wstring& subject, DWORD error) {
    throw std::runtime_error(what + " '" + Utf8(subject) + "' failed, error " +
                             std::to_string(error));
}

} // namespace scenario
