#pragma once
// The command-line grammar. Pure text logic: the command line is the text after the program name.
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

int ClassifyCommandLine(const std::wstring& commandLine); // a SetupMode value
int ParseUILevel(const std::wstring& commandLine);        // 5, 2 or 67
std::wstring ExtractProperties(const std::wstring& commandLine);
// The target folder of "/a <path>": the second token, without quotation marks, when it is the
// last token. Nothing when it is missing or followed by another token.
std::optional<std::wstring> ExtractAdminTargetPath(const std::wstring& commandLine);
