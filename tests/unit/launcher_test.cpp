// The component launcher and the condition-program runner with our own stand-in programs
// (tests/tools): exit codes, refusals, log lines and output capture.
#include "settings/setup_settings.h"
#include "foundation/dll_binding.h"
#include "foundation/error_text.h"
#include "log_lines.h"
#include "prereq/prerequisite.h"
#include "prereq/process_launch.h"
#include "prereq/run_component.h"
#include "prereq/run_exe.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {
using Lines = std::vector<std::wstring>;

std::wstring Tool(const wchar_t* name) {
    return testfiles::ExeFolder() + L"tests\\tools\\" + name;
}

std::string Utf8(const std::wstring& text) {
    int size = static_cast<int>(text.size());
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, result.data(), bytes, nullptr, nullptr);
    return result;
}

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = testfiles::FreshFolder(L"launcher_files");
        exitCode_ = Tool(L"exit_code.exe");
        ASSERT_TRUE(testfiles::Exists(exitCode_)) << "build the exit_code target";
    }
    std::wstring Marker() const { return folder_ + L"marker.txt"; }
    // What exit_code.exe wrote: its command lines, one a line.
    std::string MarkerText() const { return testfiles::ReadBytes(Marker()); }

    testfiles::CapturedLog log_{L"launcher"};
    std::wstring folder_;
    std::wstring exitCode_;
};

TEST_F(LauncherTest, DirectStartReportsTheProgramsExitCode) {
    for (unsigned long code : {0ul, 1641ul, 3010ul, 1603ul, 2ul}) {
        log_.Clear();
        DeleteFileW(Marker().c_str());
        std::wstring line = Quoted(exitCode_) + L" " + std::to_wstring(code) + L" " + Marker();
        EXPECT_EQ(LaunchProcess(line), code);
        EXPECT_EQ(log_.Lines(), Lines{L"Process '" + line + L"' completed. Exit code=" +
                                      std::to_wstring(code) + L"."});
        EXPECT_EQ(MarkerText(), Utf8(line) + "\r\n");
    }
}

TEST_F(LauncherTest, RejectedCommandLinesStartNothing) {
    struct {
        std::wstring line;
        std::wstring logLine;
    } cases[] = {
        {exitCode_ + L" 0 " + Marker(), L"Invalid command line:" + exitCode_ + L" 0 " + Marker() +
                                            L". First double quote missing."},
        {L"\"" + exitCode_ + L" 0 " + Marker(), L"Invalid command line:\"" + exitCode_ + L" 0 " +
                                                    Marker() + L". Second double quote missing."},
        {L"msiexec", L"Invalid command line:msiexec. Parameter missing."},
    };
    for (const auto& c : cases) {
        log_.Clear();
        EXPECT_EQ(LaunchProcess(c.line), 160u) << c.line;
        EXPECT_EQ(LaunchElevated(c.line), 160u) << c.line;
        EXPECT_EQ(log_.Lines(), (Lines{c.logLine, c.logLine}));
    }
    EXPECT_FALSE(testfiles::Exists(Marker()));
}

TEST_F(LauncherTest, MissingProgramFailsToStartWithError2) {
    std::wstring line = Quoted(folder_ + L"absent.exe") + L" /q";
    EXPECT_EQ(LaunchProcess(line), 2u);
    EXPECT_EQ(log_.Lines(), Lines{L"::CreateProcess('" + line + L"') failed. Error=2."});
}

