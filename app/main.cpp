// setup.exe: prepares the machine for a product and hands its package to Windows Installer.
#include "app/entry_sequence.h"
#include "foundation/dll_search.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

namespace {
class ComInitialization {
public:
    ComInitialization() { CoInitialize(nullptr); }
    ~ComInitialization() { CoUninitialize(); }
    ComInitialization(const ComInitialization&) = delete;
    ComInitialization& operator=(const ComInitialization&) = delete;
};

void InitListViewAndBarControls() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
}
} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
    RestrictDllSearchToSystemFolder(); // before anything can load a DLL by name
    ComInitialization com;
    InitListViewAndBarControls();
    return RunEntrySequence(commandLine ? commandLine : L"");
}
