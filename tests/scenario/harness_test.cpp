// The harness's own tests: it runs the stand-in (standin.cpp) in place of setup.exe, and what the
// stand-in writes into its log must be what the scenario asked for.
#include "dialog_input.h"
#include "harness.h"
#include "log_reading.h"
#include "setup_support.h"

#include <gtest/gtest.h>

#include "foundation/handles.h"

#include <thread>

using namespace scenario;

namespace {

// A fresh folder holding the stand-in as setup.exe.
ScenarioFolder StandinFolder(const std::wstring& name) {
    ScenarioFolder folder(L"harness_" + name);
    folder.copyIn(BuildPath(L"tests/scenario/standin.exe"), L"setup.exe");
    return folder;
}

RunResult RunStandin(const std::wstring& name, const std::wstring& commandLine,
                     const std::vector<int>& answers = {}) {
    RunOptions options;
    options.commandLine = commandLine;
    options.answers = answers;
    return StandinFolder(name).run(options);
}

// Shown when a log check fails.
std::wstring EntriesOf(const RunResult& result) {
    std::wstring joined = L"log entries:";
    for (const std::wstring& entry : result.logEntries())
        joined += L"\n  " + entry;
    return joined;
}

bool AppDefaultsVersionExists(const std::wstring& exeName) {
    const std::wstring key = L"Software\\Wine\\AppDefaults\\" + exeName;
    return RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"Version", RRF_RT_REG_SZ, nullptr, nullptr,
                        nullptr) == ERROR_SUCCESS;
}

bool IsRunning(DWORD processId) {
    const UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

// A top-level edit box on a thread of its own, as a child's dialog has its own thread.
class EditWindow {
public:
    EditWindow() : ready_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        thread_ = std::thread([this] { threadMain(); });
        WaitForSingleObject(ready_.get(), INFINITE);
    }
    ~EditWindow() {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    EditWindow(const EditWindow&) = delete;
    EditWindow& operator=(const EditWindow&) = delete;

    HWND window() const { return window_; }
    std::wstring text() const {
        wchar_t buffer[64] = {};
        GetWindowTextW(window_, buffer, 64);
        return buffer;
    }

private:
    void threadMain() {
        threadId_ = GetCurrentThreadId();
        window_ = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 80,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetEvent(ready_.get());
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        DestroyWindow(window_);
    }

    UniqueKernelHandle ready_;
    std::thread thread_;
    DWORD threadId_ = 0;
    HWND window_ = nullptr;
};

} // namespace

TEST(HarnessBoxes, RecordsAndAnswersEachBoxAndReadsTheExitCodeInFull) {
    struct Case {
        const wchar_t* commandLine;
        std::vector<int> answers;
        std::vector<int> pressed;
        DWORD exitCode;
    };
    const Case cases[] = {
        {L"/box 36", {IDYES}, {IDYES}, 3010}, // MB_YESNO | MB_ICONQUESTION
        {L"/box 36", {IDNO}, {IDNO}, IDNO},
        {L"/box 36", {}, {IDNO}, IDNO},        // no OK and no Cancel button
        {L"/box 1", {}, {IDOK}, IDOK},         // MB_OKCANCEL
        {L"/box 3", {}, {IDCANCEL}, IDCANCEL}, // MB_YESNOCANCEL
        {L"/box 36 /box 36", {IDNO, IDYES}, {IDNO, IDYES}, 3010},
        {L"/box 36 /box 36", {IDYES}, {IDYES, IDNO}, IDNO},
    };
    int row = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << row << ": " << c.commandLine);
        const RunResult result =
            RunStandin(L"boxes" + std::to_wstring(row++), c.commandLine, c.answers);
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitCode, c.exitCode);
        ASSERT_EQ(result.boxes.size(), c.pressed.size());
        for (size_t i = 0; i < c.pressed.size(); ++i) {
            const std::wstring number = std::to_wstring(i + 1);
            EXPECT_EQ(result.boxes[i].caption, L"Stand-in");
            EXPECT_EQ(result.boxes[i].text, L"Question " + number);
            EXPECT_EQ(result.boxes[i].answer, c.pressed[i]);
            EXPECT_TRUE(
                result.logHasLine(L"Answer " + number + L"=" + std::to_wstring(c.pressed[i])))
                << EntriesOf(result);
        }
    }
}

