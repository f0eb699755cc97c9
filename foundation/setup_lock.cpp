#include "foundation/setup_lock.h"

#include "foundation/dll_binding.h"
#include "foundation/host_facts.h"
#include "foundation/trusted_owner.h"

#include <sddl.h>

namespace {
constexpr wchar_t kSetupLockPrefix[] = L"Global\\_QXSETUP_";
// The namespace and the lock in it: only the Administrators group (SYSTEM has it too) can create
// the namespace, and only administrators and SYSTEM can open either.
constexpr wchar_t kLockNamespace[] = L"QXSETUP";
constexpr wchar_t kLockSecurity[] = L"D:(A;;GA;;;BA)(A;;GA;;;SY)";
constexpr int kNamespaceTries = 3;

class LockSecurity {
public:
    LockSecurity() {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (ConvertStringSecurityDescriptorToSecurityDescriptorW(kLockSecurity, SDDL_REVISION_1,
                                                                 &descriptor, nullptr))
            descriptor_.reset(descriptor);
        attributes_.lpSecurityDescriptor = descriptor_.get();
    }
    LPSECURITY_ATTRIBUTES get() { return descriptor_ ? &attributes_ : nullptr; }

private:
    UniqueLocalMemory descriptor_;
    SECURITY_ATTRIBUTES attributes_ = {sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
};

bool HasNamespaces(const LockCalls& calls) {
    return calls.createBoundary && calls.addSid && calls.deleteBoundary && calls.createNamespace &&
           calls.openNamespace;
}

// Created, or opened when another run made it first. That run may close its last handle, and so
// end the namespace, between the two calls: then it is created again, a few times at most.
UniqueKernelHandle CreateOrOpenNamespace(const LockCalls& calls, LockSecurity& security,
                                         HANDLE boundary) {
    UniqueKernelHandle space;
    for (int attempt = 0; attempt < kNamespaceTries && !space; ++attempt) {
        HANDLE created = calls.createNamespace(security.get(), boundary, kLockNamespace);
        const DWORD error = GetLastError();
        space.reset(created);
        if (space || error != ERROR_ALREADY_EXISTS)
            break;
        space.reset(calls.openNamespace(boundary, kLockNamespace));
    }
    return space;
}

// Empty where the system or the token does not allow a namespace.
UniqueKernelHandle OpenLockNamespace(const LockCalls& calls, LockSecurity& security) {
    UniqueSid administrators = AdministratorsGroupSid();
    if (!HasNamespaces(calls) || !administrators)
        return UniqueKernelHandle();
    HANDLE boundary = calls.createBoundary(kLockNamespace, 0);
    if (!boundary)
        return UniqueKernelHandle();
    UniqueKernelHandle space;
    if (calls.addSid(&boundary, administrators.get()))
        space = CreateOrOpenNamespace(calls, security, boundary);
    calls.deleteBoundary(boundary);
    return space;
}

// True when it was there already.
bool CreateLockMutex(const LockCalls& calls, LPSECURITY_ATTRIBUTES security,
                     const std::wstring& name, UniqueKernelHandle& mutex, DWORD& error) {
    HANDLE created = calls.createMutex(security, FALSE, name.c_str());
    error = GetLastError();
    mutex.reset(created);
    return mutex && error == ERROR_ALREADY_EXISTS;
}

// The global name can be created first by any account, with any type and any security: only a
// mutex of a trusted owner is another setup run's. Anything else is squatted and left alone.
bool AcquireGlobalName(SetupLock& lock, const std::wstring& key, const LockCalls& calls) {
    DWORD error = ERROR_SUCCESS;
    const bool existed =
        CreateLockMutex(calls, nullptr, kSetupLockPrefix + key, lock.global, error);
    if (!lock.global) {
        if (error == ERROR_ACCESS_DENIED)
            lock.squat = LockSquat::NoAccess;
        else if (error == ERROR_INVALID_HANDLE)
            lock.squat = LockSquat::NotAMutex;
        return lock.squat == LockSquat::None;
    }
    if (existed && calls.hasForeignOwner(lock.global.get())) {
        lock.squat = LockSquat::ForeignOwner;
        lock.global.reset();
        return false;
    }
    return existed;
}
} // namespace

LockCalls SystemLockCalls() {
    LockCalls calls;
    calls.createBoundary =
        BindKernel32<decltype(calls.createBoundary)>("CreateBoundaryDescriptorW");
    calls.addSid = BindKernel32<decltype(calls.addSid)>("AddSIDToBoundaryDescriptor");
    calls.deleteBoundary = BindKernel32<decltype(calls.deleteBoundary)>("DeleteBoundaryDescriptor");
    calls.createNamespace =
        BindKernel32<decltype(calls.createNamespace)>("CreatePrivateNamespaceW");
    calls.openNamespace = BindKernel32<decltype(calls.openNamespace)>("OpenPrivateNamespaceW");
    calls.createMutex = &::CreateMutexW;
    calls.hasForeignOwner = [](HANDLE object) { return HasForeignOwner(object, SE_KERNEL_OBJECT); };
    return calls;
}

bool AcquireSetupLock(SetupLock& lock, const std::wstring& key, const LockCalls& calls) {
    lock = SetupLock();
    LockSecurity security;
    lock.space = OpenLockNamespace(calls, security);
    if (lock.space) {
        DWORD error = ERROR_SUCCESS;
        const std::wstring name = std::wstring(kLockNamespace) + L"\\_QXSETUP_" + key;
        if (CreateLockMutex(calls, security.get(), name, lock.mutex, error) || !lock.mutex)
            return true;
    }
    // Taken besides: other builds of setup and administrators' scripts know only this name.
    return AcquireGlobalName(lock, key, calls);
}
