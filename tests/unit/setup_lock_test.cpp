#include "foundation/setup_lock.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <set>

namespace {

std::wstring UniqueProductCode(const wchar_t* tag) {
    return L"{host-facts-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + tag + L"}";
}

TEST(SetupLock, SecondRunForTheSameProductIsBusyUntilTheFirstEnds) {
    const std::wstring code = UniqueProductCode(L"a");
    SetupLock first, second, otherProduct, afterwards;
    EXPECT_FALSE(AcquireSetupLock(first, code));
    EXPECT_EQ(first.squat, LockSquat::None);
    // Other sessions, other builds of setup and scripts find it under the global name.
    UniqueKernelHandle byName(
        OpenMutexW(SYNCHRONIZE, FALSE, (L"Global\\_QXSETUP_" + code).c_str()));
    EXPECT_TRUE(byName.valid());
    byName.reset();

    EXPECT_TRUE(AcquireSetupLock(second, code));
    EXPECT_FALSE(AcquireSetupLock(otherProduct, UniqueProductCode(L"b")));

    second = SetupLock();
    first = SetupLock();
    EXPECT_FALSE(AcquireSetupLock(afterwards, code)) << "closing the handles frees the lock";
}

TEST(SetupLock, PatchRunsWithoutAKeyBlockEachOther) {
    SetupLock first, second;
    EXPECT_FALSE(AcquireSetupLock(first, L""));
    EXPECT_TRUE(AcquireSetupLock(second, L""));
    EXPECT_TRUE(first.global.valid());
}

// What the lock's calls meet: the part that Windows has and Wine 8 lacks (private namespaces)
// and any object under the global name. Only these tests take the namespace path.
struct FakeKernel {
    // Unavailable: no such functions (Windows XP, Wine 8). VanishesOnce: the run that made it
    // closes its last handle between this run's create and open. Flapping: other runs make and end
    // it between every two calls. Denied: the token lacks the Administrators group.
    enum class Space { Unavailable, Missing, Exists, VanishesOnce, Flapping, Denied };
    enum class Object { None, Mutex, ForeignMutex, Event, Denied, Broken };
    Space space = Space::Missing;
    bool runInSpace = false; // another run holds the lock in the namespace
    Object global = Object::None;
    std::wstring calls; // "create QXSETUP; open QXSETUP; mutex <name>; ..."
    std::set<HANDLE> foreign;
};
FakeKernel* kernel = nullptr;

