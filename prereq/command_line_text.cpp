#include "prereq/command_line_text.h"

#include "foundation/macro_text.h"

namespace {
wchar_t FoldAscii(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}
} // namespace

bool StartsWithMsiexec(const std::wstring& line) {
    static const wchar_t kMsiexec[] = L"msiexec";
    if (line.size() < 7)
        return false;
    for (std::size_t i = 0; i < 7; ++i) {
        if (FoldAscii(line[i]) != kMsiexec[i])
            return false;
    }
    return true;
}

CommandLineShape SplitCommandLineText(const std::wstring& line, std::wstring& program,
                                      std::wstring& parameters) {
    if (StartsWithMsiexec(line)) {
        std::size_t blank = line.find_first_of(L" \t");
        if (blank == std::wstring::npos)
            return CommandLineShape::ParameterMissing;
        program = line.substr(0, blank);
        parameters = line.substr(blank + 1);
        return CommandLineShape::Valid;
    }
    if (!line.empty() && line[0] == L'"') {
        std::size_t closing = line.find(L'"', 1);
        if (closing == std::wstring::npos)
            return CommandLineShape::SecondQuoteMissing;
        program = line.substr(1, closing - 1);
        // One separator after the closing quote is skipped, whatever it is; nothing when the quote
        // ends the line.
        std::size_t start = closing + 2;
        parameters = start < line.size() ? line.substr(start) : std::wstring();
        return CommandLineShape::Valid;
    }
    return CommandLineShape::FirstQuoteMissing;
}

std::wstring ReplaceCommandLineMacros(const std::wstring& params, const std::wstring& instPath,
                                      const std::wstring& rootFolder,
                                      const std::wstring& tempFolder) {
    const MacroReplacement macros[] = {
        {L"#InstPath#", instPath},
        {L"#Root#", rootFolder},
        {L"#Temp#", tempFolder},
    };
    return ReplaceMacros(params, macros, sizeof macros / sizeof macros[0]);
}

std::wstring TrimOutputText(const std::wstring& text) {
    static const wchar_t kTrimmed[] = L"\t\r\n ";
    std::size_t first = text.find_first_not_of(kTrimmed);
    if (first == std::wstring::npos)
        return std::wstring();
    std::size_t last = text.find_last_not_of(kTrimmed);
    return text.substr(first, last - first + 1);
}
