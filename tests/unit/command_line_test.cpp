#include "settings/command_line.h"
#include "settings/setup_settings.h"

#include <gtest/gtest.h>

namespace {
using Tokens = std::vector<std::wstring>;

struct SplitCase {
    const wchar_t* commandLine;
    Tokens tokens;
};

TEST(CommandLineTokens, SplitsLikeTheSetupGrammar) {
    const SplitCase cases[] = {
        {L"", {}},
        {L" \t ", {}},
        {L"/i", {L"/i"}},
        {L"  /i\t/passive  ", {L"/i", L"/passive"}},
        {L"\"abc\"def", {L"\"abc\"", L"def"}},
        {L"A=\"x y\" B=1", {L"A=\"x y\"", L"B=1"}},
        {L"/i PATH=\"C:\\My Dir\" X", {L"/i", L"PATH=\"C:\\My Dir\"", L"X"}},
        {L"\"unclosed quote runs on", {L"\"unclosed quote runs on"}},
        {L"A=\"open", {L"A=\"open"}},
        // =" opens a quoted part even inside a quoted token and never closes one.
        {L"\"X=\"a b\" c", {L"\"X=\"a b\"", L"c"}},
        {L"/i/quiet", {L"/i/quiet"}},
        {L"\"\" x", {L"\"\"", L"x"}},
    };
    for (const SplitCase& c : cases)
        EXPECT_EQ(SplitTokens(c.commandLine), c.tokens) << "command line: " << c.commandLine;
}

TEST(CommandLineTokens, ReportsQuotedTokens) {
    std::wstring line = L"A=\"x y\" \"q\" plain";
    auto first = NextToken(line, 0);
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->quoted);
    auto second = NextToken(line, first->last + 1);
    ASSERT_TRUE(second);
    EXPECT_TRUE(second->quoted);
    auto third = NextToken(line, second->last + 1);
    ASSERT_TRUE(third);
    EXPECT_FALSE(third->quoted);
    EXPECT_FALSE(NextToken(line, third->last + 1));
}

struct ModeCase {
    const wchar_t* commandLine;
    SetupMode mode;
};

TEST(CommandLineMode, OnlyTheFirstTokenCounts) {
    const ModeCase cases[] = {
        {L"", SetupMode::None},
        {L" \t", SetupMode::None},
        {L"/i", SetupMode::Install},
        {L"-i /quiet", SetupMode::Install},
        {L"/a C:\\x", SetupMode::Admin},
        {L"/A", SetupMode::Admin},
        {L"-a", SetupMode::Admin},
        {L"-A", SetupMode::Admin},
        {L"/I", SetupMode::Usage},
        {L"/install", SetupMode::Usage},
        {L"/quiet", SetupMode::Usage},
        {L"ABC=DEF", SetupMode::Usage},
        {L"/i/quiet", SetupMode::Usage},
        {L"\"/i\"", SetupMode::Usage},
        {L"+i", SetupMode::Usage},
        {L"/x", SetupMode::Usage},
        {L"i", SetupMode::Usage},
        // Help only as the whole command line; anywhere else the token is not acceptable or
        // (after /i) ignored.
        {L"/?", SetupMode::Help},
        {L" -? ", SetupMode::Help},
        {L"/h", SetupMode::Help},
        {L"/H", SetupMode::Help},
        {L"/help", SetupMode::Help},
        {L"-HELP", SetupMode::Help},
        {L"/? /quiet", SetupMode::Usage},
        {L"/help /i", SetupMode::Usage},
        {L"/i /?", SetupMode::Install},
        {L"\"/?\"", SetupMode::Usage},
        {L"/helpme", SetupMode::Usage},
        {L"/?/quiet", SetupMode::Usage},
        {L"/norestart", SetupMode::Usage},
        {L"/log x.log", SetupMode::Usage},
    };
    for (const ModeCase& c : cases)
        EXPECT_EQ(ClassifyCommandLine(c.commandLine), c.mode) << "command line: " << c.commandLine;
}

struct LevelCase {
    const wchar_t* commandLine;
    int level;
};

