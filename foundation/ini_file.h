#pragma once
// The setup ini file: it lies beside the executable and carries its base name.
#include "foundation/ini_text.h"
#include <string>

std::wstring GetModulePath(bool stripExtension, bool addSeparator);
std::wstring GetIniPath();

int ReadIniInt(const wchar_t* section, const wchar_t* key, int defaultValue);
// 8-bit values decoded with the ini code page (the run context's CodePage); null default means "".
std::wstring ReadIniString(const wchar_t* section, const wchar_t* key,
                           const wchar_t* defaultValue = nullptr);
VersionWords ReadIniVersion(const wchar_t* section, const wchar_t* key);
// The key's integer when the section has an entry starting with "Optional", else -1.
int ReadIniOptionalInt(const wchar_t* section, const wchar_t* key, int defaultValue);

// Conversions between UTF-16 and an 8-bit code page (0 = the system ANSI code page).
std::string ToCodePage(const std::wstring& text, unsigned codePage);
std::wstring FromCodePage(const std::string& text, unsigned codePage);
