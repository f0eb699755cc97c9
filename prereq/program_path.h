#pragma once
// The files that setup.exe runs and checks for a prerequisite record (rules in
// program_path_text.h), with setup.exe's folder, the system folder and the file system.
#include "prereq/program_path_text.h"

#include <string>

// The program a command line starts. False, with the refused line logged, when the line names no
// program or no clear one. A missing program is chosen all the same, its start then failing with
// the system's error; for a bare name the log says first where it was looked for.
bool ResolveProgram(const std::wstring& line, ProgramCandidate& chosen);

// The file a record's InstPath names (after its folder macros); wildcards match as FileExists
// says.
std::wstring ResolveInstallerPath(const std::wstring& instPath);
