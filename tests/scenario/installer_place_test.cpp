// The files a record names, as packagers write them, are the same files whatever folder setup.exe
// is started from: a bare installer or checker beside setup.exe, and a relative installer path
// with a download page, which the missing-file check and the launcher must agree on.
#include "prerequisite_support.h"

#include <gtest/gtest.h>

#include <cwctype>

namespace scenario {
namespace {

const std::string kMissing =
    std::string("RegPath=") + kTestKeyPath + "\\Missing\r\nRegCond=DWORD=1";

RunResult RunPassiveFrom(PrereqFolder& folder, const std::wstring& currentFolder) {
    RunOptions options;
    options.commandLine = L"/i /passive";
    options.currentFolder = currentFolder;
    return folder.run(options);
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// vc_runtime.exe and check.exe ship beside setup.exe; a folder elsewhere holds copies of both
// names that must stay idle.
TEST(InstallerPlace, BareInstallerAndCheckerBesideSetupRunFromAnyCurrentFolder) {
    const std::string sections =
        Section("PreReq0", {"Name=Bare With Macro", "InstPath=vc_runtime.exe",
                            "InstParams=\"#InstPath#\" 0", kMissing}) +
        Section("PreReq1", {"Name=Bare Alone", "InstPath=vc_runtime.exe", kMissing}) +
        Section("PreReq2", {"Name=Quillex Checked", "InstPath=vc_runtime.exe",
                            "InstParams=\"#InstPath#\" 0", "RunExeCond=check.exe 3 Needed"});
    const std::wstring elsewhere = FolderElsewhere(L"bare_beside");
    for (const std::wstring& current : {std::wstring(), elsewhere}) {
        SCOPED_TRACE(Utf8(current.empty() ? L"setup.exe's folder" : current));
        // A folder of its own per run: under Wine, removing the folder that a run has just left
        // as its current folder was refused (access denied).
        PrereqFolder folder(current.empty() ? L"bare_beside" : L"bare_beside_elsewhere", sections);
        folder.product.folder.copyIn(BuildPath(L"tests\\tools\\exit_code.exe"), L"vc_runtime.exe");
        folder.product.folder.copyIn(BuildPath(L"tests\\tools\\print_text.exe"), L"check.exe");
        for (const wchar_t* decoy : {L"\\vc_runtime.exe", L"\\check.exe"})
            ASSERT_TRUE(CopyFileW(BuildPath(L"tests\\tools\\exit_code.exe").c_str(),
                                  (elsewhere + decoy).c_str(), FALSE));
        RunResult result = RunPassiveFrom(folder, current);

        const std::wstring installer = L"\"" + folder.path() + L"\\vc_runtime.exe\"";
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_TRUE(HasLogLine(result, L"Process 'check.exe 3 Needed' return text 'Needed'"));
        EXPECT_TRUE(HasLogLine(result, L"Process '" + installer + L" 0' completed. Exit code=0."));
        EXPECT_TRUE(HasLogLine(result, L"Process '" + installer + L"' completed. Exit code=0."));
        EXPECT_EQ(
            EntriesAfter(result, L"Installed prerequisites:", L" '"),
            (std::vector<std::wstring>{L"Bare With Macro'", L"Bare Alone'", L"Quillex Checked'"}));
        EXPECT_EQ(MarkerLines(folder.path(), L"vc_runtime.exe.ran").size(), 3u);
        EXPECT_FALSE(Exists(elsewhere + L"\\vc_runtime.exe.ran")) << "the current folder's ran";
    }
}

// Started by its full path from another drive's folder: the file the record names is found where
// the launcher runs it, by a relative path, a path from the drive's root and a wildcard.
TEST(InstallerPlace, RelativeInstallerWithADownloadPageIsFoundFromAnotherCurrentFolder) {
    PrereqFolder folder(L"relative_elsewhere");
    const std::wstring root = folder.path();
    ASSERT_EQ(root.substr(1, 2), L":\\");
    const std::string fromDrive = Utf8(root.substr(2)) + "\\redist\\vc.exe";
    const std::string url = "Url=http://example.invalid/vc";
    folder.writeSections(Section("PreReq0", {"Name=Relative", url, "InstPath=redist\\vc.exe",
                                             "InstParams=\"#InstPath#\" 0", kMissing}) +
                         Section("PreReq1", {"Name=From The Drive", url, "InstPath=" + fromDrive,
                                             "InstParams=\"#InstPath#\" 0", kMissing}) +
                         Section("PreReq2", {"Name=Wildcard", url, "InstPath=redist\\v?.exe",
                                             "InstParams=\"#Root#\\redist\\vc.exe\" 0", kMissing}));
    folder.product.folder.copyIn(BuildPath(L"tests\\tools\\exit_code.exe"), L"redist\\vc.exe");
    const std::wstring elsewhere = FolderElsewhere(L"relative_elsewhere");
    ASSERT_NE(towupper(elsewhere[0]), towupper(root[0])) << "the test needs two drives";
    RunResult result = RunPassiveFrom(folder, elsewhere);

    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(LacksLogText(result, L"not installed."));
    EXPECT_TRUE(HasLogLine(result, L"Process '\"" + root +
                                       L"\\redist\\vc.exe\" 0' completed. "
                                       L"Exit code=0."));
    EXPECT_EQ(EntriesAfter(result, L"Installed prerequisites:", L" '"),
              (std::vector<std::wstring>{L"Relative'", L"From The Drive'", L"Wildcard'"}));
    EXPECT_EQ(MarkerLines(root, L"redist\\vc.exe.ran").size(), 3u);
}

} // namespace
} // namespace scenario