TEST(CommandLineUILevel, FirstDisplayOptionWins) {
    const LevelCase cases[] = {
        {L"", 5},
        {L"/i", 5},
        {L"/i /quiet", 2},
        {L"/i /QUIET", 2},
        {L"/i -passive", 67},
        {L"/i /passive /quiet", 67},
        {L"/i /quiet /passive", 2},
        {L"/i / /quiet", 5},        // a lone "/" ends the scan
        {L"/i /unknown /quiet", 2}, // unknown options are skipped
        {L"/quiet", 5},             // the first token is never an option
        {L"/i \"/quiet\"", 5},      // quoted: not an option
        {L"/i /quietly", 5},
        {L"/i ABC=DEF /passive", 67},
        // The token after /log is its file, never a display option; a switch there is no file.
        {L"/i /log quiet.log /passive", 67},
        {L"/i /log /quiet /passive", 2},
        {L"/i /norestart /passive /log x.log", 67},
        {L"/i /LOG x.log /Quiet /norestart", 2},
    };
    for (const LevelCase& c : cases)
        EXPECT_EQ(ParseUILevel(c.commandLine), c.level) << "command line: " << c.commandLine;
}

TEST(CommandLineUILevel, OverlongOptionNameStopsTheScan) {
    EXPECT_EQ(ParseUILevel(L"/i /" + std::wstring(258, L'x') + L" /quiet"), 2);
    EXPECT_EQ(ParseUILevel(L"/i /" + std::wstring(259, L'x') + L" /quiet"), 5);
}

struct PropertiesCase {
    const wchar_t* commandLine;
    const wchar_t* properties;
};

TEST(CommandLineProperties, KeepsTokensWithAnEqualsSign) {
    const PropertiesCase cases[] = {
        {L"/i /passive ABC=DEF \"X=1\" PATH=\"C:\\My Dir\"",
         L"ABC=DEF \"X=1\" PATH=\"C:\\My Dir\""},
        {L"/i A=\"x y\" B", L"A=\"x y\""},
        {L"/i \"A=1\"", L"\"A=1\""},
        {L"/i", L""},
        {L"ABC=DEF", L""}, // the first token is skipped whatever it is
        {L"/i -X=1 Y=2", L"Y=2"},
        {L"/i   A=1\t\tB=2  ", L"A=1 B=2"},
        // Tokens are kept unchanged, control characters at the ends included: trimming the
        // form feed here turned the token into one that splits apart (found by fuzzing).
        {L"/i \f=\"x y\" B=2\v", L"\f=\"x y\" B=2\v"},
        // A log file whose name holds '=' is no property; the switches themselves never are.
        {L"/i /log a=b.log X=1 /norestart", L"X=1"},
        {L"/i X=1 /Log \"C:\\A B\\c=d.log\" Y=2", L"X=1 Y=2"},
    };
    for (const PropertiesCase& c : cases)
        EXPECT_EQ(ExtractProperties(c.commandLine), c.properties)
            << "command line: " << c.commandLine;
}

TEST(CommandLineProperties, OverlongTokenEndsTheExtraction) {
    std::wstring fits = L"L=" + std::wstring(1036, L'v');    // 1038 characters
    std::wstring tooLong = L"L=" + std::wstring(1037, L'v'); // 1039 characters
    EXPECT_EQ(ExtractProperties(L"/i A=1 " + fits + L" B=2"), L"A=1 " + fits + L" B=2");
    EXPECT_EQ(ExtractProperties(L"/i A=1 " + tooLong + L" B=2"), L"A=1");
}

struct AdminCase {
    const wchar_t* commandLine;
    std::optional<std::wstring> target;
};

TEST(CommandLineAdminTarget, IsTheOnlyTokenAfterSlashA) {
    const AdminCase cases[] = {
        {L"/a C:\\Admin", std::wstring(L"C:\\Admin")},
        {L"/a \"C:\\Admin Image\"", std::wstring(L"C:\\Admin Image")},
        {L"-A \\\\server\\share\\img", std::wstring(L"\\\\server\\share\\img")},
        {L"/a", std::nullopt},
        {L"/a \"\"", std::nullopt},
        {L"/a C:\\Admin /quiet", std::nullopt},
        {L"/a C:\\Admin X=1", std::nullopt},
        // The new switches are not the target, wherever they stand.
        {L"/a C:\\Admin /norestart", std::wstring(L"C:\\Admin")},
        {L"/a /NoRestart /log a.log C:\\Admin", std::wstring(L"C:\\Admin")},
        {L"/a /log C:\\Admin", std::nullopt},
        {L"/a -MsiExitCodes C:\\Admin /norestart", std::wstring(L"C:\\Admin")},
    };
    for (const AdminCase& c : cases)
        EXPECT_EQ(ExtractAdminTargetPath(c.commandLine), c.target)
            << "command line: " << c.commandLine;
}

