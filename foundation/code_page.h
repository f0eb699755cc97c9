#pragma once
// Conversions between UTF-16 and an 8-bit code page (0 = the system ANSI code page).
#include <string>

std::string ToCodePage(const std::wstring& text, unsigned codePage);
std::wstring FromCodePage(const std::string& text, unsigned codePage);
