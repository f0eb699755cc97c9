#pragma once
// The program under test as a child process: started with an exact command line, working folder
// and environment; waited for, terminated, and asked for its full 32-bit exit code.
#include "child_environment.h"
#include "foundation/handles.h"

#include <string>

namespace scenario {

class ChildProcess {
public:
    // The command line is the quoted exe path, then a blank and commandTail unless that is empty.
    // Throws when the process cannot be created.
    ChildProcess(const std::wstring& exePath, const std::wstring& commandTail,
                 const std::wstring& workingFolder, const EnvironmentEntries& environment);

    DWORD id() const { return id_; }
    // True when the process has ended within the time.
    bool waitFor(DWORD milliseconds) const;
    void terminate(DWORD exitCode) const;
    DWORD exitCode() const;

private:
    UniqueKernelHandle process_;
    DWORD id_ = 0;
};

} // namespace scenario
