#include "prereq/file_version.h"

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
} // namespace

unsigned long GetFileVersion(const std::wstring& path, VersionWords& version) {
    version = VersionWords{0xFFFFFFFFu, 0xFFFFFFFFu};
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0)
        return GetLastError();
    UniqueGlobalMemory block(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size));
    if (!block)
        return ERROR_NOT_ENOUGH_MEMORY;
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.get()))
        return GetLastError();
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block.get(), L"\\", reinterpret_cast<void**>(&fixed), &length) &&
        length != 0 && fixed != nullptr)
        version = VersionWords{fixed->dwFileVersionMS, fixed->dwFileVersionLS};
    return ERROR_SUCCESS;
}

bool IsValidFileVersion(const std::wstring& path, const VersionWords& required, bool tryLoad) {
    if (tryLoad) {
        UniqueModule module(LoadLibraryW(path.c_str()));
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
