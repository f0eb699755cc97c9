#pragma once
// Opening an address (a download page) as the signed-in user. setup.exe runs elevated, often as
// SYSTEM: a browser it started itself would run with those rights, and so would whatever the user
// downloads and opens from it.
#include <string>

// Asks the desktop's shell (explorer, running unelevated as the user) to open the address; where
// there is no desktop shell, opens it with ShellExecuteW from this process. The way taken is
// logged. True when either took the request.
bool OpenAsUser(const std::wstring& address);
