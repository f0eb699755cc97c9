#include "settings/setup_settings.h"
#include "foundation/ini_file.h"
#include "foundation/module_path.h"
#include "test_files.h"

#include <gtest/gtest.h>

namespace {

// Writes the test executable's own setup ini file for one test and removes it afterwards.
class IniFileTest : public ::testing::Test {
protected:
    void Write(const std::string& bytes) { testfiles::WriteBytes(testfiles::ExeIniPath(), bytes); }
    void TearDown() override {
        DeleteFileW(testfiles::ExeIniPath().c_str());
        Settings().CodePage = 0;
    }
};

TEST_F(IniFileTest, IniPathIsTheExecutablePathWithIniExtension) {
    EXPECT_EQ(GetIniPath(), testfiles::ExeIniPath());
    EXPECT_EQ(GetModulePath(false, true), testfiles::ExeFolder());
    std::wstring folder = GetModulePath(false, false);
    EXPECT_EQ(folder + L"\\", testfiles::ExeFolder());
}

TEST_F(IniFileTest, ReadsValuesWithTheirDefaults) {
    Write("[Main]\r\nMsiPath=product.msi\r\nEmpty=\r\nAdminNeed=0\r\nQuoted=\"a b\"\r\n");
    EXPECT_EQ(ReadIniString(L"Main", L"MsiPath"), L"product.msi");
    EXPECT_EQ(ReadIniString(L"Main", L"Empty", L"Install"), L"") << "present but empty";
    EXPECT_EQ(ReadIniString(L"Main", L"MsiType", L"Install"), L"Install");
    EXPECT_EQ(ReadIniString(L"Main", L"Missing"), L"");
    EXPECT_EQ(ReadIniString(L"Main", L"Quoted"), L"a b");
    EXPECT_EQ(ReadIniInt(L"Main", L"AdminNeed", 1), 0);
    EXPECT_EQ(ReadIniInt(L"Main", L"Os32Need", 7), 7);
    EXPECT_EQ(ReadIniInt(L"Other", L"AdminNeed", 1), 1);
}

TEST_F(IniFileTest, MissingFileGivesDefaults) {
    DeleteFileW(testfiles::ExeIniPath().c_str());
    EXPECT_EQ(ReadIniString(L"Main", L"MsiType", L"Major"), L"Major");
    EXPECT_EQ(ReadIniInt(L"Main", L"AdminNeed", 1), 1);
    EXPECT_EQ(ReadIniVersion(L"PreReq1", L"FileVer"), VersionWords{});
    EXPECT_EQ(ReadIniOptionalInt(L"PreReq1", L"Optional", 1), -1);
}

TEST_F(IniFileTest, StringsAreDecodedWithTheIniCodePage) {
    // "Редактор" in Windows-1251, and an integer in the same file.
    Write("[Main]\r\nName=\xD0\xE5\xE4\xE0\xEA\xF2\xEE\xF0\r\nAdminNeed=0\r\n");
    Settings().CodePage = 1251;
    EXPECT_EQ(ReadIniString(L"Main", L"Name"), L"\u0420\u0435\u0434\u0430\u043A\u0442\u043E\u0440");
    EXPECT_EQ(ReadIniInt(L"Main", L"AdminNeed", 1), 0);
    Settings().CodePage = 1252;
    EXPECT_EQ(ReadIniString(L"Main", L"Name"), L"\u00D0\u00E5\u00E4\u00E0\u00EA\u00F2\u00EE\u00F0");
}

TEST_F(IniFileTest, ByteOrderMarkMakesTheFileUnicode) {
    // "[Main]" on the first line, right after the mark, and a Cyrillic name that the ini code page
    // (Western here) could not carry.
    const std::wstring name = L"\u0418\u0432\u0430\u043D";
    Settings().CodePage = 1252;
    Write("\xEF\xBB\xBF[Main]\r\nName=\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\r\nAdminNeed=0\r\n");
    EXPECT_EQ(ReadIniString(L"Main", L"Name"), name);
    EXPECT_EQ(ReadIniInt(L"Main", L"AdminNeed", 1), 0);
    const std::wstring utf16 = L"\uFEFF[Main]\r\nName=" + name + L"\r\nAdminNeed=0\r\n";
    Write(std::string(reinterpret_cast<const char*>(utf16.data()), utf16.size() * 2));
    EXPECT_EQ(ReadIniString(L"Main", L"Name"), name);
    EXPECT_EQ(ReadIniInt(L"Main", L"AdminNeed", 1), 0);
}

TEST_F(IniFileTest, LongValuesAreReadWhole) {
    // Far past the old 2047-byte cut, with a double-byte Japanese character (Shift-JIS) straddling
    // it and a closing quotation mark at the very end.
    std::string value =
        "A=\"" + std::string(2045, 'x') + "\x93\xFA" + std::string(3000, 'y') + "\"";
    Write("[Main]\r\nMsiProp=" + value + "\r\n");
    Settings().CodePage = 932;
    std::wstring expected =
        L"A=\"" + std::wstring(2045, L'x') + L"\u65E5" + std::wstring(3000, L'y') + L"\"";
    EXPECT_EQ(ReadIniString(L"Main", L"MsiProp"), expected);
}

TEST_F(IniFileTest, VersionValuesPackIntoTwoWords) {
    Write("[PreReq1]\r\nA=10.0.1.1\r\nB=7\r\nC=1.2\r\nD=70000.1\r\n");
    EXPECT_EQ(ReadIniVersion(L"PreReq1", L"A"), (VersionWords{10u << 16, 1u << 16 | 1}));
    EXPECT_EQ(ReadIniVersion(L"PreReq1", L"B"), (VersionWords{7u << 16, 0}));
    EXPECT_EQ(ReadIniVersion(L"PreReq1", L"C"), (VersionWords{1u << 16 | 2, 0}));
    EXPECT_EQ(ReadIniVersion(L"PreReq1", L"D"), (VersionWords{(70000u & 0xFFFF) << 16 | 1, 0}));
    EXPECT_EQ(ReadIniVersion(L"PreReq1", L"Absent"), VersionWords{});
}

TEST_F(IniFileTest, OptionalIsToldApartFromAbsent) {
    Write("[PreReq1]\r\nName=VC\r\n "
          "Optional=0\r\n[PreReq2]\r\nName=X\r\n[PreReq3]\r\noptional=1\r\n");
    EXPECT_EQ(ReadIniOptionalInt(L"PreReq1", L"Optional", 1), 0);
    EXPECT_EQ(ReadIniOptionalInt(L"PreReq2", L"Optional", 1), -1);
    EXPECT_EQ(ReadIniOptionalInt(L"PreReq3", L"Optional", 1), -1) << "the match is case-sensitive";
}

TEST(IniText, VersionComponentsAreReadLikeAtoi) {
    EXPECT_EQ(ParseVersionWords(L" 6.-1.x.2junk"), (VersionWords{6u << 16 | 0xFFFF, 0u << 16 | 2}));
    EXPECT_EQ(ParseVersionWords(L""), VersionWords{});
    EXPECT_EQ(ParseLeadingInt(L"1049,1033"), 1049);
    EXPECT_EQ(ParseLeadingInt(L"abc"), 0);
}
TEST_F(IniFileTest, ChangedFileIsReadAgainEvenAtTheSameSize) {
    Write("[Main]\r\nMsiPath=first.msi\r\n");
    EXPECT_EQ(ReadIniString(L"Main", L"MsiPath"), L"first.msi");
    Write("[Main]\r\nMsiPath=other.msi\r\n");
    EXPECT_EQ(ReadIniString(L"Main", L"MsiPath"), L"other.msi");
    DeleteFileW(testfiles::ExeIniPath().c_str());
    EXPECT_EQ(ReadIniString(L"Main", L"MsiPath"), L"");
}

TEST_F(IniFileTest, SectionValuesComeFromTheFirstSectionOfTheName) {
    Write("[PreReq0]\r\nName=A\r\n; RegPath=comment\r\nregpath5=x\r\nflag\r\nOptional=0\r\n"
          "Key64=0x10\r\nFileVer=1.2\r\n[prereq0]\r\nUrl=second section\r\n");
    IniSectionValues keys(L"PREREQ0");
    EXPECT_EQ(keys.String(L"NAME"), L"A");
    EXPECT_EQ(keys.String(L"RegPath5"), L"x");
    EXPECT_EQ(keys.String(L"RegPath"), L"") << "a comment is no key";
    EXPECT_EQ(keys.Int(L"flag", 7), 7) << "a line without '=' has no value";
    EXPECT_EQ(keys.String(L"Url"), L"") << "only the first section of the name counts";
    EXPECT_EQ(keys.Int(L"Key64", 0), 16);
    EXPECT_EQ(keys.Version(L"FileVer"), (VersionWords{1u << 16 | 2, 0}));
    EXPECT_EQ(keys.OptionalInt(L"Optional", 1), 0);

    IniSectionValues missing(L"PreReq1");
    EXPECT_EQ(missing.String(L"Name"), L"");
    EXPECT_EQ(missing.Int(L"AdminNeed", 1), 1);
    EXPECT_EQ(missing.OptionalInt(L"Optional", 1), -1);
}

TEST_F(IniFileTest, SectionValuesKeepTheFileAsItWasAndANewReadSeesTheChange) {
    Write("[PreReq0]\r\nName=first\r\n");
    IniSectionValues before(L"PreReq0");
    Write("[PreReq0]\r\nName=second, longer\r\n");
    EXPECT_EQ(before.String(L"Name"), L"first");
    EXPECT_EQ(IniSectionValues(L"PreReq0").String(L"Name"), L"second, longer");
}

} // namespace
