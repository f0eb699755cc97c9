// The command-line grammar and its three readers: token bounds, a stable split, and readers that
// read their own output back the same way.
#include "settings/command_line.h"
#include "settings/setup_settings.h"
#include "fuzz_text.h"

namespace {
std::wstring Join(const std::vector<std::wstring>& tokens) {
    std::wstring text;
    for (const std::wstring& token : tokens)
        text += (text.empty() ? L"" : L" ") + token;
    return text;
}

void CheckTokenBounds(const std::wstring& commandLine) {
    std::size_t position = 0;
    while (std::optional<Token> token = NextToken(commandLine, position)) {
        FUZZ_CHECK(token->first >= position);
        FUZZ_CHECK(token->first <= token->last);
        FUZZ_CHECK(token->last < commandLine.size());
        FUZZ_CHECK(commandLine[token->first] != L' ' && commandLine[token->first] != L'\t');
        position = token->last + 1;
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring commandLine = WideFromUnits(data, size);
    CheckTokenBounds(commandLine);

    // Tokens joined by one blank split into the same tokens (the text ends at a NUL, as a real
    // command line does).
    std::vector<std::wstring> tokens = SplitTokens(commandLine);
    for (const std::wstring& token : tokens)
        FUZZ_CHECK(!token.empty() && token.find(L'\0') == std::wstring::npos);
    FUZZ_CHECK(SplitTokens(Join(tokens)) == tokens);

    const SetupMode mode = ClassifyCommandLine(commandLine);
    FUZZ_CHECK(mode == SetupMode::Install || mode == SetupMode::Usage || mode == SetupMode::None ||
               mode == SetupMode::Admin || mode == SetupMode::Help);
    FUZZ_CHECK(mode != SetupMode::Help || tokens.size() == 1);
    FUZZ_CHECK((mode == SetupMode::None) == tokens.empty());
    const int level = ParseUILevel(commandLine);
    FUZZ_CHECK(level == kUILevelFull || level == kUILevelNone || level == kUILevelPassive);

    // The properties read back from a command line made of them are the same text.
    const std::wstring properties = ExtractProperties(commandLine);
    // A quoted token may be followed by the next one without a blank ("A=1""B=2"): the joined
    // text can gain one blank per token.
    FUZZ_CHECK(properties.size() <= commandLine.size() + tokens.size());
    FUZZ_CHECK(ExtractProperties(L"/i " + properties) == properties);

    if (std::optional<std::wstring> target = ExtractAdminTargetPath(commandLine)) {
        FUZZ_CHECK(!target->empty() && target->find(L'"') == std::wstring::npos);
        FUZZ_CHECK(target->size() < commandLine.size());
    }

    // The log file is one token without quotation marks; it never becomes a property.
    const LogSwitch log = ExtractLogSwitch(commandLine);
    FUZZ_CHECK(log.given || log.path.empty());
    FUZZ_CHECK(log.path.find(L'"') == std::wstring::npos &&
               (log.path.empty() || log.path.size() < commandLine.size()));
    if (log.path.find_first_of(L" \t") == std::wstring::npos)
        FUZZ_CHECK(ExtractProperties(L"/i /log " + log.path) == L"");
    HasNoRestartSwitch(commandLine);

    // REBOOT is added once: a second pass changes nothing.
    const std::wstring engine = WithRestartSuppressed(properties);
    FUZZ_CHECK(WithRestartSuppressed(engine) == engine);
    return 0;
}
