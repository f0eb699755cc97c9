#include "foundation/macro_text.h"

#include <cwchar>

std::wstring ReplaceMacros(const std::wstring& text, const MacroReplacement* macros,
                           std::size_t count) {
    std::wstring result;
    result.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const MacroReplacement* found = nullptr;
        std::size_t foundLength = 0;
        if (text[at] == L'#') {
            for (std::size_t i = 0; i < count && !found; ++i) {
                std::size_t length = std::wcslen(macros[i].macro);
                if (length != 0 && text.compare(at, length, macros[i].macro) == 0) {
                    found = &macros[i];
                    foundLength = length;
                }
            }
        }
        if (found) {
            result += found->replacement;
            at += foundLength;
        } else {
            result += text[at++];
        }
    }
    return result;
}

std::wstring ReplaceFolderMacros(const std::wstring& text, const std::wstring& systemFolder,
                                 const std::wstring& commonFilesFolder,
                                 const std::wstring& rootFolder) {
    const MacroReplacement macros[] = {
        {L"#System#", systemFolder},
        {L"#CommonProgramFiles#", commonFilesFolder},
        {L"#Root#", rootFolder},
    };
    return ReplaceMacros(text, macros, sizeof macros / sizeof macros[0]);
}
