#pragma once
// The single-instance lock of a setup run, so that a second setup for the same product stays out.
#include "foundation/handles.h"
#include <string>

// Why the lock's global name is not held although no other setup run holds it.
enum class LockSquat {
    None,
    ForeignOwner, // an object that an account other than this one, Administrators or SYSTEM made
    NoAccess,     // an object this run may not open
    NotAMutex,    // an object of another type (an event, a section...)
};
// The single-instance lock of a run, held until the run ends.
struct SetupLock {
    UniqueKernelHandle space;  // the private namespace the lock lives in, when there is one
    UniqueKernelHandle mutex;  // the lock in that namespace
    UniqueKernelHandle global; // "Global\_QXSETUP_<key>", the name other setups and scripts know
    LockSquat squat = LockSquat::None;
};
// The system calls the lock is made of (private namespaces came with Vista: null where kernel32
// lacks them, as Wine 8 does). Tests put their own in.
struct LockCalls {
    HANDLE(WINAPI* createBoundary)(LPCWSTR, ULONG) = nullptr;
    BOOL(WINAPI* addSid)(HANDLE*, PSID) = nullptr;
    VOID(WINAPI* deleteBoundary)(HANDLE) = nullptr;
    HANDLE(WINAPI* createNamespace)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR) = nullptr;
    HANDLE(WINAPI* openNamespace)(LPVOID, LPCWSTR) = nullptr;
    HANDLE(WINAPI* createMutex)(LPSECURITY_ATTRIBUTES, BOOL, LPCWSTR) = nullptr;
    bool (*hasForeignOwner)(HANDLE object) = nullptr;
};
LockCalls SystemLockCalls();
// Takes the mutex "_QXSETUP_<key>" in the private namespace "QXSETUP", whose boundary is the
// Administrators group (where there is none: before Vista, Wine, a token without the group, only
// the global name counts), and the mutex "Global\_QXSETUP_<key>". True when another run holds
// either (or a lock cannot be created); false when this run holds them, or when the global name
// is squatted (lock.squat says why; the run goes on under the namespace's lock, if any).
bool AcquireSetupLock(SetupLock& lock, const std::wstring& key,
                      const LockCalls& calls = SystemLockCalls());
