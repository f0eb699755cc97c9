// What deployment tools ask of setup.exe: /norestart, /log <file> and /? /h /help, run as whole
// processes.
#include "end_session_watcher.h"
#include "file_io.h"
#include "log_reading.h"
#include "prerequisite_support.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

const wchar_t kLeftToCaller[] =
    L"A restart of Windows is needed. /norestart leaves it to the caller; exit code 3010.";
const char kMarker[] = "======== New setup run ========";

std::string RestartingComponent(const std::string& section) {
    return Section(section,
                   {"Name=Needs Restart", "InstPath=#Root#\\exit_code.exe",
                    "InstParams=\"#InstPath#\" 3010",
                    std::string("RegPath=") + kTestKeyPath + "\\Missing", "RegCond=DWORD=1"});
}

std::string EngineCommandLine(const FakeEngine& engine) {
    std::vector<std::string> calls = engine.calls("MsiInstallProductW");
    if (calls.size() != 1) {
        ADD_FAILURE() << calls.size() << " calls of MsiInstallProductW";
        return std::string();
    }
    return calls[0].substr(calls[0].rfind('|') + 1);
}

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// Runs the fake product with the setup log sent to `log`, the result's log text read from it.
RunResult RunWithLog(FakeProductFolder& run, const std::wstring& ui, const std::wstring& log) {
    RunResult result = run.run(ui + L" /log \"" + log + L"\"");
    EXPECT_TRUE(result.logFiles.empty()) << "nothing in the temp folder";
    return result;
}

TEST(NoRestart, PrerequisiteRestartInPassiveModeEndsWith3010WithoutARequest) {
    ClearTestKey();
    PrereqFolder folder(L"norestart_prereq", RestartingComponent("PreReq0"));
    EndSessionWatcher watcher;
    RunResult result = folder.run(L"/i /passive /norestart");
    EXPECT_EQ(result.exitCode, 3010u);
    EXPECT_TRUE(result.boxes.empty());
    EXPECT_TRUE(HasLogLine(result, kLeftToCaller));
    EXPECT_TRUE(LacksLogText(result, L"Auto-reboot"));
    EXPECT_TRUE(LacksLogText(result, SetupString(145)));
    EXPECT_TRUE(LacksLogText(result, L"Windows could not be restarted"));
    EXPECT_FALSE(watcher.waitForRequest(0)) << "Windows was asked to restart";
    EXPECT_EQ(EngineCommandLine(folder.product.engine), "REBOOT=ReallySuppress");
}

// At full UI the question is not asked either; every spelling of the switch counts.
TEST(NoRestart, PostrequisiteRestartIsNeverAskedFor) {
    ClearTestKey();
    for (const wchar_t* commandLine : {L"/i -NORESTART", L"/i /quiet /NoRestart A=1"}) {
        SCOPED_TRACE(Utf8(commandLine));
        PrereqFolder folder(L"norestart_postreq", RestartingComponent("PostReq0"));
        EndSessionWatcher watcher;
        RunResult result = folder.run(commandLine);
        EXPECT_EQ(result.exitCode, 3010u);
        EXPECT_TRUE(result.boxes.empty());
        EXPECT_TRUE(HasLogLine(result, kLeftToCaller));
        EXPECT_TRUE(LacksLogText(result, L"Auto-reboot"));
        EXPECT_TRUE(LacksLogText(result, L"Windows could not be restarted"));
        EXPECT_FALSE(watcher.waitForRequest(0));
    }
}

struct EngineCase {
    const wchar_t* commandLine;
    const char* engineCommandLine;
};

// The engine's 3010 is passed on; the engine is told not to restart unless REBOOT was given.
TEST(NoRestart, EngineRestartIsPassedOnAndTheEngineToldToSuppressIt) {
    const EngineCase cases[] = {
        {L"/i /quiet /norestart", "REBOOT=ReallySuppress"},
        {L"/i /norestart /passive X=1", "REBOOT=ReallySuppress X=1"},
        {L"/i /passive /norestart REBOOT=Force", "REBOOT=Force"},
        {L"/i /passive", ""}, // without the switch nothing changes
    };
    for (const EngineCase& c : cases) {
        SCOPED_TRACE(Utf8(c.commandLine));
        FakeProductFolder run(L"norestart_engine", {}, FakePackageScript("InstallResult=3010\r\n"));
        EndSessionWatcher watcher;
        RunResult result = run.run(c.commandLine);
        EXPECT_EQ(result.exitCode, 3010u);
        EXPECT_TRUE(result.boxes.empty());
        EXPECT_EQ(EngineCommandLine(run.engine), c.engineCommandLine);
        EXPECT_TRUE(LacksLogText(result, L"Auto-reboot"));
        EXPECT_FALSE(watcher.waitForRequest(0));
    }
}