struct NewSwitchCase {
    const wchar_t* commandLine;
    bool noRestart;
    bool logGiven;
    const wchar_t* logPath;
};

// The new switches among the old ones, in any order and case; glued or spaced forms are
// other tokens.
TEST(CommandLineNewSwitches, FoundAnywhereAfterTheFirstToken) {
    const NewSwitchCase cases[] = {
        {L"/i", false, false, L""},
        {L"/i /norestart", true, false, L""},
        {L"/i /NORESTART /quiet", true, false, L""},
        {L"/i /passive -NoRestart X=1", true, false, L""},
        {L"/i /log C:\\s.log", false, true, L"C:\\s.log"},
        {L"/i /quiet /LOG s.log /norestart", true, true, L"s.log"},
        {L"/i -log \"C:\\My Logs\\s.log\" /passive", false, true, L"C:\\My Logs\\s.log"},
        {L"/a C:\\img /log a.log /log b.log", false, true, L"a.log"}, // the first one counts
        {L"/i /log", false, true, L""},                               // file missing
        {L"/i /log /quiet", false, true, L""},
        {L"/i /log -norestart", true, true, L""}, // a switch is no file, with - as with /
        {L"/i /log \"-odd name.log\"", false, true, L"-odd name.log"}, // quoted, it is
        {L"/log s.log /norestart", true, false, L""}, // the first token is the mode
        {L"/i/norestart", false, false, L""},
        {L"/i /no restart", false, false, L""},
        {L"/i /norestarts", false, false, L""},
        {L"/i \"/norestart\"", false, false, L""},
        {L"/i /log:s.log", false, false, L""},
        {L"/i /logs.log", false, false, L""},
        {L"/i / log s.log", false, false, L""},
    };
    for (const NewSwitchCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "command line: " << c.commandLine);
        EXPECT_EQ(HasNoRestartSwitch(c.commandLine), c.noRestart);
        LogSwitch log = ExtractLogSwitch(c.commandLine);
        EXPECT_EQ(log.given, c.logGiven);
        EXPECT_EQ(log.path, c.logPath);
    }
}

struct EngineLineCase {
    const wchar_t* given;
    const wchar_t* engine;
};

TEST(CommandLineNewSwitches, EngineIsToldNotToRestartUnlessRebootIsGiven) {
    const EngineLineCase cases[] = {
        {L"", L"REBOOT=ReallySuppress"},
        {L"A=1", L"REBOOT=ReallySuppress A=1"},
        {L"REINSTALL=ALL REINSTALLMODE=vomus",
         L"REBOOT=ReallySuppress REINSTALL=ALL REINSTALLMODE=vomus"},
        {L"REBOOT=Force", L"REBOOT=Force"},
        {L"A=1 \"REBOOT=Force\"", L"A=1 \"REBOOT=Force\""},
        {L"X=\"REBOOT=Force\"", L"REBOOT=ReallySuppress X=\"REBOOT=Force\""},
        {L"REBOOTPROMPT=S", L"REBOOT=ReallySuppress REBOOTPROMPT=S"},
        {L"reboot=Force", L"REBOOT=ReallySuppress reboot=Force"}, // another property to the engine
        // An unclosed quotation mark at the end cannot swallow it.
        {L"A=\"open", L"REBOOT=ReallySuppress A=\"open"},
    };
    for (const EngineLineCase& c : cases)
        EXPECT_EQ(WithRestartSuppressed(c.given), c.engine) << "given: " << c.given;
}

// The language transform leads the list of the last TRANSFORMS token, in that token's quoting.
TEST(TransformList, LanguageTransformJoinsTheGivenList) {
    const EngineLineCase cases[] = {
        {L"\"TRANSFORMS=o r.mst\" B=2", L"\"TRANSFORMS=C:\\m.mst;o r.mst\" B=2"},
        {L"TRANSFORMS=\"|D:\\o.mst\"", L"TRANSFORMS=\"|C:\\m.mst;D:\\o.mst\""},
        {L"TRANSFORMS= TRANSFORMS=b.mst", L"TRANSFORMS= TRANSFORMS=\"C:\\m.mst;b.mst\""},
        {L"X=\"TRANSFORMS=a\" transforms=b",
         L"X=\"TRANSFORMS=a\" transforms=b TRANSFORMS=\"C:\\m.mst\""},
    };
    for (const EngineLineCase& c : cases) {
        std::wstring joined;
        EXPECT_EQ(WithLanguageTransform(c.given, L"C:\\m.mst", joined), c.engine) << c.given;
    }
}
} // namespace
