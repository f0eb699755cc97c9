#pragma once
// The one process-wide record of a setup run: what the command line and the start-up checks found.
// Its UILevel, CodePage and LogPath are the foundation's run context (foundation/run_context.h).
#include "foundation/run_context.h"
#include "settings/setup_mode.h"

#include <string>

struct SetupSettings : RunContext {
    SetupMode Mode = SetupMode::Install;
    std::wstring OperationType;
    std::wstring AdminTargetPath;
    std::wstring PackagePath;
    std::wstring Properties;
    int LangId = 0;
    std::wstring Transforms;
    std::wstring ReinstallMode;
    bool NoRestart = false; // /norestart: a needed restart is left to the caller (exit code 3010)
};

SetupSettings& Settings();
