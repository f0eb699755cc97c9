// The link of the download dialog as a real window: its colours from the browser settings, what
// a click, a drag and the keyboard open, and the visited colour afterwards.
#include "ui/hyperlink.h"

#include "resources/resource_ids.h"
#include "test_files.h"
#include "tests/common/url_handler.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Microsoft\\Internet Explorer\\Settings";
constexpr wchar_t kScheme[] = L"setuptest-link";
constexpr char kAddress[] = "setuptest-link://example/page";
// Set after presses that must open nothing: an opening they caused shows as the other address.
constexpr char kLaterAddress[] = "setuptest-link://example/later";
constexpr COLORREF kDefaultLink = RGB(0, 0, 255), kDefaultVisited = RGB(128, 0, 128);

void SetBrowserColour(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                    nullptr);
    RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void ClearBrowserColours() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueW(key, L"Anchor Color");
    RegDeleteValueW(key, L"Anchor Color Visited");
    RegCloseKey(key);
}

INT_PTR CALLBACK PlainDialog(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// The download dialog's template, shown, with the link on its control 1005.
class LinkWindow {
public:
    explicit LinkWindow(bool underlineOnHover = false,
                        const wchar_t* label = L"'Foo' download page") {
        dialog_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_DOWNLOAD),
                                     nullptr, PlainDialog, 0);
        link_.Attach(control());
        link_.SetUnderlineOnHover(underlineOnHover);
        link_.SetLabel(label);
        SetAddress(kAddress);
        ShowWindow(dialog_, SW_SHOWNA);
        Repaint();
    }
    ~LinkWindow() { DestroyWindow(dialog_); }

    HWND control() const { return GetDlgItem(dialog_, IDC_DOWNLOAD_LINK); }
    void SetAddress(const char* address) {
        link_.SetAddress(std::wstring(address, address + std::strlen(address)));
    }
    void Repaint() const {
        InvalidateRect(control(), nullptr, TRUE);
        UpdateWindow(control());
    }
    int PixelsOf(COLORREF colour) const {
        RECT client = {};
        GetClientRect(control(), &client);
        HDC dc = GetDC(control());
        int count = 0;
        for (int y = 0; y < client.bottom; ++y)
            for (int x = 0; x < client.right; ++x)
                count += GetPixel(dc, x, y) == colour;
        ReleaseDC(control(), dc);
        return count;
    }
    // Pixels of `colour` when the test itself draws `text` as the link does (underlined font,
    // top-left, word-wrapped) on the dialog's background, with `format` added.
    int PixelsDrawnByHand(const wchar_t* text, COLORREF colour, UINT format) const {
        RECT client = {};
        GetClientRect(control(), &client);
        LOGFONTW description = {};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control(), WM_GETFONT, 0, 0)),
                   sizeof(description), &description);
        description.lfUnderline = TRUE;
        HFONT font = CreateFontIndirectW(&description);
        HDC screen = GetDC(control());
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
        const HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
        const HGDIOBJ oldFont = SelectObject(dc, font);
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        SetTextColor(dc, colour);
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, text, -1, &client, DT_LEFT | DT_WORDBREAK | format);
        int count = 0;
        for (int y = 0; y < client.bottom; ++y)
            for (int x = 0; x < client.right; ++x)
                count += GetPixel(dc, x, y) == colour;
        SelectObject(dc, oldFont);
        SelectObject(dc, oldBitmap);
        DeleteObject(bitmap);
        DeleteObject(font);
        DeleteDC(dc);
        ReleaseDC(control(), screen);
        return count;
    }
    // A point on the text, one beside it and one below it (the label fills a fraction of the
    // control's width and about half of its height).
    static LPARAM OnText() { return MAKELPARAM(4, 4); }
    LPARAM BesideText() const { return MAKELPARAM(ClientSize().right - 3, 4); }
    LPARAM BelowText() const { return MAKELPARAM(4, ClientSize().bottom - 2); }
    void Click(LPARAM down, LPARAM up) const {
        SendMessageW(control(), WM_LBUTTONDOWN, MK_LBUTTON, down);
        SendMessageW(control(), WM_LBUTTONUP, 0, up);
    }

