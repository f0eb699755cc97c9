#pragma once
// The setup log in a file that the administrator chose on the command line (/log).
#include <string>

// The chosen file, its path made full from the current folder. Where the file exists and holds
// text, the run appends to it in that text's encoding.
struct ChosenLog {
    unsigned error = 0;    // Windows error number; 0 when the file can be written
    std::wstring path;     // full path
    unsigned codePage = 0; // as RunContext::LogCodePage
    bool appended = false; // the file held an earlier log
};
// Opens (creating it if needed) the file; a new or empty file starts as a UTF-16 log.
ChosenLog OpenChosenLog(const std::wstring& path);
// The line that separates this run from an earlier one in an appended log.
void LogNewRunMarker();
