#pragma once
// Whose desktop setup.exe's windows are on. A standard user who typed an administrator's
// password at the elevation prompt runs setup.exe as that administrator: a browser or a mail
// program that setup started would run as the administrator, on the user's desktop, and what the
// user opens from it too.
#include <windows.h>

enum class DesktopAccount {
    NoShell, // no desktop shell to compare with (none runs in this session)
    Same,    // the desktop shell runs as setup's own account
    Other,   // it runs as another account, or its account cannot be read
};

// The decision: whether a shell was found, its process's user (null when it cannot be read) and
// setup's own user (null when it cannot be read).
DesktopAccount CompareDesktopAccount(bool shellFound, PSID shellUser, PSID setupUser);

// The answer for this process and a shell that runs as the given process (Same or Other).
DesktopAccount CompareWithShellProcess(DWORD shellProcessId);
// The answer for this process and the desktop shell of its session (GetShellWindow).
DesktopAccount CurrentDesktopAccount();
