// A DLL with version 10.0.1.1, the file that prerequisite file tests look at. Its one export is
// imported by versioned_user.dll.
#include <windows.h>

extern "C" __declspec(dllexport) int VersionedAnswer() {
    return 42;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
