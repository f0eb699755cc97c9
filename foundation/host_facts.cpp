#include "foundation/host_facts.h"

#include "foundation/dll_binding.h"
#include "foundation/trusted_owner.h"

#include <sddl.h>

namespace {
constexpr wchar_t kSetupLockPrefix[] = L"Global\\_QXSETUP_";
// The namespace and the lock in it: only the Administrators group (SYSTEM has it too) can create
// the namespace, and only administrators and SYSTEM can open either.
constexpr wchar_t kLockNamespace[] = L"QXSETUP";
constexpr wchar_t kLockSecurity[] = L"D:(A;;GA;;;BA)(A;;GA;;;SY)";

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
        BindKernel32<decltype(&::GetNativeSystemInfo)>("GetNativeSystemInfo");
    if (getNativeSystemInfo)
        getNativeSystemInfo(&info);
    else
        GetSystemInfo(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_INTEL;
#endif
}

namespace {
bool TokenHasMember(PSID sid) {
    SystemLibrary advapi(L"advapi32.dll");
    auto checkTokenMembership =
        advapi.bind<decltype(&::CheckTokenMembership)>("CheckTokenMembership");
    BOOL isMember = FALSE;
    return sid && checkTokenMembership && checkTokenMembership(nullptr, sid, &isMember) &&
           isMember != FALSE;
}
} // namespace

bool IsUserAdmin() {
    // Test seam: under Wine every user is an administrator, so the paths of a user without the
    // rights are reached by setting this variable. It can only take rights away, never grant them.
    if (GetEnvironmentVariableW(L"SETUP_TEST_NOT_ADMIN", nullptr, 0) != 0)
        return false;
    return TokenHasMember(AdministratorsGroupSid().get());
}

bool HasInteractiveUser() {
    // Test seam: Wine runs nothing as SYSTEM or in session 0. Like the one above, it can only
    // take something away.
    if (GetEnvironmentVariableW(L"SETUP_TEST_NO_INTERACTIVE_USER", nullptr, 0) != 0)
        return false;
    DWORD session = 0;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &session) || session == 0)
        return false;
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    UniqueSid system;
    return AllocateAndInitializeSid(&ntAuthority, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0,
                                    system.receive()) &&
           !TokenHasMember(system.get());
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
    if (!adjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr))
        return false;
    // The call succeeds with ERROR_NOT_ALL_ASSIGNED when the token lacks the privilege; the last
    // error stays set for the caller to report.
    return GetLastError() == ERROR_SUCCESS;
}

namespace {
// Private namespaces came with Windows Vista (Wine 8 has none): bound at run time.
struct NamespaceFunctions {
    NamespaceFunctions() {
        bind(createBoundary, "CreateBoundaryDescriptorW");
        bind(addSid, "AddSIDToBoundaryDescriptor");
        bind(deleteBoundary, "DeleteBoundaryDescriptor");
        bind(createNamespace, "CreatePrivateNamespaceW");
        bind(openNamespace, "OpenPrivateNamespaceW");
    }
    bool complete() const {
        return createBoundary && addSid && deleteBoundary && createNamespace && openNamespace;
    }
    template <typename Fn> static void bind(Fn& target, const char* name) {
        target = BindKernel32<Fn>(name);
    }

    HANDLE(WINAPI* createBoundary)(LPCWSTR, ULONG) = nullptr;
    BOOL(WINAPI* addSid)(HANDLE*, PSID) = nullptr;
    VOID(WINAPI* deleteBoundary)(HANDLE) = nullptr;
    HANDLE(WINAPI* createNamespace)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR) = nullptr;
    HANDLE(WINAPI* openNamespace)(LPVOID, LPCWSTR) = nullptr;
};

class LockSecurity {
public:
    LockSecurity() {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (ConvertStringSecurityDescriptorToSecurityDescriptorW(kLockSecurity, SDDL_REVISION_1,
                                                                 &descriptor, nullptr))
            descriptor_.reset(descriptor);
        attributes_.lpSecurityDescriptor = descriptor_.get();
    }
    LPSECURITY_ATTRIBUTES get() { return descriptor_ ? &attributes_ : nullptr; }

private:
    UniqueLocalMemory descriptor_;
    SECURITY_ATTRIBUTES attributes_ = {sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
};

// The namespace, created or opened (another run may create it, or close the last handle to it,
// at the same moment: a few tries). Empty where the system or the token does not allow it.
UniqueKernelHandle OpenLockNamespace(LockSecurity& security) {
    const NamespaceFunctions functions;
    UniqueSid administrators = AdministratorsGroupSid();
    if (!functions.complete() || !administrators)
        return UniqueKernelHandle();
    HANDLE boundary = functions.createBoundary(kLockNamespace, 0);
    if (!boundary)
        return UniqueKernelHandle();
    UniqueKernelHandle space;
    if (functions.addSid(&boundary, administrators.get())) {
        for (int attempt = 0; attempt < 3 && !space; ++attempt) {
            space.reset(functions.createNamespace(security.get(), boundary, kLockNamespace));
            if (!space && GetLastError() == ERROR_ALREADY_EXISTS)
                space.reset(functions.openNamespace(boundary, kLockNamespace));
        }
    }
    functions.deleteBoundary(boundary);
    return space;
}

// Without a private namespace the lock has the global name that any account can create first.
// A name this run may not open, or one that an account other than this one, Administrators or
// SYSTEM made, is not another setup run's lock: the run goes on without one.
bool AcquireGlobalLock(SetupLock& lock, const std::wstring& key) {
    const std::wstring name = kSetupLockPrefix + key;
    lock.mutex.reset(CreateMutexW(nullptr, FALSE, name.c_str()));
    const DWORD error = GetLastError();
    lock.squatted = !lock.mutex ? error == ERROR_ACCESS_DENIED
                                : error == ERROR_ALREADY_EXISTS &&
                                      HasForeignOwner(lock.mutex.get(), SE_KERNEL_OBJECT);
    if (lock.squatted) {
        lock.mutex.reset();
        return false;
    }
    return !lock.mutex || error == ERROR_ALREADY_EXISTS;
}
} // namespace

bool AcquireSetupLock(SetupLock& lock, const std::wstring& key) {
    lock = SetupLock();
    LockSecurity security;
    lock.space = OpenLockNamespace(security);
    if (!lock.space)
        return AcquireGlobalLock(lock, key);
    const std::wstring name = std::wstring(kLockNamespace) + L"\\_QXSETUP_" + key;
    lock.mutex.reset(CreateMutexW(security.get(), FALSE, name.c_str()));
    return !lock.mutex || GetLastError() == ERROR_ALREADY_EXISTS;
}

unsigned long RestartWindows() {
    if (!EnableShutdownPrivilege() || !ExitWindowsEx(EWX_REBOOT, kRestartReason)) {
        const DWORD error = GetLastError();
        return error != ERROR_SUCCESS ? error : ERROR_PRIVILEGE_NOT_HELD;
    }
    return ERROR_SUCCESS;
}
