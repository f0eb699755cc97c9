#include "foundation/dll_search.h"

#include "foundation/dll_binding.h"

bool RestrictDllSearchToSystemFolder() {
    // Bound at run time: older systems lack the function, and a static import would keep
    // setup.exe from starting there at all.
    const auto setDefault =
        BindKernel32<decltype(&::SetDefaultDllDirectories)>("SetDefaultDllDirectories");
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return true;
    SetDllDirectoryW(L"");
    return false;
}
