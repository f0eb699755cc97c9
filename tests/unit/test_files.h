#pragma once
// Small file helpers for unit tests that run under Wine.
#include <windows.h>
#include <string>

namespace testfiles {

inline std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, buffer);
    return buffer;
}

// A fresh, empty folder under the temp folder, with a trailing backslash.
std::wstring FreshFolder(const std::wstring& name);

std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
bool Exists(const std::wstring& path);

// The text of a UTF-16 LE file after its byte order mark.
std::wstring ReadUtf16(const std::wstring& path);

// The folder of the running test executable, with a trailing backslash.
std::wstring ExeFolder();
// <exe path without extension>.ini, the setup ini of the test executable.
std::wstring ExeIniPath();

} // namespace testfiles
