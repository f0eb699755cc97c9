// The prerequisites dialog as the install loop's observer: the note of the running component,
// the failure boxes, the download dialog, and the window kept answering while an installer runs.
#include "ui/main_dlg.h"

#include "foundation/lang_strings.h"
#include "foundation/message_box.h"
#include "resources/resource_ids.h"
#include "ui/download_dlg.h"

namespace {
// Sets the wait cursor for one installer run and puts the previous one back.
class WaitCursor {
public:
    WaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};
} // namespace

CMainDlg::CMainDlg(PrerequisiteList& records, const std::wstring& productName,
                   const std::wstring& title)
    : CDialogBase(IDD_PREREQUISITES), records_(records), productName_(productName), title_(title) {}

PrerequisiteChoice CMainDlg::Choose(HWND owner) {
    return static_cast<PrerequisiteChoice>(ShowModal(owner));
}

void CMainDlg::EndWith(PrerequisiteChoice choice) const {
    CDialogBase::EndWith(static_cast<INT_PTR>(choice));
}

void CMainDlg::Running(const Prerequisite& record) {
    SetWindowTextW(notes_,
                   FormatLangString(IDS_INSTALLING_PLEASE_WAIT, record.Name.c_str()).c_str());
    ShowNotesBox(true);
}

void CMainDlg::StoppedForRights(const Prerequisite&) {
    ShowFailure(LoadLangString(IDS_ADMIN_REQUIRED));
}

bool CMainDlg::Missing(Prerequisite& record) {
    CDownloadDlg download(record);
    return download.ShowModal(Window()) == 1;
}

void CMainDlg::Await(ComponentRun& run) {
    WaitCursor wait; // the loop holds the dialog busy
    CallResponsive(run.run, &run);
}

void CMainDlg::Failed(const Prerequisite&, const std::wstring& message) {
    ShowFailure(message);
}

unsigned long CMainDlg::Download(Prerequisite& record, CDownloadFolder& folder) {
    downloading_ = true;
    heardWhileBusy_ = cancel_;
    EnableWindow(cancel_, TRUE);
    const unsigned long result = download_.Run(record, folder);
    EnableWindow(cancel_, FALSE);
    heardWhileBusy_ = nullptr;
    downloading_ = false;
    Running(record); // the note of the installer that may follow
    return result;
}

void CMainDlg::ShowFailure(const std::wstring& message) {
    ShowMessage(message, LoadLangString(IDS_INSTALLATION_ERROR), MB_ICONERROR | MB_OK, Window());
}
