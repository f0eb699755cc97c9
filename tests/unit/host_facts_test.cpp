#include "foundation/host_facts.h"
#include "foundation/trusted_owner.h"

#include <sddl.h>

#include <gtest/gtest.h>

namespace {

// Told by another fact of the system: only 64-bit Windows has a folder for 32-bit system files
// (the 32-bit prefix has none, the 64-bit one has it for either flavour).
TEST(HostFacts, NativeX86ExactlyOnWindowsWithoutA32BitSystemFolder) {
    wchar_t folder[MAX_PATH] = {};
    const bool has32BitSystemFolder = GetSystemWow64DirectoryW(folder, MAX_PATH) != 0;
    EXPECT_EQ(IsNativeX86(), !has32BitSystemFolder)
        << "32-bit system folder: " << has32BitSystemFolder;
}

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
