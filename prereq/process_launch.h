#pragma once
// Starting component installers and waiting for them with the caller's windows kept alive.
#include "foundation/handles.h"

#include <string>

// Checks a component command line ("msiexec ..." or "\"program\" ...") and splits it into program
// and parameters. A rejected line is logged ("Invalid command line:...").
bool SplitCommandLine(const std::wstring& line, std::wstring& program, std::wstring& parameters);

// Starts the line with CreateProcessW and waits for it. The exit code, 160 for a rejected line,
// or the Windows error of a failed start or wait. A line starting with "msiexec" starts the
// system folder's msiexec.exe; any other program is found as ResolveProgram says, never by the
// system's search. A checked installer file held by `lock` is let go once the program has
// started (or failed to).
unsigned long LaunchProcess(const std::wstring& line, UniqueFileHandle* lock = nullptr);

// The same through ShellExecuteExW with the verb "runas" (program and parameters apart).
unsigned long LaunchElevated(const std::wstring& line, UniqueFileHandle* lock = nullptr);

// Waits for the process while dispatching this thread's window messages. 0 when it has ended,
// else the Windows error of the failed wait.
unsigned long WaitWithMessages(HANDLE process);
