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

} // namespace
