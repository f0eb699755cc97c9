// Stands in for setup.exe in the harness's own tests. It writes what the harness handed it
// (command line, folders, environment, user language, Windows version, DLL loading) into a
// setup-style log in its temp folder, asks the questions its command line names and exits with a
// code chosen from the answers:
//
//   standin.exe [/probe NAME]... [/box STYLE | /dialog]... [/exit CODE] [/hang]
//
// /box shows MessageBoxW "Question <n>" captioned "Stand-in" with that style, /dialog the dialog
// of standin.rc. The exit code is 3010 after Yes, else the last answer's id (0 without boxes)
// unless /exit gives one.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>
#include <vector>

#include "foundation/handles.h"

namespace {

struct LocalMemoryOwner {
    using Type = wchar_t**;
    static Type invalid() { return nullptr; }
    static void close(Type memory) { LocalFree(memory); }
};

std::wstring LogPath() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    return std::wstring(temp) + L"standin.log";
}

std::wstring TimeStampPrefix() {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    wchar_t prefix[64] = {};
    _snwprintf(prefix, 63, L"Setup.exe [%04d.%02d.%02d %02d:%02d:%02d]: ", now.wYear, now.wMonth,
               now.wDay, now.wHour, now.wMinute, now.wSecond);
    return prefix;
}

void Log(const std::wstring& text) {
    UniqueFileHandle file(CreateFileW(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return;
    std::wstring bytes = GetLastError() == ERROR_ALREADY_EXISTS ? L"" : L"\xFEFF";
    bytes += TimeStampPrefix() + text + L"\r\n";
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size() * sizeof(wchar_t)),
              &written, nullptr);
}

std::wstring VersionText(DWORD major, DWORD minor) {
    return std::to_wstring(major) + L"." + std::to_wstring(minor);
}

bool RunsOnAtLeast(DWORD major, DWORD minor) {
    OSVERSIONINFOEXW wanted = {};
    wanted.dwOSVersionInfoSize = sizeof wanted;
    wanted.dwMajorVersion = major;
    wanted.dwMinorVersion = minor;
    ULONGLONG condition = VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL);
    condition = VerSetConditionMask(condition, VER_MINORVERSION, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION, condition);
}

void LogHostFacts() {
    Log(L"CommandLine=" + std::wstring(GetCommandLineW()));
    wchar_t folder[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH + 1, folder);
    Log(L"CurrentDirectory=" + std::wstring(folder));
    GetTempPathW(MAX_PATH + 1, folder);
    Log(L"TempPath=" + std::wstring(folder));
    Log(L"LangId=" + std::to_wstring(GetUserDefaultLangID()));
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExW(&version);
    Log(L"Version=" + VersionText(version.dwMajorVersion, version.dwMinorVersion));
    const DWORD checks[][2] = {{5, 1}, {6, 1}, {6, 2}, {10, 0}};
    for (const auto& check : checks) {
        Log(L"AtLeast " + VersionText(check[0], check[1]) + L"=" +
            (RunsOnAtLeast(check[0], check[1]) ? L"1" : L"0"));
    }
    const UniqueModule msi(LoadLibraryW(L"msi.dll"));
    Log(std::wstring(L"MsiLoads=") + (msi ? L"1" : L"0"));
}

void LogVariable(const std::wstring& name) {
    wchar_t value[4096] = {};
    if (GetEnvironmentVariableW(name.c_str(), value, 4096) == 0)
        Log(L"Env " + name + L" unset");
    else
        Log(L"Env " + name + L"=" + value);
}

std::vector<std::wstring> Arguments() {
    int count = 0;
    const UniqueHandle<LocalMemoryOwner> argv(CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::wstring> arguments;
    for (int i = 1; argv && i < count; ++i)
        arguments.emplace_back(argv.get()[i]);
    return arguments;
}

DWORD Number(const std::wstring& text) {
    return std::wcstoul(text.c_str(), nullptr, 0);
}

constexpr int kDialogId = 100;

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

int Ask(int number, const std::wstring& what) {
    if (what == L"dialog")
        return static_cast<int>(DialogBoxParamW(
            GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kDialogId), nullptr, DialogProc, 0));
    const std::wstring text = L"Question " + std::to_wstring(number);
    return MessageBoxW(nullptr, text.c_str(), L"Stand-in", Number(what));
}

struct Outcome {
    int questions = 0;
    int lastAnswer = 0;
    bool exitGiven = false;
    DWORD exitCode = 0;
    bool hang = false;
};

// Carries out the options in their order.
Outcome FollowArguments(const std::vector<std::wstring>& arguments) {
    Outcome outcome;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& option = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (option == L"/probe" && hasValue) {
            LogVariable(arguments[++i]);
        } else if ((option == L"/box" && hasValue) || option == L"/dialog") {
            const int number = ++outcome.questions;
            outcome.lastAnswer = Ask(number, option == L"/dialog" ? L"dialog" : arguments[++i]);
            Log(L"Answer " + std::to_wstring(number) + L"=" + std::to_wstring(outcome.lastAnswer));
        } else if (option == L"/exit" && hasValue) {
            outcome.exitGiven = true;
            outcome.exitCode = Number(arguments[++i]);
        } else if (option == L"/hang") {
            outcome.hang = true;
        }
    }
    return outcome;
}

DWORD ExitCodeOf(const Outcome& outcome) {
    if (outcome.exitGiven)
        return outcome.exitCode;
    return outcome.lastAnswer == IDYES ? 3010 : static_cast<DWORD>(outcome.lastAnswer);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    LogHostFacts();
    const Outcome outcome = FollowArguments(Arguments());
    if (outcome.hang)
        Sleep(INFINITE);
    return static_cast<int>(ExitCodeOf(outcome));
}
