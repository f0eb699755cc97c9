#pragma once
// Slow work (detection, condition programs, installers) run off the window's thread, so that the
// window keeps painting and can be moved while it runs; it takes no input meanwhile.
#include <windows.h>

// Runs work(context) on a worker thread (on this thread when none can be started) and dispatches
// this thread's messages until it ends, dropping keyboard and mouse input but for dragging a
// window by its caption and for input to `listening` (a download's Cancel button).
void CallResponsive(DWORD(WINAPI* work)(void*), void* context, HWND listening = nullptr);

// The same for any callable; returns its result.
template <typename Result, typename Work>
Result CallResponsive(Work& work, HWND listening = nullptr) {
    struct Call {
        Work& work;
        Result result;
        static DWORD WINAPI Run(void* self) {
            auto* call = static_cast<Call*>(self);
            call->result = call->work();
            return 0;
        }
    } call{work, Result()};
    CallResponsive(&Call::Run, &call, listening);
    return call.result;
}
