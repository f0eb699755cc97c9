#pragma once
// File versions as word pairs: comparison and text. No Windows calls here.
#include "foundation/ini_text.h" // VersionWords

#include <string>
#include <vector>

// -1, 0 or 1: major, minor, build and revision compared in turn as unsigned 16-bit numbers.
int CompareFileVersion(const VersionWords& a, const VersionWords& b);
// "major.minor.build.revision" in decimal.
std::wstring FormatFileVersion(const VersionWords& version);

// The pieces of `text` between `separator`s, blanks, tabs and line breaks trimmed from each
// piece, empty pieces dropped.
std::vector<std::wstring> SplitTrimmed(const std::wstring& text, wchar_t separator);
