#include "foundation/temp_folder.h"

#include "foundation/dll_binding.h"

namespace {
bool IsAbsoluteFolder(const std::wstring& path) {
    const bool drive = path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
    const bool share = path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\';
    return drive || share;
}
} // namespace

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const auto getTempPath2 = BindKernel32<decltype(&::GetTempPathW)>("GetTempPath2W");
    DWORD length = (getTempPath2 ? getTempPath2 : &::GetTempPathW)(MAX_PATH + 1, buffer);
    if (length == 0)
        return std::wstring();
    std::wstring folder(buffer, length);
    if (length > MAX_PATH || !IsAbsoluteFolder(folder)) {
        SetLastError(length > MAX_PATH ? ERROR_FILENAME_EXCED_RANGE : ERROR_BAD_PATHNAME);
        return std::wstring();
    }
    if (folder.back() != L'\\')
        folder += L'\\';
    return folder;
}