private:
    RECT ClientSize() const {
        RECT client = {};
        GetClientRect(control(), &client);
        return client;
    }
    HWND dialog_ = nullptr;
    CHyperLink link_;
};

struct Handler {
    Handler() : recorder(kScheme, testfiles::TempFolder() + L"opened-link.txt") {}
    testurl::RecordingUrlHandler recorder;
};

TEST(HyperLink, TakesItsLinkColourFromTheBrowserSettings) {
    struct Case {
        const wchar_t* text;
        DWORD type;
        COLORREF expected;
    };
    const Case cases[] = {
        {nullptr, REG_SZ, kDefaultLink},          {L"255,0,0", REG_SZ, RGB(255, 0, 0)},
        {L"255, 0, 0", REG_SZ, RGB(255, 0, 0)},   {L"0,128,0", REG_EXPAND_SZ, RGB(0, 128, 0)},
        {L"255,000,000", REG_SZ, RGB(255, 0, 0)}, // 11 characters: the longest accepted
        {L"255,000,0000", REG_SZ, kDefaultLink},  // 12: too long
        {L"255,0", REG_SZ, kDefaultLink},         {L"255,0,", REG_SZ, kDefaultLink},
        {L"-1,0,0", REG_SZ, kDefaultLink},        {L"255,0,0", REG_MULTI_SZ, kDefaultLink},
    };
    for (const Case& c : cases) {
        ClearBrowserColours();
        if (c.text)
            SetBrowserColour(L"Anchor Color", c.text, c.type);
        LinkWindow window;
        EXPECT_GT(window.PixelsOf(c.expected), 20)
            << (c.text ? testing::PrintToString(c.text) : "");
    }
    ClearBrowserColours();
}

TEST(HyperLink, ClickOnTheTextOpensTheAddressAndShowsItVisited) {
    ClearBrowserColours();
    SetBrowserColour(L"Anchor Color Visited", L"300,0,0"); // low 8 bits: red 44
    Handler handler;
    LinkWindow window;
    window.Click(LinkWindow::OnText(), LinkWindow::OnText());
    EXPECT_EQ(handler.recorder.waitForAddress(10000), kAddress);
    window.Repaint();
    EXPECT_GT(window.PixelsOf(RGB(44, 0, 0)), 20);
    EXPECT_EQ(window.PixelsOf(kDefaultLink), 0);
    ClearBrowserColours();
}

TEST(HyperLink, PressesThatDoNotStartAndEndOnTheTextOpenNothing) {
    ClearBrowserColours();
    Handler handler;
    LinkWindow window;
    window.Click(LinkWindow::OnText(), window.BesideText()); // dragged off before release
    window.Click(window.BesideText(), window.BesideText());
    window.Click(window.BelowText(), window.BelowText());
    window.Click(window.BelowText(), LinkWindow::OnText());
    window.Repaint();
    EXPECT_GT(window.PixelsOf(kDefaultLink), 20);
    EXPECT_EQ(window.PixelsOf(kDefaultVisited), 0);
    // One press that opens: anything the presses above opened was started before it and shows
    // in the record as the first address.
    window.SetAddress(kLaterAddress);
    window.Click(LinkWindow::OnText(), LinkWindow::OnText());
    EXPECT_EQ(handler.recorder.waitForAddress(10000), kLaterAddress);
}

TEST(HyperLink, SpaceOpensTheFocusedLinkOtherKeysDoNot) {
    ClearBrowserColours();
    Handler handler;
    LinkWindow window;
    SetFocus(window.control());
    SendMessageW(window.control(), WM_CHAR, L'x', 0);
    window.SetAddress(kLaterAddress); // what 'x' opened would show as the first address
    SendMessageW(window.control(), WM_CHAR, L' ', 0);
    EXPECT_EQ(handler.recorder.waitForAddress(10000), kLaterAddress);
}

// "R&D Tools" is a name, not a label with an access key: the ampersand shows and nothing is
// underlined on its account.
TEST(HyperLink, AmpersandsAreDrawnAsTyped) {
    ClearBrowserColours();
    LinkWindow window(false, L"R&D Tools");
    const int asTyped = window.PixelsDrawnByHand(L"R&D Tools", kDefaultLink, DT_NOPREFIX);
    ASSERT_NE(asTyped, window.PixelsDrawnByHand(L"R&D Tools", kDefaultLink, 0));
    EXPECT_EQ(window.PixelsOf(kDefaultLink), asTyped);
}

