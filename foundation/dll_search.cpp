#include "foundation/dll_search.h"

#include <windows.h>

bool RestrictDllSearchToSystemFolder() {
    // Bound at run time: older systems lack the function, and a static import would keep
    // setup.exe from starting there at all.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    auto setDefault = kernel32
                          ? reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
                                GetProcAddress(kernel32, "SetDefaultDllDirectories")))
                          : nullptr;
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return true;
    SetDllDirectoryW(L"");
    return false;
}
