// dll_search_probe.exe NAME [restrict]
//
// Loads NAME by name, after restricting the DLL search the way setup.exe does at start when
// "restrict" is given. Exit code 1 when the load succeeded, 0 when it did not.
#include <windows.h>

#include "foundation/dll_search.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 87; // ERROR_INVALID_PARAMETER
    if (argc > 2 && lstrcmpW(argv[2], L"restrict") == 0)
        RestrictDllSearchToSystemFolder();
    HMODULE module = LoadLibraryW(argv[1]);
    return module ? 1 : 0;
}
