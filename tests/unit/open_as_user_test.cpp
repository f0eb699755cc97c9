// Opening an address as the signed-in user: through the desktop shell when this thread can reach
// it, from setup's own process when not, logged either way.
#include "settings/setup_settings.h"
#include "foundation/open_as_user.h"
#include "test_files.h"
#include "tests/common/url_handler.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(OpenAsUser, ThroughTheDesktopShellElseFromThisProcess) {
    const std::wstring folder = testfiles::FreshFolder(L"open_as_user");
    testurl::RecordingUrlHandler recorder(L"setuptest-user", folder + L"opened.txt");
    const struct {
        bool com; // without COM on the thread the desktop shell cannot be reached
        const wchar_t* line;
    } cases[] = {
        {true, L"Opened 'setuptest-user://x/1' through the desktop shell, as the signed-in user."},
        {false, L"No desktop shell to open 'setuptest-user://x/1' as the signed-in user: setup "
                L"opens it itself."},
    };
    for (const auto& c : cases) {
        Settings().LogPath = folder + (c.com ? L"com.log" : L"plain.log");
        bool opened = false;
        std::thread([&] {
            if (c.com)
                CoInitialize(nullptr);
            opened = OpenAsUser(L"setuptest-user://x/1");
            if (c.com)
                CoUninitialize();
        }).join();
        EXPECT_TRUE(opened);
        EXPECT_EQ(recorder.waitForAddress(10000), "setuptest-user://x/1");
        EXPECT_NE(testfiles::ReadUtf16(Settings().LogPath).find(c.line), std::wstring::npos)
            << testfiles::ReadUtf16(Settings().LogPath).size();
        DeleteFileW((folder + L"opened.txt").c_str());
    }
    Settings().LogPath.clear();
}

struct BoxSearch {
    HWND box = nullptr;
};

BOOL CALLBACK FindOwnMessageBox(HWND window, LPARAM context) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (processId != GetCurrentProcessId() || std::wstring(className) != L"#32770" ||
        !IsWindowVisible(window))
        return TRUE;
    reinterpret_cast<BoxSearch*>(context)->box = window;
    return FALSE;
}

// The message box that this process shows, once it is there (or null after the time).
HWND WaitForOwnMessageBox(DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
        BoxSearch search;
        EnumWindows(FindOwnMessageBox, reinterpret_cast<LPARAM>(&search));
        if (search.box)
            return search.box;
        Sleep(20);
    }
    return nullptr;
}

// Setup runs as another account than the desktop's and cannot reach the desktop's shell: no
// browser starts with setup's rights. The address is shown for the user to copy instead, and the
// handler hears only of the address opened afterwards the ordinary way.
TEST(OpenAsUser, AnotherAccountsDesktopGetsTheAddressShownNotOpened) {
    const std::wstring folder = testfiles::FreshFolder(L"open_as_other");
    testurl::RecordingUrlHandler recorder(L"setuptest-user", folder + L"opened.txt");
    Settings().LogPath = folder + L"other.log";
    Settings().UILevel = kUILevelFull;
    bool opened = true;
    std::thread thread(
        [&] { opened = OpenAsUser(L"setuptest-user://x/secret", DesktopAccount::Other); });
    HWND box = WaitForOwnMessageBox(10000);
    ASSERT_NE(box, nullptr);
    wchar_t text[1024] = {};
    for (HWND control = GetWindow(box, GW_CHILD); control;
         control = GetWindow(control, GW_HWNDNEXT))
        if ((GetDlgCtrlID(control) & 0xFFFF) == 0xFFFF) // the message's static text
            GetWindowTextW(control, text, 1024);
    SendMessageW(box, WM_COMMAND, IDOK, 0);
    thread.join();
    Settings().UILevel = 0;
    EXPECT_FALSE(opened);
    EXPECT_EQ(std::wstring(text), L"Open this page in your browser (Ctrl+C copies this message):"
                                  L"\n\nsetuptest-user://x/secret");
    EXPECT_NE(testfiles::ReadUtf16(Settings().LogPath)
                  .find(L"Setup runs as another account than the desktop's: "
                        L"'setuptest-user://x/secret' is shown, not opened."),
              std::wstring::npos);
    std::thread([] { OpenAsUser(L"setuptest-user://x/after", DesktopAccount::Same); }).join();
    EXPECT_EQ(recorder.waitForAddress(10000), "setuptest-user://x/after");
    Settings().LogPath.clear();
}

} // namespace
