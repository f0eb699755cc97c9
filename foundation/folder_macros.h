#pragma once
// Folder macros of ini paths, replaced with this machine's folders.
#include <string>

// Replaces "#System#" (system folder), "#CommonProgramFiles#" (common program files folder, empty
// when the shell cannot tell it) and "#Root#" (setup.exe's folder) in place, case-sensitively,
// every occurrence. When the system folder cannot be determined the text is left unchanged.
void ExpandFolderMacros(std::wstring& text);
