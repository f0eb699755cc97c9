#include "prereq/reg_value.h"

#include "foundation/buffer_text.h"
#include "foundation/handles.h"
#include "prereq/reg_cond_text.h"

namespace {
constexpr DWORD kRegTextUnits = 260;
// Records without Key64 name keys as a 32-bit program sees them: the 64-bit build asks for the
// 32-bit view so that both builds read the same values. (32-bit Windows 2000 rejects the flag.)
#if defined(_WIN64)
constexpr REGSAM kDefaultView = KEY_WOW64_32KEY;
#else
constexpr REGSAM kDefaultView = 0;
#endif
} // namespace

HKEY RegRootKey(int index) {
    static const HKEY kRootKeys[kRegRootCount] = {
        HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_PERFORMANCE_DATA,
    };
    return index >= 0 && index < kRegRootCount ? kRootKeys[index] : nullptr;
}

LONG ReadRegistryValue(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                       void* buffer, DWORD size, bool view64) {
    UniqueRegKey key;
    REGSAM access = KEY_READ | (view64 ? KEY_WOW64_64KEY : kDefaultView);
    LONG result = RegOpenKeyExW(root, keyPath.c_str(), 0, access, key.receive());
    if (result != ERROR_SUCCESS)
        return result;
    return RegQueryValueExW(key.get(), valueName.c_str(), nullptr, nullptr,
                            static_cast<BYTE*>(buffer), &size);
}

DWORD ReadRegistryValueByPath(const std::wstring& path, bool view64, std::wstring& value) {
    int root = -1;
    std::wstring keyPath;
    std::wstring valueName;
    if (path.empty() || !SplitRegistryValuePath(path, root, keyPath, valueName))
        return ERROR_PATH_NOT_FOUND;
    wchar_t buffer[kRegTextUnits] = {};
    LONG result =
        ReadRegistryValue(RegRootKey(root), keyPath, valueName, buffer, sizeof buffer, view64);
    if (result == ERROR_SUCCESS)
        value = TextUpToNul(buffer, kRegTextUnits);
    return static_cast<DWORD>(result);
}
