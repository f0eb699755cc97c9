// Patch runs ([Main] MsiPatch=1): the product is named by the setup ini file, the fake engine
// answers MsiApplyPatchW.
#include "setup_support.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

const wchar_t kNoAddress[] = L"Can't read email address from ini file.";
const wchar_t kQuestion[] = L"Do you want to apply patch '2.1' to 'Editor'?";

struct PatchFolder : FakeProductFolder {
    explicit PatchFolder(const std::wstring& name, std::vector<std::string> ini = {},
                         const std::string& script = "")
        : FakeProductFolder(name, WithPatchKeys(ini), FakePackageScript(script)) {}
    static std::vector<std::string> WithPatchKeys(std::vector<std::string> ini) {
        ini.insert(ini.begin(), {"MsiPatch=1", "Name=Editor", "VersionTarget=2.1"});
        return ini;
    }
    std::vector<std::string> engineCalls() const {
        std::vector<std::string> calls;
        for (const std::string& call : engine.calls())
            if (call.rfind("MsiSetInternalUI|", 0) == 0 || call.rfind("MsiEnableLogW|", 0) == 0 ||
                call.rfind("MsiApplyPatchW|", 0) == 0)
                calls.push_back(call);
        return calls;
    }
};

TEST(PatchRun, QuietRunAppliesThePatchWithTheEnginesBasicUI) {
    PatchFolder run(L"patch_quiet");
    RunResult result = run.run(L"/i /quiet A=1");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(result.boxes.empty());
    ASSERT_EQ(result.logFiles.size(), 1u);
    EXPECT_EQ(result.logFiles[0].rfind(L"Editor Setup (", 0), 0u);
    std::wstring logPath = run.folder.tempPath() + L"\\" + result.logFiles[0];
    const std::vector<std::string> expected = {
        "MsiSetInternalUI|2", "MsiEnableLogW|8159|" + Utf8(logPath) + ".engine|1",
        "MsiSetInternalUI|3", "MsiApplyPatchW|" + Utf8(run.package()) + "|<null>|0|A=1"};
    EXPECT_EQ(run.engineCalls(), expected);
    const std::wstring lines[] = {kQuestion, L"Auto-upgrading in passive mode",
                                  L"Calling MsiApplyPatch with command line: 'A=**********'",
                                  L"Setup completed"};
    for (const std::wstring& line : lines)
        EXPECT_TRUE(HasLogLine(result, line));
    EXPECT_TRUE(run.engine.calls("MsiInstallProductW").empty());
}

// A patch run reads no package to learn which properties are secret: no value given on the
// command line reaches the log, neither in setup.exe's line nor in the engine's (its property
// list, and Windows' verbose lines of what it was given and what it set), yet the engine gets
// them all. A property quoted whole counts like any other.
TEST(PatchRun, NoPropertyValueReachesTheLog) {
    const struct {
        const wchar_t* properties;
        const wchar_t* masked;
    } cases[] = {
        {L"DBPASSWORD=s3cret USER=bob", L"DBPASSWORD=********** USER=**********"},
        {L"\"DBPASSWORD=s3cret and more\" USER=bob", L"\"DBPASSWORD=**********\" USER=**********"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.properties));
        PatchFolder run(L"patch_secret");
        RunResult result = run.run(L"/i /quiet " + std::wstring(c.properties));
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_TRUE(HasLogLine(result, L"Calling MsiApplyPatch with command line: '" +
                                           std::wstring(c.masked) + L"'"));
        for (const wchar_t* name : {L"DBPASSWORD", L"USER"}) {
            const std::wstring property(name);
            EXPECT_NE(result.log.find(L"Property(S): " + property + L" = **********\r\n"),
                      std::wstring::npos);
            EXPECT_NE(result.log.find(L"PROPERTY CHANGE: Adding " + property +
                                      L" property. Its value is '**********'.\r\n"),
                      std::wstring::npos);
        }
        EXPECT_NE(result.log.find(L"Command Line: " + std::wstring(c.masked) + L"\r\n"),
                  std::wstring::npos);
        EXPECT_TRUE(LacksLogText(result, L"s3cret"));
        EXPECT_TRUE(LacksLogText(result, L"bob"));
        EXPECT_EQ(run.engine.calls("MsiApplyPatchW"),
                  std::vector<std::string>{"MsiApplyPatchW|" + Utf8(run.package()) + "|<null>|0|" +
                                           Utf8(c.properties)});
    }
}

