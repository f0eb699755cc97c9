// print_text.exe CODE [--fill BYTES] [--stderr] [--empty-write] [--leave-child MS] [--sleep MS]
//                [--inherited HANDLE] [TEXT...]
//
// A stand-in condition program: writes TEXT (the remaining arguments joined by one blank, as
// UTF-8, with the two-character escapes \n, \r and \t made into line breaks and a tab) to its
// standard output (standard error with --stderr), then BYTES more bytes of filler lines
// ("xxx...x\n", 64 bytes each, the last one shorter), and exits with CODE. The output is written
// in pieces of 4 KiB, so a reader that does not drain the pipe leaves it blocked.
//   --empty-write     first writes 0 bytes (a reader must not take the empty read for the end)
//   --leave-child MS  first starts a copy of itself that inherits the output and sleeps MS
//                     milliseconds, and does not wait for it (a tray helper, a service)
//   --sleep MS        sleeps MS milliseconds before writing
//   --inherited N     TEXT is "inherited" when handle value N (decimal) is open in this process,
//                     else "not inherited"
#include "utf8.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace {
std::wstring Unescape(const std::wstring& text) {
    std::wstring result;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t next = i + 1 < text.size() ? text[i + 1] : L'\0';
        if (text[i] == L'\\' && (next == L'n' || next == L'r' || next == L't')) {
            result += next == L'n' ? L'\n' : next == L'r' ? L'\r' : L'\t';
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::string Filler(unsigned long bytes) {
    std::string filler;
    filler.reserve(bytes);
    while (filler.size() < bytes)
        filler += (filler.size() % 64 == 63) ? '\n' : 'x';
    return filler;
}

// The copy inherits every inheritable handle, the standard ones included.
void LeaveChild(const std::wstring& milliseconds) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = L"\"" + std::wstring(self) + L"\" 0 --sleep " + milliseconds;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (CreateProcessW(self, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &started)) {
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
}

bool WriteAll(HANDLE output, const std::string& bytes) {
    constexpr size_t kPiece = 4096;
    for (size_t at = 0; at < bytes.size(); at += kPiece) {
        DWORD size = static_cast<DWORD>(bytes.size() - at < kPiece ? bytes.size() - at : kPiece);
        DWORD written = 0;
        if (!WriteFile(output, bytes.data() + at, size, &written, nullptr) || written != size)
            return false;
    }
    return true;
}
} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 87;
    UINT code = static_cast<UINT>(std::wcstoul(argv[1], nullptr, 10));
    unsigned long fill = 0;
    DWORD stream = STD_OUTPUT_HANDLE;
    bool emptyWrite = false;
    const wchar_t* inherited = nullptr;
    int next = 2;
    for (; next < argc; ++next) {
        std::wstring option = argv[next];
        bool valued = next + 1 < argc;
        if (option == L"--fill" && valued)
            fill = std::wcstoul(argv[++next], nullptr, 10);
        else if (option == L"--stderr")
            stream = STD_ERROR_HANDLE;
        else if (option == L"--empty-write")
            emptyWrite = true;
        else if (option == L"--leave-child" && valued)
            LeaveChild(argv[++next]);
        else if (option == L"--sleep" && valued)
            Sleep(std::wcstoul(argv[++next], nullptr, 10));
        else if (option == L"--inherited" && valued)
            inherited = argv[++next];
        else
            break;
    }
    std::wstring text;
    for (int i = next; i < argc; ++i)
        text += (i > next ? L" " : L"") + std::wstring(argv[i]);
    if (inherited) {
        DWORD flags = 0;
        auto value = static_cast<ULONG_PTR>(std::wcstoul(inherited, nullptr, 10));
        text = GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? L"inherited"
                                                                             : L"not inherited";
    }
    DWORD written = 0;
    if (emptyWrite)
        WriteFile(GetStdHandle(stream), "", 0, &written, nullptr);
    WriteAll(GetStdHandle(stream), Utf8(Unescape(text)) + Filler(fill));
    ExitProcess(code);
}
