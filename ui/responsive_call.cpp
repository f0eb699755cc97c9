#include "ui/responsive_call.h"

#include "foundation/handles.h"

#include <objbase.h>

namespace {

struct Work {
    DWORD(WINAPI* run)(void*);
    void* context;
};

// Launching elevated goes through the shell, which wants COM on its thread.
DWORD WINAPI RunWithCom(void* parameter) {
    const Work* work = static_cast<Work*>(parameter);
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    work->run(work->context);
    if (SUCCEEDED(com))
        CoUninitialize();
    return 0;
}

bool TakesInput(const MSG& message, HWND listening) {
    if (listening && message.hwnd == listening)
        return false;
    const UINT id = message.message;
    if ((id >= WM_KEYFIRST && id <= WM_KEYLAST) || (id >= WM_MOUSEFIRST && id <= WM_MOUSELAST))
        return true;
    if (id >= WM_NCLBUTTONDOWN && id <= WM_NCXBUTTONDBLCLK) // close box, menus, sizing
        return !(id == WM_NCLBUTTONDOWN && message.wParam == HTCAPTION);
    return false;
}

// False once WM_QUIT came: it is posted again for the loop that owns it.
bool DispatchPending(HWND listening) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        if (TakesInput(message, listening))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

} // namespace

void CallResponsive(DWORD(WINAPI* run)(void*), void* context, HWND listening) {
    Work work = {run, context};
    UniqueKernelHandle thread(CreateThread(nullptr, 0, RunWithCom, &work, 0, nullptr));
    if (!thread) {
        run(context);
        return;
    }
    const HANDLE handle = thread.get();
    while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
        if (!DispatchPending(listening)) {
            WaitForSingleObject(handle, INFINITE);
            return;
        }
}
