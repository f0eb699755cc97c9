// The offer to mail the setup log after a failure, answered through the fake MAPI32.DLL.
#include "setup_support.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

const char kAddress[] = "SendErrorLogTo=support@example.com";
const wchar_t kNoAddress[] = L"Can't read email address from ini file.";

std::string Bytes(const std::wstring& text, unsigned codePage) {
    std::string bytes(text.size() * 2 + 1, '\0');
    bytes.resize(WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()),
                                     &bytes[0], static_cast<int>(bytes.size()), nullptr, nullptr));
    return bytes;
}

std::wstring LogPathOf(const FakeProductFolder& run, const RunResult& result) {
    return result.logFiles.size() == 1 ? run.folder.tempPath() + L"\\" + result.logFiles[0] : L"";
}

// Runs the product Editor 1.0 whose installation fails with `engineResult`, in /quiet.
RunResult RunFailing(FakeProductFolder& run, const FakeMail& mail, std::vector<int> answers,
                     const std::wstring& mapiResult = L"0") {
    RunOptions options;
    options.commandLine = L"/i /quiet";
    options.answers = std::move(answers);
    mail.selectFor(options, mapiResult);
    return run.run(options);
}

std::string FailingEditor(const char* engineResult = "1603") {
    return FakePackageScript("ProductName=Editor\r\nProductVersion=1.0\r\nInstallResult=" +
                             std::string(engineResult) + "\r\n");
}

TEST(FailureLogMail, QuietFailureOffersTheLogAndHandsItToTheMailProgram) {
    FakeProductFolder run(L"mail_sent", {kAddress}, FailingEditor());
    FakeMail mail(run.folder);
    RunResult result = RunFailing(run, mail, {IDYES});
    EXPECT_EQ(result.exitCode, 3u);
    const std::wstring logPath = LogPathOf(run, result);
    ASSERT_EQ(result.boxes.size(), 1u);
    EXPECT_EQ(result.boxes[0].caption, L"Editor (1.0)");
    std::wstring question = SetupString(159);
    question.replace(question.find(L"%s"), 2, logPath);
    question.replace(question.find(L"%s"), 2, L"support@example.com");
    EXPECT_EQ(result.boxes[0].text, question);

    const std::vector<std::vector<std::string>> expected = {
        {"9", "1", "1", "BootStrapper", "SMTP:support@example.com", "Log file for 'Editor (1.0)'",
         "See log file '" + Utf8(result.logFiles[0]) + "' in attachment.", "1", Utf8(logPath),
         "4294967295", "<null>"}};
    EXPECT_EQ(mail.sent(), expected);
    EXPECT_TRUE(HasLogLine(result, L"Send email to 'SMTP:support@example.com' attachment file '" +
                                       logPath + L"'"));
}

// As SYSTEM or in session 0 (a deployment tool's run) nobody can answer the offer, and the mail
// program would run with SYSTEM's rights: a quiet run that failed ends at once, asking nothing.
// Wine runs nothing as SYSTEM: the run is told so by SETUP_TEST_NO_INTERACTIVE_USER.
TEST(FailureLogMail, NoOfferWithoutAnInteractiveUser) {
    FakeProductFolder run(L"mail_no_user", {kAddress}, FailingEditor());
    FakeMail mail(run.folder);
    RunOptions options;
    options.commandLine = L"/i /quiet";
    options.env = {{L"SETUP_TEST_NO_INTERACTIVE_USER", L"1"}};
    mail.selectFor(options);
    RunResult result = run.run(options);
    EXPECT_EQ(result.exitCode, 3u);
    EXPECT_FALSE(result.timedOut);
    EXPECT_TRUE(result.boxes.empty());
    EXPECT_TRUE(
        HasLogLine(result, L"The log is not offered by mail: nobody is signed in to answer."));
    EXPECT_TRUE(mail.sent().empty());
}

