#pragma once
// Starting a program through scenario_relay.exe (see relay.cpp), so that the settings Wine takes
// from a process's Unix environment (user locale, DLL overrides) apply to it.
#include "foundation/handles.h"
#include "relay_request.h"

namespace scenario {

struct StartedProcess {
    UniqueKernelHandle process;
    DWORD id = 0;
};

// request.eventName is filled in here. The program is held before it runs its first instruction.
// Throws when the relay cannot be started or cannot start the program.
StartedProcess StartThroughRelay(RelayRequest request, const EnvironmentEntries& unixEnvironment);

} // namespace scenario
