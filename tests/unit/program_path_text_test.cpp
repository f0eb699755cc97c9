// Which program file a command line starts, and which file an installer path names, given which
// files exist.
#include "prereq/program_path_text.h"

#include <gtest/gtest.h>

#include <set>

namespace {
const std::wstring kRoot = L"D:\\Setup Files";
const std::wstring kSystem = L"C:\\Windows\\system32";
const KnownFolders kFolders{kRoot, kSystem};
using Files = std::set<std::wstring>;

bool InSet(const std::wstring& path, void* context) {
    return static_cast<const Files*>(context)->count(path) != 0;
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

struct Case {
    std::wstring line;
    Files existing;
    ProgramChoice choice;
    std::wstring path = L""; // Found and Missing: the file started, or whose start fails
    std::wstring commandLine = L"";
    std::wstring lookedAt = L""; // a missing bare name: the system folder's file
};

TEST(ChooseProgramFile, EachShapeOfLine) {
    const std::wstring check = kRoot + L"\\check.exe";
    const std::wstring reg = kSystem + L"\\reg.exe";
    const std::wstring plantedReg = kRoot + L"\\reg.exe";
    const ProgramChoice found = ProgramChoice::Found;
    const ProgramChoice missing = ProgramChoice::Missing;
    const ProgramChoice notNamed = ProgramChoice::NotNamed;
    const ProgramChoice unclear = ProgramChoice::Unclear;
    const Case cases[] = {
        // Quoted: the text between the quotes, and the line as it is.
        {L"\"C:\\Tools\\check.exe\" /q",
         {L"C:\\Tools\\check.exe"},
         found,
         L"C:\\Tools\\check.exe",
         L"\"C:\\Tools\\check.exe\" /q"},
        {L"\"\\\\server\\share\\check.exe\"",
         {},
         missing,
         L"\\\\server\\share\\check.exe",
         L"\"\\\\server\\share\\check.exe\""},
        {L"\"tools\\check.exe\" 1",
         {},
         missing,
         kRoot + L"\\tools\\check.exe",
         L"\"tools\\check.exe\" 1"},
        // From the root of setup.exe's drive, never the current drive's.
        {L"\"\\redist\\check.exe\" 1",
         {},
         missing,
         L"D:\\redist\\check.exe",
         L"\"\\redist\\check.exe\" 1"},
        // A bare name, quoted or not: the system folder's, else the one beside setup.exe; ".exe"
        // is added to a name without an extension. A planted reg.exe beside setup.exe loses.
        {L"\"reg.exe\" query", {reg, plantedReg}, found, reg, L"\"reg.exe\" query"},
        {L"  \"reg\"", {reg}, found, reg, L"\"reg\""},
        {L"reg query HKLM\\Software\\X /v Y",
         {reg, plantedReg},
         found,
         reg,
         L"reg query HKLM\\Software\\X /v Y"},
        {L"\"vc_runtime.exe\" /q",
         {kRoot + L"\\vc_runtime.exe"},
         found,
         kRoot + L"\\vc_runtime.exe",
         L"\"vc_runtime.exe\" /q"},
        {L"check 4.8", {check}, found, check, L"check 4.8"},
        {L"check 4.8", {}, missing, check, L"check 4.8", kSystem + L"\\check.exe"},
        // A line starting with a bare name starts that name, whatever follows: no
        // "D:\Setup Files\reg query HKLM\Software\X.exe", no "where tool.exe".
        {L"reg query HKLM\\Software\\App Paths\\x.exe",
         {reg, kRoot + L"\\reg query HKLM\\Software\\App Paths\\x.exe"},
         found,
         reg,
         L"reg query HKLM\\Software\\App Paths\\x.exe"},
        {L"where tool.exe",
         {kSystem + L"\\where tool.exe"},
         missing,
         kRoot + L"\\where.exe",
         L"where tool.exe",
         kSystem + L"\\where.exe"},
        {L"my tool /q",
         {kSystem + L"\\my tool.exe", kSystem + L"\\my.exe"},
         found,
         kSystem + L"\\my.exe",
         L"my tool /q"},
        // Unquoted with blanks in the path: the first leading part with a program extension,
        // quoted, existing or not; a planted shorter one never runs in its place.
        {L"D:\\Setup Files\\check.exe 3 missing",
         {check, L"D:\\Setup.exe"},
         found,
         check,
         L"\"D:\\Setup Files\\check.exe\" 3 missing"},
        {L"D:\\Setup Files\\check.exe 3 missing",
         {L"D:\\Setup.exe"},
         missing,
         check,
         L"\"D:\\Setup Files\\check.exe\" 3 missing"},
        {L"C:\\ProgramData\\Acme Tools\\check.exe /v",
         {L"C:\\ProgramData\\Acme.exe"},
         missing,
         L"C:\\ProgramData\\Acme Tools\\check.exe",
         L"\"C:\\ProgramData\\Acme Tools\\check.exe\" /v"},
        {L"C:\\Program Files\\Acme\\Acme Check.CMD -q",
         {},
         missing,
         L"C:\\Program Files\\Acme\\Acme Check.CMD",
         L"\"C:\\Program Files\\Acme\\Acme Check.CMD\" -q"},
        // ... and no extension added to a part that a part with one follows.
        {L"C:\\Tools\\check x.exe",
         {L"C:\\Tools\\check.exe"},
         missing,
         L"C:\\Tools\\check x.exe",
         L"\"C:\\Tools\\check x.exe\""},
        // Without a program extension: the first word, unless the line goes on into a folder.
        {L"C:\\v1.2\\check -a", {}, missing, L"C:\\v1.2\\check.exe", L"C:\\v1.2\\check -a"},
        {L"C:\\v1.2\\check\t-a",
         {L"C:\\v1.2\\check\t-a.exe"},
         missing,
         L"C:\\v1.2\\check.exe",
         L"C:\\v1.2\\check\t-a"},
        {L"tools\\check  /x", {}, missing, kRoot + L"\\tools\\check.exe", L"tools\\check  /x"},
        {L"C:\\Tools\\check -path D:\\data\\x.exe",
         {},
         missing,
         L"C:\\Tools\\check.exe",
         L"C:\\Tools\\check -path D:\\data\\x.exe"},
        {L"C:\\Tools\\check /d x /f y.exe",
         {},
         missing,
         L"C:\\Tools\\check.exe",
         L"C:\\Tools\\check /d x /f y.exe"},
        {L"C:\\ProgramData\\Acme Tools\\check /v", {L"C:\\ProgramData\\Acme.exe"}, unclear},
        {L"D:\\Setup Files\\check 3", {L"D:\\Setup.exe"}, unclear},
        // A quote is no part of a file name.
        {L"tool \"a b\" c",
         {kSystem + L"\\tool \"a b\".exe", kSystem + L"\\tool.exe"},
         found,
         kSystem + L"\\tool.exe",
         L"tool \"a b\" c"},
        // Names that depend on the current folder of a drive, and no names at all.
        {L"C:check.exe", {}, notNamed},
        {L"\"C:check.exe\" 1", {}, notNamed},
        {L"\"\" 1", {}, notNamed},
        {L"\"C:\\Tools\\check.exe /q", {}, notNamed},
        {L"", {}, notNamed},
        {L" \t ", {}, notNamed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.line));
        Files existing = c.existing;
        ProgramCandidate chosen;
        ProgramChoice choice = ChooseProgramFile(c.line, kFolders, InSet, &existing, chosen);
        EXPECT_EQ(choice, c.choice);
        if (choice != ProgramChoice::Found && choice != ProgramChoice::Missing)
            continue;
        EXPECT_EQ(Narrow(chosen.path), Narrow(c.path));
        EXPECT_EQ(Narrow(chosen.commandLine), Narrow(c.commandLine));
        EXPECT_EQ(Narrow(chosen.lookedAt), Narrow(c.lookedAt));
    }
}

// Without the system folder a bare name is not looked for beside setup.exe either.
TEST(ChooseProgramFile, UnknownFoldersNameNoProgram) {
    Files beside = {kRoot + L"\\reg.exe"};
    ProgramCandidate chosen;
    EXPECT_EQ(ChooseProgramFile(L"reg query", {kRoot, L""}, InSet, &beside, chosen),
              ProgramChoice::NotNamed);
    EXPECT_EQ(ChooseProgramFile(L"\"tools\\check.exe\"", {L"", kSystem}, InSet, &beside, chosen),
              ProgramChoice::NotNamed);
    EXPECT_EQ(ChooseProgramFile(L"\"\\check.exe\"", {L"", kSystem}, InSet, &beside, chosen),
              ProgramChoice::NotNamed);
    EXPECT_EQ(ChooseProgramFile(L"C:\\check.exe", {L"", L""}, InSet, &beside, chosen),
              ProgramChoice::Missing);
    EXPECT_EQ(chosen.path, L"C:\\check.exe");
}

TEST(PlaceInstallerFile, EachShapeOfName) {
    const struct {
        std::wstring name;
        KnownFolders folders;
        Files existing;
        std::wstring path;
    } cases[] = {
        {L"C:\\redist\\vc.exe", kFolders, {}, L"C:\\redist\\vc.exe"},
        {L"redist\\vc.exe", kFolders, {}, kRoot + L"\\redist\\vc.exe"},
        {L"redist\\vc_redist*.exe", kFolders, {}, kRoot + L"\\redist\\vc_redist*.exe"},
        {L"\\redist\\vc.exe", kFolders, {}, L"D:\\redist\\vc.exe"},
        {L"\\redist\\vc.exe",
         {L"\\\\server\\share\\dist", kSystem},
         {},
         L"\\\\server\\share\\redist\\vc.exe"},
        // Bare: the system's first, else beside setup.exe, where a missing one is expected. No
        // extension is added: an installer may be a package.
        {L"MsiExec.exe", kFolders, {kSystem + L"\\MsiExec.exe"}, kSystem + L"\\MsiExec.exe"},
        {L"vc.exe", kFolders, {kSystem + L"\\vc.exe", kRoot + L"\\vc.exe"}, kSystem + L"\\vc.exe"},
        {L"vc.exe", kFolders, {kRoot + L"\\vc.exe"}, kRoot + L"\\vc.exe"},
        {L"tool.msi", kFolders, {}, kRoot + L"\\tool.msi"},
        // Named as written when it names no file.
        {L"C:vc.exe", kFolders, {}, L"C:vc.exe"},
        {L"vc.exe", {kRoot, L""}, {}, L"vc.exe"},
        {L"\"vc.exe\"", kFolders, {}, L"\"vc.exe\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        Files existing = c.existing;
        EXPECT_EQ(Narrow(PlaceInstallerFile(c.name, c.folders, InSet, &existing)), Narrow(c.path));
    }
}
} // namespace
