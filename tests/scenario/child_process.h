#pragma once
// The program under test as a child process: started with an exact command line, working folder
// and environment; waited for, terminated, and asked for its full 32-bit exit code.
#include "child_environment.h"
#include "foundation/handles.h"

#include <string>

namespace scenario {

struct ChildLaunch {
    std::wstring exePath;
    std::wstring commandTail; // after the quoted exe path and a blank; none when empty
    std::wstring workingFolder;
    EnvironmentEntries environment; // the whole block
    // Settings Wine reads from the Unix environment when a process starts; when there are any the
    // child is started through scenario_relay.exe so that they apply.
    EnvironmentEntries unixEnvironment;
};

class ChildProcess {
public:
    // Throws when the process cannot be created.
    explicit ChildProcess(const ChildLaunch& launch);

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
