#include "settings/setup_settings.h"
#include "foundation/log_format.h"
#include "foundation/setup_log.h"
#include "foundation/temp_log_path.h"
#include "test_files.h"

#include <gtest/gtest.h>
#include <regex>

namespace {
using testfiles::Exists;
using testfiles::ReadBytes;
using testfiles::ReadUtf16;

const std::wstring kPrefixPattern =
    L"Setup\\.exe \\[\\d{4}\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d\\]: ";

class SetupLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = testfiles::FreshFolder(L"setup_log");
        Settings().LogPath = folder_ + L"Product Setup (2026.01.31 10.05).log";
    }
    void TearDown() override { Settings().LogPath.clear(); }
    std::wstring folder_;
};

TEST_F(SetupLogTest, NewFileStartsWithByteOrderMarkAndLaterWritesAppendWithoutOne) {
    LogPrintf(L"UILevel is set to %d\r\n", 2);
    LogPrintfTo(Settings().LogPath, L"second %s\r\n", L"line");
    LogText(L"\r\n\r\n", false);

    std::string bytes = ReadBytes(Settings().LogPath);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(bytes.find("\xFF\xFE", 2), std::string::npos) << "a second byte order mark";

    std::wstring text = ReadUtf16(Settings().LogPath);
    std::wregex expected(kPrefixPattern + L"UILevel is set to 2\r\n" + kPrefixPattern +
                         L"second line\r\n\r\n\r\n");
    EXPECT_TRUE(std::regex_match(text, expected)) << text;
}

TEST_F(SetupLogTest, PrefixCarriesTheLocalTimeInFixedWidthFields) {
    EXPECT_EQ(FormatLogPrefix({2025, 2, 1, 9, 5, 3}), L"Setup.exe [2025.02.01 09:05:03]: ");
    EXPECT_EQ(FormatLogPrefix({2024, 12, 31, 23, 59, 59}), L"Setup.exe [2024.12.31 23:59:59]: ");
}

TEST_F(SetupLogTest, DataWithPercentSignsIsWrittenLiterally) {
    LogPrintf(L"path '%s'\r\n", L"C:\\100%s\\%d%n");
    std::wstring text = ReadUtf16(Settings().LogPath);
    EXPECT_NE(text.find(L"path 'C:\\100%s\\%d%n'\r\n"), std::wstring::npos) << text;
}

// The cut falls inside the text: the line keeps its end, and the next line starts on its own.
TEST_F(SetupLogTest, OverlongMessageIsCutInsideTo4095UnitsKeepingItsEnd) {
    std::wstring huge(10000, L'x');
    LogPrintf(L"Process '%s' completed. Exit code=%d.\r\n", huge.c_str(), 1603);
    LogPrintf(L"after\r\n");
    std::wstring text = ReadUtf16(Settings().LogPath);
    std::wsmatch match;
    ASSERT_TRUE(std::regex_search(text, match, std::wregex(kPrefixPattern)));
    std::size_t start = match.length(0);
    std::size_t end = text.find(L"Setup.exe", start); // the next line's prefix
    ASSERT_NE(end, std::wstring::npos);
    EXPECT_EQ(end - start, 4095u);
    std::wstring line = text.substr(start, end - start);
    EXPECT_EQ(line.compare(0, 12, L"Process 'xxx"), 0) << line.substr(0, 40);
    const std::wstring ending = L"xxx' completed. Exit code=1603.\r\n";
    EXPECT_EQ(line.compare(line.size() - ending.size(), ending.size(), ending), 0);
    EXPECT_NE(line.find(L"x...x"), std::wstring::npos) << "the cut is marked";
    EXPECT_NE(text.find(L"]: after\r\n"), std::wstring::npos);
}

TEST(FitLogMessage, ShortTextStaysAndASurrogatePairIsNeverSplit) {
    EXPECT_EQ(FitLogMessage(L"short\r\n"), L"short\r\n");
    EXPECT_EQ(FitLogMessage(std::wstring(4095, L'a')), std::wstring(4095, L'a'));
    // A pair (U+1F600) across each cut: head end at 3836, tail start at 4096 - 256.
    for (std::size_t at : {3835u, 3839u}) {
        std::wstring text(4096, L'a');
        text[at] = 0xD83D;
        text[at + 1] = 0xDE00;
        std::wstring fitted = FitLogMessage(text);
        EXPECT_LE(fitted.size(), 4095u);
        for (std::size_t i = 0; i < fitted.size(); ++i) {
            const bool high = fitted[i] >= 0xD800 && fitted[i] <= 0xDBFF;
            const bool low = fitted[i] >= 0xDC00 && fitted[i] <= 0xDFFF;
            EXPECT_EQ(high, i + 1 < fitted.size() && fitted[i + 1] == 0xDE00) << at << " " << i;
            EXPECT_EQ(low, i > 0 && fitted[i - 1] == 0xD83D) << at << " " << i;
        }
    }
}

