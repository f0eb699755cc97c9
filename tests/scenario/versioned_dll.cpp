// A DLL with version 10.0.1.1 and nothing else, for the file-version tests of prerequisites.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
