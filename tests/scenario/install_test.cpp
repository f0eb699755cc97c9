// Installing, maintaining and upgrading a real product package with the prefix's own engine.
#include "setup_support.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

// The test packages are x86 packages: in the x64 flavour's tests their values lie in the 32-bit
// view, where a 64-bit process does not look by itself.
constexpr REGSAM kPackageView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : 0;

std::wstring RegistryVersion(const wchar_t* product) {
    wchar_t value[64] = {};
    DWORD size = sizeof(value);
    std::wstring keyPath = std::wstring(L"Software\\") + product;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_QUERY_VALUE | kPackageView,
                      &key) != ERROR_SUCCESS)
        return std::wstring();
    LONG result = RegGetValueW(key, nullptr, L"Version", RRF_RT_REG_SZ, nullptr, value, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return std::wstring();
    return value;
}

class RealInstall : public ::testing::Test {
protected:
    void SetUp() override { RemoveProduct(kAlphaCode); }
    void TearDown() override { RemoveProduct(kAlphaCode); }

    // A folder with setup.exe, its ini and Alpha Suite in the given version as alpha.msi.
    RunResult RunAlpha(const wchar_t* package, const std::wstring& commandLine,
                       std::vector<std::string> iniLines = {}, std::vector<int> answers = {}) {
        ScenarioFolder folder(L"real_install");
        folder.copyIn(PackagePath(package), L"alpha.msi");
        iniLines.push_back("MsiPath=alpha.msi");
        folder.writeIni(MainSection(iniLines));
        packagePath_ = folder.path() + L"\\alpha.msi";
        RunOptions options;
        options.commandLine = commandLine;
        options.answers = std::move(answers);
        return folder.run(options);
    }
    std::wstring CallingLine(const std::wstring& commandLine) const {
        return L"Calling MsiInstallProduct('" + packagePath_ + L"') with command line: '" +
               commandLine + L"'";
    }
    std::wstring packagePath_;
};

TEST_F(RealInstall, FreshQuietInstall) {
    RunResult result = RunAlpha(L"product_v1.msi", L"/i /quiet");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(result.boxes.empty());
    EXPECT_EQ(ProductState(kAlphaCode), INSTALLSTATE_DEFAULT);
    EXPECT_EQ(RegistryVersion(L"Alpha Suite"), L"1.0.0");

    ASSERT_EQ(result.logFiles.size(), 1u);
    EXPECT_EQ(result.logFiles[0].rfind(L"Alpha Suite Setup (", 0), 0u) << "named after the product";
    EXPECT_EQ(result.logBytes.substr(0, 2), "\xFF\xFE");
    EXPECT_TRUE(HasLogLine(result, L"UILevel is set to 2"));
    EXPECT_TRUE(HasLogLine(result, CallingLine(L"")));
    EXPECT_TRUE(
        HasLogLine(result, L"Installation '" + packagePath_ + L"' completed successfully."));
    EXPECT_TRUE(HasLogLine(result, L"Setup completed."));
    // The engine's own log is appended after two blank lines, before setup's closing lines.
    std::size_t calling = result.log.find(CallingLine(L"") + L"\r\n\r\n\r\n");
    std::size_t completed = result.log.find(L"completed successfully.");
    ASSERT_NE(calling, std::wstring::npos);
    ASSERT_NE(completed, std::wstring::npos);
    std::size_t engineStart = calling + CallingLine(L"").size() + 6;
    std::wstring engineLog = result.log.substr(engineStart, completed - engineStart);
    EXPECT_GT(engineLog.size(), 200u) << "the engine wrote next to nothing into the setup log";
}

TEST_F(RealInstall, SameVersionInstalledIsMaintainedWithTheProperties) {
    ASSERT_EQ(InstallDirectly(PackagePath(L"product_v1.msi")), 0u);
    RunResult result = RunAlpha(L"product_v1.msi", L"/i /quiet ABC=1");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(HasLogLine(result, CallingLine(L"ABC=1")));
    EXPECT_EQ(ProductState(kAlphaCode), INSTALLSTATE_DEFAULT);
}

