// scenario_relay.exe REQUEST
//
// Wine gives a new process the Unix environment of the process that starts it, and takes the
// user locale (LC_ALL, LANG...) and WINEDLLOVERRIDES from there, not from the environment block
// of CreateProcessW. For a run that needs such settings the harness runs
// "env NAME=value... wine scenario_relay.exe REQUEST"; the relay then starts the program exactly
// as the harness describes it (command line, folder, environment block), suspended, answers with
// its process id in REQUEST.answer and lets it run once the harness, holding a handle to it,
// signals the named event.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "file_io.h"
#include "foundation/handles.h"
#include "relay_request.h"

using namespace scenario;

namespace {

// Long enough for a loaded machine, short enough not to leave orphans behind a dead harness.
constexpr DWORD kReleaseTimeoutMs = 60000;

struct ArgvTraits {
    using Type = wchar_t**;
    static Type invalid() { return nullptr; }
    static void close(Type argv) { LocalFree(argv); }
};

std::wstring RequestPath() {
    int count = 0;
    const UniqueHandle<ArgvTraits> argv(CommandLineToArgvW(GetCommandLineW(), &count));
    return argv && count == 2 ? argv.get()[1] : L"";
}

// Written under another name first, so that the harness never reads half an answer.
void Answer(const std::wstring& requestPath, const std::string& text) {
    const std::wstring answerPath = requestPath + L".answer";
    const std::wstring partPath = answerPath + L".part";
    try {
        WriteFileBytes(partPath, text);
    } catch (...) {
        return;
    }
    MoveFileExW(partPath.c_str(), answerPath.c_str(), MOVEFILE_REPLACE_EXISTING);
}

bool ReadRequest(const std::wstring& path, RelayRequest& request) {
    try {
        return DecodeRelayRequest(ReadFileBytes(path), request);
    } catch (...) {
        return false;
    }
}

bool StartSuspended(const RelayRequest& request, PROCESS_INFORMATION& info) {
    return CreateWithEnvironment(request.exePath, request.commandLine, request.workingFolder,
                                 request.environment, CREATE_SUSPENDED, info);
}

} // namespace

int main() {
    const std::wstring requestPath = RequestPath();
    RelayRequest request;
    if (requestPath.empty() || !ReadRequest(requestPath, request)) {
        Answer(requestPath, "error " + std::to_string(ERROR_INVALID_DATA));
        return 1;
    }
    // Opened before the answer: the harness closes its event once it has set it, and an event
    // opened only after the answer could already be gone (seen on a loaded machine).
    const UniqueKernelHandle release(OpenEventW(SYNCHRONIZE, FALSE, request.eventName.c_str()));
    if (!release) {
        Answer(requestPath, "error " + std::to_string(GetLastError()));
        return 1;
    }
    PROCESS_INFORMATION info = {};
    if (!StartSuspended(request, info)) {
        Answer(requestPath, "error " + std::to_string(GetLastError()));
        return 1;
    }
    const UniqueKernelHandle process(info.hProcess);
    const UniqueKernelHandle thread(info.hThread);
    Answer(requestPath, "pid " + std::to_string(info.dwProcessId));
    if (WaitForSingleObject(release.get(), kReleaseTimeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), ERROR_TIMEOUT);
        return 1;
    }
    ResumeThread(thread.get());
    return 0;
}
