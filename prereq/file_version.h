#pragma once
// The version of a file on disk, and the file test of prerequisite detection.
#include "foundation/ini_text.h" // VersionWords

#include <string>

// 0 and the file's fixed version (both words 0xFFFFFFFF when the file has version information
// without a fixed part), or the Windows error code.
unsigned long GetFileVersion(const std::wstring& path, VersionWords& version);
// The file exists with at least the required version (and loads as a module with tryLoad).
// Every negative answer leaves its reason in the setup log.
bool IsValidFileVersion(const std::wstring& path, const VersionWords& required, bool tryLoad);
