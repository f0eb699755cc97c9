// What setup.exe makes of each answer of the installer engine, played by the fake engine.
#include "setup_support.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

std::wstring SystemText(unsigned code) {
    wchar_t* buffer = nullptr;
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                       FORMAT_MESSAGE_ALLOCATE_BUFFER,
                   nullptr, code, 0x400, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = buffer ? buffer : L"";
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r'))
        text.pop_back();
    return text;
}

std::wstring InstallFailedLine(unsigned code) {
    return L"Install() failed. Error(" + std::to_wstring(code) + L") '" + SystemText(code) + L"'";
}

const wchar_t kRestartPendingLine[] = L"The installation needs a restart of Windows to complete. "
                                      L"Setup does not restart Windows itself; exit code 3010.";

struct ResultCase {
    const char* script;
    DWORD exitCode;
    std::vector<std::wstring> lines; // "%p" stands for the package path
    std::vector<std::wstring> absent;
};

std::wstring WithPackage(std::wstring text, const std::wstring& package) {
    std::size_t at = text.find(L"%p");
    if (at != std::wstring::npos)
        text.replace(at, 2, package);
    return text;
}

TEST(EngineResults, EachAnswerEndsTheRunAsDocumented) {
    const ResultCase cases[] = {
        {"InstallResult=0",
         0,
         {L"Installation '%p' completed successfully.", L"Setup completed."},
         {L"Install() failed"}},
        {"InstallResult=1641",
         0,
         {L"MsiInstallProduct('%p') returned 1641", L"Setup completed."},
         {L"Install() failed", L"Auto-reboot", kRestartPendingLine}},
        // A restart the engine left pending is passed on, not acted upon.
        {"InstallResult=3010",
         3010,
         {L"MsiInstallProduct('%p') returned 3010", L"Setup completed.", kRestartPendingLine},
         {L"Install() failed", L"Auto-reboot"}},
        {"InstallResult=1602",
         3,
         {L"Installation '%p' canceled."},
         {L"Install() failed", L"Setup completed."}},
        {"InstallResult=1603",
         3,
         {L"MsiInstallProduct('%p') returned 1603", SetupString(142), InstallFailedLine(1603)},
         {L"Setup completed."}},
        {"InstallResult=1638", 3, {SetupString(143), InstallFailedLine(1638)}, {}},
        // The engine could not find the package: reported, and not taken for a success.
        {"InstallResult=2",
         3,
         {FormatSetupString(133, L"%p"), SetupString(142), InstallFailedLine(2)},
         {L"Setup completed."}},
        {"InstallCrash=1",
         3,
         {L"Hardware exception occur. Exception code 0xC0000005.", SetupString(142),
          InstallFailedLine(1603)},
         {L"Setup completed."}},
    };
    for (const ResultCase& c : cases) {
        SCOPED_TRACE(c.script);
        FakeProductFolder run(L"engine_result", {},
                              FakePackageScript(std::string(c.script) + "\r\n"));
        RunResult result = run.run(L"/i /quiet");
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_TRUE(result.boxes.empty()) << "quiet mode shows nothing";
        for (const std::wstring& line : c.lines)
            EXPECT_TRUE(HasLogLine(result, WithPackage(line, run.package())));
        for (const std::wstring& text : c.absent)
            EXPECT_TRUE(LacksLogText(result, text));
    }
}

// At every UI level: the exit code tells deployment tools; no question, no restart.
TEST(EngineResults, RestartLeftPendingByTheEngineIsPassedOnNotStarted) {
    for (const wchar_t* ui : {L"/i", L"/i /passive", L"/i /quiet"}) {
        SCOPED_TRACE(Utf8(ui));
        FakeProductFolder run(L"engine_3010", {}, FakePackageScript("InstallResult=3010\r\n"));
        RunResult result = run.run(ui);
        EXPECT_EQ(result.exitCode, 3010u);
        EXPECT_TRUE(result.boxes.empty());
        EXPECT_TRUE(HasLogLine(result, kRestartPendingLine));
        EXPECT_TRUE(LacksLogText(result, L"Auto-reboot"));
    }
}

TEST(EngineResults, EngineIsCalledWithTheRunsSettings) {
    FakeProductFolder run(L"engine_calls");
    RunResult result = run.run(L"/i /passive A=1");
    EXPECT_EQ(result.exitCode, 0u);
    ASSERT_EQ(result.logFiles.size(), 1u);
    std::wstring logPath = run.folder.tempPath() + L"\\" + result.logFiles[0];
    EXPECT_EQ(result.logFiles[0].rfind(L"Fake Product Setup (", 0), 0u);

    // The UI level first, then the engine's own log, then the installation.
    std::vector<std::string> installCalls;
    for (const std::string& call : run.engine.calls())
        if (call.rfind("MsiSetInternalUI|", 0) == 0 || call.rfind("MsiEnableLogW|", 0) == 0 ||
            call.rfind("MsiInstallProductW|", 0) == 0)
            installCalls.push_back(call);
    const std::vector<std::string> expected = {
        "MsiSetInternalUI|67", "MsiEnableLogW|8159|" + Utf8(logPath) + ".engine|1",
        "MsiInstallProductW|" + Utf8(run.package()) + "|A=1"};
    EXPECT_EQ(installCalls, expected);
    EXPECT_TRUE(HasLogLine(result, L"Calling MsiInstallProduct('" + run.package() +
                                       L"') with command line: 'A=1'"));
    // The engine's own log follows two blank lines without a time stamp.
    EXPECT_NE(result.log.find(L"with command line: 'A=1'\r\n\r\n\r\n"), std::wstring::npos);
}

