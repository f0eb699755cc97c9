// The ini file's text rules: how a value is found, trimmed, unquoted and read as a number.
#include "foundation/ini_parse.h"
#include "foundation/path_text.h"

#include <gtest/gtest.h>

namespace {

struct LookupCase {
    const char* name;
    const wchar_t* text;
    const wchar_t* section;
    const wchar_t* key;
    std::optional<std::wstring> value;
};

TEST(IniParse, FindsValuesTheWayTheProfileFunctionsDo) {
    const LookupCase cases[] = {
        {"plain", L"[Main]\r\nMsiPath=a.msi\r\n", L"Main", L"MsiPath", L"a.msi"},
        {"names ignore case", L"[MAIN]\nmsipath=a.msi", L"Main", L"MsiPath", L"a.msi"},
        {"blanks around names and value", L"  [ Main ]  \n\t MsiPath \t=  a b  \r", L"Main",
         L"MsiPath", L"a b"},
        {"first key wins", L"[Main]\nK=1\nK=2\n", L"Main", L"K", L"1"},
        {"first section wins", L"[Main]\nA=1\n[Main]\nK=2\n", L"Main", L"K", std::nullopt},
        {"key in another section", L"[Other]\nK=1\n[Main]\n", L"Main", L"K", std::nullopt},
        {"key before any section", L"K=1\n[Main]\n", L"Main", L"K", std::nullopt},
        {"comment line", L"[Main]\n;K=1\n  ; K=2\nK=3", L"Main", L"K", L"3"},
        {"a ';' inside a value stays", L"[Main]\nK=a ; b", L"Main", L"K", L"a ; b"},
        {"empty value is a value", L"[Main]\nK=\n", L"Main", L"K", L""},
        {"line without '=' is no value", L"[Main]\nK\nK=v", L"Main", L"K", L"v"},
        {"value holds '='", L"[Main]\nMsiProp=A=1 B=\"x y\"", L"Main", L"MsiProp",
         L"A=1 B=\"x y\""},
        {"double quotes removed", L"[Main]\nK=\" a b \"", L"Main", L"K", L" a b "},
        {"single quotes removed", L"[Main]\nK='x'", L"Main", L"K", L"x"},
        {"unmatched quotes kept", L"[Main]\nK=\"x'", L"Main", L"K", L"\"x'"},
        {"lone quote kept", L"[Main]\nK=\"", L"Main", L"K", L"\""},
        {"section name up to the last ']'", L"[Ma]in]\nK=1", L"Ma]in", L"K", L"1"},
        {"unclosed '[' is an entry", L"[Main]\n[K=1", L"Main", L"[K", L"1"},
        {"old Mac line ends", L"[Main]\rA=1\rK=2\r", L"Main", L"K", L"2"},
    };
    for (const LookupCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FindIniValue(ParseIniText(c.text), c.section, c.key), c.value);
    }
    std::wstring longValue(100000, L'x');
    EXPECT_EQ(FindIniValue(ParseIniText(L"[Main]\nK=" + longValue + L"\n"), L"Main", L"K"),
              longValue);
}

TEST(IniParse, SectionEntriesKeepTheirOrderWithoutComments) {
    std::vector<IniSection> sections =
        ParseIniText(L"[PreReq1]\nName=VC\n;x\n Optional = 0 \nFlag");
    ASSERT_EQ(sections.size(), 1u);
    const std::vector<IniEntry>& entries = sections[0].entries;
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].name, L"Optional");
    EXPECT_EQ(entries[1].value, L"0");
    EXPECT_EQ(entries[2].name, L"Flag");
    EXPECT_FALSE(entries[2].hasValue);
}

TEST(IniParse, IntegersAreReadLikeTheProfileIntegerRead) {
    const std::pair<const wchar_t*, int> cases[] = {
        {L"0", 0},     {L"12", 12},         {L" 7", 7},         {L"-3", -3},   {L"+4", 4},
        {L"0x1F", 31}, {L"0X1F", 0},        {L"0b101", 5},      {L"0o17", 15}, {L"12abc", 12},
        {L"abc", 0},   {L"4294967295", -1}, {L"4294967296", 0}, {L"1 2", 1},   {L"-", 0},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(testing::Message() << "value \"" << text << "\"");
        EXPECT_EQ(IniValueToInt(text, 99), expected);
    }
    EXPECT_EQ(IniValueToInt(L"", 99), 99) << "an empty value gives the default";
}

TEST(IniParse, ByteOrderMarksChooseTheEncoding) {
    const struct {
        std::string bytes;
        IniEncoding encoding;
        std::size_t mark;
    } cases[] = {
        {"\xEF\xBB\xBF[Main]", IniEncoding::Utf8, 3},
        {"\xFF\xFE[\0", IniEncoding::Utf16LittleEndian, 2},
        {"\xFE\xFF\0[", IniEncoding::Utf16BigEndian, 2},
        {"[Main]", IniEncoding::CodePage, 0},
        {"\xEF\xBB", IniEncoding::CodePage, 0},
        {"", IniEncoding::CodePage, 0},
    };
    for (const auto& c : cases) {
        std::size_t mark = 99;
        EXPECT_EQ(DetectIniEncoding(c.bytes, mark), c.encoding);
        EXPECT_EQ(mark, c.mark);
    }
}

TEST(IniParse, Utf8IsDecodedAndBadSequencesReplaced) {
    const std::pair<std::string, std::wstring> cases[] = {
        {"Ivan \xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD", L"Ivan \u0418\u0432\u0430\u043D"},
        {"\xE2\x82\xAC", L"\u20AC"},
        {"\xF0\x9F\x98\x80", L"\xD83D\xDE00"}, // outside the BMP: a surrogate pair
        {"a\xFF"
         "b",
         L"a\uFFFD"
         "b"},
        {"\xC0\xAF", L"\uFFFD\uFFFD"},   // overlong
        {"\xED\xA0\x80", L"\uFFFD"},     // an encoded surrogate
        {"\xE2\x82", L"\uFFFD"},         // cut at the end
        {"\xF4\x90\x80\x80", L"\uFFFD"}, // past U+10FFFF
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(DecodeUtf8(bytes.data(), bytes.size()), text);
}

TEST(PathText, OnlyTheFileNameLosesItsExtension) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\a.b\\setup.exe", L"C:\\a.b\\setup"},
        {L"C:\\v1.2\\setup", L"C:\\v1.2\\setup"},
        {L"C:\\dist\\my.setup.exe", L"C:\\dist\\my.setup"},
        {L"setup", L"setup"},
        {L"C:\\x.y/setup", L"C:\\x.y/setup"},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(RemoveFileExtension(path), expected);
    EXPECT_EQ(RemoveFileName(L"C:\\a.b\\setup.exe"), L"C:\\a.b");
    EXPECT_EQ(RemoveFileName(L"setup.exe"), L"setup.exe");
}

TEST(PathText, LongPathsGetTheExtendedLengthPrefix) {
    const std::wstring name(300, L'n');
    EXPECT_EQ(ToExtendedLengthPath(L"C:\\" + name), L"\\\\?\\C:\\" + name);
    EXPECT_EQ(ToExtendedLengthPath(L"\\\\server\\share\\" + name),
              L"\\\\?\\UNC\\server\\share\\" + name);
    EXPECT_EQ(ToExtendedLengthPath(L"\\\\?\\C:\\" + name), L"\\\\?\\C:\\" + name);
    EXPECT_EQ(ToExtendedLengthPath(L"C:\\short.ini"), L"C:\\short.ini");
}

} // namespace
