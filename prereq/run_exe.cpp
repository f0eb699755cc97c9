#include "prereq/run_exe.h"

#include "foundation/error_text.h"
#include "foundation/handles.h"
#include "foundation/ini_file.h"
#include "foundation/macro_text.h"
#include "foundation/setup_log.h"
#include "foundation/wide_format.h"
#include "prereq/command_line_text.h"
#include "prereq/output_capture.h"

#include <vector>

namespace {
constexpr DWORD kReadPiece = 4096;

// Reads the pipe to its end. 0, or the error that ended the reading early (ERROR_BROKEN_PIPE is
// the normal end: every writer has closed its end).
DWORD DrainPipe(HANDLE pipe, OutputCapture& output) {
    std::vector<char> piece(kReadPiece);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(pipe, piece.data(), kReadPiece, &got, nullptr))
            return GetLastError();
        if (got == 0)
            return 0;
        output.Append(piece.data(), got);
    }
}

bool StartHidden(std::wstring commandLine, HANDLE output, UniqueKernelHandle& process) {
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &started))
        return false;
    CloseHandle(started.hThread);
    process.reset(started.hProcess);
    return true;
}
} // namespace

bool RunExe(const std::wstring& line, std::wstring& text, unsigned long& exitCode) {
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    UniqueKernelHandle readEnd;
    UniqueKernelHandle writeEnd;
    if (!CreatePipe(readEnd.receive(), writeEnd.receive(), &inheritable, 0)) {
        LogPrintf(L"RunExe::Function CreatePipe() failed. %s\r\n",
                  FormatErrorCode(GetLastError()).c_str());
        return false;
    }
    // Only the write end goes to the child.
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);

    const MacroReplacement root[] = {{L"#Root#", GetModulePath(false, false)}};
    std::wstring cmd = ReplaceMacros(line, root, 1);
    UniqueKernelHandle process;
    if (!StartHidden(cmd, writeEnd.get(), process)) {
        LogPrintf(L"RunExe::Function CreateProcess('%s') failed. %s\r\n", cmd.c_str(),
                  FormatErrorCode(GetLastError()).c_str());
        return false;
    }
    // Our copy of the write end must go, or the reading below would never see the end.
    writeEnd.reset();

    // The output is read while the program runs: a program that writes more than the pipe holds
    // would otherwise wait forever for a reader.
    OutputCapture output;
    DWORD readError = DrainPipe(readEnd.get(), output);

    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    exitCode = code;
    LogPrintf(L"Process '%s' return code %d\r\n", cmd.c_str(), exitCode);

    if (readError != 0 && readError != ERROR_BROKEN_PIPE) {
        LogPrintf(L"RunExe::Function ReadFile() failed. %s\r\n",
                  FormatErrorCode(readError).c_str());
        return false;
    }
    text = TrimOutputText(FromCodePage(output.KeptText(), CP_UTF8));
    // Written whole: the output may be longer than a bounded log line, whose end would be lost.
    LogText(FormatWide(L"Process '%s' return text '%s'\r\n", cmd.c_str(), text.c_str()));
    return true;
}
