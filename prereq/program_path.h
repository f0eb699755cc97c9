#pragma once
// The program file that setup.exe starts for a command line (rules in program_path_text.h).
#include "prereq/program_path_text.h"

#include <string>

// The first candidate of the line whose program file exists (else the shortest, whose start then
// fails with the system's error). False, with the refused line logged, when the line names no
// program.
bool ResolveProgram(const std::wstring& line, ProgramCandidate& chosen);
