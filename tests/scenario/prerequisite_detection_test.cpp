// Which prerequisite sections are read and which of them detection lists as missing: one passive
// run over a table of sections, each a case, so that every detection kind decides in one place.
#include "prerequisite_support.h"

#include <gtest/gtest.h>

#include <functional>

namespace scenario {
namespace {

const std::string kRun = "InstParams=\"#Root#\\exit_code.exe\" 0";
const std::string kValues = std::string(kTestKeyPath) + "\\";
const std::string kMissingValue = "RegPath=" + kValues + "Missing";

struct Case {
    std::string name;
    std::vector<std::string> lines; // besides Name, InstPath and InstParams
    std::function<bool(bool win64)> listed;
    std::vector<std::wstring> logLines = {}; // "<root>" stands for the folder
};

bool Always(bool) {
    return true;
}
bool Never(bool) {
    return false;
}
bool On32(bool win64) {
    return !win64;
}
bool On64(bool win64) {
    return win64;
}

std::vector<Case> Cases() {
    return {
        // Gates and the record's own flags.
        {"Nothing Configured", {}, Never},
        {"Uninstall Step", {"IsUninstall=1"}, Always},
        {"Only 32-bit", {"OSbit=1", kMissingValue, "RegCond=DWORD=1"}, On32},
        {"Only 64-bit", {"OSbit=2", kMissingValue, "RegCond=DWORD=1"}, On64},
        {"Any Windows", {"OSbit=3", kMissingValue, "RegCond=DWORD=1"}, Always},
        // The search path shortcut (Path in this run: below).
        {"Found In Path",
         {"SkipIfFoundInPath=tool.exe; other.exe", kMissingValue, "RegCond=DWORD=1"},
         Never},
        {"Wildcard In Path", {"SkipIfFoundInPath=*.dll", kMissingValue, "RegCond=DWORD=1"}, Never},
        {"Not In Path", {"SkipIfFoundInPath=absent.exe", kMissingValue, "RegCond=DWORD=1"}, Always},
        {"In Quoted Path",
         {"SkipIfFoundInPath=quoted.exe", kMissingValue, "RegCond=DWORD=1"},
         Never},
        {"Quoted Semicolon",
         {"SkipIfFoundInPath=semi.exe", kMissingValue, "RegCond=DWORD=1"},
         Never},
        // The file test, which decides alone.
        {"File Recent",
         {"FilePath=#Root#\\versioned.dll", "FileVer=10.0.1"},
         Never,
         {L"Check 'File Recent': present by file version."}},
        {"File Old",
         {"FilePath=#Root#\\versioned.dll", "FileVer=10.0.2"},
         Always,
         {L"IsValidFileVersion() failed. Current version(10.0.1.1) of file "
          L"'<root>\\versioned.dll' early of required file vesion(10.0.2.0)."}},
        {"File Loads", {"FilePath=#Root#\\versioned.dll", "FileTryLoad=1"}, Never},
        // Its dependencies are found in its own folder and the system folder, never beside
        // setup.exe (where this run has a versioned.dll).
        {"File Loads With Dependency",
         {"FilePath=#Root#\\lib\\versioned_user.dll", "FileTryLoad=1"},
         Never},
        {"File Dependency Missing",
         {"FilePath=#Root#\\alone\\versioned_user.dll", "FileTryLoad=1"},
         Always,
         {L"IsValidFileVersion() failed. Can't load file '<root>\\alone\\versioned_user.dll'."}},
        {"File Unloadable",
         {"FilePath=#Root#\\setup.ini", "FileTryLoad=1"},
         Always,
         {L"IsValidFileVersion() failed. Can't load file '<root>\\setup.ini'. Error("}},
        {"File Unversioned",
         {"FilePath=#Root#\\setup.ini"},
         Always,
         {L"IsValidFileVersion() failed. Can't get version of file '<root>\\setup.ini'. Error("}},
        {"File Before Registry",
         {"FilePath=#Root#\\versioned.dll", kMissingValue, "RegCond=DWORD=1"},
         Never},
        // Registry conditions.
        {"Dword Equal", {"RegPath=" + kValues + "Five", "RegCond=DWORD=5"}, Never},
        {"Dword Lower Case", {"RegPath=" + kValues + "Five", "RegCond=dword>=5"}, Never},
        {"Dword Too Small",
         {"RegPath=" + kValues + "Five", "RegCond=DWORD>=6"},
         Always,
         {L"IsValidRegCond() failed. Invalid condition 'DWORD>=6'. "
          L"RegPath='HKEY_LOCAL_MACHINE\\Software\\SetupPrereqTests\\Five'."}},
        {"String Equal", {"RegPath=" + kValues + "Edition", "RegCond=STRING=enterprise"}, Never},
        {"String Order", {"RegPath=" + kValues + "Edition", "RegCond=STRING>=F"}, Always},
        {"Version Recent", {"RegPath=" + kValues + "Version", "RegCond=VERSION>=2.5"}, Never},
        {"Version Equal", {"RegPath=" + kValues + "Version", "RegCond=VERSION=2.10.0.0"}, Never},
        {"Version Old", {"RegPath=" + kValues + "Version", "RegCond=VERSION>=2.11"}, Always},
        {"Value Missing",
         {kMissingValue, "RegCond=DWORD=1"},
         Always,
         {L"CRegComparer.GetRegValue(0x80000002, 'Software\\SetupPrereqTests', 'Missing') "
          L"failed. Error(2) ",
          L"IsValidRegCond() failed. Invalid condition 'DWORD=1'. "
          L"RegPath='HKEY_LOCAL_MACHINE\\Software\\SetupPrereqTests\\Missing'.",
          L"Check 'Value Missing': missing by registry condition."}},
        {"Short Root",
         {"RegPath=HKLM\\Software\\SetupPrereqTests\\Five", "RegCond=DWORD=5"},
         Always,
         {L"IsValidRegCond() failed. Can't find root registry key 'HKLM'."}},
        {"No Value Name",
         {"RegPath=HKEY_LOCAL_MACHINE\\Five", "RegCond=DWORD=5"},
         Always,
         {L"IsValidRegCond() failed. Invalid parameter RegPath='HKEY_LOCAL_MACHINE\\Five'."}},
        {"No Root",
         {"RegPath=Five", "RegCond=DWORD=5"},
         Always,
         {L"IsValidRegCond() failed. Invalid registry key 'Five'."}},
        {"Unknown Type",
         {"RegPath=" + kValues + "Five", "RegCond=QWORD=5"},
         Always,
         {L"IsValidRegCond() failed. Invalid variable in condition 'QWORD=5'. "
          L"RegPath='HKEY_LOCAL_MACHINE\\Software\\SetupPrereqTests\\Five'."}},
        {"Unknown Operator",
         {"RegPath=" + kValues + "Five", "RegCond=DWORD>5"},
         Always,
         {L"IsValidRegCond() failed. Invalid operation in condition 'DWORD>5'. "
          L"RegPath='HKEY_LOCAL_MACHINE\\Software\\SetupPrereqTests\\Five'."}},
        {"Path Without Cond", {"RegPath=" + kValues + "Five"}, Never},
        {"Second Pair Holds",
         {"RegPath0=" + kValues + "Missing", "RegCond0=DWORD=1", "RegPath7=" + kValues + "Five",
          "RegCond7=DWORD=5"},
         Never},
        {"Numbered Pair Fails", {"RegPath31=" + kValues + "Five", "RegCond31=DWORD=4"}, Always},
        {"Numbered Pair 32 Ignored", {"RegPath32=" + kValues + "Five", "RegCond32=DWORD=4"}, Never},
        {"Key64 View", {"Key64=1", "RegPath=" + kValues + "Only64", "RegCond=STRING=yes"}, Never},
        {"Default View", {"RegPath=" + kValues + "Only64", "RegCond=STRING=yes"}, On64},
        // Condition programs: only the companion product's names read the exit code.
        {"Quillex Present", {"RunExeCond=\"#Root#\\print_text.exe\" 1 here"}, Never},
        {"Quillex Update",
         {"RunExeCond=\"#Root#\\print_text.exe\" 2 \\nUpdate available",
          "UpdateParams=\"#Root#\\exit_code.exe\" 0 #Root#\\update.ran"},
         Always,
         {L"Process '\"<root>\\print_text.exe\" 2 \\nUpdate available' return code 2",
          L"Process '\"<root>\\print_text.exe\" 2 \\nUpdate available' return text "
          L"'Update available'"}},
        {"Quillex Install", {"RunExeCond=\"#Root#\\print_text.exe\" 3 missing"}, Always},
        {"Quillex Without Update Parameters",
         {"RunExeCond=\"#Root#\\print_text.exe\" 4 newer"},
         Always},
        {"Quillex Other Code", {"RunExeCond=\"#Root#\\print_text.exe\" 7"}, Always},
        {"Other Tool", {"RunExeCond=\"#Root#\\print_text.exe\" 3 missing"}, Never},
        {"quillex lower case", {"RunExeCond=\"#Root#\\print_text.exe\" 3 missing"}, Never},
        {"Quillex Not Started", {"RunExeCond=\"#Root#\\absent.exe\" 3"}, Never},
    };
}

std::wstring Replace(std::wstring text, const std::wstring& from, const std::wstring& to) {
    for (std::size_t at = text.find(from); at != std::wstring::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

class PrerequisiteDetection : public ::testing::Test {
protected:
    void SetUp() override {
        ClearTestKey();
        SetTestDword(L"Five", 5);
        SetTestString(L"Edition", L"Enterprise");
        SetTestString(L"Version", L"2.10");
        SetTestString(L"Only64", L"yes", true);
    }
    void TearDown() override { ClearTestKey(); }
};

// Sections PreReq0 and PreReq2 onwards (PreReq1 left out), and PreReq100, which is never read.
TEST_F(PrerequisiteDetection, EachKindDecidesAloneInItsOrder) {
    const std::vector<Case> cases = Cases();
    std::string sections;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        std::vector<std::string> lines = {"Name=" + cases[i].name, "InstPath=#Root#\\exit_code.exe",
                                          kRun};
        lines.insert(lines.end(), cases[i].lines.begin(), cases[i].lines.end());
        sections += Section("PreReq" + std::to_string(i == 0 ? 0 : i + 1), lines);
    }
    sections += Section("PreReq100", {"Name=Section 100", "InstPath=#Root#\\exit_code.exe",
                                      kMissingValue, "RegCond=DWORD=1"});

    PrereqFolder folder(L"prereq_detection", sections);
    folder.product.folder.writeFile(L"bin2\\other.exe", "x");
    folder.product.folder.writeFile(L"bin3\\any.dll", "x");
    folder.product.folder.writeFile(L"bin 4\\quoted.exe", "x");
    folder.product.folder.writeFile(L"bin;5\\semi.exe", "x");
    RunOptions options;
    options.commandLine = L"/i /passive";
    const std::wstring root = folder.path();
    // Quoted folders as Windows allows them, one with a semicolon in its name.
    options.env.push_back({L"Path", root + L"\\bin1;" + root + L"\\bin2\\; " + root + L"\\bin3;\"" +
                                        root + L"\\bin 4\"; \"" + root + L"\\bin;5\""});
    RunResult result = folder.run(options);
    EXPECT_EQ(result.exitCode, 0u);

    const bool win64 = Is64BitWindows();
    std::vector<std::wstring> expected;
    for (const Case& c : cases)
        if (c.listed(win64))
            expected.push_back(Wide(c.name));
    EXPECT_EQ(EntriesAfter(result, L"Installing prerequisites passively:", L"  "), expected);
    for (const Case& c : cases)
        for (const std::wstring& line : c.logLines)
            EXPECT_TRUE(HasLogEntryStartingWith(result, Replace(line, L"<root>", root))) << c.name;
    EXPECT_TRUE(LacksLogText(result, L"Section 100"));
    // Every record read has its state line, in the order read.
    std::vector<std::wstring> checked, read;
    for (const std::wstring& entry : result.logEntries())
        if (entry.rfind(L"Check '", 0) == 0)
            checked.push_back(entry.substr(7, entry.find(L"': ") - 7));
    for (const Case& c : cases)
        read.push_back(Wide(c.name));
    EXPECT_EQ(checked, read);
    EXPECT_TRUE(HasLogLine(result, win64 ? L"Check 'Only 32-bit': not for this Windows."
                                         : L"Check 'Only 64-bit': not for this Windows."));
    // Update asked for, no UpdateParams: the warning is logged and the component is not run.
    EXPECT_TRUE(HasLogLine(result, FormatSetupString(167, L"Quillex Without Update Parameters")));
    EXPECT_TRUE(
        HasLogLine(result, L"Prerequisite 'Quillex Without Update Parameters' not installed."));

    // An update asked for by the condition program runs UpdateParams instead of InstParams.
    EXPECT_EQ(MarkerLines(root, L"update.ran").size(), 1u);
    EXPECT_TRUE(HasLogLine(result, L"Setup completed."));
}

TEST_F(PrerequisiteDetection, ConditionProgramWritingOneMebibyteDoesNotBlock) {
    PrereqFolder folder(
        L"prereq_big_output",
        Section("PreReq0", {"Name=Quillex Big", "InstPath=#Root#\\exit_code.exe", kRun,
                            "RunExeCond=\"#Root#\\print_text.exe\" 3 --fill "
                            "1048576 Head"}));
    RunOptions options;
    options.commandLine = L"/i /passive";
    options.timeoutMs = 120000;
    RunResult result = folder.run(options);
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0u);
    const std::wstring command =
        L"\"" + folder.path() + L"\\print_text.exe\" 3 --fill 1048576 Head";
    std::vector<std::wstring> entries = result.logEntries();
    auto code =
        std::find(entries.begin(), entries.end(), L"Process '" + command + L"' return code 3");
    ASSERT_NE(code, entries.end()) << "no return-code line";
    const std::wstring textStart = L"Process '" + command + L"' return text 'Head";
    ASSERT_NE(code + 1, entries.end());
    EXPECT_EQ((code + 1)->compare(0, textStart.size(), textStart), 0)
        << "the return text follows the return code";
    EXPECT_EQ(EntriesAfter(result, L"Installing prerequisites passively:", L"  "),
              std::vector<std::wstring>{L"Quillex Big"});
}

} // namespace
} // namespace scenario
