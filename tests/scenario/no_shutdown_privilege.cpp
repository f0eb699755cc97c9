// no_shutdown_privilege.exe [ARGUMENTS]
//
// Drops SeShutdownPrivilege from its own token, then runs setup.exe from its own folder with
// exactly its own arguments, in a child that inherits the reduced token, and ends with the child's
// exit code: a setup run whose restart Windows refuses, as for an account without the right.
#include <windows.h>

#include <string>

namespace {

bool DropShutdownPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_REMOVED;
    bool dropped =
        LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid) &&
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
        GetLastError() == ERROR_SUCCESS;
    CloseHandle(token);
    return dropped;
}

// What follows the program token of our own command line, blanks before it skipped.
std::wstring OwnArguments() {
    const wchar_t* at = GetCommandLineW();
    bool quoted = false;
    for (; *at && (quoted || (*at != L' ' && *at != L'\t')); ++at)
        if (*at == L'"')
            quoted = !quoted;
    while (*at == L' ' || *at == L'\t')
        ++at;
    return at;
}

} // namespace

int main() {
    if (!DropShutdownPrivilege())
        return 250;
    wchar_t self[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring setup(self, length);
    setup = setup.substr(0, setup.rfind(L'\\') + 1) + L"setup.exe";
    std::wstring commandLine = L"\"" + setup + L"\" " + OwnArguments();
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(setup.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info))
        return 251;
    WaitForSingleObject(info.hProcess, INFINITE);
    DWORD exitCode = 252;
    GetExitCodeProcess(info.hProcess, &exitCode);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return static_cast<int>(exitCode);
}