TEST_F(SetupLogTest, UnwritableOrEmptyPathDropsTheLineSilently) {
    EXPECT_FALSE(WriteLog(L"", L"x", true));
    EXPECT_FALSE(WriteLog(folder_ + L"missing\\sub\\x.log", L"x", true));
    Settings().LogPath.clear();
    EXPECT_FALSE(LogText(L"nothing\r\n"));
}

class LogFileNameTest : public ::testing::Test {
protected:
    void SetUp() override {
        temp_ = testfiles::FreshFolder(L"log_name");
        wchar_t old[MAX_PATH] = {};
        GetEnvironmentVariableW(L"TMP", old, MAX_PATH);
        oldTmp_ = old;
        SetEnvironmentVariableW(L"TMP", temp_.c_str());
    }
    void TearDown() override { SetEnvironmentVariableW(L"TMP", oldTmp_.c_str()); }

    // The name part between the temp folder and " Setup (...).log".
    std::wstring ChosenName(const std::wstring& path) {
        std::wsmatch match;
        std::wregex pattern(L"(.*) Setup \\(\\d{4}\\.\\d\\d\\.\\d\\d \\d\\d\\.\\d\\d\\)\\.log");
        EXPECT_EQ(path.compare(0, temp_.size(), temp_), 0) << path;
        std::wstring rest = path.substr(temp_.size());
        if (!std::regex_match(rest, match, pattern))
            return L"<no match: " + rest + L">";
        return match[1];
    }
    std::wstring temp_, oldTmp_;
};

TEST_F(LogFileNameTest, ChoosesTheFirstNameThatCanBeAFileInTheTempFolder) {
    struct Case {
        const wchar_t* name;
        const wchar_t* neutral;
        const wchar_t* chosen;
    };
    const Case cases[] = {
        {L"Alpha Suite", L"", L"Alpha Suite"},
        {L"Alpha Suite", L"Alpha LN", L"Alpha Suite"},
        {L"??????? ?????", L"Editor LN", L"Editor LN"},
        {L"??????? ?????", L"", L"$$$$$$$ $$$$$"},
        // Path separators must never lead the log out of the temp folder.
        {L"..\\..\\Windows\\evil", L"", L"..$..$Windows$evil"},
        {L"a/b:c*d\"e<f>g|h", L"", L"a$b$c$d$e$f$g$h"},
        {L"Bad\\Name", L"..\\Also bad", L"Bad$Name"},
        {L"Bad\\Name", L"Good LN", L"Good LN"},
    };
    for (const Case& c : cases) {
        std::wstring path = BuildLogFileName(c.name, c.neutral);
        EXPECT_EQ(ChosenName(path), c.chosen) << "name: " << c.name;
    }
    // The probes leave nothing behind.
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((temp_ + L"*.tmp").c_str(), &data);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE);
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);
}

TEST_F(LogFileNameTest, DeviceNamesArePassedOverLikeUnsafeNames) {
    struct Case {
        const wchar_t* name;
        const wchar_t* neutral;
        const wchar_t* chosen;
    };
    const Case cases[] = {
        {L"CON", L"", L"$ON"},
        {L"con", L"Console LN", L"Console LN"},
        {L"AUX", L"NUL", L"$UX"},
        {L"CON.txt", L"", L"$ON.txt"},
        {L"Lpt1 .doc", L"", L"$pt1 .doc"},
        {L"COM¹", L"", L"$OM¹"},
        {L"CONIN$", L"", L"$ONIN$"},
        {L"COM10", L"", L"COM10"},
        {L"CONSOLE", L"", L"CONSOLE"},
        {L"Icon.v2", L"", L"Icon.v2"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChosenName(BuildLogFileName(c.name, c.neutral)), c.chosen) << "name: " << c.name;
}

// No log rather than a log somewhere else.
TEST_F(LogFileNameTest, NoUsableTempFolderMeansNoLog) {
    const std::wstring tooLong = temp_ + std::wstring(300, L'd') + L"\\";
    const std::wstring noRoomForAName = L"C:\\" + std::wstring(259 - 36 - 3, L'r') + L"\\";
    const std::wstring cases[] = {tooLong, noRoomForAName, temp_ + L"missing\\", L"relative\\"};
    for (const std::wstring& tmp : cases) {
        SetEnvironmentVariableW(L"TMP", tmp.c_str());
        EXPECT_EQ(BuildLogFileName(L"Alpha Suite", L"Alpha LN"), L"")
            << "TMP length " << tmp.size();
    }
}

TEST(LogFileNameFormat, MatchesTheDocumentedPattern) {
    const std::wstring path =
        FormatLogFileName(L"C:\\Temp\\", L"Alpha Suite", {2024, 3, 7, 14, 5, 59});
    EXPECT_EQ(path, L"C:\\Temp\\Alpha Suite Setup (2024.03.07 14.05).log");
    EXPECT_EQ(NumberedLogFileName(path, 1), path);
    EXPECT_EQ(NumberedLogFileName(path, 2),
              L"C:\\Temp\\Alpha Suite Setup (2024.03.07 14.05) (2).log");
    EXPECT_EQ(NumberedLogFileName(path, kMaxLogNumber).size(), path.size() + kLogNumberUnits);
}
} // namespace
