#pragma once
// /passive's window while a component's installer downloads: its name, how far it got and a
// progress bar, nothing to press.
#include "ui/dialog_base.h"
#include "ui/download_run.h"

#include <string>

class CDownloadFolder;
struct Prerequisite;

class CPassiveDownloadDlg final : public CDialogBase {
public:
    CPassiveDownloadDlg(Prerequisite& record, CDownloadFolder& folder, const std::wstring& title);

    // Downloads with the window shown (without it when it cannot be shown); the download's result
    // as DownloadInstaller gives it.
    unsigned long Download();

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static constexpr UINT kStartMessage = WM_APP + 0x25;

    Prerequisite& record_;
    CDownloadFolder& folder_;
    const std::wstring& title_;
    CDownloadRun run_;
    unsigned long result_ = 0;
};
