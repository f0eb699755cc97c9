#include "foundation/host_facts.h"

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
    UniqueKernelHandle first, second, otherProduct, afterwards;
    EXPECT_FALSE(AcquireSetupLock(first, code));
    ASSERT_TRUE(first.valid());
    // Other processes (other users' sessions too) find it under this exact global name.
    UniqueKernelHandle byName(
        OpenMutexW(SYNCHRONIZE, FALSE, (L"Global\\_QXSETUP_" + code).c_str()));
    EXPECT_TRUE(byName.valid());
    byName.reset();

    EXPECT_TRUE(AcquireSetupLock(second, code));
    EXPECT_FALSE(AcquireSetupLock(otherProduct, UniqueProductCode(L"b")));

    second.reset();
    first.reset();
    EXPECT_FALSE(AcquireSetupLock(afterwards, code)) << "closing the handles frees the lock";
}

TEST(SetupLock, PatchRunsWithoutProductCodeBlockEachOther) {
    UniqueKernelHandle first, second;
    EXPECT_FALSE(AcquireSetupLock(first, L""));
    EXPECT_TRUE(AcquireSetupLock(second, L""));
    EXPECT_TRUE(first.valid());
}

} // namespace
