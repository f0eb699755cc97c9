#pragma once
// What the harness asks scenario_relay.exe to start, as a file both sides read: the program, its
// exact command line, folder and environment block, and the event that releases it.
#include "child_environment.h"

#include <string>

namespace scenario {

struct RelayRequest {
    std::wstring exePath;
    std::wstring commandLine;
    std::wstring workingFolder;
    std::wstring eventName;
    EnvironmentEntries environment;
};

// UTF-16 LE fields, each ended by a null character.
std::string EncodeRelayRequest(const RelayRequest& request);
bool DecodeRelayRequest(const std::string& bytes, RelayRequest& request);

} // namespace scenario
