#include "ui/download_dlg.h"

#include "foundation/lang_strings.h"
#include "foundation/setup_log.h"
#include "foundation/web_address.h"
#include "prereq/detection.h"
#include "resources/resource_ids.h"

namespace {

std::wstring MessageFor(const Prerequisite& record) {
    if (!record.ChooseDownload.empty())
        return FormatLangString(IDS_PACKAGE_MISSING_SAVE_AND_INSTALL, record.Name.c_str(),
                                record.ChooseDownload.c_str(), record.Name.c_str());
    return FormatLangString(IDS_PACKAGE_MISSING_DOWNLOAD_AND_INSTALL, record.Name.c_str(),
                            record.Name.c_str());
}

// Never a file name or a program: a Url without a scheme is a web address, another scheme none.
std::wstring DownloadAddress(const std::wstring& url) {
    const std::wstring address = WebAddress(url);
    if (address.empty())
        LogPrintf(L"Download page '%s' is no http or https address: not opened.\r\n", url.c_str());
    return address;
}

} // namespace

CDownloadDlg::CDownloadDlg(Prerequisite& record) : CDialogBase(IDD_DOWNLOAD), record_(record) {}

void CDownloadDlg::OnOpen() {
    CentreOnOwner();
    link_.Attach(Item(IDC_DOWNLOAD_LINK));
    SetApplicationIcons();
    SetWindowTextW(Window(), LoadLangString(IDS_DOWNLOAD_CAPTION).c_str());
    SetItemText(IDOK, LoadLangString(IDS_BUTTON_RECHECK));
    SetItemText(IDCANCEL, LoadLangString(IDS_BUTTON_CANCEL));
    SetItemText(IDC_DOWNLOAD_MESSAGE, MessageFor(record_));
    link_.SetUnderlineOnHover(true);
    link_.SetLabel(FormatLangString(IDS_DOWNLOAD_PAGE_LINK, record_.Name.c_str()));
    link_.SetAddress(DownloadAddress(record_.Url));
    // Long names and long translations: the dialog grows rather than cutting the last lines.
    const bool grown = GrowToFitText(IDC_DOWNLOAD_MESSAGE);
    if (GrowToFitText(IDC_DOWNLOAD_LINK) || grown)
        CentreOnOwner();
    // The default button, not the link: Enter rechecks, a stray space opens no browser.
    SetFocus(Item(IDOK));
}

INT_PTR CDownloadDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        OnOpen();
        return FALSE; // the focus is set
    }
    if (message != WM_COMMAND)
        return FALSE;
    switch (CommandId(wParam)) {
    case IDOK: // "Recheck"
        if (!RunResponsive<bool>([this] { return NeedsInstall(record_); }))
            EndWith(1);
        return TRUE;
    case IDCANCEL: // also Escape and the close box
        EndWith(2);
        return TRUE;
    }
    return FALSE;
}
