#pragma once
// Runs a condition program hidden and captures what it writes.
#include <string>

// Replaces "#Root#" in the line, runs it with standard output and error into a pipe (read while
// it runs, so that no amount of output blocks it) and waits for it. True when it ran and its
// output was read: `text` is the first 4096 bytes of the output (UTF-8, cut at a character
// boundary) decoded and trimmed of blanks and line breaks, `exitCode` its exit code.
bool RunExe(const std::wstring& line, std::wstring& text, unsigned long& exitCode);
