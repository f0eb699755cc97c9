#pragma once
// The base of this program's dialogs: the dialog procedure finds the object that runs the dialog
// and hands it every message.
#include "foundation/handles.h"

#include <windows.h>
#include <string>

class CDialogBase {
public:
    explicit CDialogBase(int templateId) : templateId_(templateId) {}
    virtual ~CDialogBase() = default;
    CDialogBase(const CDialogBase&) = delete;
    CDialogBase& operator=(const CDialogBase&) = delete;

    // Shows the dialog from the program's own template, owned by `owner`, and returns the value
    // it was ended with; -1 when it could not be shown.
    INT_PTR ShowModal(HWND owner);
    HWND Window() const { return window_; }

protected:
    // Dialog-procedure convention: TRUE when handled (WM_INITDIALOG: TRUE lets the dialog
    // manager set the focus).
    virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

    HWND Item(int id) const { return GetDlgItem(window_, id); }
    void SetItemText(int id, const std::wstring& text) const;
    void EndWith(INT_PTR result) const { EndDialog(window_, result); }
    // Centres on the visible owner, else on the work area of the window's monitor, and keeps the
    // window inside that work area.
    void CentreOnOwner() const;
    // The application icon at the system's large and small icon sizes.
    void SetApplicationIcons();

    static int CommandId(WPARAM wParam) { return LOWORD(wParam); }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    const int templateId_;
    HWND window_ = nullptr;
    UniqueIcon largeIcon_, smallIcon_;
};
