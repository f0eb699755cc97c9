#include "settings/setup_settings.h"
#include "foundation/lang_strings.h"
#include "foundation/win_version.h"
#include "test_files.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>

namespace {

// Runs CheckWinVersion against the test executable's own setup ini file, with the log in the temp
// folder and no message boxes unless a test asks for full UI.
class CheckWinVersionTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = Settings();
        Settings().UILevel = kUILevelNone;
        Settings().LogPath = testfiles::TempFolder() + L"win_version_test.log";
        DeleteFileW(Settings().LogPath.c_str());
        ClearMain();
    }
    void TearDown() override {
        ClearMain();
        DeleteFileW(ini_.c_str());
        DeleteFileW(Settings().LogPath.c_str());
        Settings() = saved_;
    }
    void Set(const wchar_t* key, const wchar_t* value) {
        WritePrivateProfileStringW(L"Main", key, value, ini_.c_str());
    }
    void ClearMain() { WritePrivateProfileStringW(L"Main", nullptr, nullptr, ini_.c_str()); }
    std::wstring Log() const { return testfiles::ReadUtf16(Settings().LogPath); }

    static std::wstring InvalidLine(const std::wstring& value, const std::wstring& key) {
        return L"CheckWinVersion() failed. Invalid version '" + value + L"' in variable '" + key +
               L"'.\r\n";
    }

    const std::wstring ini_ = testfiles::ExeIniPath();
    SetupSettings saved_;
};

TEST_F(CheckWinVersionTest, NoRequirementPasses) {
    Set(L"MinWinServicePack", L"junk"); // not even read without a version
    EXPECT_TRUE(CheckWinVersion());
    Set(L"MinWinVersion", L"");
    EXPECT_TRUE(CheckWinVersion());
    EXPECT_FALSE(testfiles::Exists(Settings().LogPath));
}

TEST_F(CheckWinVersionTest, ComparesWithTheRunningWindows) {
    struct Case {
        const wchar_t* version;
        const wchar_t* servicePack;
        bool met;
    };
    // Windows compares (major, minor, service pack major, minor) as one tuple: a higher major
    // outweighs any service pack.
    const Case cases[] = {
        {L"1.0", nullptr, true},   {L"1.0", L"99", true}, {L"5.1.2600", L"0.5", true},
        {L"99.0", nullptr, false}, {L"99", L"", false},
    };
    for (const Case& c : cases) {
        ClearMain();
        Set(L"MinWinVersion", c.version);
        if (c.servicePack)
            Set(L"MinWinServicePack", c.servicePack);
        EXPECT_EQ(CheckWinVersion(), c.met) << c.version;
    }
    EXPECT_EQ(Log(), L"") << "an unmet requirement is no setup error";
}

TEST_F(CheckWinVersionTest, InvalidValuesFailWithOneLogLineEach) {
    struct Case {
        const wchar_t* version;
        const wchar_t* servicePack;
        std::vector<std::wstring> lines;
    };
    const Case cases[] = {
        {L"6.1a", nullptr, {InvalidLine(L"6.1a", L"MinWinVersion")}},
        {L"-6", nullptr, {InvalidLine(L"-6", L"MinWinVersion")}},
        {L".", L"1", {InvalidLine(L".", L"MinWinVersion")}},
        {L"1.0", L"x", {InvalidLine(L"x", L"MinWinServicePack")}},
        {L"6,1",
         L".",
         {InvalidLine(L"6,1", L"MinWinVersion"), InvalidLine(L".", L"MinWinServicePack")}},
    };
    for (const Case& c : cases) {
        ClearMain();
        DeleteFileW(Settings().LogPath.c_str());
        Set(L"MinWinVersion", c.version);
        if (c.servicePack)
            Set(L"MinWinServicePack", c.servicePack);
        EXPECT_FALSE(CheckWinVersion()) << c.version;

        std::wstring log = Log();
        EXPECT_EQ(static_cast<std::size_t>(std::count(log.begin(), log.end(), L'\n')),
                  c.lines.size())
            << log;
        std::size_t position = 0;
        for (const std::wstring& line : c.lines) {
            position = log.find(line, position);
            EXPECT_NE(position, std::wstring::npos) << line << " in " << log;
        }
    }
}

BOOL CALLBACK RememberDialog(HWND window, LPARAM found) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wstring(className) != L"#32770")
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND FindDialogOfThread(DWORD thread) {
    HWND dialog = nullptr;
    EnumThreadWindows(thread, RememberDialog, reinterpret_cast<LPARAM>(&dialog));
    return dialog;
}

// Runs `check` at full UI while another thread waits for the message box it shows, reads the box
// and presses OK. Returns caption and text; both empty when no box appeared.
std::pair<std::wstring, std::wstring> CaptureMessageBox(const std::function<void()>& check) {
    const DWORD uiThread = GetCurrentThreadId();
    std::pair<std::wstring, std::wstring> shown;
    std::atomic<bool> finished{false};
    std::thread watcher([&] {
        while (!finished) {
            HWND box = FindDialogOfThread(uiThread);
            if (box) {
                wchar_t text[1024] = {};
                GetWindowTextW(box, text, 1024);
                shown.first = text;
                GetDlgItemTextW(box, 0xFFFF, text, 1024); // the message text control
                shown.second = text;
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(20);
        }
    });
    check();
    finished = true;
    watcher.join();
    return shown;
}

TEST_F(CheckWinVersionTest, AtFullUiTheUserSeesWhy) {
    const WORD language = PRIMARYLANGID(UILanguage());
    if (language == LANG_ITALIAN || language == LANG_JAPANESE || language == LANG_RUSSIAN)
        GTEST_SKIP() << "the expected texts are the English ones";
    Settings().UILevel = kUILevelFull;
    const std::wstring caption = L"Installation Error";

    Set(L"MinWinVersion", L"99.0");
    Set(L"MinWinServicePack", L"2.1");
    auto box = CaptureMessageBox([] { EXPECT_FALSE(CheckWinVersion()); });
    EXPECT_EQ(box.first, caption);
    EXPECT_EQ(box.second, L"Can't  itstall product.\r\nProduct can installed on 'Windows 99.0' "
                          L"(Servi\u0441e Pack 2.1) and above.");

    Set(L"MinWinMessage", L"Please update Windows.\\r\\nSee the readme.");
    box = CaptureMessageBox([] { EXPECT_FALSE(CheckWinVersion()); });
    EXPECT_EQ(box.second, L"Please update Windows.\r\nSee the readme.");

    // The box names the log by its long name, even when the run knows it by its short one.
    const std::wstring longLog = testfiles::TempFolder() + L"win version test long name.log";
    testfiles::WriteBytes(longLog, "\xFF\xFE");
    wchar_t shortLog[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameW(longLog.c_str(), shortLog, MAX_PATH), 0u);
    ASSERT_NE(std::wstring(shortLog), longLog);
    Settings().LogPath = shortLog;
    Set(L"MinWinVersion", L"6.1a");
    box = CaptureMessageBox([] { EXPECT_FALSE(CheckWinVersion()); });
    DeleteFileW(longLog.c_str());
    EXPECT_EQ(box.first, caption);
    EXPECT_EQ(box.second,
              L"An irrecoverable internal error occured.\r\nLog file:\r\n'" + longLog + L"'");
}

} // namespace
