#include "settings/command_line.h"

#include "settings/setup_settings.h"
#include "foundation/text.h"
#include "foundation/wide_format.h"

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
        // A switch where the file should be is none (the file was left out), but a switch.
        const bool logFile = fileFollows && !IsOptionToken(token);
        fileFollows = IsSwitch(token, L"log");
        if (!logFile && !fileFollows)
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

bool SetsProperty(std::wstring_view text, std::wstring_view name) {
    if (!text.empty() && text[0] == L'"')
        text.remove_prefix(1);
    return text.size() > name.size() && text.substr(0, name.size()) == name &&
           text[name.size()] == L'=';
}

// The switches that may stand anywhere after the first token without changing what else it says.
bool IsPlacelessSwitch(const std::wstring& token) {
    return IsSwitch(token, L"norestart") || IsSwitch(token, L"msiexitcodes");
}

bool HasArgumentSwitch(const std::wstring& commandLine, std::wstring_view name) {
    for (const std::wstring& token : ArgumentTokens(commandLine))
        if (IsSwitch(token, name))
            return true;
    return false;
}

// The last token of `text` that sets `name`; nothing when none does.
std::optional<Token> LastTokenSetting(const std::wstring& text, std::wstring_view name) {
    std::optional<Token> found;
    for (auto token = NextToken(text, 0); token; token = NextToken(text, token->last + 1))
        if (SetsProperty(std::wstring_view(text.data() + token->first, token->length()), name))
            found = token;
    return found;
}

bool IsTransformListMarker(wchar_t c) {
    return c == L'@' || c == L'|'; // transforms at the source, or full paths: for the whole list
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

SetupMode ClassifyCommandLine(const std::wstring& commandLine) {
    auto token = NextToken(commandLine, 0);
    if (!token)
        return SetupMode::None;
    if (IsHelpSwitch(commandLine.substr(token->first, token->length())) &&
        !NextToken(commandLine, token->last + 1))
        return SetupMode::Help;
    if (token->quoted || token->length() != 2)
        return SetupMode::Usage;
    wchar_t lead = commandLine[token->first];
    wchar_t letter = commandLine[token->first + 1];
    if (lead != L'/' && lead != L'-')
        return SetupMode::Usage;
    if (letter == L'a' || letter == L'A')
        return SetupMode::Admin;
    if (letter == L'i')
        return SetupMode::Install;
    return SetupMode::Usage;
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
        if (!IsPlacelessSwitch(token))
            arguments.push_back(std::move(token));
    if (arguments.size() != 1)
        return std::nullopt;
    std::wstring path = WithoutQuotationMarks(arguments[0]);
    if (path.empty())
        return std::nullopt;
    return path;
}

bool HasNoRestartSwitch(const std::wstring& commandLine) {
    return HasArgumentSwitch(commandLine, L"norestart");
}

bool HasMsiExitCodesSwitch(const std::wstring& commandLine) {
    return HasArgumentSwitch(commandLine, L"msiexitcodes");
}

LogSwitch ExtractLogSwitch(const std::wstring& commandLine) {
    std::vector<std::wstring> tokens = TokensAfterMode(commandLine);
    LogSwitch result;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!IsSwitch(tokens[i], L"log"))
            continue;
        result.given = true;
        // A switch where the file should be (/x or -x) means the file was left out.
        if (i + 1 < tokens.size() && !IsOptionToken(tokens[i + 1]))
            result.path = WithoutQuotationMarks(tokens[i + 1]);
        return result;
    }
    return result;
}

std::wstring WithRestartSuppressed(const std::wstring& engineCommandLine) {
    if (LastTokenSetting(engineCommandLine, L"REBOOT"))
        return engineCommandLine;
    // In front: a caller's unclosed quotation mark at the end would swallow it.
    return FormatWide(L"REBOOT=ReallySuppress%s%s", engineCommandLine.empty() ? L"" : L" ",
                      engineCommandLine.c_str());
}

std::wstring WithLanguageTransform(const std::wstring& properties, const std::wstring& transform,
                                   std::wstring& joinedList) {
    const std::optional<Token> given = LastTokenSetting(properties, L"TRANSFORMS");
    if (!given)
        return FormatWide(L"%s TRANSFORMS=\"%s\"", properties.c_str(), transform.c_str());
    const wchar_t* text = properties.c_str();
    std::size_t value = properties.find(L'=', given->first) + 1;
    const bool openedHere = value <= given->last && text[value] == L'"';
    value += openedHere ? 1 : 0;
    const bool quoted = openedHere || text[given->first] == L'"';
    std::size_t end = given->last + 1;
    if (quoted && end > value && text[end - 1] == L'"')
        --end;
    const std::size_t at = value + (value < end && IsTransformListMarker(text[value]));
    const int rest = static_cast<int>(end - at);
    joinedList = FormatWide(L"%.*s%s%s%.*s", static_cast<int>(at - value), text + value,
                            transform.c_str(), rest ? L";" : L"", rest, text + at);
    const wchar_t* quote = quoted ? L"" : L"\"";
    return FormatWide(L"%.*s%s%s%s%s", static_cast<int>(value), text, quote, joinedList.c_str(),
                      quote, text + end);
}