TEST(FailureLogMail, EachWayTheMailingEndsLeavesTheRunsOutcomeAlone) {
    struct Case {
        const char* name;
        const char* engineResult;
        bool address;
        FakeMail::Placement placement;
        int answer;
        const wchar_t* mapiResult;
        std::wstring logText; // "%l" stands for the log path
        size_t sent;
    };
    const Case cases[] = {
        {"declined", "1603", true, FakeMail::InSystemFolder, IDNO, L"0", L"", 0},
        {"no address", "1603", false, FakeMail::InSystemFolder, 0, L"0", kNoAddress, 0},
        {"cancelled", "1602", true, FakeMail::InSystemFolder, 0, L"0", L"", 0},
        {"no MAPI32.DLL", "1603", true, FakeMail::Missing, IDYES, L"0", L"Can't load MAPI32.DLL",
         0},
        {"MAPI32.DLL only beside setup.exe", "1603", true, FakeMail::BesideSetup, IDYES, L"0",
         L"Can't load MAPI32.DLL", 0},
        {"MAPISendMail fails", "1603", true, FakeMail::InSystemFolder, IDYES, L"2",
         L"MAPISendMail(SMTP:support@example.com) failure. Error(2) ", 1},
        {"MAPISendMail crashes", "1603", true, FakeMail::InSystemFolder, IDYES, L"crash",
         L"SendLogFile(%l) failure.", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeProductFolder run(L"mail_outcome",
                              c.address ? std::vector<std::string>{kAddress}
                                        : std::vector<std::string>{},
                              FailingEditor(c.engineResult));
        FakeMail mail(run.folder, c.placement);
        RunResult result = RunFailing(run, mail, {c.answer}, c.mapiResult);
        EXPECT_EQ(result.exitCode, 3u);
        EXPECT_EQ(result.boxes.size(), c.answer ? 1u : 0u);
        EXPECT_EQ(mail.sent().size(), c.sent);
        std::wstring text = c.logText;
        if (text.find(L"%l") != std::wstring::npos)
            text.replace(text.find(L"%l"), 2, LogPathOf(run, result));
        if (!text.empty()) {
            EXPECT_NE(result.log.find(text), std::wstring::npos) << Utf8(text);
        }
        if (c.sent == 0) {
            EXPECT_TRUE(LacksLogText(result, L"Send email"));
        }
    }
}

TEST(FailureLogMail, CyrillicPatchNameReachesTheMailProgramInWindows1251) {
    FakeProductFolder run(L"mail_cyrillic", {}, FakePackageScript("PatchResult=1603\r\n"));
    // "Редактор" in Windows-1251, as an administrator saves a Russian ini file.
    run.writeIni({"MsiPatch=1", "Name=\xD0\xE5\xE4\xE0\xEA\xF2\xEE\xF0", "VersionTarget=2.1",
                  "ProductLangID=1049", kAddress});
    FakeMail mail(run.folder);
    RunResult result = RunFailing(run, mail, {IDYES});
    EXPECT_EQ(result.exitCode, 3u);
    ASSERT_EQ(result.boxes.size(), 1u);
    EXPECT_EQ(result.boxes[0].caption, L"\u0420\u0435\u0434\u0430\u043A\u0442\u043E\u0440 (2.1)");
    const auto sent = mail.sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0][5], "Log file for '\xD0\xE5\xE4\xE0\xEA\xF2\xEE\xF0 (2.1)'");
    EXPECT_EQ(sent[0][8], Bytes(LogPathOf(run, result), 1251));
}

TEST(FailureLogMail, TempFolderOutsideTheCodePageIsAttachedByItsShortPath) {
    FakeProductFolder run(L"mail_short_path", {kAddress}, FailingEditor());
    const std::wstring temp = run.folder.path() + L"\\\u043F\u043E\u0447\u0442\u0430";
    CreateDirectoryW(temp.c_str(), nullptr);
    FakeMail mail(run.folder);
    RunOptions options;
    options.commandLine = L"/i /quiet";
    options.answers = {IDYES};
    options.env = {{L"TMP", temp}, {L"TEMP", temp}};
    mail.selectFor(options);
    run.run(options);
    const auto sent = mail.sent();
    ASSERT_EQ(sent.size(), 1u);
    // Windows-1252 cannot spell the folder's name; the path handed over still opens the log.
    const std::string& path = sent[0][8];
    wchar_t widePath[MAX_PATH] = {};
    MultiByteToWideChar(1252, 0, path.c_str(), -1, widePath, MAX_PATH);
    EXPECT_NE(GetFileAttributesW(widePath), INVALID_FILE_ATTRIBUTES) << path;
    EXPECT_EQ(path.find('?'), std::string::npos) << path;
}

} // namespace
} // namespace scenario
