#pragma once
// The setup log: a UTF-16 LE file in the temp folder, opened, appended to and closed for each line.
#include "foundation/handles.h"

#include <string>

// Opens a file of setup's own (the log, the engine's side file) without following a link: a
// reparse point, a file with a second name, or a file owned by an account other than this one,
// Administrators or SYSTEM is refused (null handle, last error ERROR_FILE_EXISTS). Other users
// can write the temp folder and may plant such names there.
UniqueFileHandle OpenOwnFile(const std::wstring& path, DWORD access, DWORD disposition);

// True when the whole text reached the file (written and closed without error).
bool WriteLog(const std::wstring& path, const std::wstring& text, bool withPrefix);
bool LogText(const std::wstring& text, bool withPrefix = true);
// Formats (wide %s) and appends the result with the time-stamp prefix; a message longer than
// 4095 units is cut inside, keeping its end (FitLogMessage).
void LogPrintf(const wchar_t* format, ...);
void LogPrintfTo(const std::wstring& path, const wchar_t* format, ...);

// The setup log path for this run in the temp folder, or "" when there is no usable temp folder or
// no name can be created there (the run then goes on without a log). A log of an earlier run in
// the same minute is appended to when it is a plain file of this account's (see OpenOwnFile);
// when not, the log takes the next free numbered name. The file is created here. The name part is
// shortened so that the log's path and its engine side file fit in MAX_PATH; a name that cannot
// stand in a file name (unsafe characters, a device name such as CON) is passed over for the
// language-neutral name, and as a last resort cleaned.
std::wstring BuildLogFileName(const std::wstring& name, const std::wstring& languageNeutralName);

// A log file the administrator chose (/log): the path made full from the current folder. Where
// the file exists and holds text, the run appends to it in that text's encoding.
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
