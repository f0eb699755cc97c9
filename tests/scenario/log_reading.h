#pragma once
// Reading a setup log back: UTF-16 LE text whose lines start "Setup.exe [yyyy.mm.dd hh:mm:ss]: ".
// Plain text work, no Windows calls.
#include <string>
#include <vector>

namespace scenario {

// The text of UTF-16 LE bytes, after a byte order mark if there is one; an odd last byte is
// dropped.
std::wstring DecodeUtf16Le(const std::string& bytes);

// True when a line starts with the time-stamp prefix followed by exactly text, and the text ends
// the line ("\r\n") or the log. text may itself span lines.
bool HasLogLine(const std::wstring& log, const std::wstring& text);

// The text after the prefix of each prefixed line, up to its "\r\n".
std::vector<std::wstring> LogEntries(const std::wstring& log);

} // namespace scenario
