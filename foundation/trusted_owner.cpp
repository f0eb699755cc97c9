#include "foundation/trusted_owner.h"

#include "foundation/handles.h"

#include <aclapi.h>

namespace {
bool IsWellKnown(PSID sid, BYTE count, DWORD first, DWORD second) {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    UniqueSid known;
    return AllocateAndInitializeSid(&ntAuthority, count, first, second, 0, 0, 0, 0, 0, 0,
                                    known.receive()) &&
           EqualSid(sid, known.get());
}

bool IsRunningAccount(PSID sid) {
    UniqueKernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.receive()))
        return false;
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } buffer;
    DWORD size = 0;
    return GetTokenInformation(token.get(), TokenUser, &buffer, sizeof(buffer), &size) &&
           EqualSid(sid, buffer.user.User.Sid);
}
} // namespace

bool IsTrustedOwner(PSID owner) {
    if (!owner || !IsValidSid(owner))
        return false;
    return IsWellKnown(owner, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS) ||
           IsWellKnown(owner, 1, SECURITY_LOCAL_SYSTEM_RID, 0) || IsRunningAccount(owner);
}

bool HasForeignOwner(HANDLE object, SE_OBJECT_TYPE type) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, type, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS)
        return true;
    UniqueLocalMemory owned(descriptor);
    return owner && !IsTrustedOwner(owner);
}
