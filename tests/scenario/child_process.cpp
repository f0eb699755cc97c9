#include "child_process.h"

#include "harness_error.h"
#include "relayed_start.h"

namespace scenario {
namespace {

std::wstring CommandLine(const ChildLaunch& launch) {
    std::wstring commandLine = L"\"" + launch.exePath + L"\"";
    if (!launch.commandTail.empty())
        commandLine += L" " + launch.commandTail;
    return commandLine;
}

StartedProcess StartDirectly(const ChildLaunch& launch) {
    std::wstring commandLine = CommandLine(launch);
    PROCESS_INFORMATION info = {};
    if (!CreateWithEnvironment(launch.exePath, commandLine, launch.workingFolder,
                               launch.environment, 0, info)) {
        const DWORD error = GetLastError();
        ThrowWin32Error("Starting", commandLine, error);
    }
    const UniqueKernelHandle thread(info.hThread);
    StartedProcess started;
    started.process.reset(info.hProcess);
    started.id = info.dwProcessId;
    return started;
}

StartedProcess Start(const ChildLaunch& launch) {
    if (launch.unixEnvironment.empty())
        return StartDirectly(launch);
    RelayRequest request;
    request.exePath = launch.exePath;
    request.commandLine = CommandLine(launch);
    request.workingFolder = launch.workingFolder;
    request.environment = launch.environment;
    return StartThroughRelay(request, launch.unixEnvironment);
}

} // namespace

ChildProcess::ChildProcess(const ChildLaunch& launch) {
    StartedProcess started = Start(launch);
    process_ = std::move(started.process);
    id_ = started.id;
}

bool ChildProcess::waitFor(DWORD milliseconds) const {
    return WaitForSingleObject(process_.get(), milliseconds) == WAIT_OBJECT_0;
}

void ChildProcess::terminate(DWORD exitCode) const {
    TerminateProcess(process_.get(), exitCode);
    WaitForSingleObject(process_.get(), 10000);
}

DWORD ChildProcess::exitCode() const {
    DWORD code = 0;
    if (!GetExitCodeProcess(process_.get(), &code)) {
        const DWORD error = GetLastError();
        ThrowWin32Error("GetExitCodeProcess for process", std::to_wstring(id_), error);
    }
    return code;
}

} // namespace scenario
