// launch.exe PROGRAM [REST]
//
// Starts PROGRAM with exactly REST after its quoted name, waits for it, prints "Exit code: N" and
// "Elapsed: T ms" (from the start of the child to its end, for scripts/bench.sh) and "Peak working
// set: K KB" (sampled while it runs), and returns N. A
// Unix shell sees Windows exit codes only modulo 256 (3010 arrives as 194), and Wine re-quotes the
// arguments it is given on its own command line; from inside Wine this tool passes REST on
// untouched and reports the code in full. REST is taken verbatim from launch.exe's own command
// line, so to hand it A="x y" run it from cmd or another Windows program:
//   wine cmd /c launch.exe setup.exe /passive A="x y"
#include "utf8.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

#include "foundation/handles.h"

namespace {

constexpr int kUsageError = 87; // ERROR_INVALID_PARAMETER
constexpr int kStartError = 255;

const wchar_t* SkipBlanks(const wchar_t* at) {
    while (*at == L' ' || *at == L'\t')
        ++at;
    return at;
}

// A token runs to the first blank outside double quotes; the quotes are not part of it.
const wchar_t* ReadToken(const wchar_t* at, std::wstring& token) {
    bool quoted = false;
    for (; *at && (quoted || (*at != L' ' && *at != L'\t')); ++at) {
        if (*at == L'"')
            quoted = !quoted;
        else
            token += *at;
    }
    return at;
}

// The child's command line: the program quoted, then the rest of ours after the program token.
bool ChildCommandLine(const wchar_t* ownCommandLine, std::wstring& commandLine) {
    std::wstring self;
    std::wstring program;
    const wchar_t* rest = ReadToken(SkipBlanks(ownCommandLine), self);
    rest = SkipBlanks(ReadToken(SkipBlanks(rest), program));
    if (program.empty())
        return false;
    commandLine = L"\"" + program + L"\"";
    if (*rest)
        commandLine += L" " + std::wstring(rest);
    return true;
}

} // namespace

int main() {
    std::wstring commandLine;
    if (!ChildCommandLine(GetCommandLineW(), commandLine)) {
        std::fputs("usage: launch.exe PROGRAM [ARGUMENTS...]\n", stderr);
        return kUsageError;
    }
    LARGE_INTEGER frequency = {};
    LARGE_INTEGER started = {};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&started);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        const DWORD error = GetLastError();
        std::fprintf(stderr, "launch.exe: cannot start %s: error %lu\n", Utf8(commandLine).c_str(),
                     error);
        return kStartError;
    }
    const UniqueKernelHandle process(info.hProcess);
    const UniqueKernelHandle thread(info.hThread);
    // The child's peak working set, sampled while it runs (an ended process may no longer tell).
    using MemoryQuery = BOOL(WINAPI*)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);
    const auto query = reinterpret_cast<MemoryQuery>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "K32GetProcessMemoryInfo")));
    SIZE_T peak = 0;
    while (WaitForSingleObject(process.get(), 20) == WAIT_TIMEOUT) {
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof counters;
        if (query && query(process.get(), &counters, sizeof counters) &&
            counters.PeakWorkingSetSize > peak)
            peak = counters.PeakWorkingSetSize;
    }
    LARGE_INTEGER ended = {};
    QueryPerformanceCounter(&ended);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.get(), &exitCode);
    std::printf("Exit code: %lu\n", exitCode);
    std::printf("Elapsed: %.1f ms\n", 1000.0 *
                                          static_cast<double>(ended.QuadPart - started.QuadPart) /
                                          static_cast<double>(frequency.QuadPart));
    std::printf("Peak working set: %lu KB\n", static_cast<unsigned long>(peak / 1024));
    std::fflush(stdout);
    return static_cast<int>(exitCode);
}
