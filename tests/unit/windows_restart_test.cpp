#include "foundation/windows_restart.h"
#include "foundation/handles.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowsRestart, ShutdownPrivilegeIsEnabledInTheProcessToken) {
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

} // namespace
