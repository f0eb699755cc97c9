#pragma once
#include <string>

// Classifies the command line, picks the kind of setup run and runs it; returns the exit code.
int RunEntrySequence(const std::wstring& commandLine);
