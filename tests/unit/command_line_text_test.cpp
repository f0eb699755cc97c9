#include "foundation/macro_text.h"
#include "prereq/command_line_text.h"
#include "prereq/output_capture.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLineText, SplitAcceptsMsiexecAndQuotedProgramsOnly) {
    struct {
        const wchar_t* line;
        CommandLineShape shape;
        const wchar_t* program;
        const wchar_t* parameters;
    } cases[] = {
        {L"msiexec /i \"C:\\d\\tool.msi\" /qn", CommandLineShape::Valid, L"msiexec",
         L"/i \"C:\\d\\tool.msi\" /qn"},
        {L"MsiExec.exe\t/x {1}", CommandLineShape::Valid, L"MsiExec.exe", L"/x {1}"},
        {L"msiexec ", CommandLineShape::Valid, L"msiexec", L""},
        {L"msiexecfoo.exe /i", CommandLineShape::Valid, L"msiexecfoo.exe", L"/i"},
        {L"\"C:\\Setup\\runtime.exe\"", CommandLineShape::Valid, L"C:\\Setup\\runtime.exe", L""},
        {L"\"C:\\a b\\x.exe\" /quiet /norestart", CommandLineShape::Valid, L"C:\\a b\\x.exe",
         L"/quiet /norestart"},
        {L"\"x.exe\"/q", CommandLineShape::Valid, L"x.exe", L"q"},
        {L"\"x.exe\" ", CommandLineShape::Valid, L"x.exe", L""},
        {L"\"\"", CommandLineShape::Valid, L"", L""},
        {L"msiexec", CommandLineShape::ParameterMissing, L"", L""},
        {L"msiexec/i", CommandLineShape::ParameterMissing, L"", L""},
        {L"\"C:\\x.exe /S", CommandLineShape::SecondQuoteMissing, L"", L""},
        {L"\"", CommandLineShape::SecondQuoteMissing, L"", L""},
        {L"C:\\x.exe /S", CommandLineShape::FirstQuoteMissing, L"", L""},
        {L" \"C:\\x.exe\"", CommandLineShape::FirstQuoteMissing, L"", L""},
        {L"msiexe /i", CommandLineShape::FirstQuoteMissing, L"", L""},
        {L"", CommandLineShape::FirstQuoteMissing, L"", L""},
    };
    for (const auto& c : cases) {
        std::wstring program = L"unchanged";
        std::wstring parameters = L"unchanged";
        EXPECT_EQ(SplitCommandLineText(c.line, program, parameters), c.shape) << c.line;
        if (c.shape == CommandLineShape::Valid) {
            EXPECT_EQ(program, c.program) << c.line;
            EXPECT_EQ(parameters, c.parameters) << c.line;
        }
    }
}

TEST(CommandLineText, MacrosAreReplacedCaseSensitivelyWithoutRescanning) {
    struct {
        const wchar_t* params;
        const wchar_t* expanded;
    } cases[] = {
        {L"\"#InstPath#\" /quiet /norestart", L"\"C:\\d\\vc #Root#.exe\" /quiet /norestart"},
        {L"msiexec /i \"#Root#\\pkg\\tool.msi\" /qn",
         L"msiexec /i \"D:\\dist\\pkg\\tool.msi\" /qn"},
        {L"#Temp#log.txt #Temp#", L"C:\\T #InstPath#\\log.txt C:\\T #InstPath#\\"},
        {L"#System#\\x #CommonProgramFiles# #root# #InstPath", L"#System#\\x #CommonProgramFiles# "
                                                               L"#root# #InstPath"},
        {L"##Root##", L"#D:\\dist#"},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplaceCommandLineMacros(c.params, L"C:\\d\\vc #Root#.exe", L"D:\\dist",
                                           L"C:\\T #InstPath#\\"),
                  c.expanded)
            << c.params;
}

TEST(CommandLineText, FolderMacrosReplaceEveryOccurrence) {
    struct {
        const wchar_t* text;
        const wchar_t* expanded;
    } cases[] = {
        {L"#Root#\\redist\\vc.exe", L"D:\\dist\\redist\\vc.exe"},
        {L"#system#\\x.dll", L"#system#\\x.dll"},
        {L"#System#\\a;#System#\\b", L"C:\\windows\\system32\\a;C:\\windows\\system32\\b"},
        {L"#CommonProgramFiles#\\V\\x.dll", L"\\V\\x.dll"},
        {L"#Root#", L"D:\\dist"},
        {L"#InstPath##Temp#", L"#InstPath##Temp#"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplaceFolderMacros(c.text, L"C:\\windows\\system32", L"", L"D:\\dist"),
                  c.expanded)
            << c.text;
}

TEST(CommandLineText, OutputTextIsTrimmedOfBlanksAndLineBreaksOnly) {
    EXPECT_EQ(TrimOutputText(L"\r\n \tUpdate available\r\n"), L"Update available");
    EXPECT_EQ(TrimOutputText(L"a\r\nb"), L"a\r\nb");
    EXPECT_EQ(TrimOutputText(L"\v x \f"), L"\v x \f");
    EXPECT_EQ(TrimOutputText(L" \r\n\t "), L"");
    EXPECT_EQ(TrimOutputText(L""), L"");
}

TEST(CommandLineText, CaptureKeepsTheFirst4096BytesCutAtACharacterBoundary) {
    OutputCapture ascii;
    std::string head(4000, 'a');
    ascii.Append(head.data(), head.size());
    ascii.Append(std::string(200, 'b').data(), 200);
    ascii.Append(std::string(1 << 20, 'c').data(), 1 << 20);
    EXPECT_EQ(ascii.TotalBytes(), 4200u + (1u << 20));
    EXPECT_TRUE(ascii.WasCut());
    EXPECT_EQ(ascii.KeptText(), head + std::string(96, 'b'));

    // "\xE2\x82\xAC" (the euro sign) straddles the limit: it is dropped whole.
    OutputCapture utf8;
    std::string text(4095, 'a');
    text += "\xE2\x82\xAC tail";
    utf8.Append(text.data(), text.size());
    EXPECT_EQ(utf8.KeptText(), std::string(4095, 'a'));

    OutputCapture exact;
    std::string whole(4093, 'a');
    whole += "\xE2\x82\xAC";
    exact.Append(whole.data(), whole.size());
    EXPECT_FALSE(exact.WasCut());
    EXPECT_EQ(exact.KeptText(), whole);
}

TEST(CommandLineText, CompleteUtf8LengthDropsOnlyAnUnfinishedLastCharacter) {
    struct {
        const char* bytes;
        std::size_t expected;
    } cases[] = {
        {"ab", 2},
        {"a\xC3", 1},
        {"a\xC3\xA4", 3},
        {"a\xE2\x82", 1},
        {"a\xF0\x9F\x98", 1},
        {"a\xF0\x9F\x98\x80", 5},
        {"\x80\x80", 2},
        {"", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CompleteUtf8Length(c.bytes, std::char_traits<char>::length(c.bytes)), c.expected)
            << c.bytes;
}

} // namespace
