#pragma once
// The program file that setup.exe starts for a command line (rules in program_path_text.h).
#include "prereq/program_path_text.h"

#include <string>

// ChooseProgramFile with setup.exe's folder, the system folder and the file system. False, with
// the refused line logged, when the line names no program.
bool ResolveProgram(const std::wstring& line, ProgramCandidate& chosen);
