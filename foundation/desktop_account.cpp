#include "foundation/desktop_account.h"

#include "foundation/handles.h"

namespace {
union TokenUserBuffer {
    TOKEN_USER user;
    BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
};

// The user of a process's token, or null.
PSID ProcessUser(HANDLE process, TokenUserBuffer& buffer) {
    UniqueKernelHandle token;
    DWORD size = 0;
    if (!OpenProcessToken(process, TOKEN_QUERY, token.receive()) ||
        !GetTokenInformation(token.get(), TokenUser, &buffer, sizeof(buffer), &size))
        return nullptr;
    return buffer.user.User.Sid;
}

// Windows before Vista does not know the limited right.
UniqueKernelHandle OpenForQuery(DWORD processId) {
    UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process)
        process.reset(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
    return process;
}
} // namespace

DesktopAccount CompareDesktopAccount(bool shellFound, PSID shellUser, PSID setupUser) {
    if (!shellFound)
        return DesktopAccount::NoShell;
    // A shell whose account setup may not read belongs to someone else.
    if (!shellUser || !setupUser || !IsValidSid(shellUser) || !IsValidSid(setupUser))
        return DesktopAccount::Other;
    return EqualSid(shellUser, setupUser) ? DesktopAccount::Same : DesktopAccount::Other;
}

DesktopAccount CompareWithShellProcess(DWORD shellProcessId) {
    TokenUserBuffer shellBuffer, setupBuffer;
    UniqueKernelHandle shellProcess = OpenForQuery(shellProcessId);
    PSID shellUser = shellProcess ? ProcessUser(shellProcess.get(), shellBuffer) : nullptr;
    PSID setupUser = ProcessUser(GetCurrentProcess(), setupBuffer);
    return CompareDesktopAccount(true, shellUser, setupUser);
}

DesktopAccount CurrentDesktopAccount() {
    DWORD shellProcessId = 0;
    const HWND shell = GetShellWindow();
    if (shell)
        GetWindowThreadProcessId(shell, &shellProcessId);
    return shellProcessId != 0 ? CompareWithShellProcess(shellProcessId) : DesktopAccount::NoShell;
}
