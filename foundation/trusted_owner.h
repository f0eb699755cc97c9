#pragma once
// Whether an object that setup.exe finds under a name it uses could have been made by a setup run:
// one owned by the running account, the Administrators group or SYSTEM. Anything else was put
// there by another account, to be left alone.
#include <windows.h>

#include <accctrl.h>

bool IsTrustedOwner(PSID owner);
// True when the owner of a kernel object or file (SE_KERNEL_OBJECT, SE_FILE_OBJECT) cannot be read
// or is not trusted. An object without an owner (Wine gives unnamed-security objects none) has
// nobody to distrust.
bool HasForeignOwner(HANDLE object, SE_OBJECT_TYPE type);