TEST(EngineResults, FailureAtFullUIShowsTheTextAndTheLogFile) {
    FakeProductFolder run(L"engine_failure_full_ui", {},
                          FakePackageScript("InstallResult=1603\r\n"));
    RunResult result = run.run(L"/i");
    EXPECT_EQ(result.exitCode, 3u);
    ASSERT_EQ(result.boxes.size(), 1u);
    EXPECT_EQ(result.boxes[0].caption, L"Fake Product (1.0.0) Setup");
    ASSERT_EQ(result.logFiles.size(), 1u);
    std::wstring logPath = run.folder.tempPath() + L"\\" + result.logFiles[0];
    wchar_t longPath[MAX_PATH] = {};
    GetLongPathNameW(logPath.c_str(), longPath, MAX_PATH);
    EXPECT_EQ(result.boxes[0].text, SetupString(142) + FormatSetupString(162, longPath));
}

TEST(EngineResults, IncompleteEngineFailsWithoutInstalling) {
    FakeProductFolder run(L"engine_incomplete", {}, FakePackageScript(),
                          FakeEngine::WithoutAnEntryPoint);
    RunResult result = run.run(L"/i /quiet");
    EXPECT_EQ(result.exitCode, 3u);
    // The package cannot even be read without the whole engine: reported at every UI level,
    // before the setup log is named.
    ASSERT_EQ(result.boxes.size(), 1u);
    EXPECT_EQ(result.boxes[0].text, FormatSetupString(152, run.package()));
    EXPECT_TRUE(result.logFiles.empty());
    EXPECT_TRUE(run.engine.calls("MsiInstallProductW").empty());
}

TEST(EngineResults, EngineIsBoundOnceForTheWholeRun) {
    // Any later load of the fake lacks an entry point: a run that bound the engine again for the
    // installed-state query or the installation would fail there.
    FakeProductFolder run(L"engine_bound_once", {},
                          FakePackageScript("EntryPointGoneAfterLoads=1\r\n"));
    RunResult result = run.run(L"/i /quiet");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(run.engine.loads(), 1u);
    EXPECT_EQ(run.engine.calls("MsiQueryProductStateW").size(), 2u)
        << "a first install asks before and after the prerequisites";
    EXPECT_EQ(run.engine.calls("MsiInstallProductW").size(), 1u);
    EXPECT_TRUE(HasLogLine(result, L"Setup completed."));
}

TEST(EngineResults, AdministrativeInstallHandsTheEngineOnlyTheTarget) {
    FakeProductFolder run(L"admin_install");
    run.folder.writeIni(MainSection({"MsiPath=product.msi", "MsiProp=FROM_INI=1", "LangId=1049"}));
    run.folder.writeFile(L"1049.mst", "placeholder");
    RunResult result = run.run(L"/a \"C:\\Admin Image\"");
    EXPECT_EQ(result.exitCode, 0u);
    std::vector<std::string> expected = {"MsiInstallProductW|" + Utf8(run.package()) +
                                         "| TARGETDIR=\"C:\\Admin Image\" ACTION=ADMIN"};
    EXPECT_EQ(run.engine.calls("MsiInstallProductW"), expected);
    EXPECT_EQ(run.engine.calls("MsiSetInternalUI"),
              std::vector<std::string>{"MsiSetInternalUI|67"});
    EXPECT_TRUE(LacksLogText(result, L"LangId"));
}

// A switch that needs a value and lacks it: /a without a single target, /log without a file (a
// switch after it, written with / or -, is none).
TEST(EngineResults, SwitchWithoutItsValueShowsUsage) {
    const wchar_t* commandLines[] = {L"/a",
                                     L"/a C:\\Image /quiet",
                                     L"-A C:\\Image X=1",
                                     L"/i /quiet /log",
                                     L"/i /log /quiet",
                                     L"/i /quiet /log -norestart"};
    for (const wchar_t* commandLine : commandLines) {
        SCOPED_TRACE(testing::Message() << "command line: " << commandLine);
        FakeProductFolder run(L"admin_usage");
        RunResult result = run.run(commandLine);
        EXPECT_EQ(result.exitCode, 3u);
        ASSERT_EQ(result.boxes.size(), 1u);
        EXPECT_EQ(result.boxes[0].text, SetupString(137));
        EXPECT_TRUE(run.engine.calls("MsiInstallProductW").empty());
        EXPECT_EQ(GetFileAttributesW((run.folder.path() + L"\\-norestart").c_str()),
                  INVALID_FILE_ATTRIBUTES);
    }
}

TEST(EngineResults, EngineBesideSetupIsNeverLoaded) {
    RemoveProduct(kAlphaCode);
    ScenarioFolder folder(L"planted_engine");
    folder.copyIn(PackagePath(L"product_v1.msi"), L"alpha.msi");
    folder.writeIni(MainSection({"MsiPath=alpha.msi"}));
    wchar_t fake[MAX_PATH] = {};
    GetEnvironmentVariableW(L"FAKE_MSI_DLL", fake, MAX_PATH);
    folder.copyIn(WindowsPathFromUnix(fake), L"msi.dll");
    std::wstring record = folder.path() + L"\\planted_calls.txt";
    RunOptions options;
    options.commandLine = L"/i /quiet";
    // Native first: a DLL search that included setup's own folder would find the planted copy.
    options.env = {{L"WINEDLLOVERRIDES", L"msi=n,b"}, {L"FAKE_MSI_RECORD", record}};
    RunResult result = folder.run(options);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(GetFileAttributesW(record.c_str()), INVALID_FILE_ATTRIBUTES)
        << "the planted msi.dll was called";
    EXPECT_EQ(ProductState(kAlphaCode), INSTALLSTATE_DEFAULT) << "the system's engine installed it";
    RemoveProduct(kAlphaCode);
}

} // namespace
} // namespace scenario
