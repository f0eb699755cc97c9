#pragma once
// Facts about the host and the privileges of the run.
#include "foundation/handles.h"
#include <string>

// Windows itself runs on 32-bit x86 (false for a 32-bit process on 64-bit Windows).
bool IsNativeX86();
// The token of the thread (or process) has the Administrators group enabled.
bool IsUserAdmin();
// Enables SeShutdownPrivilege in the process token. On false the last error tells why
// (ERROR_NOT_ALL_ASSIGNED: the token does not hold the privilege).
bool EnableShutdownPrivilege();
// Creates or opens the mutex "Global\_QXSETUP_<productCode>"; the caller keeps the handle until
// the end of the run. True when another run holds it already (or it cannot be created).
bool AcquireSetupLock(UniqueKernelHandle& lock, const std::wstring& productCode);
// Enables the shutdown privilege and asks Windows to restart (planned, for an installation).
// Returns 0 when Windows took the request, else the Windows error number of the failed step.
unsigned long RestartWindows();
