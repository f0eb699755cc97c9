#include "wine_app_defaults.h"

#include "foundation/handles.h"
#include "harness_error.h"

namespace scenario {
namespace {

std::wstring AppDefaultsKey(const std::wstring& exeName) {
    return L"Software\\Wine\\AppDefaults\\" + exeName;
}

void WriteVersion(const std::wstring& keyPath, const std::wstring& version) {
    UniqueRegKey key;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0,
                                     KEY_SET_VALUE, nullptr, key.receive(), nullptr);
    if (status == ERROR_SUCCESS) {
        const auto bytes = static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t));
        status = RegSetValueExW(key.get(), L"Version", 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(version.c_str()), bytes);
    }
    if (status != ERROR_SUCCESS)
        ThrowWin32Error("Setting the Windows version in", keyPath, static_cast<DWORD>(status));
}

void RemoveVersion(const std::wstring& keyPath) {
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_SET_VALUE, key.receive()) !=
        ERROR_SUCCESS)
        return;
    const LSTATUS status = RegDeleteValueW(key.get(), L"Version");
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        ThrowWin32Error("Removing the Windows version from", keyPath, static_cast<DWORD>(status));
}

} // namespace

void SetWineWindowsVersion(const std::wstring& exeName, const std::wstring& version) {
    if (version.empty())
        RemoveVersion(AppDefaultsKey(exeName));
    else
        WriteVersion(AppDefaultsKey(exeName), version);
}

} // namespace scenario
