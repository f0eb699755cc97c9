#include "foundation/windows_restart.h"

#include "foundation/dll_binding.h"
#include "foundation/handles.h"

namespace {
// A planned restart for an installation, with the clean shutdown UI.
constexpr DWORD kRestartReason = SHTDN_REASON_FLAG_PLANNED | SHTDN_REASON_FLAG_CLEAN_UI |
                                 SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_INSTALLATION;
static_assert(kRestartReason == 0x84040002, "restart reason code");
} // namespace

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
    if (!adjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr))
        return false;
    // The call succeeds with ERROR_NOT_ALL_ASSIGNED when the token lacks the privilege; the last
    // error stays set for the caller to report.
    return GetLastError() == ERROR_SUCCESS;
}

unsigned long RestartWindows() {
    if (!EnableShutdownPrivilege() || !ExitWindowsEx(EWX_REBOOT, kRestartReason)) {
        const DWORD error = GetLastError();
        return error != ERROR_SUCCESS ? error : ERROR_PRIVILEGE_NOT_HELD;
    }
    return ERROR_SUCCESS;
}
