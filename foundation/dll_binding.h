#pragma once
// Run-time binding of optional system libraries. Libraries are loaded from the system folder only:
// setup.exe runs elevated from download folders, where a planted DLL of the same name would
// otherwise run with administrator rights.
#include "foundation/handles.h"
#include <cstring>
#include <string>

class SystemLibrary {
public:
    explicit SystemLibrary(const wchar_t* fileName);
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    bool loaded() const { return module_.valid(); }
    HMODULE module() const { return module_.get(); }

    // Binds `name` as a pointer of the declared type of the SDK function, e.g.
    // `lib.bind<decltype(&::MsiInstallProductW)>("MsiInstallProductW")`. Null when missing.
    template <typename Fn> Fn bind(const char* name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(procAddress(name)));
    }
    template <typename Fn> bool bind(Fn& target, const char* name) const {
        target = bind<Fn>(name);
        return target != nullptr;
    }
    // Binds a block of many functions at once, smaller than a bind a function: `calls` is a
    // struct of nothing but function pointers, `names` their export names in the same order,
    // each ended by '\0' ("A\0B\0"). False when one is missing (its pointer then null).
    template <typename Calls> bool bindAll(Calls& calls, const char* names) const {
        FARPROC found[sizeof(Calls) / sizeof(FARPROC)];
        const bool all = bindAll(names, found, sizeof(Calls) / sizeof(FARPROC));
        static_assert(sizeof found == sizeof calls, "only function pointers");
        memcpy(&calls, found, sizeof calls);
        return all;
    }

private:
    FARPROC procAddress(const char* name) const;
    bool bindAll(const char* names, FARPROC* found, unsigned count) const;
    UniqueModule module_;
};

// An export of kernel32, which every process has loaded: the calls that newer Windows versions
// added. Null where this Windows lacks it.
FARPROC Kernel32Export(const char* name);
template <typename Fn> Fn BindKernel32(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(Kernel32Export(name)));
}

// Path of a file in the Windows system folder ("" when the folder cannot be determined).
std::wstring SystemFolderPath(const wchar_t* fileName);
