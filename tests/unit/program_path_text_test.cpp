// Which program files a command line may start, longest first, and with which command line.
#include "prereq/program_path_text.h"

#include <gtest/gtest.h>

// Found by argument-dependent lookup: beside the type, in the global namespace.
bool operator==(const ProgramCandidate& a, const ProgramCandidate& b) {
    return a.path == b.path && a.commandLine == b.commandLine;
}

std::ostream& operator<<(std::ostream& out, const ProgramCandidate& c) {
    return out << "{" << std::string(c.path.begin(), c.path.end()) << " | "
               << std::string(c.commandLine.begin(), c.commandLine.end()) << "}";
}

namespace {
const std::wstring kRoot = L"D:\\Setup Files";
const std::wstring kSystem = L"C:\\Windows\\system32";

struct Case {
    std::wstring line;
    std::vector<ProgramCandidate> expected;
};

TEST(ProgramCandidates, EachShapeOfLine) {
    const Case cases[] = {
        // Quoted: one candidate, the line as it is.
        {L"\"C:\\Tools\\check.exe\" /q",
         {{L"C:\\Tools\\check.exe", L"\"C:\\Tools\\check.exe\" /q"}}},
        {L"\"\\\\server\\share\\check.exe\"",
         {{L"\\\\server\\share\\check.exe", L"\"\\\\server\\share\\check.exe\""}}},
        {L"\"tools\\check.exe\" 1", {{kRoot + L"\\tools\\check.exe", L"\"tools\\check.exe\" 1"}}},
        // A bare name, quoted or not, is the system folder's; ".exe" is added to a name without
        // one.
        {L"\"reg.exe\" query", {{kSystem + L"\\reg.exe", L"\"reg.exe\" query"}}},
        {L"  \"reg\"", {{kSystem + L"\\reg.exe", L"\"reg\""}}},
        {L"reg query HKLM\\Software\\X /v Y",
         {{kSystem + L"\\reg query.exe", L"\"reg query\" HKLM\\Software\\X /v Y"},
          {kSystem + L"\\reg.exe", L"reg query HKLM\\Software\\X /v Y"}}},
        // Unquoted with blanks in the path: every leading part, longest first, quoted when it
        // holds blanks.
        {L"D:\\Setup Files\\check.exe 3 missing",
         {{L"D:\\Setup Files\\check.exe 3 missing", L"\"D:\\Setup Files\\check.exe 3 missing\""},
          {L"D:\\Setup Files\\check.exe 3", L"\"D:\\Setup Files\\check.exe 3\" missing"},
          {L"D:\\Setup Files\\check.exe", L"\"D:\\Setup Files\\check.exe\" 3 missing"},
          {L"D:\\Setup.exe", L"D:\\Setup Files\\check.exe 3 missing"}}},
        {L"tools\\check  /x",
         {{kRoot + L"\\tools\\check  /x.exe", L"\"tools\\check  /x\""},
          {kRoot + L"\\tools\\check.exe", L"tools\\check  /x"}}},
        {L"C:\\v1.2\\check\t-a",
         {{L"C:\\v1.2\\check\t-a.exe", L"\"C:\\v1.2\\check\t-a\""},
          {L"C:\\v1.2\\check.exe", L"C:\\v1.2\\check\t-a"}}},
        // A quote is no part of a file name.
        {L"tool \"a b\" c", {{kSystem + L"\\tool.exe", L"tool \"a b\" c"}}},
        // Names that depend on the current drive or folder, and no names at all.
        {L"\\check.exe /q", {}},
        {L"C:check.exe", {}},
        {L"\"C:check.exe\" 1", {}},
        {L"\"\" 1", {}},
        {L"\"C:\\Tools\\check.exe /q", {}},
        {L"", {}},
        {L" \t ", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProgramCandidates(c.line, kRoot, kSystem), c.expected)
            << std::string(c.line.begin(), c.line.end());
}

TEST(ProgramCandidates, UnknownFoldersGiveNoCandidates) {
    EXPECT_TRUE(ProgramCandidates(L"reg query", kRoot, L"").empty());
    EXPECT_TRUE(ProgramCandidates(L"\"tools\\check.exe\"", L"", kSystem).empty());
    EXPECT_EQ(ProgramCandidates(L"C:\\check.exe", L"", L"").size(), 1u);
}
} // namespace
