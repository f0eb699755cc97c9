#pragma once
// Small text rules shared by the command line, the ini file and version texts. No Windows calls.
#include <string>
#include <string_view>

// ASCII white space: space, tab, line feed, carriage return, vertical tab, form feed. The same set
// on every platform, so that a text reads alike whatever the C runtime's idea of white space is.
bool IsAsciiSpace(wchar_t c);

// The text without white space at either end.
std::wstring Trim(const std::wstring& text);

// Equal when the texts differ only in the case of ASCII letters ("QUIET" and "quiet"). Keywords,
// switches and the ini file's section and key names are ASCII.
bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b);

// True when `needle` occurs in `text`, ASCII letters compared without case.
bool ContainsIgnoringCase(std::wstring_view text, std::wstring_view needle);

// The decimal digits of a number ("1049"); no C runtime formatting, so pure code can use it.
std::wstring DecimalText(unsigned number);
