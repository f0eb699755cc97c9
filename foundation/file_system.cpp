#include "foundation/file_system.h"

#include "foundation/handles.h"

#include <vector>

bool FileExists(const std::wstring& path) {
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(FindFirstFileW(path.c_str(), &data));
    SetErrorMode(previousMode);
    return find.valid();
}

bool IsExistingFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(folder, length);
}

std::wstring LongPathOf(const std::wstring& path) {
    if (path.empty())
        return path;
    std::vector<wchar_t> buffer(MAX_PATH);
    DWORD length = GetLongPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length >= buffer.size()) {
        // Too small: `length` is the size needed, terminator included.
        buffer.resize(length);
        length = GetLongPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    }
    if (length == 0 || length >= buffer.size())
        return path;
    return std::wstring(buffer.data(), length);
}