TEST_F(LauncherTest, ElevatedStartPassesProgramAndParametersApart) {
    std::wstring parameters = L"3010 " + Marker();
    EXPECT_EQ(LaunchElevated(Quoted(exitCode_) + L" " + parameters), 3010u);
    EXPECT_EQ(log_.Lines(), Lines{L"Process " + exitCode_ + L"('" + parameters +
                                  L"') completed. Exit code=3010."});
    EXPECT_NE(MarkerText().find(" 3010 "), std::string::npos) << MarkerText();

    // Wine answers 1400 here where Windows gives 2 (file not found).
    log_.Clear();
    std::wstring absent = folder_ + L"absent.exe";
    unsigned long result = LaunchElevated(Quoted(absent) + L" /q");
    EXPECT_TRUE(result == 2 || result == 1400) << result;
    EXPECT_EQ(log_.Lines(), Lines{L"::ShellExecuteEx('" + absent + L"' '/q') failed. Error=" +
                                  std::to_wstring(result) + L"."});
}

// A msiexec.exe beside setup.exe (here: beside the test program) is never the one that runs.
TEST_F(LauncherTest, MsiexecLinesStartTheSystemsMsiexec) {
    const std::wstring planted = testfiles::ExeFolder() + L"msiexec.exe";
    const std::wstring plantedMarker = planted + L".ran";
    ASSERT_TRUE(CopyFileW(exitCode_.c_str(), planted.c_str(), FALSE));
    DeleteFileW(plantedMarker.c_str());

    const std::wstring line = L"msiexec /x {5E0F8B62-7C1D-4A39-9B57-2D64C3A1F0E8} /qn";
    unsigned long direct = LaunchProcess(line);
    unsigned long elevated = LaunchElevated(line);
    EXPECT_FALSE(testfiles::Exists(plantedMarker));
    DeleteFileW(planted.c_str());
    DeleteFileW(plantedMarker.c_str());

    EXPECT_EQ(direct, 1605u) << "the product is unknown to the real engine";
    EXPECT_EQ(elevated, 1605u);
    EXPECT_EQ(log_.Lines(),
              (Lines{L"Process '" + line + L"' completed. Exit code=1605.",
                     L"Process msiexec('/x {5E0F8B62-7C1D-4A39-9B57-2D64C3A1F0E8} /qn') "
                     L"completed. Exit code=1605."}));
}

// Bare names, quoted or not, through every way of starting: the system folder's program when it
// has one, even with a copy beside setup.exe (here: beside the test program), else that copy;
// never one the current folder holds.
TEST_F(LauncherTest, BareNamesAreTheSystemsFirstThenTheOneBesideTheExecutable) {
    const std::wstring beside = testfiles::ExeFolder() + L"planted_tool.exe";
    const std::wstring plantedCmd = testfiles::ExeFolder() + L"cmd.exe";
    const std::wstring inCurrent = folder_ + L"current_tool.exe";
    for (const std::wstring& copy : {beside, plantedCmd, inCurrent}) {
        ASSERT_TRUE(CopyFileW(exitCode_.c_str(), copy.c_str(), FALSE));
        DeleteFileW((copy + L".ran").c_str());
    }
    wchar_t saved[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, saved);
    SetCurrentDirectoryW(folder_.c_str());

    unsigned long direct = LaunchProcess(L"\"planted_tool.exe\" 5");
    unsigned long elevated = LaunchElevated(L"\"planted_tool\" 6");
    std::wstring text = L"unchanged";
    unsigned long code = 0;
    bool ran = RunExe(L"planted_tool 7", text, code);
    unsigned long system = LaunchProcess(L"\"cmd.exe\" /c exit 9");
    unsigned long current = LaunchProcess(L"\"current_tool.exe\" 0");
    SetCurrentDirectoryW(saved);

    const std::string ran3 = testfiles::ReadBytes(beside + L".ran");
    const bool plantedCmdRan = testfiles::Exists(plantedCmd + L".ran");
    const bool currentRan = testfiles::Exists(inCurrent + L".ran");

    EXPECT_EQ(direct, 5u);
    EXPECT_EQ(elevated, 6u);
    EXPECT_TRUE(ran);
    EXPECT_EQ(code, 7u);
    EXPECT_EQ(std::count(ran3.begin(), ran3.end(), '\n'), 3) << ran3;
    EXPECT_EQ(system, 9u);
    EXPECT_FALSE(plantedCmdRan);
    EXPECT_EQ(current, 2u);
    EXPECT_FALSE(currentRan);
    EXPECT_EQ(log_.Lines(),
              (Lines{L"Process '\"planted_tool.exe\" 5' completed. Exit code=5.",
                     L"Process planted_tool('6') completed. Exit code=6.",
                     L"Process 'planted_tool 7' return code 7",
                     L"Process 'planted_tool 7' return text ''",
                     L"Process '\"cmd.exe\" /c exit 9' completed. Exit code=9.",
                     L"Program missing: neither '" + SystemFolderPath(L"current_tool.exe") +
                         L"' nor '" + testfiles::ExeFolder() + L"current_tool.exe' exists.",
                     L"::CreateProcess('\"current_tool.exe\" 0') failed. Error=2."}));
    for (const std::wstring& copy : {beside, plantedCmd, inCurrent}) {
        DeleteFileW(copy.c_str());
        DeleteFileW((copy + L".ran").c_str());
    }
}

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP)
        ++*reinterpret_cast<int*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(LauncherTest, WindowMessagesAreDispatchedWhileWaiting) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = CountingProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"LauncherTestWindow";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(L"LauncherTestWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    int received = 0;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&received));
    for (int i = 0; i < 3; ++i)
        PostMessageW(window, WM_APP, 0, 0);

    // All three, not only the one that woke the wait: queued messages must not wait for new input.
    EXPECT_EQ(LaunchProcess(Quoted(exitCode_) + L" 0 " + Marker()), 0u);
    EXPECT_EQ(received, 3);
    DestroyWindow(window);
}

