#include "foundation/host_facts.h"
#include "foundation/trusted_owner.h"

#include <sddl.h>

#include <gtest/gtest.h>

namespace {

// A 64-bit process (the x64 flavour) is never on 32-bit Windows.
TEST(HostFacts, NativeX86OnlyFor32BitProcessesNotUnderWow64) {
    BOOL underWow64 = FALSE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &underWow64));
    EXPECT_EQ(IsNativeX86(), sizeof(void*) == 4 && !underWow64);
}

TEST(HostFacts, ShutdownPrivilegeIsEnabledInTheProcessToken) {
    ASSERT_TRUE(EnableShutdownPrivilege());
    HANDLE rawToken = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &rawToken));
    UniqueKernelHandle token(rawToken);
    PRIVILEGE_SET required = {1, PRIVILEGE_SET_ALL_NECESSARY, {}};
    ASSERT_TRUE(LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &required.Privilege[0].Luid));
    BOOL enabled = FALSE;
    ASSERT_TRUE(PrivilegeCheck(token.get(), &required, &enabled));
    EXPECT_TRUE(enabled);
}

std::wstring UniqueProductCode(const wchar_t* tag) {
    return L"{host-facts-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + tag + L"}";
}

TEST(SetupLock, SecondRunForTheSameProductIsBusyUntilTheFirstEnds) {
    const std::wstring code = UniqueProductCode(L"a");
    SetupLock first, second, otherProduct, afterwards;
    EXPECT_FALSE(AcquireSetupLock(first, code));
    ASSERT_TRUE(first.mutex.valid());
    EXPECT_FALSE(first.squatted);
    if (!first.space) {
        // Without private namespaces (Wine) other sessions find it under the global name.
        UniqueKernelHandle byName(
            OpenMutexW(SYNCHRONIZE, FALSE, (L"Global\\_QXSETUP_" + code).c_str()));
        EXPECT_TRUE(byName.valid());
    }

    EXPECT_TRUE(AcquireSetupLock(second, code));
    EXPECT_FALSE(AcquireSetupLock(otherProduct, UniqueProductCode(L"b")));

    second = SetupLock();
    first = SetupLock();
    EXPECT_FALSE(AcquireSetupLock(afterwards, code)) << "closing the handles frees the lock";
}

TEST(SetupLock, PatchRunsWithoutAKeyBlockEachOther) {
    SetupLock first, second;
    EXPECT_FALSE(AcquireSetupLock(first, L""));
    EXPECT_TRUE(AcquireSetupLock(second, L""));
    EXPECT_TRUE(first.mutex.valid());
}

// Who may have made an object of setup's: the running account, Administrators, SYSTEM.
TEST(TrustedOwner, OnlyTheRunningAccountAdministratorsAndSystem) {
    HANDLE rawToken = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &rawToken));
    UniqueKernelHandle token(rawToken);
    BYTE user[512] = {};
    DWORD size = 0;
    ASSERT_TRUE(GetTokenInformation(token.get(), TokenUser, user, sizeof(user), &size));
    EXPECT_TRUE(IsTrustedOwner(reinterpret_cast<TOKEN_USER*>(user)->User.Sid));
    const struct {
        const wchar_t* sid;
        bool trusted;
    } cases[] = {
        {L"S-1-5-32-544", true},  {L"S-1-5-18", true},  {L"S-1-5-32-545", false},
        {L"S-1-1-0", false},      {L"S-1-5-11", false}, {L"S-1-5-21-1-2-3-1001", false},
        {L"S-1-5-32-547", false},
    };
    for (const auto& c : cases) {
        PSID sid = nullptr;
        ASSERT_TRUE(ConvertStringSidToSidW(c.sid, &sid));
        EXPECT_EQ(IsTrustedOwner(sid), c.trusted) << c.sid;
        LocalFree(sid);
    }
    EXPECT_FALSE(IsTrustedOwner(nullptr));
}

} // namespace
