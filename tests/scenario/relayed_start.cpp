#include "relayed_start.h"

#include "file_io.h"
#include "harness_error.h"

#include <atomic>
#include <stdexcept>

#ifndef SCENARIO_RELAY_EXE
#error SCENARIO_RELAY_EXE must name scenario_relay.exe (a Unix path is fine)
#endif

namespace scenario {
namespace {

constexpr DWORD kAnswerTimeoutMs = 30000;
constexpr DWORD kAnswerPollMs = 10;
// Wine runs a Unix program given to CreateProcessW. The shell detaches the relay (and the program
// it starts) from the harness's standard output and error, which Wine would hand on: a test runner
// waits for those to close, and would wait for the relay.
const wchar_t kShell[] = L"Z:\\bin\\sh";
const wchar_t kDetachedExec[] = L"exec \"$@\" </dev/null >/dev/null 2>&1";

// Quoted the Windows way, which is how Wine splits the line into the Unix program's arguments.
std::wstring QuoteArgument(const std::wstring& text) {
    if (!text.empty() && text.find_first_of(L" \t\"") == std::wstring::npos)
        return text;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : text) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        quoted += c;
        backslashes = 0;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

std::wstring UniqueName() {
    static std::atomic<unsigned> counter{0};
    return L"scenario-relay-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter);
}

std::wstring TempFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    return temp;
}

// The request and its answer go away however the start ends.
struct RelayFiles {
    std::wstring request;
    std::wstring answer;
    ~RelayFiles() {
        DeleteFileW(request.c_str());
        DeleteFileW(answer.c_str());
    }
};

void LaunchRelay(const EnvironmentEntries& unixEnvironment, const std::wstring& requestPath) {
    std::wstring commandLine = L"sh -c " + QuoteArgument(kDetachedExec) + L" sh env";
    for (const auto& [name, value] : unixEnvironment)
        commandLine += L" " + QuoteArgument(name + L"=" + value);
    commandLine +=
        L" wine " + QuoteArgument(L"" SCENARIO_RELAY_EXE) + L" " + QuoteArgument(requestPath);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    // For a Unix program Wine fills in no handles and no ids: the fields keep leftovers (a heap
    // address came back as the thread handle here), and closing one could close a handle of ours.
    PROCESS_INFORMATION ignored = {};
    if (!CreateProcessW(kShell, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &ignored)) {
        const DWORD error = GetLastError();
        ThrowWin32Error("Starting", commandLine, error);
    }
}

std::string WaitForAnswer(const std::wstring& path) {
    const ULONGLONG deadline = GetTickCount64() + kAnswerTimeoutMs;
    while (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount64() >= deadline)
            throw std::runtime_error("scenario_relay.exe did not answer; is wine on the PATH?");
        Sleep(kAnswerPollMs);
    }
    return ReadFileBytes(path);
}

// "pid N" on success, "error N" with the Windows error of CreateProcessW otherwise.
DWORD ProcessIdFrom(const std::string& answer, const RelayRequest& request) {
    const size_t blank = answer.find(' ');
    const std::string word = answer.substr(0, blank);
    const unsigned long number =
        blank == std::string::npos ? 0 : std::stoul(answer.substr(blank + 1));
    if (word != "pid")
        ThrowWin32Error("Starting through scenario_relay.exe", request.commandLine, number);
    return number;
}

} // namespace

StartedProcess StartThroughRelay(RelayRequest request, const EnvironmentEntries& unixEnvironment) {
    request.eventName = UniqueName();
    const UniqueKernelHandle release(CreateEventW(nullptr, TRUE, FALSE, request.eventName.c_str()));
    if (!release) {
        const DWORD error = GetLastError();
        ThrowWin32Error("Creating event", request.eventName, error);
    }
    RelayFiles files;
    files.request = TempFolder() + request.eventName + L".request";
    files.answer = files.request + L".answer";
    WriteFileBytes(files.request, EncodeRelayRequest(request));
    LaunchRelay(unixEnvironment, files.request);

    StartedProcess started;
    started.id = ProcessIdFrom(WaitForAnswer(files.answer), request);
    started.process.reset(OpenProcess(
        SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, started.id));
    if (!started.process) {
        const DWORD error = GetLastError();
        ThrowWin32Error("Opening the process started for", request.commandLine, error);
    }
    if (!SetEvent(release.get())) {
        const DWORD error = GetLastError();
        ThrowWin32Error("Releasing the process started for", request.commandLine, error);
    }
    return started;
}

} // namespace scenario
