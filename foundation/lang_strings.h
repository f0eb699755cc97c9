#pragma once
// User-visible texts: string resources in the user's default language.
#include <string>

// The UI language, fixed at the first string load (GetUserDefaultLangID).
unsigned short UILanguage();

std::wstring LoadLangString(unsigned id);
// The loaded string used as a wide printf format (%s takes a wide string); no length limit.
std::wstring FormatLangString(unsigned id, ...);

// Default ANSI code page of a language/locale, 0 when the platform has none.
unsigned GetLanguageAnsiCodePage(unsigned long languageId);
// The same for a decimal text such as the package's ProductLanguage ("1049,1033" reads as 1049).
unsigned GetLanguageAnsiCodePage(const std::wstring& languageIdText);