// The English texts of a failed component, written out: a wrong string or format shows here.
std::wstring UnableToInstall(const std::wstring& commandLine) {
    return L"Setup was unable to install\n'" + commandLine + L"'.";
}
std::wstring FileNotFound(const std::wstring& commandLine) {
    return L"Setup was unable to find the file\n'" + commandLine + L"'.";
}

Prerequisite Record(const wchar_t* name, const std::wstring& instPath,
                    const std::wstring& instParams) {
    Prerequisite record;
    record.Name = name;
    record.InstPath = instPath;
    record.InstParams = instParams;
    return record;
}

TEST_F(LauncherTest, ComponentCommandLinesResultsAndMessages) {
    const std::wstring temp = testfiles::TempFolder();
    const std::wstring tempMarker = temp + L"launcher_marker.txt";
    const std::wstring bareMarker = exitCode_ + L".ran";
    const std::wstring quoted = Quoted(exitCode_);

    Prerequisite bare = Record(L"Bare", exitCode_, L"");
    Prerequisite fails =
        Record(L"Fails", exitCode_, L"\"#InstPath#\" 1603 #Temp#launcher_marker.txt");
    Prerequisite missing = Record(L"Missing", exitCode_, L"\"#InstPath#\" 2 " + Marker());
    Prerequisite elevated = Record(L"Elevated", exitCode_, L"\"#InstPath#\" 3010 " + Marker());
    elevated.RunAs = 1;
    Prerequisite fromRoot =
        Record(L"Root", L"", L"\"#Root#\\tests\\tools\\exit_code.exe\" 1641 " + Marker());
    Prerequisite update = Record(L"Update", exitCode_, L"\"#InstPath#\" 0 " + Marker());
    update.UpdateParams = L"\"#InstPath#\" 4 " + Marker();
    update.UseUpdateParams = 1;
    Prerequisite unquoted = Record(L"Unquoted", exitCode_, L"#InstPath# /S");

    struct {
        const Prerequisite& record;
        unsigned long result;
        std::wstring ran; // the command line the program got; empty: nothing ran
        std::wstring marker;
        std::wstring errorText;
    } cases[] = {
        {bare, 0, quoted, bareMarker, L"unchanged"},
        {fails, 1603, quoted + L" 1603 " + tempMarker, tempMarker,
         UnableToInstall(quoted + L" 1603 " + tempMarker)},
        {missing, 2, quoted + L" 2 " + Marker(), Marker(),
         FileNotFound(quoted + L" 2 " + Marker())},
        {elevated, 3010, L"", Marker(), L"unchanged"},
        {fromRoot, 1641,
         Quoted(testfiles::ExeFolder() + L"tests\\tools\\exit_code.exe") + L" 1641 " + Marker(),
         Marker(), L"unchanged"},
        {update, 4, quoted + L" 4 " + Marker(), Marker(),
         UnableToInstall(quoted + L" 4 " + Marker())},
        {unquoted, 160, L"", Marker(), UnableToInstall(exitCode_ + L" /S")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.record.Name);
        log_.Clear();
        DeleteFileW(c.marker.c_str());
        std::wstring errorText = L"unchanged";
        EXPECT_EQ(RunComponent(c.record, errorText), c.result);
        EXPECT_EQ(errorText, c.errorText);
        Lines lines = log_.Lines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0], L"Run component '" + c.record.Name + L"'.");
        EXPECT_EQ(lines.size(), 2u);
        if (c.ran.empty())
            continue;
        EXPECT_EQ(lines.back(), L"Process '" + c.ran + L"' completed. Exit code=" +
                                    std::to_wstring(c.result) + L".");
        EXPECT_EQ(testfiles::ReadBytes(c.marker), Utf8(c.ran) + "\r\n");
        DeleteFileW(c.marker.c_str());
    }
}

