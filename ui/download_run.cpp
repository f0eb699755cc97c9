#include "ui/download_run.h"

#include "foundation/lang_strings.h"
#include "prereq/installer_download.h"
#include "prereq/prerequisite.h"
#include "resources/resource_ids.h"
#include "ui/responsive_call.h"

#include <commctrl.h>

void CDownloadRun::Attach(HWND window, HWND text, HWND bar, HWND cancelButton) {
    window_ = window;
    text_ = text;
    bar_ = bar;
    cancelButton_ = cancelButton;
}

void CDownloadRun::Begin(const Prerequisite& record) {
    record_ = &record;
    cancel_ = 0;
    kib_ = 0;
    totalKib_ = 0;
    shown_ = 1;
    SendMessageW(bar_, PBM_SETRANGE32, 0, 1000);
    ShowWindow(bar_, SW_SHOW);
    Show();
}

unsigned long CDownloadRun::Run(Prerequisite& record, CDownloadFolder& folder) {
    Begin(record);
    const DownloadWatch watch = {&CDownloadRun::Report, this, &cancel_};
    auto work = [&] { return DownloadInstaller(record, folder, watch); };
    const unsigned long result = CallResponsive<unsigned long>(work, cancelButton_);
    ShowWindow(bar_, SW_HIDE);
    return result;
}

// On the worker thread: the window is told only when the figures it shows change, and only once
// until it has shown them.
void CDownloadRun::Report(void* self, unsigned long long received, unsigned long long total) {
    CDownloadRun& run = *static_cast<CDownloadRun*>(self);
    const long kib = static_cast<long>(received >> 10);
    if (kib == run.kib_)
        return;
    run.totalKib_ = static_cast<long>(total >> 10);
    run.kib_ = kib;
    if (InterlockedExchange(&run.shown_, 0) == 1)
        PostMessageW(run.window_, kProgressMessage, 0, 0);
}

void CDownloadRun::Show() {
    InterlockedExchange(&shown_, 1);
    if (!record_)
        return;
    const long kib = kib_;
    // A size the server did not give is taken as what has arrived.
    const long totalKib = totalKib_ > 0 ? totalKib_ : kib;
    // Megabytes with one decimal: the text has "%d.%d" for each.
    const int tenths = MulDiv(kib, 10, 1024), totalTenths = MulDiv(totalKib, 10, 1024);
    SetWindowTextW(text_, FormatLangString(IDS_DOWNLOADING, record_->Name.c_str(), tenths / 10,
                                           tenths % 10, totalTenths / 10, totalTenths % 10)
                              .c_str());
    SendMessageW(bar_, PBM_SETPOS, totalKib_ > 0 ? MulDiv(kib, 1000, totalKib) : 0, 0);
}