HANDLE NewHandle() {
    return CreateEventW(nullptr, FALSE, FALSE, nullptr); // any real handle: the lock closes it
}
HANDLE Fail(DWORD error) {
    SetLastError(error);
    return nullptr;
}
HANDLE Succeed(DWORD error) {
    HANDLE handle = NewHandle();
    SetLastError(error); // as CreateMutexW reports an existing object
    return handle;
}
HANDLE WINAPI FakeCreateBoundary(LPCWSTR, ULONG) {
    return reinterpret_cast<HANDLE>(1);
}
BOOL WINAPI FakeAddSid(HANDLE*, PSID) {
    return TRUE;
}
VOID WINAPI FakeDeleteBoundary(HANDLE) {}
HANDLE WINAPI FakeCreateNamespace(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR name) {
    using Space = FakeKernel::Space;
    kernel->calls += L"create " + std::wstring(name) + L"; ";
    switch (kernel->space) {
    case Space::Denied:
        return Fail(ERROR_ACCESS_DENIED);
    case Space::Exists:
    case Space::VanishesOnce:
    case Space::Flapping:
        return Fail(ERROR_ALREADY_EXISTS);
    default:
        kernel->space = Space::Exists;
        return Succeed(ERROR_SUCCESS);
    }
}
HANDLE WINAPI FakeOpenNamespace(LPVOID, LPCWSTR name) {
    using Space = FakeKernel::Space;
    kernel->calls += L"open " + std::wstring(name) + L"; ";
    if (kernel->space == Space::VanishesOnce)
        kernel->space = Space::Missing;
    return kernel->space == Space::Exists ? Succeed(ERROR_SUCCESS) : Fail(ERROR_PATH_NOT_FOUND);
}
HANDLE WINAPI FakeCreateMutex(LPSECURITY_ATTRIBUTES, BOOL, LPCWSTR name) {
    using Object = FakeKernel::Object;
    kernel->calls += L"mutex " + std::wstring(name) + L"; ";
    if (std::wcsncmp(name, L"QXSETUP\\", 8) == 0) {
        const bool held = kernel->runInSpace;
        kernel->runInSpace = true;
        return Succeed(held ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    }
    switch (kernel->global) {
    case Object::None:
        kernel->global = Object::Mutex;
        return Succeed(ERROR_SUCCESS);
    case Object::Event:
        return Fail(ERROR_INVALID_HANDLE);
    case Object::Denied:
        return Fail(ERROR_ACCESS_DENIED);
    case Object::Broken:
        return Fail(ERROR_NO_SYSTEM_RESOURCES);
    default: {
        HANDLE handle = Succeed(ERROR_ALREADY_EXISTS);
        if (kernel->global == Object::ForeignMutex)
            kernel->foreign.insert(handle);
        return handle;
    }
    }
}
bool FakeHasForeignOwner(HANDLE object) {
    return kernel->foreign.count(object) != 0;
}

LockCalls FakeLockCalls() {
    LockCalls calls;
    if (kernel->space != FakeKernel::Space::Unavailable) {
        calls.createBoundary = FakeCreateBoundary;
        calls.addSid = FakeAddSid;
        calls.deleteBoundary = FakeDeleteBoundary;
        calls.createNamespace = FakeCreateNamespace;
        calls.openNamespace = FakeOpenNamespace;
    }
    calls.createMutex = FakeCreateMutex;
    calls.hasForeignOwner = FakeHasForeignOwner;
    return calls;
}

// Which handles the lock holds: s(pace), m(utex in it), g(lobal name).
std::string Held(const SetupLock& lock) {
    return std::string(lock.space ? "s" : "") + (lock.mutex ? "m" : "") + (lock.global ? "g" : "");
}

TEST(SetupLock, NamespaceAndGlobalNameThroughTheSystemsCalls) {
    using Object = FakeKernel::Object;
    using Space = FakeKernel::Space;
    const std::wstring c = L"create QXSETUP; ", o = L"open QXSETUP; ";
    const std::wstring m = L"mutex QXSETUP\\_QXSETUP_{K}; ", g = L"mutex Global\\_QXSETUP_{K}; ";
    const struct Case {
        const char* what;
        Space space;
        bool runInSpace;
        Object global;
        bool busy;
        LockSquat squat;
        const char* held;
        std::wstring calls;
    } cases[] = {
        {"first run", Space::Missing, false, Object::None, false, LockSquat::None, "smg",
         c + m + g},
        {"namespace left open", Space::Exists, false, Object::None, false, LockSquat::None, "smg",
         c + o + m + g},
        {"namespace gone before the open", Space::VanishesOnce, false, Object::None, false,
         LockSquat::None, "smg", c + o + c + m + g},
        {"namespace never there to open", Space::Flapping, false, Object::None, false,
         LockSquat::None, "g", c + o + c + o + c + o + g},
        {"token without Administrators", Space::Denied, false, Object::None, false, LockSquat::None,
         "g", c + g},
        {"another run in the namespace", Space::Exists, true, Object::None, true, LockSquat::None,
         "sm", c + o + m},
        {"an older setup on the global name", Space::Missing, false, Object::Mutex, true,
         LockSquat::None, "smg", c + m + g},
        {"global name of another account", Space::Missing, false, Object::ForeignMutex, false,
         LockSquat::ForeignOwner, "sm", c + m + g},
        {"global name closed to setup", Space::Missing, false, Object::Denied, false,
         LockSquat::NoAccess, "sm", c + m + g},
        {"an event under the global name", Space::Missing, false, Object::Event, false,
         LockSquat::NotAMutex, "sm", c + m + g},
        {"global name that cannot be made", Space::Missing, false, Object::Broken, true,
         LockSquat::None, "sm", c + m + g},
        {"no namespaces, an event", Space::Unavailable, false, Object::Event, false,
         LockSquat::NotAMutex, "", g},
        {"no namespaces, another run", Space::Unavailable, false, Object::Mutex, true,
         LockSquat::None, "g", g},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        FakeKernel fake;
        fake.space = test.space;
        fake.runInSpace = test.runInSpace;
        fake.global = test.global;
        kernel = &fake;
        SetupLock lock;
        EXPECT_EQ(AcquireSetupLock(lock, L"{K}", FakeLockCalls()), test.busy);
        EXPECT_EQ(lock.squat, test.squat);
        EXPECT_EQ(Held(lock), test.held);
        EXPECT_EQ(fake.calls, test.calls);
        kernel = nullptr;
    }
}

// A patch run has no product code: every patch run takes the bare names.
TEST(SetupLock, PatchRunsTakeTheBareNamesInTheNamespaceToo) {
    FakeKernel fake;
    kernel = &fake;
    SetupLock first, second;
    EXPECT_FALSE(AcquireSetupLock(first, L"", FakeLockCalls()));
    EXPECT_TRUE(AcquireSetupLock(second, L"", FakeLockCalls()));
    EXPECT_EQ(fake.calls, L"create QXSETUP; mutex QXSETUP\\_QXSETUP_; mutex Global\\_QXSETUP_; "
                          L"create QXSETUP; open QXSETUP; mutex QXSETUP\\_QXSETUP_; ");
    kernel = nullptr;
}

// Who may have made an object of setup's: the running account, Administrators, SYSTEM.

} // namespace
