#include "foundation/module_path.h"

#include "foundation/path_text.h"

#include <windows.h>

namespace {
// No path is longer than 32767 units; a buffer past that size that still comes back full means
// the query itself is broken.
constexpr DWORD kLongestModulePath = 32768;

// The full path of the running executable, however long; empty when it cannot be had whole.
std::wstring ModuleFileName() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetModuleFileNameW(GetModuleHandleW(nullptr), &buffer[0], size);
        if (length == 0)
            return std::wstring();
        if (length < size) {
            buffer.resize(length);
            return buffer;
        }
        if (size >= kLongestModulePath)
            return std::wstring();
        buffer.resize(size * 2);
    }
}
} // namespace

std::wstring GetModulePath(bool stripExtension, bool addSeparator) {
    std::wstring path = ModuleFileName();
    if (path.empty())
        return path;
    path = stripExtension ? RemoveFileExtension(path) : RemoveFileName(path);
    if (addSeparator)
        path += L'\\';
    return path;
}
