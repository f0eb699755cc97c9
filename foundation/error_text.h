#pragma once
#include <string>

// The system's message for a Windows error code, without its trailing line break, or
// "Unknown error 0x%08X".
std::wstring GetSystemErrorText(unsigned long code);
// "Error(%d) '%s'"
std::wstring FormatErrorCode(unsigned long code);
// The same for a library with messages of its own (winhttp.dll's 12001...), asked first.
std::wstring FormatErrorCodeOf(unsigned long code, void* messageModule);