TEST_F(LauncherTest, UpdateWithoutUpdateParametersIsRefusedWith87) {
    Prerequisite record = Record(L"Quillex Client", exitCode_, L"\"#InstPath#\" 0 " + Marker());
    record.UseUpdateParams = 1;
    std::wstring errorText = L"unchanged";
    EXPECT_EQ(RunComponent(record, errorText), 87u);
    EXPECT_EQ(errorText, L"unchanged");
    EXPECT_FALSE(testfiles::Exists(Marker()));
    EXPECT_EQ(log_.Lines(),
              (Lines{L"Can't find update parameter for prerequisite 'Quillex Client'.", L"",
                     L"Error no update parameter found in the setup file.ini"}));
}

TEST_F(LauncherTest, TempFolderTooLongFailsBeforeAnythingStarts) {
    wchar_t saved[MAX_PATH + 1] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"TMP", saved, MAX_PATH + 1), 0u);
    SetEnvironmentVariableW(L"TMP", (L"C:\\" + std::wstring(300, L't')).c_str());
    std::wstring errorText = L"unchanged";
    unsigned long result = RunComponent(Record(L"Any", exitCode_, L""), errorText);
    SetEnvironmentVariableW(L"TMP", saved);
    EXPECT_NE(result, 0u);
    EXPECT_EQ(errorText, L"unchanged");
    EXPECT_EQ(log_.Lines(), Lines{});
    EXPECT_FALSE(testfiles::Exists(exitCode_ + L".ran"));
}

class RunExeTest : public ::testing::Test {
protected:
    void SetUp() override {
        printText_ = Quoted(Tool(L"print_text.exe"));
        ASSERT_TRUE(testfiles::Exists(Tool(L"print_text.exe"))) << "build the print_text target";
    }
    testfiles::CapturedLog log_{L"run_exe"};
    std::wstring printText_;
};

TEST_F(RunExeTest, ReturnsExitCodeAndTrimmedTextAndLogsBoth) {
    std::wstring line = printText_ + L" 2 \\r\\n Update available\\r\\n";
    std::wstring text;
    unsigned long code = 0;
    ASSERT_TRUE(RunExe(line, text, code));
    EXPECT_EQ(code, 2u);
    EXPECT_EQ(text, L"Update available");
    EXPECT_EQ(log_.Lines(), (Lines{L"Process '" + line + L"' return code 2",
                                   L"Process '" + line + L"' return text 'Update available'"}));
}

