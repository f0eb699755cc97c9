#pragma once
// Text rules of the Windows version requirement. No Windows calls here.
#include <optional>
#include <string>
#include <vector>

// "6.1" -> {6, 1}; parts are trimmed, empty parts dropped; any part with a non-digit, or no
// number at all, makes the value invalid (nothing).
std::optional<std::vector<unsigned>> ParseDottedNumbers(const std::wstring& text);

// "'Windows 7' (Servi\u0441e Pack 1)"
std::wstring GetWindowsVersionName(unsigned major, unsigned minor, unsigned spMajor,
                                   unsigned spMinor);

// The two-character sequences \r and \n become a carriage return and a line feed.
std::wstring ExpandLineBreakEscapes(const std::wstring& text);
