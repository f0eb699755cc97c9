#pragma once
// Restarting Windows when an installation asks for it.

// Enables SeShutdownPrivilege in the process token. On false the last error tells why
// (ERROR_NOT_ALL_ASSIGNED: the token does not hold the privilege).
bool EnableShutdownPrivilege();
// Enables the shutdown privilege and asks Windows to restart (planned, for an installation).
// Returns 0 when Windows took the request, else the Windows error number of the failed step.
unsigned long RestartWindows();