// A dialog of the program's own has unnamed labels too; it must not pass for a message box.
TEST(HarnessBoxes, ReadsOtherDialogsWholeAndLetsAHookTakeThemOver) {
    const RunResult answered = RunStandin(L"dialog", L"/dialog /box 36", {IDCANCEL, IDYES});
    ASSERT_EQ(answered.boxes.size(), 2u);
    EXPECT_EQ(answered.boxes[0].caption, L"Stand-in dialog");
    EXPECT_EQ(answered.boxes[0].text, L"Ready to install:\nComponent A\nOK\nCancel");
    EXPECT_EQ(answered.boxes[0].answer, IDCANCEL);
    EXPECT_EQ(answered.boxes[1].text, L"Question 2");
    EXPECT_EQ(answered.exitCode, 3010u);

    ScenarioFolder folder = StandinFolder(L"hook");
    RunOptions options;
    options.commandLine = L"/dialog";
    options.onDialog = [](HWND dialog, const BoxSeen& seen) {
        if (seen.caption != L"Stand-in dialog")
            return false;
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
    };
    const RunResult hooked = folder.run(options);
    ASSERT_EQ(hooked.boxes.size(), 1u);
    EXPECT_EQ(hooked.boxes[0].answer, 0);
    EXPECT_EQ(hooked.exitCode, static_cast<DWORD>(IDCANCEL));
}

TEST(HarnessExitCode, KeepsAllThirtyTwoBits) {
    const std::pair<const wchar_t*, DWORD> cases[] = {
        {L"/exit 0", 0}, {L"/exit 3010", 3010}, {L"/exit 0xE0000001", 0xE0000001}};
    int row = 0;
    for (const auto& [commandLine, exitCode] : cases) {
        SCOPED_TRACE(testing::Message() << commandLine);
        const RunResult result = RunStandin(L"exit" + std::to_wstring(row++), commandLine);
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitCode, exitCode);
    }
}

// Runs that set Unix-level settings go through scenario_relay.exe; both ways must hand the child
// the same command line, folder and environment.
TEST(HarnessChild, GetsTheExactCommandLineItsFolderItsTempAndTheGivenEnvironment) {
    const std::pair<const wchar_t*, std::vector<std::pair<std::wstring, std::wstring>>> ways[] = {
        {L"direct", {}},
        {L"relayed", {{L"LC_ALL", L"en_GB.UTF-8"}}},
    };
    for (const auto& [way, unixSettings] : ways) {
        SCOPED_TRACE(testing::Message() << way);
        ScenarioFolder folder = StandinFolder(std::wstring(L"child_") + way);
        RunOptions options;
        options.commandLine =
            L"A=\"x y\"  \"X=1\" C:\\dir\\ /probe HARNESS_PROBE /probe TMP /probe TEMP ";
        options.env = {{L"HARNESS_PROBE", L"caf\u00e9 \"value\""}};
        options.env.insert(options.env.end(), unixSettings.begin(), unixSettings.end());
        const RunResult result = folder.run(options);

        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_EQ(result.logFiles, std::vector<std::wstring>{L"standin.log"});
        EXPECT_EQ(result.logBytes.substr(0, 2), "\xFF\xFE");
        const std::wstring expectedLines[] = {
            L"CommandLine=\"" + folder.path() + L"\\setup.exe\" " + options.commandLine,
            L"CurrentDirectory=" + folder.path(),
            L"TempPath=" + folder.tempPath() + L"\\",
            L"Env TMP=" + folder.tempPath(),
            L"Env TEMP=" + folder.tempPath(),
            L"Env HARNESS_PROBE=caf\u00e9 \"value\"",
        };
        for (const std::wstring& line : expectedLines)
            EXPECT_TRUE(result.logHasLine(line)) << line << L"\n" << EntriesOf(result);
    }
}

