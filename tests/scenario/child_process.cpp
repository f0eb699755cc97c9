#include "child_process.h"

#include "harness_error.h"

namespace scenario {

ChildProcess::ChildProcess(const std::wstring& exePath, const std::wstring& commandTail,
                           const std::wstring& workingFolder,
                           const EnvironmentEntries& environment) {
    std::wstring commandLine = L"\"" + exePath + L"\"";
    if (!commandTail.empty())
        commandLine += L" " + commandTail;
    std::vector<wchar_t> block = EnvironmentBlock(environment);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_UNICODE_ENVIRONMENT, block.data(), workingFolder.c_str(), &startup,
                        &info)) {
        const DWORD error = GetLastError();
        ThrowWin32Error("Starting", commandLine, error);
    }
    UniqueKernelHandle thread(info.hThread);
    process_.reset(info.hProcess);
    id_ = info.dwProcessId;
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
