// A DLL with version 10.0.1.1 that imports versioned.dll: it loads only where versioned.dll is
// found, as a component DLL with a dependency beside it.
#include <windows.h>

extern "C" __declspec(dllimport) int VersionedAnswer();

extern "C" __declspec(dllexport) int VersionedUserAnswer() {
    return VersionedAnswer();
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
