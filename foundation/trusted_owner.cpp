#include "foundation/trusted_owner.h"

#include "foundation/handles.h"

#include <aclapi.h>

#include <vector>

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
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size))
        return false;
    return EqualSid(sid, reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid) != FALSE;
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
