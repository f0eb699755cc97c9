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

// The height the control's text takes, wrapped to its width as a static control wraps it.
LONG TextHeight(HWND control, LONG width) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(length + 1, L'\0');
    text.resize(GetWindowTextW(control, &text[0], length + 1));
    RECT needed = {0, 0, width, 0};
    HDC dc = GetDC(control);
    const HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return needed.bottom;
}

LONG HeightOf(const RECT& rect) {
    return rect.bottom - rect.top;
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
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
        reinterpret_cast<CDialogBase*>(lParam)->dpi_ = ScreenDpi();
    }
    auto* dialog = reinterpret_cast<CDialogBase*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!dialog) // messages that come before WM_INITDIALOG
        return FALSE;
    if (dialog->Ignores(message, wParam, lParam))
        return TRUE;
    if (message == WM_DPICHANGED) {
        dialog->Rescale(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return TRUE;
    }
    const INT_PTR handled = dialog->HandleMessage(message, wParam, lParam);
    if (message == WM_INITDIALOG) // keyboard focus and access keys shown before any key press
        SendMessageW(window, WM_CHANGEUISTATE,
                     MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
    if (message == WM_NCDESTROY)
        dialog->window_ = nullptr;
    return handled;
}

// While slow work runs nothing may end the dialog or start a second run; and the focus and access
// keys stay visible for good.
bool CDialogBase::Ignores(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (message == WM_CHANGEUISTATE)
        return LOWORD(wParam) != UIS_CLEAR;
    if (message == WM_COMMAND && heardWhileBusy_ &&
        reinterpret_cast<HWND>(lParam) == heardWhileBusy_)
        return false;
    return busy_ &&
           (message == WM_COMMAND || (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE));
}

// The font and every control scaled from the old DPI to the new, the window put where Windows
// suggests.
void CDialogBase::Rescale(int dpi, const RECT& suggested) {
    const int old = dpi_;
    if (dpi > 0 && dpi != old) {
        dpi_ = dpi;
        const HFONT current =
            font_ ? font_.get() : reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0));
        LOGFONTW description = {};
        GetObjectW(current, sizeof(description), &description);
        description.lfHeight = MulDiv(description.lfHeight, dpi, old);
        UniqueFont font(CreateFontIndirectW(&description));
        for (HWND child = GetWindow(window_, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            const RECT place = PlaceOf(child);
            MoveWindow(child, MulDiv(place.left, dpi, old), MulDiv(place.top, dpi, old),
                       MulDiv(place.right - place.left, dpi, old),
                       MulDiv(HeightOf(place), dpi, old), FALSE);
            SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
        }
        font_ = std::move(font);
    }
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 HeightOf(suggested), SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window_, nullptr, TRUE);
    OnDpiChanged();
}

RECT CDialogBase::PlaceOf(HWND control) const {
    RECT place = {};
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

RECT CDialogBase::WorkArea() const {
    return WorkAreaOf(window_);
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

bool CDialogBase::GrowToFitText(int id) const {
    const HWND control = Item(id);
    const RECT place = PlaceOf(control);
    LONG extra = TextHeight(control, place.right - place.left) - HeightOf(place);
    RECT own = {};
    GetWindowRect(window_, &own);
    const LONG room = HeightOf(WorkAreaOf(window_)) - HeightOf(own);
    extra = extra < room ? extra : room;
    if (extra <= 0)
        return false;
    for (HWND child = GetWindow(window_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const RECT below = PlaceOf(child);
        if (below.top >= place.bottom)
            SetWindowPos(child, nullptr, below.left, below.top + extra, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetWindowPos(control, nullptr, 0, 0, place.right - place.left, HeightOf(place) + extra,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(window_, nullptr, 0, 0, own.right - own.left, HeightOf(own) + extra,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

void CDialogBase::SetApplicationIcons() {
    largeIcon_.reset(LoadApplicationIcon(SM_CXICON));
    smallIcon_.reset(LoadApplicationIcon(SM_CXSMICON));
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_.get()));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
}
