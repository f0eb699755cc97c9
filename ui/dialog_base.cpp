#include "ui/dialog_base.h"

#include "resources/resource_ids.h"

namespace {

RECT WorkAreaOf(HWND window) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

LONG Clamp(LONG value, LONG low, LONG high) {
    return value > high ? (high > low ? high : low) : (value < low ? low : value);
}

HICON LoadApplicationIcon(int sizeMetric) {
    const int size = GetSystemMetrics(sizeMetric);
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP),
                                         IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

} // namespace

INT_PTR CDialogBase::ShowModal(HWND owner) {
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner,
                           DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CDialogBase::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<CDialogBase*>(lParam)->window_ = window;
    }
    auto* dialog = reinterpret_cast<CDialogBase*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!dialog) // messages that come before WM_INITDIALOG
        return FALSE;
    const INT_PTR handled = dialog->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY)
        dialog->window_ = nullptr;
    return handled;
}

void CDialogBase::SetItemText(int id, const std::wstring& text) const {
    SetDlgItemTextW(window_, id, text.c_str());
}

void CDialogBase::CentreOnOwner() const {
    RECT own = {}, area = WorkAreaOf(window_);
    GetWindowRect(window_, &own);
    RECT around = area;
    const HWND owner = GetWindow(window_, GW_OWNER);
    if (owner && IsWindowVisible(owner) && !IsIconic(owner))
        GetWindowRect(owner, &around);
    const LONG width = own.right - own.left, height = own.bottom - own.top;
    const LONG left = (around.left + around.right - width) / 2;
    const LONG top = (around.top + around.bottom - height) / 2;
    SetWindowPos(window_, nullptr, Clamp(left, area.left, area.right - width),
                 Clamp(top, area.top, area.bottom - height), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDialogBase::SetApplicationIcons() {
    largeIcon_.reset(LoadApplicationIcon(SM_CXICON));
    smallIcon_.reset(LoadApplicationIcon(SM_CXSMICON));
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_.get()));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
}
