#include "ui/passive_download_dlg.h"

#include "prereq/installer_download.h"
#include "resources/resource_ids.h"

CPassiveDownloadDlg::CPassiveDownloadDlg(Prerequisite& record, CDownloadFolder& folder,
                                         const std::wstring& title)
    : CDialogBase(IDD_DOWNLOAD_PROGRESS), record_(record), folder_(folder), title_(title) {}

unsigned long CPassiveDownloadDlg::Download() {
    // A window that cannot be shown takes nothing away: the download runs without it.
    if (ShowModal(nullptr) == -1)
        result_ = DownloadInstaller(record_, folder_, DownloadWatch());
    return result_;
}

INT_PTR CPassiveDownloadDlg::HandleMessage(UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        CentreOnOwner();
        SetWindowTextW(Window(), title_.c_str());
        run_.Attach(Window(), Item(IDC_PROGRESS_TEXT), Item(IDC_DOWNLOAD_PROGRESS), nullptr);
        run_.Begin(record_);
        PostMessageW(Window(), kStartMessage, 0, 0);
        return TRUE;
    case kStartMessage:
        // The dialog manager shows a modal dialog once its loop is idle, which it is not before
        // the download ends.
        ShowWindow(Window(), SW_SHOW);
        result_ = run_.Run(record_, folder_);
        EndWith(0);
        return TRUE;
    case CDownloadRun::kProgressMessage:
        run_.Show();
        return TRUE;
    }
    return FALSE;
}
