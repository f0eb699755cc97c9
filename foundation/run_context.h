#pragma once
// What the bottom layer needs to know about the run: where the setup log goes, how much UI the
// run may show, and the code page of the setup ini file's texts. The upper layers' record of the
// run extends this one and registers itself with UseRunContext, so both read the same fields.

#include <string>

// Windows Installer UI levels as used by the run (INSTALLUILEVEL values).
constexpr int kUILevelFull = 5;     // INSTALLUILEVEL_FULL
constexpr int kUILevelNone = 2;     // INSTALLUILEVEL_NONE: /quiet
constexpr int kUILevelPassive = 67; // INSTALLUILEVEL_BASIC | INSTALLUILEVEL_PROGRESSONLY: /passive

struct RunContext {
    int UILevel = 0;
    unsigned CodePage = 0; // of the setup ini file's 8-bit texts; 0 = the system's ANSI code page
    std::wstring LogPath;  // "" = no setup log
    // 0: the log is UTF-16 LE. Else the 8-bit code page of an existing file the run appends to,
    // chosen on the command line: its lines are written in that file's own encoding.
    unsigned LogCodePage = 0;
};

// The run's context. Until a larger record takes its place (UseRunContext) it is one of its own.
RunContext& CurrentRunContext();
// Makes `context` the run's context from now on, carrying over what the previous one held.
// `context` must live for the rest of the process.
void UseRunContext(RunContext& context);

inline bool IsFullUI() {
    return CurrentRunContext().UILevel == kUILevelFull;
}
