#pragma once
// Quotes as vendors and Windows write them in the values a prerequisite reads: a search path
// whose folders may be quoted, and a stored command line whose program may be. No Windows calls.
#include <string>
#include <vector>

// The folders of a Path value: split at ';' outside double quotes, quotes removed, blanks, tabs
// and line breaks trimmed, empty folders dropped. "C:\a b";"D:\x;y" gives C:\a b and D:\x;y.
std::vector<std::wstring> SplitSearchPath(const std::wstring& path);

// The program of a command line stored in the registry (an UninstallString): the text between
// the quotes when it starts with one, else the text before the first blank. False when there is
// no program: an unclosed or empty quote, or an unquoted line without a blank (no parameters).
bool StoredCommandProgram(const std::wstring& command, std::wstring& program);
