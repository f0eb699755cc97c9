#pragma once
// What prerequisite scenarios share: a product folder with the stand-in component programs, ini
// sections built from lines, and registry values of the tests in both registry views.
#include "setup_support.h"

#include <string>
#include <vector>

namespace scenario {

// "[<name>]\r\n" and the lines, each ended with "\r\n".
std::string Section(const std::string& name, const std::vector<std::string>& lines);

// A product folder answered by the fake engine ("Fake Product" 1.0.0, not installed), with
// exit_code.exe, print_text.exe and versioned.dll (version 10.0.1.1) beside setup.exe,
// versioned_user.dll (10.0.1.1, importing versioned.dll) in lib\ beside a versioned.dll and in
// alone\ without one, and a setup ini of [Main] followed by the given sections.
struct PrereqFolder {
    explicit PrereqFolder(const std::wstring& name, const std::string& sections = "");
    void writeSections(const std::string& sections);
    RunResult run(RunOptions options) { return product.run(std::move(options)); }
    RunResult run(const std::wstring& commandLine, std::vector<int> answers = {}) {
        return product.run(commandLine, std::move(answers));
    }
    std::wstring path() const { return product.folder.path(); }

    FakeProductFolder product;
};

// A fresh folder on the Windows drive (C:), not setup.exe's: the current folder of a run started
// from elsewhere, as a deployment tool or a scheduled task starts setup.exe. No trailing separator.
std::wstring FolderElsewhere(const std::wstring& name);

// The command lines that exit_code.exe ran with, one per run, from "<folder>\<marker>".
std::vector<std::string> MarkerLines(const std::wstring& folder, const std::wstring& marker);

// Test values under HKEY_LOCAL_MACHINE\Software\SetupPrereqTests. view64 writes the 64-bit view
// (on 32-bit Windows the only one).
extern const char kTestKeyPath[]; // "HKEY_LOCAL_MACHINE\Software\SetupPrereqTests"
void ClearTestKey();
void SetTestString(const wchar_t* name, const std::wstring& value, bool view64 = false);
void SetTestDword(const wchar_t* name, DWORD value, bool view64 = false);

// The entries that follow the entry `heading` up to the first that does not start with `indent`.
std::vector<std::wstring> EntriesAfter(const RunResult& result, const std::wstring& heading,
                                       const std::wstring& indent);
// A readable failure naming the entry when no log entry starts with `start`.
::testing::AssertionResult HasLogEntryStartingWith(const RunResult& result,
                                                   const std::wstring& start);

} // namespace scenario