struct ExitCodeCase {
    const char* script; // the fake engine's answers besides the package's
    std::vector<std::string> iniLines;
    DWORD withSwitch, without;
};

// With /msiexitcodes the installer's result that ended the run is the exit code; without it
// nothing changes.
TEST(MsiExitCodes, InstallerResultsEndTheRunWithTheirOwnCode) {
    const ExitCodeCase cases[] = {
        {"InstallResult=1618", {}, 1618, 3}, // another installation in progress: retry later
        {"InstallResult=1602", {}, 1602, 3},
        {"InstallResult=1641", {}, 1641, 0},
        // Refused before the engine is called: a newer version, an older one without updates.
        {"ProductState=5\r\nInstalledVersion=2.0.0", {}, 1638, 3},
        {"ProductState=5\r\nInstalledVersion=0.9.0", {"UpdateDisable=1"}, 1638, 3},
    };
    for (const ExitCodeCase& c : cases) {
        for (const bool given : {true, false}) {
            SCOPED_TRACE(testing::Message() << c.script << (given ? " /msiexitcodes" : ""));
            FakeProductFolder run(L"msi_exit_codes", c.iniLines,
                                  FakePackageScript(std::string(c.script) + "\r\n"));
            RunResult result = run.run(given ? L"/i /quiet /msiexitcodes" : L"/i /quiet");
            EXPECT_EQ(result.exitCode, given ? c.withSwitch : c.without);
        }
    }
}

// The dialog's Cancel is the user's; a missing ini file stays setup.exe's own refusal.
TEST(MsiExitCodes, PrerequisitesCancelGives1602AndAMissingIniStill2) {
    PrereqFolder folder(L"msi_exit_codes_cancel", RestartingComponent("PreReq0"));
    RunResult result = folder.run(L"/i /msiexitcodes", {IDCANCEL});
    EXPECT_EQ(result.exitCode, 1602u);
    EXPECT_TRUE(HasLogLine(result, L"Check 'Needs Restart': missing by registry condition."));
    ScenarioFolder noIni(L"msi_exit_codes_no_ini");
    RunOptions options;
    options.commandLine = L"/i /quiet /msiexitcodes";
    EXPECT_EQ(noIni.run(options).exitCode, 2u);
}

TEST(ChosenLog, NewFileRelativeToTheCurrentFolderIsAUtf16Log) {
    FakeProductFolder run(L"log_new");
    RunResult result = RunWithLog(run, L"/i /quiet", L"setup run.log");
    EXPECT_EQ(result.exitCode, 0u);
    const std::string bytes = ReadFileBytes(run.folder.path() + L"\\setup run.log");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    const std::wstring log = DecodeUtf16Le(bytes);
    EXPECT_TRUE(HasLogLine(log, L"UILevel is set to 2"));
    EXPECT_TRUE(HasLogLine(log, L"Setup completed."));
    EXPECT_EQ(log.find(Wide(kMarker)), std::wstring::npos) << "a new file marks no earlier run";
    // The engine's own log is written beside it and moved in, as with the temp log.
    EXPECT_EQ(run.engine.calls("MsiEnableLogW").size(), 1u);
    EXPECT_NE(run.engine.calls("MsiEnableLogW")[0].find("setup run.log.engine"), std::string::npos);
}

TEST(ChosenLog, ExistingUtf16LogIsAppendedToInUtf16) {
    FakeProductFolder run(L"log_utf16");
    const std::wstring path = run.folder.path() + L"\\deploy.log";
    const std::string earlier("\xFF\xFE"
                              "e\0a\0r\0l\0i\0e\0r\0\r\0\n\0",
                              20);
    WriteFileBytes(path, earlier);
    RunResult result = RunWithLog(run, L"/i /passive", path);
    EXPECT_EQ(result.exitCode, 0u);
    const std::string bytes = ReadFileBytes(path);
    EXPECT_EQ(bytes.substr(0, earlier.size()), earlier);
    EXPECT_EQ(bytes.size() % 2, 0u);
    const std::wstring log = DecodeUtf16Le(bytes);
    EXPECT_EQ(log.find(L"\xFEFF"), std::wstring::npos) << "no second byte order mark";
    const std::size_t marker = log.find(L"]: " + Wide(kMarker) + L"\r\n");
    ASSERT_NE(marker, std::wstring::npos);
    EXPECT_LT(marker, log.find(L"UILevel is set to 67"));
    EXPECT_TRUE(HasLogLine(log, L"Setup completed."));
}

