#include "prereq/run_exe.h"

#include "foundation/code_page.h"
#include "foundation/dll_binding.h"
#include "foundation/error_text.h"
#include "foundation/handles.h"
#include "foundation/macro_text.h"
#include "foundation/module_path.h"
#include "foundation/setup_log.h"
#include "foundation/wide_format.h"
#include "prereq/command_line_text.h"
#include "prereq/output_capture.h"
#include "prereq/program_path.h"

#include <vector>

namespace {
constexpr DWORD kReadPiece = 4096;
constexpr DWORD kPipeBytes = 65536;
constexpr DWORD kPollMilliseconds = 10;

// Reads what the pipe holds now, without waiting for more: at most kPipeBytes, so that a writer
// that never stops cannot keep the caller here. 0, or the error of the peek or the read
// (ERROR_BROKEN_PIPE: every writer has gone and nothing is left).
DWORD ReadAvailable(HANDLE pipe, OutputCapture& output, std::vector<char>& piece) {
    for (DWORD taken = 0; taken < kPipeBytes;) {
        DWORD available = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr))
            return GetLastError();
        if (available == 0)
            return 0;
        DWORD got = 0;
        if (!ReadFile(pipe, piece.data(), available < kReadPiece ? available : kReadPiece, &got,
                      nullptr))
            return GetLastError();
        output.Append(piece.data(), got);
        taken += got;
    }
    return 0;
}

// Reads the program's output while it runs, and what is left in the pipe once it has ended. The
// end is the program's end, not the pipe's: a child that it left running with its output keeps
// the pipe open, and a read of 0 bytes (an empty write) ends nothing. 0, or the read error.
DWORD CaptureOutput(HANDLE pipe, HANDLE process, OutputCapture& output) {
    std::vector<char> piece(kReadPiece);
    for (;;) {
        // Asked before the reading: once ended, all that the program wrote is in the pipe.
        bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        DWORD error = ReadAvailable(pipe, output, piece);
        if (error == ERROR_BROKEN_PIPE) {
            WaitForSingleObject(process, INFINITE);
            return 0;
        }
        if (error != 0 || ended)
            return error;
        WaitForSingleObject(process, kPollMilliseconds);
    }
}

// The attribute list that gives a child only the handles named here of all inheritable ones (a
// handle another thread made inheritable meanwhile must not reach a program that may outlive
// setup). Bound at run time: kernel32 has it from Windows Vista on; without it the child inherits
// as before.
class InheritedHandles {
public:
    explicit InheritedHandles(HANDLE handle) : handle_(handle) {
        if (!initialize_ || !update_ || !delete_)
            return;
        SIZE_T size = 0;
        initialize_(nullptr, 1, 0, &size);
        buffer_.resize(size);
        auto list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
        if (size == 0 || !initialize_(list, 1, 0, &size))
            return;
        initialized_ = list;
        if (update_(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &handle_, sizeof handle_, nullptr,
                    nullptr))
            list_ = list;
    }
    ~InheritedHandles() {
        if (initialized_)
            delete_(initialized_);
    }
    InheritedHandles(const InheritedHandles&) = delete;
    InheritedHandles& operator=(const InheritedHandles&) = delete;

    // Null when the system cannot restrict the inheritance.
    LPPROC_THREAD_ATTRIBUTE_LIST list() const { return list_; }

private:
    decltype(&::InitializeProcThreadAttributeList) initialize_ =
        BindKernel32<decltype(&::InitializeProcThreadAttributeList)>(
            "InitializeProcThreadAttributeList");
    decltype(&::UpdateProcThreadAttribute) update_ =
        BindKernel32<decltype(&::UpdateProcThreadAttribute)>("UpdateProcThreadAttribute");
    decltype(&::DeleteProcThreadAttributeList) delete_ =
        BindKernel32<decltype(&::DeleteProcThreadAttributeList)>("DeleteProcThreadAttributeList");
    HANDLE handle_;
    std::vector<char> buffer_;
    LPPROC_THREAD_ATTRIBUTE_LIST initialized_ = nullptr;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

bool StartHidden(const ProgramCandidate& program, HANDLE output, UniqueKernelHandle& process) {
    std::vector<wchar_t> buffer(program.commandLine.begin(), program.commandLine.end());
    buffer.push_back(L'\0');
    InheritedHandles inherited(output);
    STARTUPINFOEXW startup = {};
    startup.StartupInfo.cb = inherited.list() ? sizeof startup : sizeof startup.StartupInfo;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdOutput = output;
    startup.StartupInfo.hStdError = output;
    startup.lpAttributeList = inherited.list();
    DWORD flags = CREATE_NO_WINDOW | (inherited.list() ? EXTENDED_STARTUPINFO_PRESENT : 0);
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(program.path.c_str(), buffer.data(), nullptr, nullptr, TRUE, flags, nullptr,
                        nullptr, &startup.StartupInfo, &started))
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
    if (!CreatePipe(readEnd.receive(), writeEnd.receive(), &inheritable, kPipeBytes)) {
        LogPrintf(L"RunExe::Function CreatePipe() failed. %s\r\n",
                  FormatErrorCode(GetLastError()).c_str());
        return false;
    }
    // Only the write end goes to the child.
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);

    const MacroReplacement root[] = {{L"#Root#", GetModulePath(false, false)}};
    std::wstring cmd = ReplaceMacros(line, root, 1);
    ProgramCandidate program;
    if (!ResolveProgram(cmd, program))
        return false;
    UniqueKernelHandle process;
    if (!StartHidden(program, writeEnd.get(), process)) {
        LogPrintf(L"RunExe::Function CreateProcess('%s') failed. %s\r\n", cmd.c_str(),
                  FormatErrorCode(GetLastError()).c_str());
        return false;
    }
    // Our copy of the write end goes: the pipe then breaks when every writer has gone.
    writeEnd.reset();

    // Read while the program runs: a program that writes more than the pipe holds would otherwise
    // wait forever for a reader.
    OutputCapture output;
    DWORD readError = CaptureOutput(readEnd.get(), process.get(), output);
    if (readError != 0) {
        // Nobody reads any more: a writer must see the broken pipe rather than wait for room.
        readEnd.reset();
        WaitForSingleObject(process.get(), INFINITE);
    }

    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    exitCode = code;
    LogPrintf(L"Process '%s' return code %d\r\n", cmd.c_str(), exitCode);

    if (readError != 0) {
        LogPrintf(L"RunExe::Function ReadFile() failed. %s\r\n",
                  FormatErrorCode(readError).c_str());
        return false;
    }
    text = TrimOutputText(FromCodePage(output.KeptText(), CP_UTF8));
    // Written whole: the output may be longer than a bounded log line, whose end would be lost.
    LogText(FormatWide(L"Process '%s' return text '%s'\r\n", cmd.c_str(), text.c_str()));
    return true;
}
