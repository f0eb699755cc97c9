#include "ui/hyperlink.h"

#include "foundation/open_as_user.h"
#include "ui/colour_text.h"

#include <commctrl.h>
#include <oleacc.h>
#include <shellapi.h>
#include <windowsx.h>

namespace {

constexpr UINT_PTR kSubclassId = 1;
// The browser keeps its link colours as "r,g,b" texts of at most 11 characters.
constexpr DWORD kColourValueBytes = 24;

bool IsStaticControl(HWND window) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    return lstrcmpiW(name, L"static") == 0;
}

// A string value that fits the buffer with its terminator, else nothing.
bool ReadColourValue(HKEY key, const wchar_t* name, COLORREF& colour) {
    wchar_t text[kColourValueBytes / sizeof(wchar_t)] = {};
    DWORD type = 0, bytes = kColourValueBytes;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes) !=
        ERROR_SUCCESS)
        return false;
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || bytes % 2 != 0)
        return false;
    const DWORD units = bytes / 2;
    if (units != 0 && text[units - 1] != L'\0')
        return false;
    RgbColour parsed;
    if (!ParseColourText(text, parsed))
        return false;
    colour = RGB(parsed.red, parsed.green, parsed.blue);
    return true;
}

// Relative luminance in 1/10000, with a square standing in for the sRGB curve.
long Luminance(COLORREF colour) {
    const long red = GetRValue(colour), green = GetGValue(colour), blue = GetBValue(colour);
    return (2126 * red * red + 7152 * green * green + 722 * blue * blue) / (255 * 255);
}

// A contrast ratio of at least 3:1, the least that text of this size needs.
bool ReadableOn(COLORREF text, COLORREF background) {
    const long one = Luminance(text) + 500, other = Luminance(background) + 500;
    return one > other ? one >= 3 * other : other >= 3 * one;
}

} // namespace

CHyperLink::~CHyperLink() {
    Forget();
}

bool CHyperLink::Attach(HWND control) {
    if (control_ || !control)
        return false;
    if (!normalFont_)
        normalFont_ = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    if (!SetWindowSubclass(control, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    control_ = control;
    Initialise();
    accessible_.Attach(control, *this);
    return true;
}

void CHyperLink::Initialise() {
    if (IsStaticControl(control_))
        SetWindowLongW(control_, GWL_STYLE, GetWindowLongW(control_, GWL_STYLE) | SS_NOTIFY);
    hand_ = LoadCursorW(nullptr, IDC_HAND);
    TakeFont(normalFont_);
    if (label_.empty()) {
        const int length = GetWindowTextLengthW(control_);
        std::wstring text(length + 1, L'\0');
        text.resize(GetWindowTextW(control_, &text[0], length + 1));
        label_ = text;
    }
    MeasureLink();
    ReadBrowserColours();
}

// The normal font, else the icon-title font of the system; the link font is it underlined.
void CHyperLink::TakeFont(HFONT font) {
    LOGFONTW description = {};
    if (font) {
        normalFont_ = font;
        ownNormalFont_.reset();
        GetObjectW(font, sizeof(description), &description);
    } else {
        SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(description), &description, 0);
        ownNormalFont_.reset(CreateFontIndirectW(&description));
        normalFont_ = ownNormalFont_.get();
    }
    description.lfUnderline = TRUE;
    linkFont_.reset(CreateFontIndirectW(&description));
}

void CHyperLink::ReadBrowserColours() {
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Settings", 0,
                      KEY_READ, key.receive()) != ERROR_SUCCESS)
        return;
    ReadColourValue(key.get(), L"Anchor Color", linkColour_);
    ReadColourValue(key.get(), L"Anchor Color Visited", visitedColour_);
}

void CHyperLink::SetLabel(const std::wstring& label) {
    label_ = label;
    if (control_) {
        SetWindowTextW(control_, label_.c_str());
        MeasureLink();
        InvalidateRect(control_, nullptr, FALSE);
    }
}

void CHyperLink::SetAddress(const std::wstring& address) {
    address_ = address;
    if (control_ && label_.empty()) {
        MeasureLink();
        InvalidateRect(control_, nullptr, FALSE);
    }
}

