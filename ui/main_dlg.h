#pragma once
// The prerequisites dialog: lists the missing components and runs their installers. Its install
// loop also serves quiet and passive runs, where the dialog is never shown.
#include "prereq/prerequisite.h"
#include "ui/accessible.h"
#include "ui/dialog_base.h"

#include <windows.h>
#include <string>

class CMainDlg : public CDialogBase, private CAccessibleFacts {
public:
    // Keeps a reference to the records (owned by the setup run) and copies the two texts.
    CMainDlg(PrerequisiteList& records, const std::wstring& productName, const std::wstring& title);

    // ShowModal (template 129): 1 go on with the product, 0 declined, 2 cancelled, -1 when it
    // cannot be shown.

    // Runs the installer of every selected record in order. With passive set no window is
    // touched. False only when it stopped for want of administrative rights.
    bool InstallSelected(bool passive);
    // A component's installer asked for a restart (3010).
    bool RebootNeeded() const { return rebootNeeded_; }

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDpiChanged() override;

private:
    // What the loop shows the user when the dialog is on screen.
    void ShowInstallingNote(const Prerequisite& record);
    void ShowFailure(const std::wstring& message);
    // The download dialog for a record whose installer file is missing; 1 when found after all.
    int OfferDownload(Prerequisite& record);

    // The window (ui/main_dlg_window.cpp).
    void OnOpen();
    void FillList();
    void FitColumn();
    void SetMarkPictures();
    void OnListFocus();
    void ShowNotes();
    int Mark(int row) const;
    void FlipMark(int row);
    void UpdateOkCaption();
    void OnListClick(LPARAM point);
    void OnListChar(WPARAM character);
    void OnInstall();
    void RunInstallLoop();
    INT_PTR AskToContinue();
    size_t QuestionLinesThatFit() const;
    void OnCancel();
    // The list's rows as screen readers meet them: each row's mark as its checked state.
    long ChildCount() const override;
    bool Name(long child, std::wstring& name) const override;
    long Role(long child) const override;
    long State(long child) const override;
    static LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self);

    PrerequisiteList& records_;
    std::wstring productName_;
    std::wstring title_;
    bool rebootNeeded_ = false;
    bool stepsMode_ = false;
    bool tickMarksEnabled_ = false;
    bool installing_ = false; // the install loop runs: the dialog cannot be dismissed
    HWND list_ = nullptr, notes_ = nullptr, cancel_ = nullptr;
    CAccessibleName notesName_;
    CAccessibleControl listAccess_, notesAccess_;
};
