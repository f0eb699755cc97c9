#pragma once
// The prerequisites dialog: lists the missing components and runs their installers. Its install
// loop also serves quiet and passive runs, where the dialog is never shown.
#include "prereq/prerequisite.h"

#include <windows.h>
#include <string>

class CMainDlg {
public:
    // Keeps a reference to the records (owned by the setup run) and copies the two texts.
    CMainDlg(PrerequisiteList& records, const std::wstring& productName, const std::wstring& title);

    // Shows the dialog (template 129) modally: 1 go on with the product, 0 declined, 2 cancelled,
    // -1 when it cannot be shown.
    INT_PTR ShowModal(HWND owner);

    // Runs the installer of every selected record in order. With passive set no window is
    // touched. False only when it stopped for want of administrative rights.
    bool InstallSelected(bool passive);
    // A component's installer asked for a restart (3010).
    bool RebootNeeded() const { return rebootNeeded_; }

private:
    // What the loop shows the user when the dialog is on screen.
    void ShowInstallingNote(const Prerequisite& record);
    void ShowFailure(const std::wstring& message);
    // The download dialog for a record whose installer file is missing; 1 when found after all.
    int OfferDownload(Prerequisite& record);

    static constexpr int kNotesBoxId = 10013;

    PrerequisiteList& records_;
    std::wstring productName_;
    std::wstring title_;
    bool rebootNeeded_ = false;
    HWND window_ = nullptr; // the dialog window while it is on screen
};
