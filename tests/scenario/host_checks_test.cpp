// The checks before anything is installed, each with its message, log line and exit code.
#include "setup_support.h"

#include <gtest/gtest.h>

#include <sddl.h>

#include <cstring>

namespace scenario {
namespace {

RunOptions Options(const std::wstring& commandLine, const std::wstring& windowsVersion = L"") {
    RunOptions options;
    options.commandLine = commandLine;
    options.windowsVersion = windowsVersion;
    return options;
}

TEST(HostChecks, MissingIniFileIsReportedAtEveryUILevelWithExitCode2) {
    ScenarioFolder folder(L"ini_missing");
    RunResult result = folder.run(Options(L"/i /quiet"));
    EXPECT_EQ(result.exitCode, 2u);
    ASSERT_EQ(result.boxes.size(), 1u);
    EXPECT_EQ(result.boxes[0].caption, SetupString(135));
    EXPECT_EQ(result.boxes[0].text, FormatSetupString(161, folder.path() + L"\\setup.ini"));
    // The log is named and started before the check.
    ASSERT_EQ(result.logFiles.size(), 1u);
    EXPECT_TRUE(HasLogLine(result, L"UILevel is set to 2"));
}

TEST(HostChecks, IniFileCarriesTheExecutablesBaseName) {
    ScenarioFolder folder(L"ini_base_name");
    folder.writeIni(MainSection({"MsiPath=product.msi"}), L"setup.exe"); // not the one read
    RunOptions options = Options(L"/i /quiet");
    options.exeName = L"install.exe";
    RunResult result = folder.run(options);
    EXPECT_EQ(result.exitCode, 2u);
    ASSERT_EQ(result.boxes.size(), 1u);
    EXPECT_EQ(result.boxes[0].text, FormatSetupString(161, folder.path() + L"\\install.ini"));
}

TEST(HostChecks, UnreadablePackageIsReportedAtEveryUILevelWithoutALog) {
    ScenarioFolder folder(L"package_missing");
    folder.writeIni(MainSection({"MsiPath=missing.msi"}));
    RunResult result = folder.run(Options(L"/i /quiet"));
    EXPECT_EQ(result.exitCode, 3u);
    ASSERT_EQ(result.boxes.size(), 1u);
    EXPECT_EQ(result.boxes[0].caption, SetupString(135)) << "before the title: the default caption";
    EXPECT_EQ(result.boxes[0].text, FormatSetupString(152, folder.path() + L"\\missing.msi"));
    EXPECT_TRUE(result.logFiles.empty());
}

TEST(HostChecks, PackageForA64BitPlatformNeeds64BitWindows) {
    RemoveProduct(kDeltaCode);
    ScenarioFolder folder(L"x64_package");
    folder.copyIn(PackagePath(L"product_x64.msi"), L"delta.msi");
    folder.writeIni(MainSection({"MsiPath=delta.msi"}));
    RunResult result = folder.run(Options(L"/i /quiet"));
    if (Is64BitWindows()) {
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_EQ(ProductState(kDeltaCode), INSTALLSTATE_DEFAULT);
        RemoveProduct(kDeltaCode);
    } else {
        EXPECT_EQ(result.exitCode, 3u);
        ASSERT_EQ(result.boxes.size(), 1u) << "shown even in quiet mode";
        EXPECT_EQ(result.boxes[0].caption, SetupString(135))
            << "before the title: the default caption";
        EXPECT_EQ(result.boxes[0].text, SetupString(153));
        EXPECT_NE(ProductState(kDeltaCode), INSTALLSTATE_DEFAULT);
    }
}

TEST(HostChecks, Os32NeedRefuses64BitWindows) {
    FakeProductFolder product(L"os32need", {"Os32Need=1"});
    FakeEngine& engine = product.engine;
    RunResult result = product.run(L"/i /quiet");
    if (Is64BitWindows()) {
        EXPECT_EQ(result.exitCode, 3u);
        EXPECT_TRUE(result.boxes.empty()) << "a logged message: no box in quiet mode";
        EXPECT_TRUE(HasLogLine(result, SetupString(154)));
        EXPECT_TRUE(engine.calls("MsiInstallProductW").empty());
    } else {
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_EQ(engine.calls("MsiInstallProductW").size(), 1u);
    }
}

// Wine's user is always an administrator; the seam takes the rights away for these runs. Without
// AdminNeed a product run and a patch run both need them; AdminNeed=0 lets either go on.
TEST(HostChecks, AdministratorRightsAreNeededUnlessAdminNeedIsZero) {
    const std::vector<std::string> patch = {"MsiPatch=1", "Name=Editor", "VersionTarget=2.1"};
    std::vector<std::string> patchNoAdmin = patch;
    patchNoAdmin.push_back("AdminNeed=0");
    struct Case {
        const char* name;
        std::vector<std::string> ini;
        const wchar_t* commandLine;
        const char* engineCall;
        bool refused;
        std::wstring caption; // of the refusal's box; "" when none is shown
    };
    const Case cases[] = {
        {"product", {}, L"/i /quiet", "MsiInstallProductW", true, L""},
        {"product at full UI",
         {},
         L"/i",
         "MsiInstallProductW",
         true,
         L"Fake Product (1.0.0) Setup"},
        {"product, AdminNeed=0", {"AdminNeed=0"}, L"/i /quiet", "MsiInstallProductW", false, L""},
        {"patch", patch, L"/i /quiet", "MsiApplyPatchW", true, L""},
        {"patch, AdminNeed=0", patchNoAdmin, L"/i /quiet", "MsiApplyPatchW", false, L""},
    };
    int row = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeProductFolder product(L"not_admin_" + std::to_wstring(row++), c.ini);
        RunOptions options = Options(c.commandLine);
        options.env = {{L"SETUP_TEST_NOT_ADMIN", L"1"}};
        RunResult result = product.run(options);
        if (!c.refused) {
            EXPECT_EQ(result.exitCode, 0u);
            EXPECT_EQ(product.engine.calls(c.engineCall).size(), 1u);
            continue;
        }
        EXPECT_EQ(result.exitCode, 3u);
        EXPECT_TRUE(HasLogLine(result, SetupString(140)));
        EXPECT_TRUE(product.engine.calls(c.engineCall).empty());
        if (c.caption.empty()) {
            EXPECT_TRUE(result.boxes.empty());
        } else {
            ASSERT_EQ(result.boxes.size(), 1u);
            EXPECT_EQ(result.boxes[0].caption, c.caption);
            EXPECT_EQ(result.boxes[0].text, SetupString(140));
        }
    }
}

struct VersionCase {
    const char* name;
    const wchar_t* windows; // Wine's version for the exe
    std::vector<std::string> keys;
    bool met;
    std::wstring shownText; // at full UI, when not met ("" = computed elsewhere)
};

TEST(HostChecks, MinimumWindowsVersion) {
    const std::wstring line2 = L"Please update Windows.\r\nSee the readme.";
    const VersionCase cases[] = {
        {"none", L"win7", {}, true, L""},
        {"xp on 7", L"win7", {"MinWinVersion=5.1"}, true, L""},
        {"7 sp1 on 7", L"win7", {"MinWinVersion=6.1", "MinWinServicePack=1"}, true, L""},
        {"8 on 7", L"win7", {"MinWinVersion=6.2"}, false, FormatSetupString(163, L"'Windows 8'")},
        {"7 sp2 on 7",
         L"win7",
         {"MinWinVersion=6.1", "MinWinServicePack=2"},
         false,
         FormatSetupString(163, L"'Windows 7' (Servi\u0441e Pack 2)")},
        {"6.4 on 7",
         L"win7",
         {"MinWinVersion=6.4"},
         false,
         FormatSetupString(163, L"'Windows 6.4'")},
        {"10 on 10", L"win10", {"MinWinVersion=10.0.19041"}, true, L""},
        {"10 on 8.1",
         L"win81",
         {"MinWinVersion=10.0"},
         false,
         FormatSetupString(163, L"'Windows 10'")},
        {"own message",
         L"win7",
         {"MinWinVersion=10.0", "MinWinMessage=Please update Windows.\\r\\nSee the readme."},
         false,
         line2},
    };
    for (const VersionCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeProductFolder product(L"min_win_version", c.keys);
        FakeEngine& engine = product.engine;
        RunResult result = product.run(Options(L"/i", c.windows));
        if (c.met) {
            EXPECT_EQ(result.exitCode, 0u);
            EXPECT_EQ(engine.calls("MsiInstallProductW").size(), 1u);
            continue;
        }
        EXPECT_EQ(result.exitCode, 3u);
        ASSERT_EQ(result.boxes.size(), 1u);
        EXPECT_EQ(result.boxes[0].caption, SetupString(135));
        EXPECT_EQ(result.boxes[0].text, c.shownText);
        EXPECT_TRUE(engine.calls("MsiInstallProductW").empty());
        EXPECT_TRUE(LacksLogText(result, L"CheckWinVersion")) << "not met is not logged";
    }
}

TEST(HostChecks, InvalidMinimumVersionIsAnAuthoringError) {
    const char* values[] = {"MinWinVersion=6.1a", "MinWinVersion=-6", "MinWinVersion=."};
    for (const char* value : values) {
        SCOPED_TRACE(value);
        FakeProductFolder product(L"min_win_invalid", {value});
        FakeEngine& engine = product.engine;
        RunResult result = product.run(L"/i /quiet");
        EXPECT_EQ(result.exitCode, 3u);
        EXPECT_TRUE(result.boxes.empty());
        std::wstring wideValue(value + 14, value + strlen(value));
        EXPECT_TRUE(HasLogLine(result, L"CheckWinVersion() failed. Invalid version '" + wideValue +
                                           L"' in variable 'MinWinVersion'."));
        EXPECT_TRUE(engine.calls("MsiInstallProductW").empty());
    }
}

TEST(HostChecks, OperationTypeMustBeInstallOrInstallUpgrade) {
    struct Case {
        const char* type;
        bool accepted;
    };
    const Case cases[] = {{"MsiType=installupgrade", true},
                          {"MsiType=INSTALL", true},
                          {"MsiType=Major", false},
                          {"MsiType=Bogus", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        FakeProductFolder product(L"msitype", {c.type});
        FakeEngine& engine = product.engine;
        RunResult result = product.run(L"/i /quiet");
        if (c.accepted) {
            EXPECT_EQ(result.exitCode, 0u);
            continue;
        }
        EXPECT_EQ(result.exitCode, 3u);
        std::wstring type(c.type + 8, c.type + strlen(c.type));
        EXPECT_TRUE(HasLogLine(result, FormatSetupString(141, type)));
        EXPECT_TRUE(engine.calls("MsiInstallProductW").empty());
    }
}

// A deployment tool's quiet run as SYSTEM or in session 0 must end: the boxes that appear at every
// UI level go to the log there instead (SETUP_TEST_NO_INTERACTIVE_USER stands for SYSTEM, which
// Wine cannot run as). At full UI the box still appears.
TEST(HostChecks, NoBoxWaitsInAnUnattendedRunWithoutAnInteractiveUser) {
    for (const wchar_t* commandLine : {L"/i /quiet", L"/i /passive", L"/i"}) {
        SCOPED_TRACE(Utf8(commandLine));
        ScenarioFolder folder(L"ini_missing_no_user");
        RunOptions options = Options(commandLine);
        options.env = {{L"SETUP_TEST_NO_INTERACTIVE_USER", L"1"}};
        RunResult result = folder.run(options);
        EXPECT_EQ(result.exitCode, 2u);
        const std::wstring message = FormatSetupString(161, folder.path() + L"\\setup.ini");
        const bool fullUI = std::wstring(commandLine) == L"/i";
        EXPECT_EQ(result.boxes.size(), fullUI ? 1u : 0u);
        EXPECT_EQ(static_cast<bool>(HasLogLine(result, message)), !fullUI);
    }
}

TEST(HostChecks, PackagePathMustNameOneExistingFile) {
    // A wildcard that matches product.msi, and the setup folder itself, name no package.
    for (const char* msiPath : {"MsiPath=*.msi", "MsiPath=product.ms?", "MsiPath="}) {
        SCOPED_TRACE(msiPath);
        FakeProductFolder product(L"package_path", {msiPath});
        RunResult result = product.run(L"/i /quiet");
        EXPECT_EQ(result.exitCode, 3u);
        std::wstring expected =
            product.folder.path() + L"\\" + std::wstring(msiPath + 8, msiPath + strlen(msiPath));
        EXPECT_TRUE(HasLogLine(result, FormatSetupString(133, expected)));
        EXPECT_TRUE(product.engine.calls("MsiInstallProductW").empty());
    }
}

TEST(HostChecks, SecondSetupForTheSameProductIsTurnedAway) {
    InstallHold hold;
    FakeProductFolder first(L"second_setup_first", {}, FakePackageScript(hold.scriptLines()));
    FakeEngine& engine = first.engine;
    ScenarioFolder second(L"second_setup_second");
    second.writeFile(L"product.msi", "placeholder");
    second.writeIni(MainSection({"MsiPath=product.msi"}));
    RunOptions options = Options(L"/i /quiet");
    engine.selectFor(options);
    ScenarioFolder::Running running = first.folder.start(options);
    ASSERT_TRUE(hold.waitUntilInstalling()) << "the first setup never got going";

    RunResult quiet = second.run(options);
    EXPECT_EQ(quiet.exitCode, 3u);
    EXPECT_TRUE(quiet.boxes.empty());
    EXPECT_TRUE(
        HasLogLine(quiet, L"Installation or deployment of product 'Fake Product' already run."));

    RunOptions fullUI = Options(L"/i");
    engine.selectFor(fullUI);
    RunResult full = second.run(fullUI);
    EXPECT_EQ(full.exitCode, 3u);
    ASSERT_EQ(full.boxes.size(), 1u);
    EXPECT_EQ(full.boxes[0].caption, SetupString(135));
    EXPECT_EQ(full.boxes[0].text, FormatSetupString(209, L"Fake Product"));

    hold.release();
    RunResult firstResult = running.finish();
    EXPECT_EQ(firstResult.exitCode, 0u);
    EXPECT_EQ(engine.calls("MsiInstallProductW").size(), 1u)
        << "the second setup installed nothing";
}

// Another account took the lock's global name first, with a DACL that denies everyone: the run
// still installs (Wine has no private namespaces, so the global name is in use here).
TEST(HostChecks, SquattedLockNameDoesNotStopTheRun) {
    PSECURITY_DESCRIPTOR denyAll = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:", SDDL_REVISION_1,
                                                                     &denyAll, nullptr));
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), denyAll, FALSE};
    HANDLE squat = CreateMutexW(&attributes, FALSE,
                                L"Global\\_QXSETUP_{0F0F0F0F-1111-2222-3333-444455556666}");
    LocalFree(denyAll);
    ASSERT_NE(squat, nullptr);
    FakeProductFolder product(L"squatted_lock");
    RunResult result = product.run(L"/i /quiet");
    CloseHandle(squat);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(LacksLogText(result, L"already run"));
    EXPECT_EQ(product.engine.calls("MsiInstallProductW").size(), 1u);
}

TEST(HostChecks, RussianUserIsToldThat64BitWindowsIsNeeded) {
    if (Is64BitWindows())
        GTEST_SKIP() << "the package is accepted on 64-bit Windows";
    ScenarioFolder folder(L"x64_package_ru");
    folder.copyIn(PackagePath(L"product_x64.msi"), L"delta.msi");
    folder.writeIni(MainSection({"MsiPath=delta.msi"}));
    RunOptions options;
    options.commandLine = L"/i /passive";
    options.env = {{L"LC_ALL", L"ru_RU.UTF-8"}};
    RunResult result = folder.run(options);
    EXPECT_EQ(result.exitCode, 3u);
    ASSERT_EQ(result.boxes.size(), 1u);
    EXPECT_EQ(result.boxes[0].text, SetupString(153, 1049));
    EXPECT_NE(SetupString(153, 1049), SetupString(154, 1049));
}

} // namespace
} // namespace scenario
