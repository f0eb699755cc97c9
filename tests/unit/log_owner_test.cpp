// The owners of the log's files where Wine cannot show them: every owner is answered as one setup
// does not trust, as on a share (a SYSTEM run's files belong to the computer account) or on FAT
// (nobody). What this run created stays its own; what was there before is refused.
#include "settings/setup_settings.h"
#include "foundation/chosen_log.h"
#include "foundation/own_file.h"
#include "foundation/setup_log.h"
#include "foundation/temp_log_path.h"
#include "msi/engine_log.h"
#include "test_files.h"

#include <gtest/gtest.h>

namespace {
using testfiles::ReadBytes;
using testfiles::ReadUtf16;

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

class ForeignOwnersTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = testfiles::FreshFolder(L"log_owner");
        wchar_t old[MAX_PATH] = {};
        GetEnvironmentVariableW(L"TMP", old, MAX_PATH);
        oldTmp_ = old;
        SetEnvironmentVariableW(L"TMP", folder_.c_str());
        SetFileOwnerCheck([](HANDLE) { return true; });
    }
    void TearDown() override {
        SetFileOwnerCheck(nullptr);
        SetEnvironmentVariableW(L"TMP", oldTmp_.c_str());
        Settings().LogPath.clear();
    }
    std::wstring folder_, oldTmp_;
};

// The temp log takes its first name and keeps it line after line: no run of numbered empty files.
TEST_F(ForeignOwnersTest, LogThisRunCreatedIsWrittenLineByLine) {
    const std::wstring path = BuildLogFileName(L"Owner Test", L"");
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.find(L") (2).log"), std::wstring::npos) << testing::PrintToString(path);
    for (int line = 0; line < 3; ++line)
        EXPECT_TRUE(WriteLog(path, L"line\r\n", false));
    EXPECT_EQ(ReadUtf16(path), L"line\r\nline\r\nline\r\n");
    EXPECT_EQ(FilesIn(folder_).size(), 1u);
}

// A /log file: a new one is the run's own, an existing one of another owner is refused (exit 3
// before anything is installed) and left as it was.
TEST_F(ForeignOwnersTest, ChosenLogIsRefusedOnlyWhenItWasThereBefore) {
    const std::wstring created = folder_ + L"chosen.log";
    ChosenLog fresh = OpenChosenLog(created);
    EXPECT_EQ(fresh.error, 0u);
    EXPECT_FALSE(fresh.appended);
    EXPECT_TRUE(WriteLog(created, L"first\r\n", false));
    EXPECT_TRUE(WriteLog(created, L"second\r\n", false));
    EXPECT_EQ(ReadUtf16(created), L"first\r\nsecond\r\n");

    const std::wstring earlier = folder_ + L"earlier.log";
    const std::string earlierBytes("\xFF\xFE"
                                   "e\0"
                                   "\r\0\n\0",
                                   8);
    testfiles::WriteBytes(earlier, earlierBytes);
    EXPECT_EQ(OpenChosenLog(earlier).error, static_cast<unsigned>(ERROR_FILE_EXISTS));
    EXPECT_FALSE(WriteLog(earlier, L"x", false));
    EXPECT_EQ(ReadBytes(earlier), earlierBytes);
}

// The engine's side file, made by this run, is moved in and deleted; one that another account
// left under the name is not read.
TEST_F(ForeignOwnersTest, EngineSideFileThisRunMadeIsMovedIn) {
    const std::wstring log = folder_ + L"engine owner.log";
    ASSERT_TRUE(WriteLog(log, L"before\r\n", false));
    const MsiLibrary& msi = RunMsiLibrary();
    ASSERT_TRUE(msi.complete());
    const std::wstring side = StartEngineLog(msi, log);
    msi.EnableLog(0, nullptr, 0);
    ASSERT_EQ(side, log + L".engine");
    testfiles::WriteBytes(side, "engine line\n");
    EXPECT_EQ(MoveEngineLogIntoSetupLog(side, log, L""), 0u);
    EXPECT_EQ(ReadUtf16(log), L"before\r\nengine line\r\n");
    EXPECT_FALSE(testfiles::Exists(side));

    const std::wstring planted = folder_ + L"planted.log.engine";
    testfiles::WriteBytes(planted, "not ours\n");
    EXPECT_NE(MoveEngineLogIntoSetupLog(planted, log, L""), 0u);
    EXPECT_EQ(ReadBytes(planted), "not ours\n");
}

} // namespace
