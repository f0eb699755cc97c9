#include "foundation/path_text.h"

namespace {
constexpr std::size_t kClassicPathLimit = 260; // MAX_PATH, terminator included

std::size_t LastSeparator(const std::wstring& path) {
    return path.find_last_of(L"\\/");
}

bool IsDriveAbsolute(const std::wstring& path) {
    return path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
}
} // namespace

std::wstring RemoveFileExtension(const std::wstring& path) {
    std::size_t separator = LastSeparator(path);
    std::size_t nameStart = separator == std::wstring::npos ? 0 : separator + 1;
    std::size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || dot < nameStart)
        return path;
    return path.substr(0, dot);
}

std::wstring RemoveFileName(const std::wstring& path) {
    std::size_t separator = LastSeparator(path);
    return separator == std::wstring::npos ? path : path.substr(0, separator);
}

std::wstring ToExtendedLengthPath(const std::wstring& path) {
    if (path.size() < kClassicPathLimit || path.compare(0, 4, L"\\\\?\\") == 0)
        return path;
    if (IsDriveAbsolute(path))
        return L"\\\\?\\" + path;
    if (path.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + path.substr(2);
    return path;
}
