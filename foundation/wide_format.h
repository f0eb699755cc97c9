#pragma once
// printf-style formatting of UTF-16 text with Microsoft semantics: %s takes a wide string.
// (MinGW's C++ mode redirects swprintf to a C99 version that reads %s as narrow.)
#include <cstdarg>
#include <cstddef>
#include <string>

std::wstring FormatWide(const wchar_t* format, ...);
std::wstring FormatWideV(const wchar_t* format, va_list args);