// Wine never reports a high-contrast theme (SPI_GETHIGHCONTRAST answers off, SPI_SETHIGHCONTRAST
// fails), but its colours can be set: the browser's blue on a black dialog would be unreadable.
TEST(HyperLink, SystemLinkColourWhereTheBrowsersCannotBeRead) {
    const int elements[] = {COLOR_BTNFACE, COLOR_HOTLIGHT};
    const COLORREF saved[] = {GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_HOTLIGHT)};
    const COLORREF contrast[] = {RGB(0, 0, 0), RGB(255, 255, 0)};
    SetSysColors(2, elements, contrast);
    struct Case {
        const wchar_t* browser;
        COLORREF shown, hidden;
    };
    const Case cases[] = {
        {nullptr, RGB(255, 255, 0), kDefaultLink},          // blue on black: 2.4:1
        {L"255,128,0", RGB(255, 128, 0), RGB(255, 255, 0)}, // orange on black reads well
    };
    for (const Case& c : cases) {
        ClearBrowserColours();
        if (c.browser)
            SetBrowserColour(L"Anchor Color", c.browser);
        LinkWindow window;
        EXPECT_GT(window.PixelsOf(c.shown), 20) << (c.browser ? "orange" : "default");
        EXPECT_EQ(window.PixelsOf(c.hidden), 0) << (c.browser ? "orange" : "default");
    }
    SetSysColors(2, elements, saved);
    ClearBrowserColours();
}

// The underline adds a line of link-coloured pixels under the text.
TEST(HyperLink, UnderlinedOnlyWhileTheMouseIsOverTheText) {
    ClearBrowserColours();
    LinkWindow window(true);
    const int plain = window.PixelsOf(kDefaultLink);
    SendMessageW(window.control(), WM_MOUSEMOVE, 0, LinkWindow::OnText());
    window.Repaint();
    const int hovering = window.PixelsOf(kDefaultLink);
    SendMessageW(window.control(), WM_MOUSEMOVE, 0, window.BelowText());
    window.Repaint();
    const int left = window.PixelsOf(kDefaultLink);
    EXPECT_GT(hovering, plain + 30);
    EXPECT_EQ(left, plain);

    LinkWindow always(false);
    EXPECT_EQ(always.PixelsOf(kDefaultLink), hovering) << "without the option always underlined";
}

bool CursorIsAt(POINT screen) {
    POINT now = {};
    return GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
}

void HandleWaitingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
}

// Which pointer the control sets over a screen point. In a virtual desktop Wine moves the pointer
// through the display, and a pointer event of an earlier move can still arrive and take the
// position back: an answer counts only when the pointer was at the point before and after it.
bool PointerShownAt(HWND control, POINT screen, HCURSOR& shown) {
    // Each try that finds the pointer elsewhere waits for input up to 10 ms: about 10 s in all.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        SetCursorPos(screen.x, screen.y);
        HandleWaitingMessages();
        if (!CursorIsAt(screen)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            continue;
        }
        SetCursor(nullptr);
        SendMessageW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        shown = GetCursor();
        if (CursorIsAt(screen))
            return true;
    }
    return false;
}

TEST(HyperLink, HandPointerOnlyOverTheText) {
    LinkWindow window;
    const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    struct Case {
        LPARAM point;
        bool hand;
    };
    const Case cases[] = {
        {LinkWindow::OnText(), true}, {window.BesideText(), false}, {window.BelowText(), false}};
    for (const Case& c : cases) {
        POINT screen = {LOWORD(c.point), HIWORD(c.point)};
        ClientToScreen(window.control(), &screen);
        HCURSOR shown = nullptr;
        ASSERT_TRUE(PointerShownAt(window.control(), screen, shown)) << "the pointer never stayed";
        EXPECT_EQ(shown == hand, c.hand) << LOWORD(c.point) << "," << HIWORD(c.point);
    }
}

} // namespace
