// A real prerequisite package installed and removed through msiexec command lines, with its
// presence decided by the installer engine and by the registry.
#include "prerequisite_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace scenario {
namespace {

const wchar_t kToolCode[] = L"{F06F2E3D-C18D-4881-8ACA-3CBB721B3044}"; // tests/packages/tool.wxs

const std::string kToolSection =
    Section("PreReq0", {"Name=Prereq Tool", "InstPath=#Root#\\pkg\\tool.msi", "MsiProd=1",
                        "InstParams=msiexec /i \"#Root#\\pkg\\tool.msi\" /qn"});

class PrerequisiteMsi : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        RemoveProduct(kToolCode);
        RemoveProduct(kAlphaCode);
        ClearTestKey();
    }
};

// setup.exe, Alpha Suite 1.0 as alpha.msi, Prereq Tool as pkg\tool.msi, and a program named
// msiexec.exe beside setup.exe that must never be the one that runs.
void PrepareFolder(ScenarioFolder& folder, const std::string& sections) {
    folder.copyIn(PackagePath(L"product_v1.msi"), L"alpha.msi");
    folder.copyIn(PackagePath(L"tool.msi"), L"pkg\\tool.msi");
    folder.copyIn(BuildPath(L"tests\\tools\\exit_code.exe"), L"msiexec.exe");
    folder.writeIni(MainSection({"MsiPath=alpha.msi"}) + sections);
}

TEST_F(PrerequisiteMsi, MissingPackageIsInstalledByTheSystemMsiexecAndRemovedByAnUninstallStep) {
    ScenarioFolder folder(L"prereq_msiexec");
    PrepareFolder(folder, kToolSection);
    RunOptions options;
    options.commandLine = L"/i /passive";
    options.timeoutMs = 180000;

    RunResult first = folder.run(options);
    EXPECT_EQ(first.exitCode, 0u);
    EXPECT_EQ(EntriesAfter(first, L"Installing prerequisites passively:", L"  "),
              std::vector<std::wstring>{L"Prereq Tool"});
    EXPECT_TRUE(HasLogLine(first, L"Process 'msiexec /i \"" + folder.path() +
                                      L"\\pkg\\tool.msi\" /qn' completed. Exit code=0."));
    EXPECT_EQ(ProductState(kToolCode), INSTALLSTATE_DEFAULT);
    EXPECT_EQ(ProductState(kAlphaCode), INSTALLSTATE_DEFAULT);
    EXPECT_TRUE(MarkerLines(folder.path(), L"msiexec.exe.ran").empty())
        << "the planted msiexec.exe ran";

    // Installed now: the engine says present, so only the removal step is listed, although its
    // own registry condition holds as well.
    RemoveProduct(kAlphaCode);
    SetTestString(L"ToolUninstall", std::wstring(L"MsiExec.exe /X") + kToolCode);
    ScenarioFolder removal(L"prereq_msiexec_removal");
    PrepareFolder(
        removal,
        kToolSection +
            Section("PreReq1",
                    {"Name=Remove Prereq Tool", "IsUninstall=1",
                     std::string("InstRegPath=") + kTestKeyPath + "\\ToolUninstall",
                     "InstParams=/qn", "RegPath=HKEY_LOCAL_MACHINE\\Software\\Prereq Tool\\Version",
                     "RegCond=VERSION>=1.0"}));
    RunResult second = removal.run(options);
    EXPECT_EQ(second.exitCode, 0u);
    EXPECT_EQ(EntriesAfter(second, L"Installing prerequisites passively:", L"  "),
              std::vector<std::wstring>{L"Remove Prereq Tool"});
    EXPECT_TRUE(HasLogLine(second, std::wstring(L"Process 'MsiExec.exe /X") + kToolCode +
                                       L" /qn' completed. Exit code=0."));
    EXPECT_NE(ProductState(kToolCode), INSTALLSTATE_DEFAULT);
    EXPECT_TRUE(MarkerLines(removal.path(), L"msiexec.exe.ran").empty());
}

