#include "settings/command_line.h"

#include "settings/setup_settings.h"
#include "foundation/text.h"

namespace {
constexpr std::size_t kMaxOptionNameLength = 258;
constexpr std::size_t kMaxPropertyTokenLength = 1038;

wchar_t CharAt(const std::wstring& text, std::size_t index) {
    return index < text.size() ? text[index] : L'\0';
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

bool IsOptionToken(const std::wstring& token) {
    return !token.empty() && (token[0] == L'/' || token[0] == L'-');
}

bool IsSwitch(const std::wstring& token, std::wstring_view name) {
    return IsOptionToken(token) && EqualsIgnoringCase(std::wstring_view(token).substr(1), name);
}

// The tokens after the first one, which names the mode.
std::vector<std::wstring> TokensAfterMode(const std::wstring& commandLine) {
    std::vector<std::wstring> tokens = SplitTokens(commandLine);
    if (!tokens.empty())
        tokens.erase(tokens.begin());
    return tokens;
}

// The token after /log is its file, whatever it looks like: never an option, property or target.
std::vector<std::wstring> ArgumentTokens(const std::wstring& commandLine) {
    std::vector<std::wstring> tokens;
    bool fileFollows = false;
    for (std::wstring& token : TokensAfterMode(commandLine)) {
        if (fileFollows)
            fileFollows = false;
        else if (IsSwitch(token, L"log"))
            fileFollows = true;
        else
            tokens.push_back(std::move(token));
    }
    return tokens;
}

std::wstring WithoutQuotationMarks(const std::wstring& text) {
    std::wstring result;
    for (wchar_t c : text)
        if (c != L'"')
            result += c;
    return result;
}

bool SetsProperty(const std::wstring& token, std::wstring_view name) {
    std::wstring_view text(token);
    if (!text.empty() && text[0] == L'"')
        text.remove_prefix(1);
    return text.size() > name.size() && text.substr(0, name.size()) == name &&
           text[name.size()] == L'=';
}

bool IsHelpSwitch(const std::wstring& token) {
    return IsSwitch(token, L"?") || IsSwitch(token, L"h") || IsSwitch(token, L"help");
}
} // namespace

std::optional<Token> NextToken(const std::wstring& text, std::size_t position) {
    while (IsBlank(CharAt(text, position)))
        ++position;
    if (CharAt(text, position) == L'\0')
        return std::nullopt;
    Token token;
    token.first = position;
    token.quoted = text[position] == L'"';
    std::size_t current = position + 1;
    std::size_t end;
    for (;;) {
        wchar_t c = CharAt(text, current);
        if (c == L'=' && CharAt(text, current + 1) == L'"') {
            // =" always opens a quoted value, even inside a quoted token.
            token.quoted = true;
            current += 2;
            continue;
        }
        if (token.quoted) {
            if (c == L'"') {
                end = current + 1;
                break;
            }
            if (c == L'\0') {
                end = current;
                break;
            }
        } else if (IsBlank(c) || c == L'\0') {
            end = current;
            break;
        }
        ++current;
    }
    token.last = end - 1;
    return token;
}

std::vector<std::wstring> SplitTokens(const std::wstring& commandLine) {
    std::vector<std::wstring> tokens;
    std::size_t position = 0;
    while (auto token = NextToken(commandLine, position)) {
        tokens.push_back(commandLine.substr(token->first, token->length()));
        position = token->last + 1;
    }
    return tokens;
}

int ClassifyCommandLine(const std::wstring& commandLine) {
    auto token = NextToken(commandLine, 0);
    if (!token)
        return ModeNone;
    if (IsHelpSwitch(commandLine.substr(token->first, token->length())) &&
        !NextToken(commandLine, token->last + 1))
        return ModeHelp;
    if (token->quoted || token->length() != 2)
        return ModeUsage;
    wchar_t lead = commandLine[token->first];
    wchar_t letter = commandLine[token->first + 1];
    if (lead != L'/' && lead != L'-')
        return ModeUsage;
    if (letter == L'a' || letter == L'A')
        return ModeAdmin;
    if (letter == L'i')
        return ModeInstall;
    return ModeUsage;
}

int ParseUILevel(const std::wstring& commandLine) {
    for (const std::wstring& token : ArgumentTokens(commandLine)) {
        if (!IsOptionToken(token))
            continue;
        std::wstring name = token.substr(1);
        if (name.empty() || name.size() > kMaxOptionNameLength)
            return kUILevelFull;
        if (EqualsIgnoringCase(name, L"quiet"))
            return kUILevelNone;
        if (EqualsIgnoringCase(name, L"passive"))
            return kUILevelPassive;
    }
    return kUILevelFull;
}

std::wstring ExtractProperties(const std::wstring& commandLine) {
    std::wstring properties;
    for (const std::wstring& token : ArgumentTokens(commandLine)) {
        if (IsOptionToken(token))
            continue;
        if (token.size() > kMaxPropertyTokenLength)
            break;
        if (token.find(L'=') == std::wstring::npos)
            continue;
        // One blank between tokens and none around them; the tokens themselves stay unchanged.
        if (!properties.empty())
            properties += L' ';
        properties += token;
    }
    return properties;
}

std::optional<std::wstring> ExtractAdminTargetPath(const std::wstring& commandLine) {
    std::vector<std::wstring> arguments;
    for (std::wstring& token : ArgumentTokens(commandLine))
        if (!IsSwitch(token, L"norestart"))
            arguments.push_back(std::move(token));
    if (arguments.size() != 1)
        return std::nullopt;
    std::wstring path = WithoutQuotationMarks(arguments[0]);
    if (path.empty())
        return std::nullopt;
    return path;
}

bool HasNoRestartSwitch(const std::wstring& commandLine) {
    for (const std::wstring& token : ArgumentTokens(commandLine))
        if (IsSwitch(token, L"norestart"))
            return true;
    return false;
}

LogSwitch ExtractLogSwitch(const std::wstring& commandLine) {
    std::vector<std::wstring> tokens = TokensAfterMode(commandLine);
    LogSwitch result;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!IsSwitch(tokens[i], L"log"))
            continue;
        result.given = true;
        // A switch where the file should be means the file was left out.
        if (i + 1 < tokens.size() && tokens[i + 1][0] != L'/')
            result.path = WithoutQuotationMarks(tokens[i + 1]);
        return result;
    }
    return result;
}

std::wstring WithRestartSuppressed(const std::wstring& engineCommandLine) {
    for (const std::wstring& token : SplitTokens(engineCommandLine))
        if (SetsProperty(token, L"REBOOT"))
            return engineCommandLine;
    // In front: a caller's unclosed quotation mark at the end would swallow it.
    return L"REBOOT=ReallySuppress" + (engineCommandLine.empty() ? L"" : L" " + engineCommandLine);
}