// The area the text covers, word-wrapped to the control's width from its top-left corner.
void CHyperLink::MeasureLink() {
    RECT client = {};
    GetClientRect(control_, &client);
    linkRect_ = client;
    HDC dc = GetDC(control_);
    if (!dc)
        return;
    const HGDIOBJ previous = SelectObject(dc, linkFont_.get());
    DrawTextW(dc, ShownText().c_str(), static_cast<int>(ShownText().size()), &linkRect_,
              DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
    SelectObject(dc, previous);
    ReleaseDC(control_, dc);
}

bool CHyperLink::Open() {
    // Without an address (none given, or refused) a click or key opens nothing, not an empty one.
    if (address_.empty() || !OpenAsUser(address_))
        return false;
    visited_ = true;
    if (control_)
        InvalidateRect(control_, nullptr, FALSE);
    return true;
}

bool CHyperLink::OverLink(LPARAM pointInClient) const {
    const POINT point = {GET_X_LPARAM(pointInClient), GET_Y_LPARAM(pointInClient)};
    return PtInRect(&linkRect_, point) != FALSE;
}

void CHyperLink::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(control_, &paint);
    RECT client = {};
    GetClientRect(control_, &client);
    const auto background = reinterpret_cast<HBRUSH>(
        SendMessageW(GetParent(control_), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(control_)));
    if (background)
        FillRect(dc, &client, background);
    SetTextColor(dc, TextColour());
    SetBkMode(dc, TRANSPARENT);
    const bool underlined = !underlineOnHover_ || hovering_;
    const HGDIOBJ previous = SelectObject(dc, underlined ? linkFont_.get() : normalFont_);
    RECT text = linkRect_;
    DrawTextW(dc, ShownText().c_str(), static_cast<int>(ShownText().size()), &text,
              DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, previous);
    if (GetFocus() == control_)
        DrawFocusRect(dc, &linkRect_);
    EndPaint(control_, &paint);
}

void CHyperLink::SetHovering(bool hovering) {
    if (!underlineOnHover_ || hovering_ == hovering)
        return;
    hovering_ = hovering;
    InvalidateRect(control_, &linkRect_, FALSE);
    if (hovering) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, control_, 0};
        TrackMouseEvent(&track);
    }
}

void CHyperLink::OnMouseMove(LPARAM point) {
    const bool over = !address_.empty() && OverLink(point);
    if (over)
        SetCursor(hand_);
    SetHovering(over);
}

LRESULT CHyperLink::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEMOVE:
        OnMouseMove(lParam);
        return 0;
    case WM_MOUSELEAVE:
        SetHovering(false);
        return 0;
    case WM_SETCURSOR: {
        POINT point = {};
        GetCursorPos(&point);
        ScreenToClient(control_, &point);
        if (address_.empty() || !PtInRect(&linkRect_, point))
            break;
        SetCursor(hand_);
        return TRUE;
    }
    case WM_LBUTTONDOWN:
        if (OverLink(lParam)) {
            SetFocus(control_);
            SetCapture(control_);
        }
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == control_) {
            ReleaseCapture();
            if (OverLink(lParam))
                Open();
        }
        return 0;
    case WM_GETDLGCODE: { // Enter opens the focused link instead of pressing the default button
        const MSG* key = reinterpret_cast<const MSG*>(lParam);
        const bool enter = key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN;
        return DLGC_WANTCHARS | (enter ? DLGC_WANTMESSAGE : 0);
    }
    case WM_CHAR:
        if (wParam == L'\r' || wParam == L' ')
            Open();
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(control_, nullptr, FALSE);
        break;
    case WM_SETFONT: // a new font for a new DPI: the link follows it
        DefSubclassProc(control_, message, wParam, lParam);
        TakeFont(reinterpret_cast<HFONT>(wParam));
        MeasureLink();
        return 0;
    case WM_SIZE:
        MeasureLink();
        break;
    case WM_NCDESTROY: {
        const HWND control = control_;
        Forget();
        return DefSubclassProc(control, message, wParam, lParam);
    }
    }
    return DefSubclassProc(control_, message, wParam, lParam);
}

LRESULT CALLBACK CHyperLink::SubclassProc(HWND, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR self) {
    return reinterpret_cast<CHyperLink*>(self)->HandleMessage(message, wParam, lParam);
}

// Under a high-contrast theme, or on a background where the browser's colour cannot be read
// (blue on black), the system's link colour.
COLORREF CHyperLink::TextColour() const {
    HIGHCONTRASTW contrast = {sizeof(contrast), 0, nullptr};
    const COLORREF browser = visited_ ? visitedColour_ : linkColour_;
    if ((SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON)) ||
        !ReadableOn(browser, GetSysColor(COLOR_BTNFACE)))
        return GetSysColor(COLOR_HOTLIGHT);
    return browser;
}

bool CHyperLink::Name(long child, std::wstring& name) const {
    name = ShownText();
    return child == CHILDID_SELF;
}

long CHyperLink::Role(long child) const {
    return child == CHILDID_SELF ? ROLE_SYSTEM_LINK : -1;
}

long CHyperLink::State(long child) const {
    if (child != CHILDID_SELF)
        return -1;
    const long focused = GetFocus() == control_ ? STATE_SYSTEM_FOCUSED : 0;
    const long visited = visited_ ? STATE_SYSTEM_TRAVERSED : 0;
    return STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED | focused | visited;
}

// The fonts go with the control's window; the object may outlive it or go first.
void CHyperLink::Forget() {
    if (control_)
        RemoveWindowSubclass(control_, SubclassProc, kSubclassId);
    control_ = nullptr;
    linkFont_.reset();
    ownNormalFont_.reset();
    normalFont_ = nullptr;
}