// A prerequisite that installs the product itself, in an older version: the installed state is
// asked again after the prerequisites, so the product package upgrades what the prerequisite left
// (without that the engine would be handed a first-install command line and refuse). The
// prerequisites are not run a second time (one that is always missing runs once); the
// postrequisites of a first install still run.
TEST_F(PrerequisiteMsi, PrerequisiteThatInstallsAnOlderProductIsFollowedByTheUpgrade) {
    ScenarioFolder folder(L"prereq_installs_product");
    folder.copyIn(PackagePath(L"product_v2.msi"), L"alpha.msi");
    folder.copyIn(PackagePath(L"product_v1.msi"), L"pkg\\alpha1.msi");
    folder.copyIn(BuildPath(L"tests\\tools\\exit_code.exe"), L"exit_code.exe");
    folder.writeIni(
        MainSection({"MsiPath=alpha.msi"}) +
        Section("PreReq0", {"Name=Alpha Suite 1.0", "InstPath=#Root#\\pkg\\alpha1.msi", "MsiProd=1",
                            "InstParams=msiexec /i \"#Root#\\pkg\\alpha1.msi\" /qn"}) +
        Section("PreReq1",
                {"Name=Always Missing", "InstPath=#Root#\\exit_code.exe",
                 "InstParams=\"#InstPath#\" 0 #Root#\\always.ran",
                 std::string("RegPath=") + kTestKeyPath + "\\Missing", "RegCond=DWORD=1"}) +
        Section("PostReq0", {"Name=Register", "InstPath=#Root#\\exit_code.exe",
                             "InstParams=\"#InstPath#\" 0 #Root#\\post.ran"}));
    RunOptions options;
    options.commandLine = L"/i /passive";
    options.timeoutMs = 180000;

    RunResult result = folder.run(options);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(result.boxes.empty());
    EXPECT_TRUE(HasLogLine(result, L"Process 'msiexec /i \"" + folder.path() +
                                       L"\\pkg\\alpha1.msi\" /qn' completed. Exit code=0."));
    EXPECT_TRUE(HasLogLine(result, L"Auto-upgrading in passive mode"));
    EXPECT_TRUE(HasLogLine(result, L"Calling MsiInstallProduct('" + folder.path() +
                                       L"\\alpha.msi') with command line: "
                                       L"'REINSTALL=ALL REINSTALLMODE=vomus'"));
    std::vector<std::wstring> entries = result.logEntries();
    EXPECT_EQ(std::count(entries.begin(), entries.end(), L"Installing prerequisites passively:"),
              1);
    EXPECT_EQ(MarkerLines(folder.path(), L"always.ran").size(), 1u);
    EXPECT_EQ(ProductState(kAlphaCode), INSTALLSTATE_DEFAULT);
    EXPECT_EQ(InstalledVersion(kAlphaCode), L"2.0.0");
    EXPECT_EQ(MarkerLines(folder.path(), L"post.ran").size(), 1u);
    EXPECT_TRUE(HasLogLine(result, L"Setup completed."));
}

// A deployment tool starts setup.exe from its own folder: the package query opens the package
// that a relative InstPath names beside setup.exe, finds its product installed, and lists nothing.
TEST_F(PrerequisiteMsi, InstalledPackageNamedByARelativePathIsFoundFromAnotherCurrentFolder) {
    ASSERT_EQ(InstallDirectly(PackagePath(L"tool.msi")), 0u);
    ScenarioFolder folder(L"prereq_msi_elsewhere");
    PrepareFolder(folder,
                  Section("PreReq0", {"Name=Prereq Tool", "InstPath=pkg\\tool.msi", "MsiProd=1",
                                      "InstParams=msiexec /i \"#InstPath#\" /qn"}));
    RunOptions options;
    options.commandLine = L"/i /passive";
    options.currentFolder = FolderElsewhere(L"prereq_msi_elsewhere");
    options.timeoutMs = 180000;
    RunResult result = folder.run(options);

    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(LacksLogText(result, L"Installing prerequisites passively:"));
    EXPECT_EQ(ProductState(kAlphaCode), INSTALLSTATE_DEFAULT);
}

} // namespace
} // namespace scenario