TEST(HarnessChild, TakesItsUserLanguageFromLcAll) {
    const std::pair<const wchar_t*, LANGID> cases[] = {
        {L"", GetUserDefaultLangID()}, // not set: the harness's own
        {L"ru_RU.UTF-8", 1049},
        {L"de_DE.UTF-8", 1031},
        {L"ja_JP.UTF-8", 1041},
    };
    int row = 0;
    for (const auto& [locale, langId] : cases) {
        SCOPED_TRACE(testing::Message() << "LC_ALL=" << locale);
        RunOptions options;
        if (*locale)
            options.env = {{L"LC_ALL", locale}};
        const RunResult result = StandinFolder(L"lang" + std::to_wstring(row++)).run(options);
        EXPECT_TRUE(result.logHasLine(L"LangId=" + std::to_wstring(langId))) << EntriesOf(result);
    }
}

TEST(HarnessChild, HonoursDllOverridesGivenInItsEnvironment) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"", L"MsiLoads=1"},
        {L"msi=d", L"MsiLoads=0"},
        {L"mscoree, msi=d", L"MsiLoads=0"}, // a blank inside the value
    };
    int row = 0;
    for (const auto& [overrides, expected] : cases) {
        SCOPED_TRACE(testing::Message() << "WINEDLLOVERRIDES=" << overrides);
        RunOptions options;
        options.env = {{L"WINEDLLOVERRIDES", overrides}};
        const RunResult result = StandinFolder(L"dll" + std::to_wstring(row++)).run(options);
        EXPECT_TRUE(result.logHasLine(expected)) << EntriesOf(result);
    }
}

