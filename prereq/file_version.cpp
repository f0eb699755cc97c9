#include "prereq/file_version.h"

#include "foundation/dll_binding.h"
#include "foundation/error_text.h"
#include "foundation/handles.h"
#include "foundation/setup_log.h"
#include "prereq/file_version_text.h"

#include <windows.h>

namespace {
struct GlobalMemoryTraits {
    using Type = HGLOBAL;
    static Type invalid() { return nullptr; }
    static void close(Type h) { GlobalFree(h); }
};
using UniqueGlobalMemory = UniqueHandle<GlobalMemoryTraits>;

// version.dll is not one of Windows' known DLLs: imported statically it would be looked up beside
// setup.exe before the program starts. Bound here from the system folder instead.
struct VersionLibrary {
    SystemLibrary library{L"version.dll"};
    decltype(&::GetFileVersionInfoSizeW) infoSize =
        library.bind<decltype(&::GetFileVersionInfoSizeW)>("GetFileVersionInfoSizeW");
    decltype(&::GetFileVersionInfoW) info =
        library.bind<decltype(&::GetFileVersionInfoW)>("GetFileVersionInfoW");
    decltype(&::VerQueryValueW) query = library.bind<decltype(&::VerQueryValueW)>("VerQueryValueW");
    bool complete() const { return infoSize && info && query; }
};

// Loads the component's DLL with its own folder and the system folder searched for its
// dependencies (the process search path is the system folder only). Not setup.exe's folder, which
// LOAD_LIBRARY_SEARCH_DEFAULT_DIRS would add: others may write there. Systems without the search
// flags (before KB2533623) reject them; there the altered search path starts in the DLL's folder.
// A path without a drive or server has no folder of its own: the process search path applies.
HMODULE LoadComponentModule(const std::wstring& path) {
    bool absolute = path.size() > 2 && ((path[1] == L':' && path[2] == L'\\') ||
                                        (path[0] == L'\\' && path[1] == L'\\'));
    if (!absolute)
        return LoadLibraryW(path.c_str());
    HMODULE module = LoadLibraryExW(
        path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module || GetLastError() != ERROR_INVALID_PARAMETER)
        return module;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
} // namespace

unsigned long GetFileVersion(const std::wstring& path, VersionWords& version) {
    version = VersionWords{0xFFFFFFFFu, 0xFFFFFFFFu};
    VersionLibrary api;
    if (!api.complete())
        return ERROR_PROC_NOT_FOUND;
    DWORD ignored = 0;
    DWORD size = api.infoSize(path.c_str(), &ignored);
    if (size == 0)
        return GetLastError();
    UniqueGlobalMemory block(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size));
    if (!block)
        return ERROR_NOT_ENOUGH_MEMORY;
    if (!api.info(path.c_str(), 0, size, block.get()))
        return GetLastError();
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (api.query(block.get(), L"\\", reinterpret_cast<void**>(&fixed), &length) && length != 0 &&
        fixed != nullptr)
        version = VersionWords{fixed->dwFileVersionMS, fixed->dwFileVersionLS};
    return ERROR_SUCCESS;
}

bool IsValidFileVersion(const std::wstring& path, const VersionWords& required, bool tryLoad) {
    if (tryLoad) {
        UniqueModule module(LoadComponentModule(path));
        if (!module) {
            LogPrintf(L"IsValidFileVersion() failed. Can't load file '%s'. %s\r\n", path.c_str(),
                      FormatErrorCode(GetLastError()).c_str());
            return false;
        }
    }
    VersionWords current;
    unsigned long error = GetFileVersion(path, current);
    if (error != ERROR_SUCCESS) {
        LogPrintf(L"IsValidFileVersion() failed. Can't get version of file '%s'. %s\r\n",
                  path.c_str(), FormatErrorCode(error).c_str());
        return false;
    }
    if (CompareFileVersion(current, required) >= 0)
        return true;
    LogPrintf(L"IsValidFileVersion() failed. Current version(%s) of file '%s' early of required "
              L"file vesion(%s).\r\n",
              FormatFileVersion(current).c_str(), path.c_str(),
              FormatFileVersion(required).c_str());
    return false;
}
