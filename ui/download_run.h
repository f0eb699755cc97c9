#pragma once
// A record's installer downloaded on a worker thread (prereq/installer_download.h) while a window
// of this thread keeps painting and shows how far it got: the component's name, how much of how
// much, and a progress bar. Only a Cancel button, where there is one, takes input meanwhile.
#include <windows.h>

class CDownloadFolder;
struct Prerequisite;

class CDownloadRun {
public:
    CDownloadRun() = default;
    CDownloadRun(const CDownloadRun&) = delete;
    CDownloadRun& operator=(const CDownloadRun&) = delete;

    static constexpr UINT kProgressMessage = WM_APP + 0x24;

    // The window receives kProgressMessage and answers it with Show. text and bar are its
    // controls; cancelButton may be null.
    void Attach(HWND window, HWND text, HWND bar, HWND cancelButton);

    // Shows the record's download as not begun.
    void Begin(const Prerequisite& record);
    // 0 when the file arrived and matched; ERROR_CANCELLED after Cancel; else the error.
    unsigned long Run(Prerequisite& record, CDownloadFolder& folder);
    // The user pressed Cancel: the download stops at its next piece.
    void Cancel() { cancel_ = 1; }
    // Puts the latest figures into the controls (on kProgressMessage).
    void Show();

private:
    static void Report(void* self, unsigned long long received, unsigned long long total);

    HWND window_ = nullptr, text_ = nullptr, bar_ = nullptr, cancelButton_ = nullptr;
    const Prerequisite* record_ = nullptr;
    volatile long cancel_ = 0;
    // Written by the worker, read by the window (32-bit values, whole).
    volatile long kib_ = 0, totalKib_ = 0;
    volatile long shown_ = 1; // the window has shown the last figures: a new message may go
};
