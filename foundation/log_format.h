#pragma once
// Text rules of the setup log: the line prefix and the log file name. No Windows calls here.
#include "foundation/log_name.h"

#include <string>

struct LocalTime {
    int year, month, day, hour, minute, second;
};

// "Setup.exe [2025.02.01 09:05:03]: "
std::wstring FormatLogPrefix(const LocalTime& time);

// "<tempFolder><name> Setup (2024.03.07 14.05).log"; tempFolder carries its trailing separator.
std::wstring FormatLogFileName(const std::wstring& tempFolder, const std::wstring& name,
                               const LocalTime& time);

// One formatted message holds at most 4095 units. A longer one keeps its start and its last
// units with "..." between them, so that its line end and what closes the line (an exit code)
// survive; a surrogate pair is never split.
std::wstring FitLogMessage(const std::wstring& text);

// When the log's name is taken by a file that setup.exe leaves alone, the next free name:
// "... Setup (2024.03.07 14.05) (2).log", up to (9). The number takes kLogNumberUnits more units.
constexpr unsigned kMaxLogNumber = 9;
constexpr std::size_t kLogNumberUnits = 4;
// The path with " (<number>)" before its ".log"; number 1 leaves it as it is.
std::wstring NumberedLogFileName(const std::wstring& path, unsigned number);
