#include "end_session_watcher.h"

namespace scenario {
namespace {
const wchar_t kClassName[] = L"ScenarioEndSessionWatcher";
}

EndSessionWatcher::EndSessionWatcher()
    : requested_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      ready_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this] { threadMain(); });
    WaitForSingleObject(ready_, 10000);
}

EndSessionWatcher::~EndSessionWatcher() {
    if (HWND window = window_.load())
        PostMessageW(window, WM_CLOSE, 0, 0);
    thread_.join();
    CloseHandle(ready_);
    CloseHandle(requested_);
}

bool EndSessionWatcher::waitForRequest(DWORD timeoutMs) {
    return WaitForSingleObject(requested_, timeoutMs) == WAIT_OBJECT_0;
}

LRESULT CALLBACK EndSessionWatcher::WindowProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    auto* self = reinterpret_cast<EndSessionWatcher*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_QUERYENDSESSION:
        if (self)
            SetEvent(self->requested_);
        return FALSE; // refused: the session goes on
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void EndSessionWatcher::threadMain() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass); // fails harmlessly when registered by an earlier watcher
    HWND window = CreateWindowW(kClassName, L"", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
    if (window)
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    window_ = window;
    SetEvent(ready_);
    if (!window)
        return;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
}

} // namespace scenario
