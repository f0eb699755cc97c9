#include "wine_app_defaults.h"

#include "foundation/handles.h"
#include "harness_error.h"

namespace scenario {
namespace {

std::wstring AppDefaultsKey(const std::wstring& exeName) {
    return L"Software\\Wine\\AppDefaults\\" + exeName;
}

void ThrowIfFailed(LSTATUS status, const char* what, const std::wstring& keyPath) {
    if (status != ERROR_SUCCESS)
        ThrowWin32Error(what, keyPath, static_cast<DWORD>(status));
}

void WriteString(const std::wstring& keyPath, const std::wstring& name, const std::wstring& value) {
    UniqueRegKey key;
    ThrowIfFailed(RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, key.receive(), nullptr),
                  "Creating registry key", keyPath);
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    ThrowIfFailed(RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(value.c_str()), bytes),
                  "Writing a value in", keyPath);
}

void RemoveValue(const std::wstring& keyPath, const std::wstring& name) {
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_SET_VALUE, key.receive()) !=
        ERROR_SUCCESS)
        return;
    const LSTATUS status = RegDeleteValueW(key.get(), name.c_str());
    if (status != ERROR_FILE_NOT_FOUND)
        ThrowIfFailed(status, "Removing a value from", keyPath);
}

} // namespace

void SetWineWindowsVersion(const std::wstring& exeName, const std::wstring& version) {
    if (version.empty())
        RemoveValue(AppDefaultsKey(exeName), L"Version");
    else
        WriteString(AppDefaultsKey(exeName), L"Version", version);
}

} // namespace scenario
