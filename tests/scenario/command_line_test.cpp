// The command-line grammar as a user meets it: the usage box, its language, and what is accepted.
#include "setup_support.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

RunResult RunWithCommandLine(const std::wstring& folderName, const std::wstring& commandLine,
                             std::vector<std::pair<std::wstring, std::wstring>> env = {}) {
    ScenarioFolder folder(folderName);
    RunOptions options;
    options.commandLine = commandLine;
    options.env = std::move(env);
    return folder.run(options);
}

TEST(CommandLine, UnacceptableFirstTokenShowsTheUsageBoxAtEveryUILevel) {
    const wchar_t* refused[] = {L"/I",       L"/i/quiet", L"/quiet",    L"ABC=DEF /i",
                                L"/install", L"\"/i\"",   L"/I /quiet", L"-x"};
    for (const wchar_t* commandLine : refused) {
        SCOPED_TRACE(testing::Message() << "command line: " << commandLine);
        RunResult result = RunWithCommandLine(L"usage", commandLine);
        EXPECT_EQ(result.exitCode, 3u);
        ASSERT_EQ(result.boxes.size(), 1u);
        EXPECT_EQ(result.boxes[0].caption, L"Usage Info");
        EXPECT_EQ(result.boxes[0].text, SetupString(137));
        EXPECT_TRUE(result.logFiles.empty()) << "no log exists before the command line is accepted";
    }
}

TEST(CommandLine, UsageBoxSpeaksTheUsersLanguage) {
    struct Case {
        const wchar_t* locale;
        unsigned short language;
    };
    const Case cases[] = {{L"ru_RU.UTF-8", 1049},
                          {L"it_IT.UTF-8", 1040},
                          {L"ja_JP.UTF-8", 1041},
                          {L"de_DE.UTF-8", 0},
                          {L"en_US.UTF-8", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "locale: " << c.locale);
        RunResult result = RunWithCommandLine(L"usage_language", L"/I", {{L"LC_ALL", c.locale}});
        EXPECT_EQ(result.exitCode, 3u);
        ASSERT_EQ(result.boxes.size(), 1u);
        EXPECT_EQ(result.boxes[0].caption, SetupString(138, c.language));
        EXPECT_EQ(result.boxes[0].text, SetupString(137, c.language));
    }
    EXPECT_NE(SetupString(137, 1049), SetupString(137, 0)) << "the Russian table is a translation";
}

TEST(CommandLine, AcceptedFirstTokensStartTheSetupRun) {
    // Without a setup ini file an accepted command line gets as far as the missing-file message.
    const wchar_t* accepted[] = {
        L"", L"  \t ", L"/i", L"-i /passive", L"/A C:\\Image", L"-a \"C:\\Admin Image\""};
    for (const wchar_t* commandLine : accepted) {
        SCOPED_TRACE(testing::Message() << "command line: [" << commandLine << "]");
        RunResult result = RunWithCommandLine(L"accepted", commandLine);
        EXPECT_EQ(result.exitCode, 2u);
        ASSERT_EQ(result.boxes.size(), 1u);
        EXPECT_EQ(result.boxes[0].caption, SetupString(135));
        EXPECT_EQ(result.logFiles.size(), 1u);
    }
}

} // namespace
} // namespace scenario
