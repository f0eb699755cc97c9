#pragma once
// Facts about the host and the privileges of the run.
#include "foundation/handles.h"
#include <string>

// Windows itself runs on 32-bit x86 (false for a 32-bit process on 64-bit Windows).
bool IsNativeX86();
// The token of the thread (or process) has the Administrators group enabled.
bool IsUserAdmin();
// False when the run is SYSTEM's or lives in session 0, where no user sees a window and nobody
// can answer a question.
bool HasInteractiveUser();
// Enables SeShutdownPrivilege in the process token. On false the last error tells why
// (ERROR_NOT_ALL_ASSIGNED: the token does not hold the privilege).
bool EnableShutdownPrivilege();
// The single-instance lock of a run, held until the run ends.
struct SetupLock {
    UniqueKernelHandle space; // the private namespace the mutex lives in, when there is one
    UniqueKernelHandle mutex;
    bool squatted = false; // the global name was taken by another account: no lock held
};
// Creates or opens the mutex "_QXSETUP_<key>" in the private namespace "QXSETUP", whose boundary
// is the Administrators group; where there is none (before Vista, Wine, a token without the
// group) the mutex "Global\_QXSETUP_<key>". True when another run holds it already (or it cannot
// be created); false when this run holds it, or the global name was squatted.
bool AcquireSetupLock(SetupLock& lock, const std::wstring& key);
// Enables the shutdown privilege and asks Windows to restart (planned, for an installation).
// Returns 0 when Windows took the request, else the Windows error number of the failed step.
unsigned long RestartWindows();