TEST(ChosenLog, ExistingEightBitLogStaysEightBit) {
    FakeProductFolder run(L"log_ansi");
    const std::wstring path = run.folder.path() + L"\\deploy.log";
    WriteFileBytes(path, "earlier tool output\r\n");
    RunResult result = RunWithLog(run, L"/i /quiet", path);
    EXPECT_EQ(result.exitCode, 0u);
    const std::string bytes = ReadFileBytes(path);
    EXPECT_EQ(bytes.rfind("earlier tool output\r\n\r\nSetup.exe [", 0), 0u);
    EXPECT_EQ(bytes.find('\0'), std::string::npos) << "UTF-16 text mixed into an 8-bit file";
    EXPECT_NE(bytes.find(std::string("]: ") + kMarker + "\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("]: UILevel is set to 2\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("]: Calling MsiInstallProduct('" + Narrow(run.package())),
              std::string::npos);
    EXPECT_NE(bytes.find("]: Setup completed.\r\n"), std::string::npos);
}

// Refused before anything is installed: a box at full UI only, exit code 3 at every level.
TEST(ChosenLog, FileInAMissingFolderIsRefused) {
    for (const wchar_t* ui : {L"/i", L"/i /passive", L"/i /quiet"}) {
        SCOPED_TRACE(Utf8(ui));
        FakeProductFolder run(L"log_missing_folder");
        const std::wstring path = run.folder.path() + L"\\absent\\setup.log";
        RunResult result = RunWithLog(run, ui, path);
        EXPECT_EQ(result.exitCode, 3u);
        EXPECT_TRUE(run.engine.calls("MsiInstallProductW").empty());
        if (std::wstring(ui) == L"/i") {
            ASSERT_EQ(result.boxes.size(), 1u);
            // The path, then the system's reason (path not found).
            std::wstring expected = SetupString(168);
            expected.replace(expected.find(L"%s"), 2, path);
            expected.replace(expected.find(L"%s"), 2, L"Error(3) ");
            EXPECT_EQ(result.boxes[0].text.rfind(expected, 0), 0u) << Utf8(result.boxes[0].text);
        } else {
            EXPECT_TRUE(result.boxes.empty());
        }
    }
}

// (A read-only file cannot be shown here: the tests run as root, whom Wine lets write it.)
TEST(ChosenLog, FolderIsRefused) {
    FakeProductFolder run(L"log_folder");
    RunResult result = RunWithLog(run, L"/i /quiet", run.folder.path());
    EXPECT_EQ(result.exitCode, 3u);
    EXPECT_TRUE(result.boxes.empty());
    EXPECT_TRUE(run.engine.calls("MsiInstallProductW").empty());
}

TEST(ChosenLog, MailOfferAttachesTheChosenFile) {
    FakeProductFolder run(L"log_mailed", {"SendErrorLogTo=support@example.com"},
                          FakePackageScript("InstallResult=1603\r\n"));
    FakeMail mail(run.folder);
    RunOptions options;
    options.commandLine = L"/i /quiet /log chosen.log";
    options.answers = {IDYES};
    mail.selectFor(options);
    RunResult result = run.run(options);
    EXPECT_EQ(result.exitCode, 3u);
    const std::vector<std::vector<std::string>> sent = mail.sent();
    ASSERT_EQ(sent.size(), 1u);
    ASSERT_GE(sent[0].size(), 9u);
    EXPECT_EQ(sent[0][8], Utf8(run.folder.path() + L"\\chosen.log"));
}

struct HelpCase {
    const wchar_t* commandLine;
    DWORD exitCode;
    bool usageBox;
};

// Help is a question answered; anywhere but alone the switch is not acceptable or ignored.
TEST(Help, AloneItAnswersWithTheUsageBoxAndExitCode0) {
    const HelpCase cases[] = {
        {L"/?", 0, true},
        {L"-h", 0, true},
        {L"/HELP", 0, true},
        {L"/? /quiet", 3, true},
        {L"/help /passive", 3, true},
        {L"/i /quiet /?", 0, false},
        {L"/i /passive /help", 0, false},
    };
    for (const HelpCase& c : cases) {
        SCOPED_TRACE(Utf8(c.commandLine));
        FakeProductFolder run(L"help");
        RunResult result = run.run(c.commandLine);
        EXPECT_EQ(result.exitCode, c.exitCode);
        ASSERT_EQ(result.boxes.size(), c.usageBox ? 1u : 0u);
        if (c.usageBox) {
            EXPECT_EQ(result.boxes[0].text, SetupString(137));
            EXPECT_EQ(result.boxes[0].caption, SetupString(138));
        }
        EXPECT_EQ(run.engine.calls("MsiInstallProductW").size(), c.usageBox ? 0u : 1u);
    }
}

} // namespace
} // namespace scenario