TEST_F(RunExeTest, RootMacroIsReplacedInTheLineAndItsLogLines) {
    std::wstring text;
    unsigned long code = 0;
    ASSERT_TRUE(RunExe(L"\"#Root#\\tests\\tools\\print_text.exe\" 3010 \u00e9t\u00e9", text, code));
    EXPECT_EQ(code, 3010u);
    EXPECT_EQ(text, L"\u00e9t\u00e9");
    std::wstring cmd = printText_ + L" 3010 \u00e9t\u00e9";
    EXPECT_EQ(log_.Lines(), (Lines{L"Process '" + cmd + L"' return code 3010",
                                   L"Process '" + cmd + L"' return text '\u00e9t\u00e9'"}));
}

// 1 MiB does not fit a pipe: the program would block forever if the pipe were read only after it
// ended. The first 4096 bytes are kept.
TEST_F(RunExeTest, OneMebibyteOfOutputOnEitherStreamDoesNotBlock) {
    std::string filler;
    while (filler.size() < 4092)
        filler += filler.size() % 64 == 63 ? '\n' : 'x';
    const std::wstring expected = L"Note" + std::wstring(filler.begin(), filler.end());
    for (const wchar_t* stream : {L"", L"--stderr "}) {
        log_.Clear();
        std::wstring line = printText_ + L" 3 --fill 1048576 " + stream + L"Note";
        std::wstring text;
        unsigned long code = 0;
        ASSERT_TRUE(RunExe(line, text, code)) << line;
        EXPECT_EQ(code, 3u);
        EXPECT_EQ(text, expected);
        EXPECT_EQ(log_.Lines(),
                  (Lines{L"Process '" + line + L"' return code 3",
                         L"Process '" + line + L"' return text '" + expected + L"'"}));
    }
}

// Of the caller's inheritable handles only the pipe reaches the program.
TEST_F(RunExeTest, OnlyThePipeIsInherited) {
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE event = CreateEventW(&inheritable, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    std::wstring value = std::to_wstring(reinterpret_cast<ULONG_PTR>(event));
    std::wstring text;
    unsigned long code = 0;
    bool ran = RunExe(printText_ + L" 0 --inherited " + value, text, code);
    CloseHandle(event);
    ASSERT_TRUE(ran);
    EXPECT_EQ(text, L"not inherited");
}

TEST_F(RunExeTest, LinesNamingNoProgramAreRefused) {
    struct {
        std::wstring line;
        std::wstring logLine;
    } cases[] = {
        {L"\"C:\\tools\\check.exe 1",
         L"Invalid command line:\"C:\\tools\\check.exe 1. Second double quote missing."},
        {L"C:check.exe 1", L"Invalid command line:C:check.exe 1. Program missing."},
        {L"C:\\Program Files\\check 1", L"Invalid command line:C:\\Program Files\\check 1. "
                                        L"Quote the program path or give its extension."},
        {L"\"\" 1", L"Invalid command line:\"\" 1. Program missing."},
    };
    for (const auto& c : cases) {
        log_.Clear();
        std::wstring text = L"unchanged";
        unsigned long code = 7;
        EXPECT_FALSE(RunExe(c.line, text, code)) << c.line;
        EXPECT_EQ(text, L"unchanged");
        EXPECT_EQ(log_.Lines(), Lines{c.logLine});
    }
}

TEST_F(RunExeTest, ProgramThatCannotStartIsLoggedAndAnswersFalse) {
    std::wstring line = Quoted(testfiles::TempFolder() + L"absent_condition.exe");
    std::wstring text = L"unchanged";
    unsigned long code = 7;
    EXPECT_FALSE(RunExe(line, text, code));
    EXPECT_EQ(text, L"unchanged");
    EXPECT_EQ(log_.Lines(), Lines{L"RunExe::Function CreateProcess('" + line + L"') failed. " +
                                  FormatErrorCode(2)});
}

} // namespace
