#include "foundation/dll_binding.h"

#include "foundation/file_system.h"

namespace {
HMODULE LoadFromSystemFolder(const wchar_t* fileName) {
    HMODULE module = LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module || GetLastError() != ERROR_INVALID_PARAMETER)
        return module;
    // Systems without the search flags (before KB2533623) reject it: use the full system path.
    std::wstring fullPath = SystemFolderPath(fileName);
    return fullPath.empty() ? nullptr : LoadLibraryW(fullPath.c_str());
}
} // namespace

SystemLibrary::SystemLibrary(const wchar_t* fileName) : module_(LoadFromSystemFolder(fileName)) {}

FARPROC SystemLibrary::procAddress(const char* name) const {
    return module_.valid() ? GetProcAddress(module_.get(), name) : nullptr;
}

bool SystemLibrary::bindAll(const char* names, FARPROC* found, unsigned count) const {
    bool all = true;
    for (unsigned i = 0; i < count; ++i, names += strlen(names) + 1) {
        found[i] = procAddress(names);
        all = all && found[i];
    }
    return all;
}

FARPROC Kernel32Export(const char* name) {
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    return kernel32 ? GetProcAddress(kernel32, name) : nullptr;
}

std::wstring SystemFolderPath(const wchar_t* fileName) {
    const std::wstring folder = SystemFolder();
    return folder.empty() ? folder : folder + L"\\" + fileName;
}
