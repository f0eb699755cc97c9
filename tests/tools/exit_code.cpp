// exit_code.exe [CODE [MARKER [HOLD]]]
//
// A stand-in component installer or condition program: appends its own command line (UTF-8, one
// line) to the file MARKER, or to "<its own path>.ran" when no MARKER is given, and exits with
// CODE (decimal; 0 when absent or not a number). With HOLD, the name of an event, it exits only
// once that event is set, if the event exists: a test decides how long the program runs, and
// from when on. A copy planted under another
// name (msiexec.exe) therefore leaves "msiexec.exe.ran" beside itself whatever arguments it gets.
#include "utf8.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace {
void AppendLine(const std::wstring& path, const std::string& line) {
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

std::wstring OwnPath() {
    wchar_t buffer[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    return buffer;
}
} // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring marker = argc > 2 ? std::wstring(argv[2]) : OwnPath() + L".ran";
    AppendLine(marker, Utf8(GetCommandLineW()) + "\r\n");
    unsigned long code = 0;
    if (argc > 1) {
        wchar_t* end = nullptr;
        code = std::wcstoul(argv[1], &end, 10);
        if (end == argv[1] || *end != L'\0')
            code = 0;
    }
    if (argc > 3) {
        if (HANDLE hold = OpenEventW(SYNCHRONIZE, FALSE, argv[3])) {
            WaitForSingleObject(hold, INFINITE);
            CloseHandle(hold);
        }
    }
    ExitProcess(static_cast<UINT>(code));
}
