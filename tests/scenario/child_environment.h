#pragma once
// The environment handed to the child: the harness's own, with the scenario's entries laid over.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace scenario {

using EnvironmentEntries = std::vector<std::pair<std::wstring, std::wstring>>;

// This process's environment, in its order; includes the hidden "=C:" style entries.
EnvironmentEntries CurrentEnvironment();

// Replaces the entry of that name (names compare without case, as Windows does) or appends one.
void SetEnvironmentEntry(EnvironmentEntries& entries, const std::wstring& name,
                         const std::wstring& value);

// True for the settings a Wine process takes from its Unix environment when it starts, and that
// Wine therefore does not take from the block given to CreateProcessW: the user locale (LANG,
// LANGUAGE, LC_*) and Wine's own WINE* variables such as WINEDLLOVERRIDES.
bool IsReadFromUnixEnvironment(const std::wstring& name);

// "NAME=value\0...\0\0", for CreateProcessW with CREATE_UNICODE_ENVIRONMENT.
std::vector<wchar_t> EnvironmentBlock(const EnvironmentEntries& entries);

// CreateProcessW with the exact command line, folder and environment block (plus `flags`).
bool CreateWithEnvironment(const std::wstring& exePath, std::wstring commandLine,
                           const std::wstring& workingFolder, const EnvironmentEntries& environment,
                           DWORD flags, PROCESS_INFORMATION& info);

} // namespace scenario
