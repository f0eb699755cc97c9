#pragma once
#include <string>

// True when a find-first lookup on the path finds an entry: a wildcard in the last component
// matches any entry, and a folder counts. Never shows a system error box (empty drive).
bool FileExists(const std::wstring& path);
