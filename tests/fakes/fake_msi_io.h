#pragma once

#include <string>

// The fake's few contacts with the system: its environment and the script and record files.

std::wstring environmentVariable(const wchar_t* name); // empty when unset
std::string readFile(const std::wstring& path);        // empty when unreadable
// Appends with FILE_APPEND_DATA, so lines from two processes sharing a record file do not
// overwrite each other.
void appendToFile(const std::wstring& path, const std::string& bytes);

std::string toUtf8(const std::wstring& text);
std::wstring fromUtf8(const std::string& text);
