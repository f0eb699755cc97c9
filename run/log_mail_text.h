#pragma once
// The texts of the failure-log mail. Plain text logic: no Windows calls.
#include <string>

struct LogMailTexts {
    std::wstring address;  // "SMTP:<recipient>"
    std::wstring subject;  // "Log file for '<name> (<version>)'"
    std::wstring noteText; // "See log file '<file name>' in attachment."
};

// "<name> (<version>)": the caption of the mailing question, and the text looked for in the
// title of the mail program's compose window.
std::wstring ProductCaption(const std::wstring& productName, const std::wstring& productVersion);

LogMailTexts BuildLogMailTexts(const std::wstring& logPath, const std::wstring& recipient,
                               const std::wstring& productName, const std::wstring& productVersion);

// The last component of a path (name and extension): what follows the last '\', '/' or the
// drive's ':'.
std::wstring FileNameOf(const std::wstring& path);
