#include "prereq/file_version.h"
#include "prereq/file_version_text.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

VersionWords Words(unsigned major, unsigned minor, unsigned build, unsigned revision) {
    return VersionWords{major << 16 | minor, build << 16 | revision};
}

TEST(FileVersion, ComparesPartByPartAsUnsigned16BitNumbers) {
    struct Case {
        VersionWords a, b;
        int expected;
    } cases[] = {
        {Words(10, 0, 1, 1), Words(10, 0, 2, 0), -1}, // build decides before revision
        {Words(10, 0, 2, 0), Words(10, 0, 1, 9), 1},
        {Words(1, 2, 3, 4), Words(1, 2, 3, 4), 0},
        {Words(0x8000, 0, 0, 0), Words(0x7FFF, 0xFFFF, 0xFFFF, 0xFFFF), 1}, // no sign
        {Words(1, 0xFFFF, 0, 0), Words(2, 0, 0, 0), -1},
        {Words(0, 0, 0, 0xFFFF), Words(0, 0, 1, 0), -1}, // the low word splits too
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CompareFileVersion(c.a, c.b), c.expected) << FormatFileVersion(c.a);
        EXPECT_EQ(CompareFileVersion(c.b, c.a), -c.expected);
    }
}

TEST(FileVersion, FormatsTheFourPartsInDecimal) {
    EXPECT_EQ(FormatFileVersion(Words(10, 0, 1, 1)), L"10.0.1.1");
    EXPECT_EQ(FormatFileVersion(VersionWords{0xFFFFFFFFu, 0xFFFFFFFFu}),
              L"65535.65535.65535.65535");
    EXPECT_EQ(FormatFileVersion(ParseVersionWords(L"10.0.2")), L"10.0.2.0");
}

TEST(FileVersion, SplitsListsTrimmingEachPieceAndDroppingEmptyOnes) {
    using List = std::vector<std::wstring>;
    EXPECT_EQ(SplitTrimmed(L"tool.exe; other.exe", L';'), (List{L"tool.exe", L"other.exe"}));
    EXPECT_EQ(SplitTrimmed(L";; C:\\Bin ;\tD:\\Tools\\;", L';'),
              (List{L"C:\\Bin", L"D:\\Tools\\"}));
    EXPECT_EQ(SplitTrimmed(L"", L';'), List{});
    EXPECT_EQ(SplitTrimmed(L" ; ", L';'), List{});
}

// unit_tests.exe lies in the build folder.
std::wstring BuildFile(const wchar_t* relative) {
    return testfiles::ExeFolder() + relative;
}

TEST(FileVersion, ReadsTheFixedVersionOfAFileOrTheReasonItCannot) {
    VersionWords version;
    ASSERT_EQ(GetFileVersion(BuildFile(L"tests\\scenario\\versioned.dll"), version), 0u);
    EXPECT_EQ(version, Words(10, 0, 1, 1));
    EXPECT_NE(GetFileVersion(BuildFile(L"CMakeCache.txt"), version), 0u) << "no version resource";
    EXPECT_NE(GetFileVersion(BuildFile(L"no such file.dll"), version), 0u);
}

} // namespace
