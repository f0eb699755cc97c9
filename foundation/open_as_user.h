#pragma once
// Opening an address (a download page) as the signed-in user. setup.exe runs elevated, often as
// SYSTEM: a browser it started itself would run with those rights, and so would whatever the user
// downloads and opens from it.
#include <string>

#include "foundation/desktop_account.h"

// Asks the desktop's shell (explorer, running unelevated as the user) to open the address; where
// that cannot be reached, opens it with ShellExecuteW from this process, unless setup runs as
// another account than the desktop's: then nothing starts, and the address is shown in a box for
// the user to open. The way taken is logged. True when the shell or this process took the request.
bool OpenAsUser(const std::wstring& address, DesktopAccount account);
inline bool OpenAsUser(const std::wstring& address) {
    return OpenAsUser(address, CurrentDesktopAccount());
}
