#pragma once
// The prerequisites dialog: lists the missing components, lets the user untick the optional
// ones and shows the install loop's progress over the ticked ones.
#include "prereq/install_loop.h"
#include "ui/accessible.h"
#include "ui/dialog_base.h"
#include "ui/download_run.h"

#include <windows.h>
#include <string>

// How the dialog ended; the numbers are its end codes.
enum class PrerequisiteChoice { NotShown = -1, Declined = 0, GoOn = 1, Cancelled = 2 };

class CMainDlg : public CDialogBase, private CAccessibleFacts, private InstallObserver {
public:
    // Keeps a reference to the records (owned by the setup run) and copies the two texts.
    CMainDlg(PrerequisiteList& records, const std::wstring& productName, const std::wstring& title);

    // Shows template 129 modally: whether the product's installation goes on.
    PrerequisiteChoice Choose(HWND owner);

    // A component's installer asked for a restart (3010).
    bool RebootNeeded() const { return rebootNeeded_; }

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDpiChanged() override;

private:
    // What the install loop shows the user (ui/main_dlg.cpp).
    void Running(const Prerequisite& record) override;
    void StoppedForRights(const Prerequisite& record) override;
    bool Missing(Prerequisite& record) override; // offers the download dialog
    void Await(ComponentRun& run) override;
    void Failed(const Prerequisite& record, const std::wstring& message) override;
    // The download's progress in the notes box and a bar; Cancel stops it.
    unsigned long Download(Prerequisite& record, CDownloadFolder& folder) override;
    void ShowFailure(const std::wstring& message);

    // The window (ui/main_dlg_window.cpp).
    void OnOpen();
    void SetUpList();
    void FillList();
    void FitColumn();
    void SetMarkPictures();
    void OnListFocus();
    void ShowNotes();
    void ShowNotesBox(bool shown);
    void FitNotesScrollBar();
    int Mark(int row) const;
    void FlipMark(int row);
    void UpdateOkCaption();
    void OnListClick(LPARAM point);
    void OnListChar(WPARAM character);
    void OnInstall();
    void RunInstallLoop();
    PrerequisiteChoice AskToContinue();
    void EndWith(PrerequisiteChoice choice) const;
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
    bool notesShown_ = false;
    int notesGap_ = 0; // between the list and the notes box, in pixels at 96 DPI
    HWND list_ = nullptr, notes_ = nullptr, cancel_ = nullptr;
    bool downloading_ = false; // Cancel stops the download
    CDownloadRun download_;
    CAccessibleName notesName_;
    CAccessibleControl listAccess_, notesAccess_;
};
