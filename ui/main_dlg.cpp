#include "ui/main_dlg.h"

#include "foundation/file_system.h"
#include "foundation/host_facts.h"
#include "foundation/lang_strings.h"
#include "foundation/message_box.h"
#include "foundation/setup_log.h"
#include "foundation/wide_format.h"
#include "prereq/run_component.h"
#include "resources/resource_ids.h"
#include "ui/download_dlg.h"

#include <vector>

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

void LogNames(const wchar_t* heading, const std::vector<const std::wstring*>& names) {
    if (names.empty())
        return;
    LogText(heading);
    for (const std::wstring* name : names)
        LogPrintf(L" '%s'\r\n", name->c_str());
}

// The launcher's texts are made for a box and lack the line end that a log entry needs.
std::wstring AsLogLine(const std::wstring& message) {
    bool ended = message.size() >= 2 && message.compare(message.size() - 2, 2, L"\r\n") == 0;
    return ended ? message : message + L"\r\n";
}

bool InstallerFileMissing(const Prerequisite& record) {
    return !record.Url.empty() && !record.InstPath.empty() && !FileExists(record.InstPath);
}
} // namespace

CMainDlg::CMainDlg(PrerequisiteList& records, const std::wstring& productName,
                   const std::wstring& title)
    : CDialogBase(IDD_PREREQUISITES), records_(records), productName_(productName), title_(title) {}

bool CMainDlg::InstallSelected(bool passive) {
    std::vector<const std::wstring*> selected;
    for (const Prerequisite& record : records_)
        if (record.Selected)
            selected.push_back(&record.Name);
    LogNames(L"Try install prerequisites:\r\n", selected);

    std::vector<const std::wstring*> installed;
    for (Prerequisite& record : records_) {
        if (!record.Selected)
            continue;
        if (!passive)
            ShowInstallingNote(record);
        std::wstring message =
            FormatWide(L"Prerequisite '%s' not installed.\r\n", record.Name.c_str());

        if (record.AdminNeed != 0 && !IsUserAdmin()) {
            if (!passive)
                ShowFailure(LoadLangString(IDS_ADMIN_REQUIRED));
            LogText(message + L"Need admistrative privilege\r\n");
            return false;
        }

        if (InstallerFileMissing(record)) {
            if (passive || OfferDownload(record) != 1)
                LogText(message);
            continue;
        }

        unsigned result;
        {
            WaitCursor wait;
            result = RunResponsive<unsigned>([&] { return RunComponent(record, message); });
        }
        if (result == ERROR_SUCCESS || result == ERROR_SUCCESS_REBOOT_REQUIRED) {
            if (result == ERROR_SUCCESS_REBOOT_REQUIRED)
                rebootNeeded_ = true;
            installed.push_back(&record.Name);
            continue;
        }
        LogText(AsLogLine(message));
        if (!passive)
            ShowFailure(message);
    }
    LogNames(L"Installed prerequisites:\r\n", installed);
    return true;
}

void CMainDlg::ShowInstallingNote(const Prerequisite& record) {
    HWND notes = Window() ? GetDlgItem(Window(), IDC_NOTES) : nullptr;
    if (!notes)
        return;
    ShowWindow(notes, SW_SHOW);
    SetWindowTextW(notes,
                   FormatLangString(IDS_INSTALLING_PLEASE_WAIT, record.Name.c_str()).c_str());
}

void CMainDlg::ShowFailure(const std::wstring& message) {
    ShowMessage(message, LoadLangString(IDS_INSTALLATION_ERROR), MB_ICONERROR | MB_OK, Window());
}

int CMainDlg::OfferDownload(Prerequisite& record) {
    CDownloadDlg download(record);
    return static_cast<int>(download.ShowModal(Window()));
}
