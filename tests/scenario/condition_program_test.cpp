// The programs that a setup ini starts: a program planted beside setup.exe (or named by a leading
// part of setup.exe's folder) never runs, and a condition program's output ends with the program,
// whatever it writes and whatever it leaves running.
#include "prerequisite_support.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

std::string Record(const std::string& section, const std::string& name,
                   const std::vector<std::string>& lines) {
    std::vector<std::string> all = {"Name=" + name, "InstPath=#Root#\\exit_code.exe",
                                    "InstParams=\"#Root#\\exit_code.exe\" 0"};
    all.insert(all.end(), lines.begin(), lines.end());
    return Section(section, all);
}

RunResult RunPassive(PrereqFolder& folder, DWORD timeoutMs = 60000) {
    RunOptions options;
    options.commandLine = L"/i /passive";
    options.timeoutMs = timeoutMs;
    return folder.run(options);
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::wstring> Listed(const RunResult& result) {
    return EntriesAfter(result, L"Installing prerequisites passively:", L"  ");
}

// A bare name is the system folder's when it has one: the system's reg.exe answers, the planted
// one stays idle. A bare component program that only setup.exe's folder has is that one.
TEST(ConditionProgram, BareNamesAreTheSystemsBeforeTheOnesBesideSetup) {
    ClearTestKey();
    SetTestDword(L"Five", 5);
    PrereqFolder folder(L"condition_planted_beside");
    folder.product.folder.copyIn(BuildPath(L"tests\\tools\\exit_code.exe"), L"reg.exe");
    // The test values live in the 32-bit view; the x64 flavour starts the 64-bit reg.exe.
    const std::string query = "reg query " + std::string(kTestKeyPath) + " /v Five /reg:32";
    folder.writeSections(
        Record("PreReq0", "Registry Query", {"RunExeCond=" + query}) +
        Section("PreReq1", {"Name=Bare Installer", "InstPath=#Root#\\exit_code.exe",
                            "IsUninstall=1", "InstParams=\"exit_code.exe\" 0 #Root#\\bare.ran"}));
    RunResult result = RunPassive(folder);
    ClearTestKey();

    const std::wstring root = folder.path();
    EXPECT_FALSE(Exists(root + L"\\reg.exe.ran")) << "the planted reg.exe ran";
    const std::wstring command(query.begin(), query.end());
    EXPECT_TRUE(HasLogLine(result, L"Process '" + command + L"' return code 0"));
    EXPECT_TRUE(HasLogEntryStartingWith(result, L"Process '" + command + L"' return text '"));
    const std::wstring bare = L"\"exit_code.exe\" 0 " + root + L"\\bare.ran";
    EXPECT_EQ(MarkerLines(root, L"bare.ran"), std::vector<std::string>{Utf8(bare)});
    EXPECT_TRUE(HasLogLine(result, L"Process '" + bare + L"' completed. Exit code=0."));
    EXPECT_EQ(Listed(result), std::vector<std::wstring>{L"Bare Installer"});
}

// "#Root#\print_text.exe" unquoted in "...\Setup Files": the system's search would try
// "...\Setup.exe" first.
TEST(ConditionProgram, FolderWithABlankNeverStartsTheProgramItsPrefixNames) {
    PrereqFolder folder(L"condition_blank\\Setup Files");
    const std::wstring parent = ScenarioRoot() + L"\\condition_blank";
    const std::wstring planted = parent + L"\\Setup.exe";
    ASSERT_TRUE(
        CopyFileW(BuildPath(L"tests\\tools\\exit_code.exe").c_str(), planted.c_str(), FALSE));
    DeleteFileW((planted + L".ran").c_str());
    folder.writeSections(
        Record("PreReq0", "Quillex Install", {"RunExeCond=#Root#\\print_text.exe 3 missing"}));
    RunResult result = RunPassive(folder);
    DeleteFileW(planted.c_str());

    EXPECT_FALSE(Exists(planted + L".ran")) << "the planted Setup.exe ran";
    const std::wstring command = folder.path() + L"\\print_text.exe 3 missing";
    EXPECT_TRUE(HasLogLine(result, L"Process '" + command + L"' return code 3"));
    EXPECT_TRUE(HasLogLine(result, L"Process '" + command + L"' return text 'missing'"));
    EXPECT_EQ(Listed(result), std::vector<std::wstring>{L"Quillex Install"});
    EXPECT_EQ(result.exitCode, 0u);
}

// The longer program is not there yet (the component brings it): the shorter one someone put in
// the parent folder still never runs; nothing does, and the condition counts as present.
TEST(ConditionProgram, PlantedShorterProgramNeverStandsInForAMissingOne) {
    PrereqFolder folder(L"condition_planted_missing\\Setup Files");
    const std::wstring planted = ScenarioRoot() + L"\\condition_planted_missing\\Setup.exe";
    ASSERT_TRUE(
        CopyFileW(BuildPath(L"tests\\tools\\exit_code.exe").c_str(), planted.c_str(), FALSE));
    DeleteFileW((planted + L".ran").c_str());
    folder.writeSections(Record("PreReq0", "Quillex Named", {"RunExeCond=#Root#\\absent.exe"}) +
                         Record("PreReq1", "Quillex Unnamed", {"RunExeCond=#Root#\\absent"}));
    RunResult result = RunPassive(folder);
    const bool plantedRan = Exists(planted + L".ran");
    DeleteFileW(planted.c_str());
    DeleteFileW((planted + L".ran").c_str());

    EXPECT_FALSE(plantedRan) << "the planted Setup.exe ran";
    EXPECT_EQ(result.exitCode, 0u);
    const std::wstring absent = folder.path() + L"\\absent";
    EXPECT_TRUE(HasLogEntryStartingWith(result, L"RunExe::Function CreateProcess('" + absent +
                                                    L".exe') failed. Error(2) "));
    EXPECT_TRUE(HasLogLine(result, L"Invalid command line:" + absent +
                                       L". Quote the program path or give its extension."));
    EXPECT_TRUE(LacksLogText(result, L"Installing prerequisites passively:"));
}

// An empty write first (a zero-byte read), then more than the pipe holds; and a program that
// leaves a child running with its output: setup reads both to the program's end and goes on.
TEST(ConditionProgram, OutputEndsWithTheProgram) {
    const std::string program = "RunExeCond=\"#Root#\\print_text.exe\" 3 ";
    PrereqFolder folder(
        L"condition_output_end",
        Record("PreReq0", "Quillex Empty Write", {program + "--empty-write --fill 1048576 Head"}) +
            Record("PreReq1", "Quillex Child", {program + "--leave-child 45000 Child"}));
    RunResult result = RunPassive(folder, 30000);
    ASSERT_FALSE(result.timedOut) << "the child held setup";
    EXPECT_EQ(result.exitCode, 0u);

    const std::wstring command = L"\"" + folder.path() + L"\\print_text.exe\" 3 ";
    const std::wstring empty = command + L"--empty-write --fill 1048576 Head";
    const std::wstring child = command + L"--leave-child 45000 Child";
    EXPECT_TRUE(HasLogLine(result, L"Process '" + empty + L"' return code 3"));
    EXPECT_TRUE(HasLogEntryStartingWith(result, L"Process '" + empty + L"' return text 'Head"));
    EXPECT_TRUE(HasLogLine(result, L"Process '" + child + L"' return code 3"));
    EXPECT_TRUE(HasLogLine(result, L"Process '" + child + L"' return text 'Child'"));
    EXPECT_EQ(Listed(result),
              (std::vector<std::wstring>{L"Quillex Empty Write", L"Quillex Child"}));
}

} // namespace
} // namespace scenario
