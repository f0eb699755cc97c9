// Which program file a command line starts, given which files exist, and with which command line.
#include "prereq/program_path_text.h"

#include <gtest/gtest.h>

#include <set>

namespace {
const std::wstring kRoot = L"D:\\Setup Files";
const std::wstring kSystem = L"C:\\Windows\\system32";
using Files = std::set<std::wstring>;

bool InSet(const std::wstring& path, void* context) {
    return static_cast<const Files*>(context)->count(path) != 0;
}

struct Case {
    std::wstring line;
    Files existing;
    std::wstring path; // empty: the line is refused
    std::wstring commandLine;
};

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

TEST(ChooseProgramFile, EachShapeOfLine) {
    const std::wstring check = L"D:\\Setup Files\\check.exe";
    const std::wstring reg = kSystem + L"\\reg.exe";
    const Case cases[] = {
        // Quoted: the one candidate, existing or not, and the line as it is.
        {L"\"C:\\Tools\\check.exe\" /q",
         {},
         L"C:\\Tools\\check.exe",
         L"\"C:\\Tools\\check.exe\" /q"},
        {L"\"\\\\server\\share\\check.exe\"",
         {},
         L"\\\\server\\share\\check.exe",
         L"\"\\\\server\\share\\check.exe\""},
        {L"\"tools\\check.exe\" 1", {}, kRoot + L"\\tools\\check.exe", L"\"tools\\check.exe\" 1"},
        // A bare name, quoted or not, is the system folder's; ".exe" is added to a name without
        // one.
        {L"\"reg.exe\" query", {}, reg, L"\"reg.exe\" query"},
        {L"  \"reg\"", {}, reg, L"\"reg\""},
        {L"reg query HKLM\\Software\\X /v Y", {reg}, reg, L"reg query HKLM\\Software\\X /v Y"},
        // ... nor a folder further on: no "D:\Setup Files\reg query HKLM\Software\X.exe".
        {L"reg query HKLM\\Software\\X",
         {kRoot + L"\\reg query HKLM\\Software\\X.exe"},
         reg,
         L"reg query HKLM\\Software\\X"},
        {L"my tool /q",
         {kSystem + L"\\my tool.exe", kSystem + L"\\my.exe"},
         kSystem + L"\\my tool.exe",
         L"\"my tool\" /q"},
        // Unquoted with blanks in the path: the longest leading part that exists, quoted when it
        // holds blanks; a planted shorter one loses.
        {L"D:\\Setup Files\\check.exe 3 missing",
         {check, L"D:\\Setup.exe"},
         check,
         L"\"D:\\Setup Files\\check.exe\" 3 missing"},
        {L"D:\\Setup Files\\check.exe 3 missing",
         {L"D:\\Setup.exe"},
         L"D:\\Setup.exe",
         L"D:\\Setup Files\\check.exe 3 missing"},
        // None exists: the shortest, whose start fails.
        {L"D:\\Setup Files\\check.exe 3", {}, L"D:\\Setup.exe", L"D:\\Setup Files\\check.exe 3"},
        {L"tools\\check  /x", {}, kRoot + L"\\tools\\check.exe", L"tools\\check  /x"},
        {L"C:\\v1.2\\check\t-a",
         {L"C:\\v1.2\\check\t-a.exe"},
         L"C:\\v1.2\\check\t-a.exe",
         L"\"C:\\v1.2\\check\t-a\""},
        // A quote is no part of a file name.
        {L"tool \"a b\" c",
         {kSystem + L"\\tool \"a b\".exe"},
         kSystem + L"\\tool.exe",
         L"tool \"a b\" c"},
        // Names that depend on the current drive or folder, and no names at all.
        {L"\\check.exe /q", {}, L"", L""},
        {L"C:check.exe", {}, L"", L""},
        {L"\"C:check.exe\" 1", {}, L"", L""},
        {L"\"\" 1", {}, L"", L""},
        {L"\"C:\\Tools\\check.exe /q", {}, L"", L""},
        {L"", {}, L"", L""},
        {L" \t ", {}, L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.line));
        Files existing = c.existing;
        ProgramCandidate chosen;
        bool named = ChooseProgramFile(c.line, kRoot, kSystem, InSet, &existing, chosen);
        EXPECT_EQ(named, !c.path.empty());
        if (!named)
            continue;
        EXPECT_EQ(Narrow(chosen.path), Narrow(c.path));
        EXPECT_EQ(Narrow(chosen.commandLine), Narrow(c.commandLine));
    }
}

TEST(ChooseProgramFile, UnknownFoldersNameNoProgram) {
    Files none;
    ProgramCandidate chosen;
    EXPECT_FALSE(ChooseProgramFile(L"reg query", kRoot, L"", InSet, &none, chosen));
    EXPECT_FALSE(ChooseProgramFile(L"\"tools\\check.exe\"", L"", kSystem, InSet, &none, chosen));
    EXPECT_TRUE(ChooseProgramFile(L"C:\\check.exe", L"", L"", InSet, &none, chosen));
    EXPECT_EQ(chosen.path, L"C:\\check.exe");
}
} // namespace