TEST_F(RealInstall, OlderVersionIsUpgradedWithoutAskingInPassiveMode) {
    struct Case {
        std::vector<std::string> ini;
        std::wstring commandLine;
    };
    const Case cases[] = {
        {{}, L"REINSTALL=ALL REINSTALLMODE=vomus"},
        {{"DefaultReinstallmode=REINSTALL=ALL REINSTALLMODE=vamus"},
         L"REINSTALL=ALL REINSTALLMODE=vamus"},
    };
    for (const Case& c : cases) {
        RemoveProduct(kAlphaCode);
        ASSERT_EQ(InstallDirectly(PackagePath(L"product_v1.msi")), 0u);
        RunResult result = RunAlpha(L"product_v2.msi", L"/i /passive IGNORED=1", c.ini);
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_TRUE(result.boxes.empty());
        EXPECT_TRUE(HasLogLine(result, L"Auto-upgrading in passive mode"));
        EXPECT_TRUE(HasLogLine(result, CallingLine(c.commandLine)));
        EXPECT_EQ(InstalledVersion(kAlphaCode), L"2.0.0");
        EXPECT_EQ(RegistryVersion(L"Alpha Suite"), L"2.0.0");
    }
}

TEST_F(RealInstall, DeclinedUpgradeChangesNothing) {
    ASSERT_EQ(InstallDirectly(PackagePath(L"product_v1.msi")), 0u);
    RunResult result = RunAlpha(L"product_v2.msi", L"/i", {}, {IDNO});
    EXPECT_EQ(result.exitCode, 0u);
    ASSERT_EQ(result.boxes.size(), 1u);
    EXPECT_EQ(result.boxes[0].caption, L"Alpha Suite (2.0.0) Setup");
    EXPECT_EQ(result.boxes[0].text, SetupString(144));
    EXPECT_TRUE(LacksLogText(result, L"Calling MsiInstallProduct"));
    EXPECT_EQ(InstalledVersion(kAlphaCode), L"1.0.0");
}

TEST_F(RealInstall, UpgradeRefusedWhenUpdatesAreDisabled) {
    ASSERT_EQ(InstallDirectly(PackagePath(L"product_v1.msi")), 0u);
    RunResult result = RunAlpha(L"product_v2.msi", L"/i /quiet", {"UpdateDisable=1"});
    EXPECT_EQ(result.exitCode, 3u);
    EXPECT_TRUE(HasLogLine(result, SetupString(160)));
    EXPECT_NE(result.log.find(L"Install() failed. Error(7086) '"), std::wstring::npos);
    EXPECT_TRUE(LacksLogText(result, L"Calling MsiInstallProduct"));
    EXPECT_EQ(InstalledVersion(kAlphaCode), L"1.0.0");
}

TEST_F(RealInstall, NewerVersionInstalledIsNeverDowngraded) {
    ASSERT_EQ(InstallDirectly(PackagePath(L"product_v2.msi")), 0u);
    RunResult result = RunAlpha(L"product_v1.msi", L"/i /quiet");
    EXPECT_EQ(result.exitCode, 3u);
    EXPECT_TRUE(HasLogLine(result, SetupString(143)));
    EXPECT_TRUE(LacksLogText(result, L"Calling MsiInstallProduct"));
    EXPECT_EQ(InstalledVersion(kAlphaCode), L"2.0.0");
}

TEST(RealInstallNames, LogIsNamedAfterThePackagesProduct) {
    RemoveProduct(kBetaCode);
    ScenarioFolder folder(L"beta_install");
    folder.copyIn(PackagePath(L"product_noln.msi"), L"beta.msi");
    folder.writeIni(MainSection({"MsiPath=beta.msi"}));
    RunOptions options;
    options.commandLine = L"/i /quiet";
    RunResult result = folder.run(options);
    EXPECT_EQ(result.exitCode, 0u);
    ASSERT_EQ(result.logFiles.size(), 1u);
    EXPECT_EQ(result.logFiles[0].rfind(L"Beta Tool Setup (", 0), 0u);
    EXPECT_EQ(ProductState(kBetaCode), INSTALLSTATE_DEFAULT);
    RemoveProduct(kBetaCode);
}

} // namespace
} // namespace scenario
