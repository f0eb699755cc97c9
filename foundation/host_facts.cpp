#include "foundation/host_facts.h"

#include "foundation/dll_binding.h"

UniqueSid AdministratorsGroupSid() {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    UniqueSid sid;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, sid.receive()))
        return UniqueSid();
    return sid;
}

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