TEST(HarnessWindowsVersion, AppliesToTheChildAndIsRemovedWhenNotAsked) {
    struct Case {
        const wchar_t* name;
        std::vector<std::wstring> lines;
    };
    const Case cases[] = {
        {L"winxp", {L"Version=5.1", L"AtLeast 5.1=1", L"AtLeast 6.1=0"}},
        {L"win7", {L"Version=6.1", L"AtLeast 6.1=1", L"AtLeast 6.2=0"}},
        {L"win10", {L"Version=10.0", L"AtLeast 10.0=1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name);
        RunOptions options;
        options.windowsVersion = c.name;
        const RunResult result = StandinFolder(std::wstring(L"version_") + c.name).run(options);
        for (const std::wstring& line : c.lines)
            EXPECT_TRUE(result.logHasLine(line)) << line << L"\n" << EntriesOf(result);
    }
    ASSERT_TRUE(AppDefaultsVersionExists(L"setup.exe"));
    StandinFolder(L"version_default").run(RunOptions{});
    EXPECT_FALSE(AppDefaultsVersionExists(L"setup.exe"));
}

TEST(HarnessTimeout, StartReturnsAtOnceAndFinishEndsAChildThatOutlivesItsTime) {
    ScenarioFolder folder = StandinFolder(L"timeout");
    RunOptions options;
    options.commandLine = L"/hang";
    options.timeoutMs = 1500;
    ScenarioFolder::Running running = folder.start(options);
    EXPECT_TRUE(IsRunning(running.processId()));
    const RunResult result = running.finish();
    EXPECT_TRUE(result.timedOut);
    EXPECT_FALSE(IsRunning(running.processId()));
}

// launch.exe is what the demo uses to give setup.exe a command line Wine would otherwise re-quote.
TEST(HarnessLaunch, PassesTheRestOnVerbatimAndReturnsTheFullExitCode) {
    ScenarioFolder folder(L"harness_launch");
    folder.copyIn(BuildPath(L"tests/scenario/standin.exe"), L"standin.exe");
    folder.copyIn(BuildPath(L"tests/tools/launch.exe"), L"launch.exe");
    RunOptions options;
    options.exeName = L"launch.exe";
    options.commandLine = L"standin.exe  /exit 3010 A=\"x y\"  \"X=1\"";
    const RunResult result = folder.run(options);
    EXPECT_EQ(result.exitCode, 3010u);
    EXPECT_TRUE(result.logHasLine(L"CommandLine=\"standin.exe\" /exit 3010 A=\"x y\"  \"X=1\""))
        << EntriesOf(result);
}

TEST(HarnessLogReading, FindsWholeLinesAfterAValidPrefixOnly) {
    const std::wstring log = L"Setup.exe [2025.02.01 09:05:03]: UILevel is set to 5\r\n"
                             L"\r\n\r\n"
                             L"Setup.exe [2025.02.01 09:05:04]: Unable to find\n'C:\\x.msi'.\r\n"
                             L"Setup.exe [2025.2.1 9:05:04]: Short stamp\r\n"
                             L"Noise Setup.exe [2025.02.01 09:05:04]: Mid-line\r\n"
                             L"Setup.exe [2025.02.01 09:05:05]: Last, unterminated";
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"UILevel is set to 5", true},
        {L"UILevel is set to 5\r\n", true},
        {L"UILevel is set to", false},
        {L"is set to 5", false},
        {L"Unable to find\n'C:\\x.msi'.", true},
        {L"Short stamp", false},
        {L"Mid-line", false},
        {L"Last, unterminated", true},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(HasLogLine(log, text), expected) << text;

    const std::vector<std::wstring> entries = {
        L"UILevel is set to 5", L"Unable to find\n'C:\\x.msi'.", L"Last, unterminated"};
    EXPECT_EQ(LogEntries(log), entries);
    EXPECT_EQ(DecodeUtf16Le(std::string("\xFF\xFE"
                                        "A\0\x16\x04",
                                        6)),
              L"A\u0416");
}

TEST(HarnessPaths, TurnsUnixPathsIntoDriveZPaths) {
    EXPECT_EQ(WindowsPathFromUnix(L"/tmp/build/setup.exe"), L"Z:\\tmp\\build\\setup.exe");
    EXPECT_EQ(WindowsPathFromUnix(L"C:\\x\\y"), L"C:\\x\\y");
}

// Real key presses come back only once the window has handled them: the text is there at once.
TEST(HarnessTypeKeys, ReturnsOnceTheWindowHasHandledEachKey) {
    EditWindow edit;
    ASSERT_NE(edit.window(), nullptr);
    ASSERT_TRUE(TypeKeys(edit.window(), {'Q', 'X', VK_BACK, 'Z'}));
    EXPECT_EQ(edit.text(), L"qz");
}

// The fake engine holds a run inside its install until the test releases it.
TEST(HarnessInstallHold, KeepsTheRunInsideTheInstallUntilReleased) {
    InstallHold hold;
    FakeProductFolder product(L"harness_install_hold", {}, FakePackageScript(hold.scriptLines()));
    RunOptions options;
    options.commandLine = L"/i /quiet";
    product.engine.selectFor(options);
    ScenarioFolder::Running running = product.folder.start(options);
    ASSERT_TRUE(hold.waitUntilInstalling());
    EXPECT_TRUE(IsRunning(running.processId()));
    hold.release();
    const RunResult result = running.finish();
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(product.engine.calls("MsiInstallProductW").size(), 1u);
}

// exit_code.exe with a HOLD event that exists ends only once the event is set.
TEST(HarnessHeldProgram, EndsOnlyWhenItsEventIsSet) {
    ScenarioFolder folder(L"harness_held_program");
    folder.copyIn(BuildPath(L"tests/tools/exit_code.exe"), L"exit_code.exe");
    NamedEvent ends(UniqueEventName(L"program_ends"));
    const std::wstring marker = folder.path() + L"\\started.txt";
    RunOptions options;
    options.exeName = L"exit_code.exe";
    options.commandLine = L"7 \"" + marker + L"\" " + ends.name();
    ScenarioFolder::Running running = folder.start(options);
    ASSERT_TRUE(WaitFor(
        [&] { return GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES; }, 60000));
    EXPECT_TRUE(IsRunning(running.processId()));
    ends.set();
    const RunResult result = running.finish();
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 7u);
}
