#pragma once
// The base of this program's dialogs: the dialog procedure finds the object that runs the dialog
// and hands it every message.
#include "foundation/handles.h"
#include "ui/responsive_call.h"

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
    // After the dialog has been rescaled for a monitor with another DPI.
    virtual void OnDpiChanged() {}

    HWND Item(int id) const { return GetDlgItem(window_, id); }
    void SetItemText(int id, const std::wstring& text) const;
    void EndWith(INT_PTR result) const { EndDialog(window_, result); }
    // Centres on the visible owner, else on the work area of the window's monitor, and keeps the
    // window inside that work area.
    void CentreOnOwner() const;
    // The application icon at the system's large and small icon sizes.
    void SetApplicationIcons();
    // Makes the static text `id` tall enough for its wrapped text, moving the controls below it
    // down and growing the window, as far as the work area allows. False when nothing changed.
    bool GrowToFitText(int id) const;
    // A control's place in the dialog's client coordinates.
    RECT PlaceOf(HWND control) const;
    int Dpi() const { return dpi_; }
    // The work area of the monitor the window is on.
    RECT WorkArea() const;

    // While one lives the dialog is busy: it takes no commands and cannot be closed. Scopes nest,
    // so that a slow call inside the install loop leaves the loop's guard in place.
    class BusyScope {
    public:
        explicit BusyScope(CDialogBase& dialog) : dialog_(dialog), was_(dialog.busy_) {
            dialog.busy_ = true;
        }
        ~BusyScope() { dialog_.busy_ = was_; }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        CDialogBase& dialog_;
        const bool was_;
    };

    // Runs `work` busy, with the window painting and movable (see responsive_call.h: its message
    // pump is where a busy window's keyboard and mouse input is dropped).
    template <typename Result, typename Work> Result RunResponsive(Work work) {
        const BusyScope busy(*this);
        return CallResponsive<Result>(work);
    }

    static int CommandId(WPARAM wParam) { return LOWORD(wParam); }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Rescale(int dpi, const RECT& suggested);
    bool Ignores(UINT message, WPARAM wParam, LPARAM lParam) const;

    const int templateId_;
    HWND window_ = nullptr;
    UniqueIcon largeIcon_, smallIcon_;
    UniqueFont font_; // the dialog font made for a new DPI
    int dpi_ = 96;
    bool busy_ = false;

protected:
    // While busy, the commands of this control still arrive (a download's Cancel button).
    HWND heardWhileBusy_ = nullptr;
};
