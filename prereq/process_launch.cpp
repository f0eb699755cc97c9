#include "prereq/process_launch.h"

#include "foundation/dll_binding.h"
#include "foundation/handles.h"
#include "foundation/shell32.h"
#include "foundation/setup_log.h"
#include "prereq/command_line_text.h"
#include "prereq/program_path.h"

#include <shellapi.h>

#include <vector>

namespace {
// The program file to start: a line starting with "msiexec" runs the system folder's msiexec.exe,
// every other line follows the rules of ResolveProgram. False when the line is refused (logged).
bool ChooseProgram(const std::wstring& line, ProgramCandidate& chosen) {
    std::wstring msiexec = StartsWithMsiexec(line) ? SystemFolderPath(L"msiexec.exe") : L"";
    if (msiexec.empty())
        return ResolveProgram(line, chosen);
    chosen = ProgramCandidate{msiexec, line, std::wstring()};
    return true;
}

// Exit code of an ended process; false (with the error in `code`) when it cannot be read.
bool ReadExitCode(HANDLE process, unsigned long& code) {
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process, &exitCode)) {
        code = GetLastError();
        return false;
    }
    code = exitCode;
    return true;
}

void Unlock(UniqueFileHandle* lock) {
    if (lock)
        lock->reset();
}

// Waits for the process while dispatching messages; true with its exit code in `result`,
// false with the error of the wait or of the exit-code query.
bool WaitForExitCode(HANDLE process, unsigned long& result) {
    result = WaitWithMessages(process);
    return result == 0 && ReadExitCode(process, result);
}
} // namespace

bool SplitCommandLine(const std::wstring& line, std::wstring& program, std::wstring& parameters) {
    switch (SplitCommandLineText(line, program, parameters)) {
    case CommandLineShape::Valid:
        return true;
    case CommandLineShape::ParameterMissing:
        LogPrintf(L"Invalid command line:%s. Parameter missing.\r\n", line.c_str());
        break;
    case CommandLineShape::SecondQuoteMissing:
        LogPrintf(L"Invalid command line:%s. Second double quote missing.\r\n", line.c_str());
        break;
    case CommandLineShape::FirstQuoteMissing:
        LogPrintf(L"Invalid command line:%s. First double quote missing.\r\n", line.c_str());
        break;
    }
    return false;
}

unsigned long LaunchProcess(const std::wstring& line, UniqueFileHandle* lock) {
    std::wstring program;
    std::wstring parameters;
    ProgramCandidate chosen;
    if (!SplitCommandLine(line, program, parameters) || !ChooseProgram(line, chosen))
        return ERROR_BAD_ARGUMENTS;

    std::vector<wchar_t> commandLine(chosen.commandLine.begin(), chosen.commandLine.end());
    commandLine.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION started = {};
    const BOOL created =
        CreateProcessW(chosen.path.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                       CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &startup, &started);
    const unsigned long error = GetLastError();
    Unlock(lock);
    if (!created) {
        LogPrintf(L"::CreateProcess('%s') failed. Error=%d.\r\n", line.c_str(), error);
        return error;
    }
    UniqueKernelHandle process(started.hProcess);
    UniqueKernelHandle thread(started.hThread);

    unsigned long result = 0;
    if (WaitForExitCode(process.get(), result)) {
        LogPrintf(L"Process '%s' completed. Exit code=%d.\r\n", line.c_str(), result);
        return result;
    }
    LogPrintf(L"Process '%s' failed. Error=%d.\r\n", line.c_str(), result);
    return result;
}

unsigned long LaunchElevated(const std::wstring& line, UniqueFileHandle* lock) {
    std::wstring program;
    std::wstring parameters;
    ProgramCandidate chosen;
    if (!SplitCommandLine(line, program, parameters) || !ChooseProgram(line, chosen))
        return ERROR_BAD_ARGUMENTS;

    SHELLEXECUTEINFOW execute = {};
    execute.cbSize = sizeof execute;
    // No shell error box for a missing file: in a quiet run nobody would close it. The failure
    // is logged and reported by the caller's own message instead.
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    execute.lpVerb = L"runas";
    execute.lpFile = chosen.path.c_str();
    execute.lpParameters = parameters.c_str();
    execute.nShow = SW_SHOW;
    CShell32 shell;
    const BOOL executed = shell.ShellExecuteExW && shell.ShellExecuteExW(&execute);
    const unsigned long error = shell.ShellExecuteExW ? GetLastError() : ERROR_PROC_NOT_FOUND;
    Unlock(lock);
    if (!executed) {
        LogPrintf(L"::ShellExecuteEx('%s' '%s') failed. Error=%d.\r\n", program.c_str(),
                  parameters.c_str(), error);
        return error;
    }
    UniqueKernelHandle process(execute.hProcess);

    unsigned long result = 0;
    if (WaitForExitCode(process.get(), result)) {
        LogPrintf(L"Process %s('%s') completed. Exit code=%d.\r\n", program.c_str(),
                  parameters.c_str(), result);
        return result;
    }
    LogPrintf(L"%s('%s') failed. Error=%d.\r\n", line.c_str(), parameters.c_str(), result);
    return result;
}

unsigned long WaitWithMessages(HANDLE process) {
    for (;;) {
        // MWMO_INPUTAVAILABLE: messages already queued (seen by an earlier peek) wake the wait
        // too. Without it only new input does, and the rest of the queue, paint requests
        // included, would wait until the installer ends.
        DWORD woke =
            MsgWaitForMultipleObjectsEx(1, &process, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0)
            return 0;
        if (woke != WAIT_OBJECT_0 + 1)
            return GetLastError();
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}
