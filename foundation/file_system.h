#pragma once
// Small file-system questions asked across the program.
#include <string>

// True when a find-first lookup on the path finds an entry: a wildcard matches any entry and a
// folder counts as found. A missing removable medium answers false without a system prompt.
bool FileExists(const std::wstring& path);

// True when the path names one existing file: no wildcard matching, and a folder does not count
// (a package path that ends at the setup folder names no package).
bool IsExistingFile(const std::wstring& path);

// Windows' system folder (as a 32-bit program on 64-bit Windows sees it), or "" when Windows
// cannot name it.
std::wstring SystemFolder();

// The long form of a path (no 8.3 short names); the path itself when Windows cannot give one,
// for example for a file that does not exist or an empty path.
std::wstring LongPathOf(const std::wstring& path);
