#include "foundation/host_facts.h"

#include "foundation/dll_binding.h"

namespace {
constexpr wchar_t kSetupLockPrefix[] = L"Global\\_QXSETUP_";

// A planned restart for an installation, with the clean shutdown UI.
constexpr DWORD kRestartReason = SHTDN_REASON_FLAG_PLANNED | SHTDN_REASON_FLAG_CLEAN_UI |
                                 SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_INSTALLATION;
static_assert(kRestartReason == 0x84040002, "restart reason code");

UniqueSid AdministratorsGroupSid() {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    UniqueSid sid;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, sid.receive()))
        return UniqueSid();
    return sid;
}
} // namespace

bool IsNativeX86() {
#if defined(_WIN64)
    return false; // a 64-bit program runs on 64-bit Windows only
#else
    SYSTEM_INFO info = {};
    // Only GetNativeSystemInfo sees past WoW64; Windows 2000 does not have it.
    auto getNativeSystemInfo =
        reinterpret_cast<decltype(&::GetNativeSystemInfo)>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetNativeSystemInfo")));
    if (getNativeSystemInfo)
        getNativeSystemInfo(&info);
    else
        GetSystemInfo(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_INTEL;
#endif
}

bool IsUserAdmin() {
    // Test seam: under Wine every user is an administrator, so the paths of a user without the
    // rights are reached by setting this variable. It can only take rights away, never grant them.
    if (GetEnvironmentVariableW(L"SETUP_TEST_NOT_ADMIN", nullptr, 0) != 0)
        return false;
    UniqueSid administrators = AdministratorsGroupSid();
    if (!administrators)
        return false;
    SystemLibrary advapi(L"advapi32.dll");
    auto checkTokenMembership =
        advapi.bind<decltype(&::CheckTokenMembership)>("CheckTokenMembership");
    if (!checkTokenMembership)
        return false;
    BOOL isMember = FALSE;
    if (!checkTokenMembership(nullptr, administrators.get(), &isMember))
        return false;
    return isMember != FALSE;
}

bool EnableShutdownPrivilege() {
    SystemLibrary advapi(L"advapi32.dll");
    decltype(&::OpenProcessToken) openProcessToken = nullptr;
    decltype(&::LookupPrivilegeValueA) lookupPrivilegeValue = nullptr;
    decltype(&::AdjustTokenPrivileges) adjustTokenPrivileges = nullptr;
    if (!advapi.bind(openProcessToken, "OpenProcessToken") ||
        !advapi.bind(lookupPrivilegeValue, "LookupPrivilegeValueA") ||
        !advapi.bind(adjustTokenPrivileges, "AdjustTokenPrivileges"))
        return false;

    UniqueKernelHandle token;
    if (!openProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                          token.receive()))
        return false;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!lookupPrivilegeValue(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid))
        return false;
    adjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
    // The call succeeds with ERROR_NOT_ALL_ASSIGNED when the token lacks the privilege.
    return GetLastError() == ERROR_SUCCESS;
}

bool AcquireSetupLock(UniqueKernelHandle& lock, const std::wstring& productCode) {
    std::wstring name = kSetupLockPrefix + productCode;
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    DWORD error = GetLastError();
    lock.reset(mutex);
    return !mutex || error == ERROR_ALREADY_EXISTS;
}

void RestartWindows() {
    EnableShutdownPrivilege();
    ExitWindowsEx(EWX_REBOOT, kRestartReason);
}
