#pragma once
// Notices a request to end the Windows session (restart, shut down) and refuses it, so that the
// Wine prefix and the processes of the test run survive a program that asks to restart.
#include <windows.h>

#include <atomic>
#include <thread>

namespace scenario {

class EndSessionWatcher {
public:
    EndSessionWatcher();  // a hidden top-level window on a thread of its own
    ~EndSessionWatcher(); // closes it
    EndSessionWatcher(const EndSessionWatcher&) = delete;
    EndSessionWatcher& operator=(const EndSessionWatcher&) = delete;

    // Waits until a WM_QUERYENDSESSION arrived (each one is refused), or the time is up. Windows
    // asks the session's windows after ExitWindowsEx has returned, often after the caller ended.
    bool waitForRequest(DWORD timeoutMs);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void threadMain();

    HANDLE requested_;
    std::atomic<HWND> window_{nullptr};
    HANDLE ready_;
    std::thread thread_;
};

} // namespace scenario