TEST(PatchRun, FullUIAsksFirstAndDecliningAppliesNothing) {
    PatchFolder run(L"patch_full_ui");
    RunResult declined = run.run(L"/i", {IDNO});
    EXPECT_EQ(declined.exitCode, 0u);
    ASSERT_EQ(declined.boxes.size(), 1u);
    EXPECT_EQ(declined.boxes[0].caption, L"Editor Update");
    EXPECT_EQ(declined.boxes[0].text, kQuestion);
    EXPECT_TRUE(run.engine.calls("MsiApplyPatchW").empty());

    RunResult accepted = run.run(L"/i", {IDYES});
    EXPECT_EQ(accepted.exitCode, 0u);
    ASSERT_EQ(run.engine.calls("MsiApplyPatchW").size(), 1u);
    const std::vector<std::string> uiLevels = {"MsiSetInternalUI|5", "MsiSetInternalUI|5",
                                               "MsiSetInternalUI|3"};
    EXPECT_EQ(run.engine.calls("MsiSetInternalUI"), uiLevels) << "declined, then accepted";
}

TEST(PatchRun, EachEngineAnswerEndsTheRunAsDocumented) {
    struct Case {
        const char* script;
        DWORD exitCode;
        std::vector<std::wstring> lines, absent;
    };
    const Case cases[] = {
        {"PatchResult=3010",
         3010,
         {L"The installation needs a restart of Windows to complete. Setup does not restart "
          L"Windows itself; exit code 3010."},
         {L"Install() failed", L"Auto-reboot", L"Setup completed"}},
        {"PatchResult=1602", 3, {L"Installation canceled"}, {L"Install() failed", kNoAddress}},
        {"PatchResult=1642", 3, {SetupString(147), kNoAddress}, {L"Setup completed"}},
        {"PatchResult=1603", 3, {SetupString(142), kNoAddress}, {L"Setup completed"}},
        {"PatchCrash=1",
         3,
         {L"Hardware exception occur. Exception code 0xC0000005.", SetupString(142), kNoAddress},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        PatchFolder run(L"patch_result", {}, std::string(c.script) + "\r\n");
        RunResult result = run.run(L"/i /quiet");
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_TRUE(result.boxes.empty());
        for (const std::wstring& line : c.lines)
            EXPECT_TRUE(HasLogLine(result, line));
        for (const std::wstring& text : c.absent)
            EXPECT_TRUE(LacksLogText(result, text));
    }
}

TEST(PatchRun, OperationTypeDefaultsToMajorAndInstallIsRefused) {
    const std::pair<const char*, DWORD> cases[] = {
        {"Name=Editor", 0}, {"MsiType=minor", 0}, {"MsiType=MAJOR", 0}, {"MsiType=Install", 3}};
    for (const auto& [line, exitCode] : cases) {
        SCOPED_TRACE(line);
        PatchFolder run(L"patch_type", {line});
        RunResult result = run.run(L"/i /quiet");
        EXPECT_EQ(result.exitCode, exitCode);
        EXPECT_EQ(run.engine.calls("MsiApplyPatchW").size(), exitCode == 0 ? 1u : 0u);
        if (exitCode == 3) {
            EXPECT_TRUE(HasLogLine(result, FormatSetupString(141, L"Install")));
        }
    }
}

TEST(PatchRun, AdministrativeRunPatchesTheImagesPackage) {
    PatchFolder run(L"patch_admin");
    RunResult result = run.run(L"/a C:\\image\\editor.msi");
    EXPECT_EQ(result.exitCode, 0u);
    const std::vector<std::string> expected = {"MsiApplyPatchW|" + Utf8(run.package()) +
                                               "|C:\\image\\editor.msi|1|"};
    EXPECT_EQ(run.engine.calls("MsiApplyPatchW"), expected);
    EXPECT_EQ(run.engine.calls("MsiSetInternalUI").front(), "MsiSetInternalUI|67");
}

TEST(PatchRun, RealEngineRefusesAFileThatIsNoPatch) {
    ScenarioFolder folder(L"patch_real_engine");
    folder.writeFile(L"fix.msp", "this is not a patch package");
    folder.writeIni(MainSection({"MsiPatch=1", "MsiPath=fix.msp", "Name=Editor",
                                 "VersionTarget=2.1", "SendErrorLogTo=support@example.com"}));
    RunOptions options;
    options.commandLine = L"/i /quiet";
    options.answers = {IDNO};
    RunResult result = folder.run(options);
    EXPECT_EQ(result.exitCode, 3u);
    EXPECT_TRUE(HasLogLine(result, SetupString(142)));
    // Wine's engine answers 1627 (function failed) for a file that is no patch package.
    EXPECT_NE(result.log.find(L"Install() failed. Error(1627) "), std::wstring::npos);
    ASSERT_EQ(result.boxes.size(), 1u) << "the mailing offer, shown in /quiet too";
    EXPECT_EQ(result.boxes[0].caption, L"Editor (2.1)");
}

} // namespace
} // namespace scenario
