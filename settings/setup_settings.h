#pragma once
// The one process-wide record of a setup run: what the command line and the start-up checks found.
// Its UILevel, CodePage and LogPath are the foundation's run context (foundation/run_context.h).
#include "foundation/run_context.h"

#include <string>

enum SetupMode { ModeInstall = 0, ModeUsage = 1, ModeNone = 2, ModeAdmin = 3, ModeHelp = 4 };

struct SetupSettings : RunContext {
    int Mode = 0;
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
