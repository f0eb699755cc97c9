#pragma once
// Replacement of "#Name#" macros in setup ini texts. No Windows calls here.
#include <cstddef>
#include <string>

struct MacroReplacement {
    const wchar_t* macro; // e.g. L"#Root#", matched case-sensitively
    std::wstring replacement;
};

// Replaces every occurrence of every macro in one pass from left to right; at each position the
// macros are tried in the order given. Inserted text is never searched again, so a folder name
// that happens to contain "#Temp#" stays as it is.
std::wstring ReplaceMacros(const std::wstring& text, const MacroReplacement* macros,
                           std::size_t count);

// The folder macros of ini paths: "#System#", "#CommonProgramFiles#" and "#Root#".
std::wstring ReplaceFolderMacros(const std::wstring& text, const std::wstring& systemFolder,
                                 const std::wstring& commonFilesFolder,
                                 const std::wstring& rootFolder);
