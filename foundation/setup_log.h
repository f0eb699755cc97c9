#pragma once
// The setup log: a UTF-16 LE file in the temp folder, opened, appended to and closed for each line.
#include "foundation/log_format.h"

#include <string>

// True when the whole text reached the file (written and closed without error).
bool WriteLog(const std::wstring& path, const std::wstring& text, bool withPrefix);
bool LogText(const std::wstring& text, bool withPrefix = true);
// Formats (wide %s) and appends the result with the time-stamp prefix; a message longer than
// 4095 units is cut inside, keeping its end (FitLogMessage).
void LogPrintf(const wchar_t* format, ...);
void LogPrintfTo(const std::wstring& path, const wchar_t* format, ...);

// The local time that the log's line prefixes and the temp log's name carry.
LocalTime CurrentLocalTime();
