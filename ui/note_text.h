#pragma once
// The notes of the prerequisite list as the notes box shows them.
#include <string>

// "\n" (a backslash and the letter n) becomes a line break; a backslash before any other
// character drops both; a backslash at the very end is dropped.
std::wstring ExpandNoteEscapes(const std::wstring& notes);
