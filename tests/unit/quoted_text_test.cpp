#include "prereq/quoted_text.h"

#include <gtest/gtest.h>

namespace {

TEST(SearchPath, QuotedFoldersLoseTheirQuotesAndKeepTheirSemicolons) {
    struct Case {
        std::wstring path;
        std::vector<std::wstring> folders;
    };
    const std::vector<Case> cases = {
        {L"C:\\Bin;D:\\Tools\\", {L"C:\\Bin", L"D:\\Tools\\"}},
        {L" C:\\Bin ;; \t", {L"C:\\Bin"}},
        {L"\"C:\\Program Files\\Tool\";C:\\Bin", {L"C:\\Program Files\\Tool", L"C:\\Bin"}},
        {L" \"C:\\a b\" ;\"D:\\x;y\"", {L"C:\\a b", L"D:\\x;y"}},
        {L"C:\\Pro\"gram Fil\"es", {L"C:\\Program Files"}},
        {L"\"\";\"  \";C:\\Bin", {L"C:\\Bin"}},
        {L"\"C:\\unclosed;D:\\x", {L"C:\\unclosed;D:\\x"}},
        {L"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitSearchPath(c.path), c.folders) << c.path;
}

TEST(StoredCommand, QuotedProgramIsTakenWholeAndAnUnquotedOneUpToTheFirstBlank) {
    struct Case {
        std::wstring command;
        bool found;
        std::wstring program;
    };
    const std::vector<Case> cases = {
        {L"MsiExec.exe /X{GUID}", true, L"MsiExec.exe"},
        {L"\"C:\\Program Files\\Foo\\unins.exe\" /S", true, L"C:\\Program Files\\Foo\\unins.exe"},
        {L"\"C:\\Program Files\\Foo\\unins.exe\"", true, L"C:\\Program Files\\Foo\\unins.exe"},
        {L"\"C:\\Foo\\unins.exe /S", false, L""},
        {L"\"\" /S", false, L""},
        {L"C:\\Foo\\unins.exe", false, L""},
        {L" /S", false, L""},
        {L"", false, L""},
    };
    for (const Case& c : cases) {
        std::wstring program;
        EXPECT_EQ(StoredCommandProgram(c.command, program), c.found) << c.command;
        EXPECT_EQ(program, c.program) << c.command;
    }
}

} // namespace
