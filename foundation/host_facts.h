#pragma once
// Facts about the host and the privileges of the run.
#include "foundation/handles.h"

// Windows itself runs on 32-bit x86 (false for a 32-bit process on 64-bit Windows).
bool IsNativeX86();
// The token of the thread (or process) has the Administrators group enabled.
bool IsUserAdmin();
// The Administrators group's identifier; empty when Windows cannot make it.
UniqueSid AdministratorsGroupSid();
// False when the run is SYSTEM's or lives in session 0, where no user sees a window and nobody
// can answer a question.
bool HasInteractiveUser();
