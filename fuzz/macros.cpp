// Folder macros of ini paths and the macros of component command lines.
#include "foundation/macro_text.h"
#include "fuzz_text.h"
#include "prereq/command_line_text.h"

namespace {
const wchar_t* const kMacros[] = {L"#System#", L"#CommonProgramFiles#", L"#Root#", L"#InstPath#",
                                  L"#Temp#"};

bool HoldsMacro(const std::wstring& text, const wchar_t* const* macros, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        if (text.find(macros[i]) != std::wstring::npos)
            return true;
    return false;
}

// Replacement texts: pieces of the input without '#' and letters (so that they cannot complete a
// macro name with the text around them), never empty.
std::wstring Replacement(const std::wstring& piece, wchar_t fallback) {
    std::wstring result;
    for (wchar_t c : piece)
        if (c != L'#' && !(c >= L'A' && c <= L'Z') && !(c >= L'a' && c <= L'z'))
            result += c;
    return result.empty() ? std::wstring(1, fallback) : result;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    std::uint8_t split = input.byte();
    std::wstring text = input.restAsText();
    std::size_t at = text.empty() ? 0 : split % (text.size() + 1);
    std::wstring a = Replacement(text.substr(0, at), L'1');
    std::wstring b = Replacement(text.substr(at), L'2');

    // Free-form replacements (with '#' and empty) must not upset anything.
    ReplaceFolderMacros(text, text.substr(0, at), L"", text.substr(at));
    ReplaceCommandLineMacros(text, text, text.substr(at), L"");

    // Such replacements leave no macro behind, and text without '#' stays as it is.
    std::wstring folders = ReplaceFolderMacros(text, a, b, a + b);
    FUZZ_CHECK(!HoldsMacro(folders, kMacros, 3));
    std::wstring command = ReplaceCommandLineMacros(text, a, b, b + a);
    FUZZ_CHECK(!HoldsMacro(command, kMacros + 2, 3));
    if (text.find(L'#') == std::wstring::npos)
        FUZZ_CHECK(folders == text && command == text);
    return 0;
}
