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

// The key kept open while a RegistryKeyReuse lives (detection runs on one thread at a time).
struct KeptKey {
    bool enabled = false;
    HKEY root = nullptr;
    REGSAM access = 0;
    std::wstring path;
    UniqueRegKey key;
};
KeptKey g_kept;

LONG OpenKey(HKEY root, const std::wstring& keyPath, REGSAM access, UniqueRegKey& key) {
    return RegOpenKeyExW(root, keyPath.c_str(), 0, access, key.receive());
}

// The kept key when it is the one asked for, else the newly opened one (kept when reuse is on).
LONG KeyFor(HKEY root, const std::wstring& keyPath, REGSAM access, UniqueRegKey& own, HKEY& key) {
    if (g_kept.enabled && g_kept.key && g_kept.root == root && g_kept.access == access &&
        g_kept.path == keyPath) {
        key = g_kept.key.get();
        return ERROR_SUCCESS;
    }
    UniqueRegKey& target = g_kept.enabled ? g_kept.key : own;
    target.reset();
    const LONG result = OpenKey(root, keyPath, access, target);
    if (result == ERROR_SUCCESS && g_kept.enabled) {
        g_kept.root = root;
        g_kept.access = access;
        g_kept.path = keyPath;
    }
    key = target.get();
    return result;
}
} // namespace

RegistryKeyReuse::RegistryKeyReuse() {
    g_kept.enabled = true;
}

RegistryKeyReuse::~RegistryKeyReuse() {
    g_kept.enabled = false;
    g_kept.key.reset();
}

HKEY RegRootKey(int index) {
    static const HKEY kRootKeys[kRegRootCount] = {
        HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_PERFORMANCE_DATA,
    };
    return index >= 0 && index < kRegRootCount ? kRootKeys[index] : nullptr;
}

LONG ReadRegistryValue(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                       void* buffer, DWORD size, bool view64) {
    const REGSAM access = KEY_READ | (view64 ? KEY_WOW64_64KEY : kDefaultView);
    UniqueRegKey own;
    HKEY key = nullptr;
    LONG result = KeyFor(root, keyPath, access, own, key);
    if (result != ERROR_SUCCESS)
        return result;
    const DWORD capacity = size;
    result = RegQueryValueExW(key, valueName.c_str(), nullptr, nullptr, static_cast<BYTE*>(buffer),
                              &size);
    // A kept key that a condition program deleted and created again meanwhile: open it anew.
    if (result == ERROR_KEY_DELETED && g_kept.enabled) {
        g_kept.key.reset();
        if ((result = KeyFor(root, keyPath, access, own, key)) != ERROR_SUCCESS)
            return result;
        size = capacity;
        result = RegQueryValueExW(key, valueName.c_str(), nullptr, nullptr,
                                  static_cast<BYTE*>(buffer), &size);
    }
    return result;
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
