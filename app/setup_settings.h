#pragma once
// The one process-wide record of a setup run: what the command line and the start-up checks found.
#include <string>

enum SetupMode { ModeInstall = 0, ModeUsage = 1, ModeNone = 2, ModeAdmin = 3 };

// Windows Installer UI levels as used by the run (INSTALLUILEVEL values).
constexpr int kUILevelFull = 5;     // INSTALLUILEVEL_FULL
constexpr int kUILevelNone = 2;     // INSTALLUILEVEL_NONE: /quiet
constexpr int kUILevelPassive = 67; // INSTALLUILEVEL_BASIC | INSTALLUILEVEL_PROGRESSONLY: /passive

struct SetupSettings {
    int Mode = 0;
    std::wstring OperationType;
    std::wstring AdminTargetPath;
    std::wstring PackagePath;
    std::wstring Properties;
    int UILevel = 0;
    int LangId = 0;
    unsigned CodePage = 0;
    std::wstring Transforms;
    std::wstring LogPath;
    std::wstring ReinstallMode;
};

SetupSettings& Settings();

inline bool IsFullUI() {
    return Settings().UILevel == kUILevelFull;
}
