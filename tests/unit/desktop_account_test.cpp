// Whether setup runs as the desktop's account. Wine has one account only: the decision is shown
// with identifiers made up for it.
#include "foundation/desktop_account.h"

#include <gtest/gtest.h>

#include <sddl.h>

namespace {

struct Sid {
    explicit Sid(const wchar_t* text) { ConvertStringSidToSidW(text, &value); }
    ~Sid() { LocalFree(value); }
    Sid(const Sid&) = delete;
    Sid& operator=(const Sid&) = delete;
    PSID value = nullptr;
};

TEST(DesktopAccount, SameOnlyForTheSameUserOfAShellThatWasFound) {
    Sid user(L"S-1-5-21-1-2-3-1001"), sameUser(L"S-1-5-21-1-2-3-1001");
    Sid administrator(L"S-1-5-21-1-2-3-500"), system(L"S-1-5-18");
    const struct {
        const char* what;
        bool shellFound;
        PSID shellUser, setupUser;
        DesktopAccount expected;
    } cases[] = {
        {"the user elevated as himself", true, user.value, sameUser.value, DesktopAccount::Same},
        {"another administrator's password", true, user.value, administrator.value,
         DesktopAccount::Other},
        {"a deployment tool's SYSTEM on the desktop", true, user.value, system.value,
         DesktopAccount::Other},
        {"a shell whose user cannot be read", true, nullptr, user.value, DesktopAccount::Other},
        {"setup's own user cannot be read", true, user.value, nullptr, DesktopAccount::Other},
        {"no desktop shell", false, nullptr, user.value, DesktopAccount::NoShell},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CompareDesktopAccount(c.shellFound, c.shellUser, c.setupUser), c.expected)
            << c.what;
}

// Wine shows no shell window, so the token reading is shown with processes of the one account
// there is: this one and a child; one that cannot be opened counts as another account's.
TEST(DesktopAccount, ProcessesOfTheRunningAccountAreItsDesktop) {
    EXPECT_EQ(CompareWithShellProcess(GetCurrentProcessId()), DesktopAccount::Same);
    wchar_t command[] = L"C:\\windows\\system32\\cmd.exe /c pause";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child = {};
    ASSERT_TRUE(CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                               nullptr, &startup, &child));
    EXPECT_EQ(CompareWithShellProcess(child.dwProcessId), DesktopAccount::Same);
    TerminateProcess(child.hProcess, 0);
    WaitForSingleObject(child.hProcess, INFINITE);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    EXPECT_EQ(CompareWithShellProcess(0xFFFFFFF0), DesktopAccount::Other) << "no such process";
    EXPECT_EQ(CurrentDesktopAccount(),
              GetShellWindow() ? DesktopAccount::Same : DesktopAccount::NoShell);
}

} // namespace
