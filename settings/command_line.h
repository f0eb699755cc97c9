#pragma once
// The command-line grammar. Pure text logic: the command line is the text after the program name.
#include "settings/setup_mode.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

struct Token {
    std::size_t first = 0; // index of the token's first character
    std::size_t last = 0;  // index of its last character
    bool quoted = false;   // opened by a quotation mark (or by =" inside it)
    std::size_t length() const { return last - first + 1; }
};

// The next token that starts at or after `position`, or nothing when none is left.
std::optional<Token> NextToken(const std::wstring& commandLine, std::size_t position);
// Every token's text, unchanged (quotation marks kept).
std::vector<std::wstring> SplitTokens(const std::wstring& commandLine);

// /?, /h or /help as the only token asks for the usage box (SetupMode::Help).
SetupMode ClassifyCommandLine(const std::wstring& commandLine);
int ParseUILevel(const std::wstring& commandLine); // 5, 2 or 67
std::wstring ExtractProperties(const std::wstring& commandLine);
// The target folder of "/a <path>": the one token after /a, without quotation marks, apart from
// /norestart, /msiexitcodes and "/log <file>". Nothing when it is missing or another token follows.
std::optional<std::wstring> ExtractAdminTargetPath(const std::wstring& commandLine);

// True when a token after the first is /norestart (any case, / or -); not the file of /log.
bool HasNoRestartSwitch(const std::wstring& commandLine);
// The same for /msiexitcodes.
bool HasMsiExitCodesSwitch(const std::wstring& commandLine);

// "/log <file>": the first /log after the first token and its file without quotation marks. An
// empty path with `given` set means the file is missing (the command line is not acceptable).
struct LogSwitch {
    bool given = false;
    std::wstring path;
};
LogSwitch ExtractLogSwitch(const std::wstring& commandLine);

// The installer engine's command line with REBOOT=ReallySuppress put in front, unless one of its
// tokens sets REBOOT already (property names are case-sensitive, as the engine reads them).
std::wstring WithRestartSuppressed(const std::wstring& engineCommandLine);

// The properties with the language transform added. When a TRANSFORMS= token is there (the last
// one counts, as for the engine), the transform joins its list, in front: the engine applies the
// list in order, and the administrator's own transforms are to win over the language's. The
// token keeps its quoting (an unquoted one gets quotation marks) and a leading @ or | stays
// first. `joinedList` gets that whole list; it stays empty when a clause was added instead.
std::wstring WithLanguageTransform(const std::wstring& properties, const std::wstring& transform,
                                   std::wstring& joinedList);
