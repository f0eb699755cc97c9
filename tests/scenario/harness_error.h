#pragma once
// A harness that cannot do its part (make a folder, start the program) ends the test with an
// exception that names what failed, on what, and the Windows error.
#include <windows.h>
#include <string>

namespace scenario {

std::string Utf8(const std::wstring& text);

// Capture GetLastError() before building the arguments: allocations may change it.
[[noreturn]] void ThrowWin32Error(const std::string& what, const std::wstring& subject,
                                  DWORD error);

} // namespace scenario
