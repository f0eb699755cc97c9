#pragma once
// Registry reads of registry conditions and of InstRegPath.
#include <windows.h>

#include <string>

// The predefined key of an index of the root-key table (see reg_cond_text.h).
HKEY RegRootKey(int index);

// Opens root\keyPath (KEY_READ, plus KEY_WOW64_64KEY when view64, else the 32-bit view) and reads
// the value's data into buffer, whatever its type. 0 or the Windows error of the open or the query
// (ERROR_MORE_DATA when the data is larger than size bytes).
LONG ReadRegistryValue(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                       void* buffer, DWORD size, bool view64);

// While one lives, the key last opened by ReadRegistryValue stays open for the next read of the
// same key: a detection pass over many records that name values of one key opens it once.
class RegistryKeyReuse {
public:
    RegistryKeyReuse();
    ~RegistryKeyReuse();
    RegistryKeyReuse(const RegistryKeyReuse&) = delete;
    RegistryKeyReuse& operator=(const RegistryKeyReuse&) = delete;
};

// Reads the value named by a path "HKEY_LOCAL_MACHINE\key\...\value" as text (at most 260 units).
// 0 or a Windows error: ERROR_PATH_NOT_FOUND for an empty path, fewer than three parts or an
// unknown root; otherwise the read's code.
DWORD ReadRegistryValueByPath(const std::wstring& path, bool view64, std::wstring& value);
