// The unattended install loop, postrequisites and the restart that components ask for.
#include "end_session_watcher.h"
#include "prerequisite_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace scenario {
namespace {

const std::string kMissing =
    std::string("RegPath=") + kTestKeyPath + "\\Missing\r\nRegCond=DWORD=1";

// A prerequisite section that detection always lists, run with the given command line.
std::string Listed(int number, const std::string& name, const std::string& instParams,
                   std::vector<std::string> extra = {}) {
    std::vector<std::string> lines = {"Name=" + name, "InstPath=#Root#\\exit_code.exe",
                                      "InstParams=" + instParams, kMissing};
    lines.insert(lines.end(), extra.begin(), extra.end());
    return Section("PreReq" + std::to_string(number), lines);
}

// Only waited for where a restart is expected: the wait ends when Wine asks the session's windows,
// so the limit costs time only in a failing run. Where none is expected the test reads the
// decision in the log instead.
constexpr DWORD kRestartWaitMs = 60000;

std::string ExitWith(int code) {
    return "\"#Root#\\exit_code.exe\" " + std::to_string(code);
}

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

class PrerequisiteInstall : public ::testing::Test {
protected:
    void SetUp() override { ClearTestKey(); }
    void TearDown() override { ClearTestKey(); }
};

TEST_F(PrerequisiteInstall, PassiveLoopRunsEveryRecordAndLogsEachOutcome) {
    const std::string kLibre = "\"#Root#\\exit_code.exe\" 0 #Root#\\libre.ran";
    const std::string sections =
        Listed(0, "Succeeds", ExitWith(0)) + Listed(1, "Fails", ExitWith(1603)) +
        Listed(2, "Restart Started", ExitWith(1641)) +
        Listed(3, "Program Missing", "\"#Root#\\absent.exe\" /quiet") +
        Listed(4, "Unquoted", "#InstPath# /S") + Listed(5, "Bare Msiexec", "msiexec") +
        Listed(6, "Exit Two", ExitWith(2)) +
        Section("PreReq7", {"Name=Download Only", "Url=http://example.invalid/",
                            "InstPath=#Root#\\absent.exe", kMissing}) +
        Listed(8, "Optional Unticked", ExitWith(0), {"Optional=0"}) +
        Listed(9, "Optional Ticked", ExitWith(0), {"Optional=1"}) +
        Listed(10, "Libre Office 7", kLibre, {"NotAssociateWithMSOfficeFiles=1"}) +
        Listed(11, "LibreOffice", kLibre, {"NotAssociateWithMSOfficeFiles=1"}) +
        Listed(12, "LIBRE OFFICE", kLibre, {"NotAssociateWithMSOfficeFiles=1"}) +
        Listed(13, "Run As", ExitWith(0), {"RunAs=1"});
    PrereqFolder folder(L"prereq_loop", sections);
    RunResult result = folder.run(L"/i /passive");
    EXPECT_EQ(result.exitCode, 0u) << "failed prerequisites do not stop a passive run";
    EXPECT_TRUE(result.boxes.empty());

    const std::wstring root = folder.path();
    const std::wstring exitCode = L"\"" + root + L"\\exit_code.exe\" ";
    const std::vector<std::wstring> all = {
        L"Succeeds",          L"Fails",           L"Restart Started", L"Program Missing",
        L"Unquoted",          L"Bare Msiexec",    L"Exit Two",        L"Download Only",
        L"Optional Unticked", L"Optional Ticked", L"Libre Office 7",  L"LibreOffice",
        L"LIBRE OFFICE",      L"Run As"};
    EXPECT_EQ(EntriesAfter(result, L"Installing prerequisites passively:", L"  "), all);
    std::vector<std::wstring> quoted;
    for (const std::wstring& name : all)
        quoted.push_back(name + L"'");
    EXPECT_EQ(EntriesAfter(result, L"Try install prerequisites:", L" '"), quoted);

    // Success, and failures with the launcher's texts as the logged message.
    EXPECT_TRUE(HasLogLine(result, L"Run component 'Succeeds'."));
    EXPECT_TRUE(HasLogLine(result, L"Process '" + exitCode + L"0' completed. Exit code=0."));
    EXPECT_TRUE(HasLogLine(result, L"Process '" + exitCode + L"1603' completed. Exit code=1603."));
    EXPECT_TRUE(HasLogLine(result, FormatSetupString(134, exitCode + L"1603")));
    EXPECT_TRUE(HasLogLine(result, L"Prerequisite 'Restart Started' not installed."))
        << "1641 is a failure here, without a launcher text";
    EXPECT_TRUE(HasLogLine(result, FormatSetupString(133, exitCode + L"2")));
    const std::wstring absent = L"\"" + root + L"\\absent.exe\" /quiet";
    EXPECT_TRUE(HasLogLine(result, L"::CreateProcess('" + absent + L"') failed. Error=2."));
    EXPECT_TRUE(HasLogLine(result, FormatSetupString(133, absent)));
    const std::wstring unquoted = root + L"\\exit_code.exe /S";
    EXPECT_TRUE(
        HasLogLine(result, L"Invalid command line:" + unquoted + L". First double quote missing."));
    EXPECT_TRUE(HasLogLine(result, FormatSetupString(134, unquoted)));
    EXPECT_TRUE(HasLogLine(result, L"Invalid command line:msiexec. Parameter missing."));
    EXPECT_TRUE(HasLogLine(result, FormatSetupString(134, L"msiexec")));
    // A missing installer file with a download page is not run in a passive run.
    EXPECT_TRUE(HasLogLine(result, L"Prerequisite 'Download Only' not installed."));
    EXPECT_TRUE(LacksLogText(result, L"Run component 'Download Only'."));
    // The "Libre Office" rule: a blank between the words, any case.
    const std::wstring noMso = L" REGISTER_NO_MSO_TYPES=1 ";
    EXPECT_EQ(MarkerLines(root, L"exit_code.exe.ran").size(), 7u)
        << "Succeeds, 1603, 1641, Exit Two, two optional, Run As";
    EXPECT_EQ(MarkerLines(root, L"libre.ran").size(), 3u);
    const std::wstring libre = exitCode + L"0 " + root + L"\\libre.ran";
    std::vector<std::wstring> entries = result.logEntries();
    EXPECT_EQ(std::count(entries.begin(), entries.end(),
                         L"Process '" + libre + noMso + L"' completed. Exit code=0."),
              2)
        << "Libre Office 7 and LIBRE OFFICE, not LibreOffice";
    EXPECT_TRUE(HasLogLine(result, L"Process '" + libre + L"' completed. Exit code=0."));
    // "runas" starts the text between the quotes with the rest as its parameters.
    EXPECT_TRUE(HasLogLine(result, L"Process " + root +
                                       L"\\exit_code.exe('0') completed. "
                                       L"Exit code=0."));

    EXPECT_EQ(EntriesAfter(result, L"Installed prerequisites:", L" '"),
              (std::vector<std::wstring>{L"Succeeds'", L"Optional Unticked'", L"Optional Ticked'",
                                         L"Libre Office 7'", L"LibreOffice'", L"LIBRE OFFICE'",
                                         L"Run As'"}));
    EXPECT_TRUE(HasLogLine(result, L"Setup completed."));
}

TEST_F(PrerequisiteInstall, InstallerCommandLineFromTheRegistry) {
    const std::string values = std::string(kTestKeyPath) + "\\";
    PrereqFolder folder(
        L"prereq_inst_reg_path",
        Section("PreReq0", {"Name=From Registry", "InstRegPath=" + values + "Uninstall",
                            "InstParams=/quiet", "IsUninstall=1"}) +
            Section("PreReq1",
                    {"Name=Unreadable", "InstRegPath=" + values + "Absent", "IsUninstall=1"}) +
            Section("PreReq2",
                    {"Name=No Blank", "InstRegPath=" + values + "NoBlank", "IsUninstall=1"}) +
            Section("PreReq3", {"Name=Neither", "IsUninstall=1"}) +
            Section("PreReq4", {"Name=Quoted Program", "InstRegPath=" + values + "Quoted",
                                "InstParams=\"#InstPath#.ran\" /quiet", "IsUninstall=1"}));
    const std::wstring program = L"\"" + folder.path() + L"\\exit_code.exe\"";
    SetTestString(L"Uninstall", program + L" 0");
    // An UninstallString as vendors write it: a quoted program in a folder with a blank.
    const std::wstring unins = folder.path() + L"\\Un Install\\unins.exe";
    folder.product.folder.copyIn(BuildPath(L"tests\\tools\\exit_code.exe"),
                                 L"Un Install\\unins.exe");
    SetTestString(L"Quoted", L"\"" + unins + L"\" /S");
    SetTestString(L"NoBlank", folder.path() + L"\\exit_code.exe");
    RunResult result = folder.run(L"/i /passive");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(EntriesAfter(result, L"Installing prerequisites passively:", L"  "),
              (std::vector<std::wstring>{L"From Registry", L"Quoted Program"}));
    // The whole stored line, one blank and InstParams.
    EXPECT_TRUE(HasLogLine(result, L"Process '" + program + L" 0 /quiet' completed. Exit code=0."));
    // The quoted program is the installer, whole and unquoted: #InstPath# names it, and the
    // program's second argument is the file it writes its command line to.
    const std::wstring quotedLine = L"\"" + unins + L"\" /S \"" + unins + L".ran\" /quiet";
    EXPECT_TRUE(HasLogLine(result, L"Process '" + quotedLine + L"' completed. Exit code=0."));
    EXPECT_EQ(MarkerLines(folder.path(), L"Un Install\\unins.exe.ran"),
              std::vector<std::string>{Utf8(quotedLine)});
    EXPECT_TRUE(HasLogEntryStartingWith(result, L"Can't read registry value from path '" +
                                                    Wide(values) + L"Absent'. Error(2) "));
    EXPECT_TRUE(
        HasLogEntryStartingWith(result, L"Can't read registry value from path ''. Error(3) "));
    EXPECT_TRUE(LacksLogText(result, L"NoBlank'"));
}

// A command line longer than a log line: the line is cut inside, and keeps its exit code and end.
TEST_F(PrerequisiteInstall, CommandLineLongerThanALogLineKeepsTheExitCode) {
    const std::string tail(5000, 'x');
    PrereqFolder folder(
        L"prereq_long_line",
        Listed(0, "Long Line", "\"#Root#\\exit_code.exe\" 0 #Root#\\long.ran " + tail));
    RunResult result = folder.run(L"/i /passive");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(MarkerLines(folder.path(), L"long.ran").size(), 1u) << "the whole line ran";

    const std::wstring start = L"Process '\"" + folder.path() + L"\\exit_code.exe\" 0 ";
    const std::wstring end = L"xxx' completed. Exit code=0.";
    std::vector<std::wstring> entries = result.logEntries();
    auto line = std::find_if(entries.begin(), entries.end(), [&](const std::wstring& e) {
        return e.compare(0, start.size(), start) == 0;
    });
    ASSERT_NE(line, entries.end()) << "no process line";
    EXPECT_EQ(line->size(), 4093u) << "4095 units with the line end";
    ASSERT_GE(line->size(), end.size());
    EXPECT_EQ(line->substr(line->size() - end.size()), end);
    EXPECT_NE(line->find(L"x...x"), std::wstring::npos);
    ASSERT_NE(line + 1, entries.end());
    EXPECT_EQ(*(line + 1), L"Installed prerequisites:") << "the next line starts on its own";
}

TEST_F(PrerequisiteInstall, PostrequisitesRunAfterTheProductUpToTheFirstGap) {
    PrereqFolder folder(L"postreq_gap",
                        Section("PostReq0", {"Name=Post Zero", "InstPath=#Root#\\exit_code.exe",
                                             "InstParams=\"#InstPath#\" 0 #Root#\\post.ran"}) +
                            Section("PostReq2", {"Name=Post Two", "InstPath=#Root#\\exit_code.exe",
                                                 "InstParams=\"#InstPath#\" 0 #Root#\\post.ran"}));
    RunResult result = folder.run(L"/i /quiet");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(MarkerLines(folder.path(), L"post.ran").size(), 1u);
    std::vector<std::wstring> entries = result.logEntries();
    auto installed = std::find_if(entries.begin(), entries.end(), [](const std::wstring& e) {
        return e.find(L"completed successfully.") != std::wstring::npos;
    });
    auto post = std::find(entries.begin(), entries.end(), L"Try run postrequisites:");
    auto run = std::find(entries.begin(), entries.end(), L"Run component 'Post Zero'.");
    ASSERT_NE(post, entries.end());
    EXPECT_LT(installed, post) << "postrequisites follow the product";
    EXPECT_LT(post, run);
    EXPECT_TRUE(LacksLogText(result, L"Post Two"));
}

TEST_F(PrerequisiteInstall, RestartAskedForByAPrerequisiteHappensAtOnceInPassiveMode) {
    PrereqFolder folder(L"prereq_restart_passive", Listed(0, "Needs Restart", ExitWith(3010)));
    EndSessionWatcher watcher;
    RunResult result = folder.run(L"/i /passive");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(result.boxes.empty());
    EXPECT_EQ(EntriesAfter(result, L"Installed prerequisites:", L" '"),
              std::vector<std::wstring>{L"Needs Restart'"});
    EXPECT_TRUE(HasLogLine(result, SetupString(145)));
    EXPECT_TRUE(HasLogLine(result, L"Auto-reboot in passive mode"));
    EXPECT_TRUE(watcher.waitForRequest(kRestartWaitMs)) << "Windows was not asked to restart";
}

// Windows refuses the restart when the account lacks the shutdown privilege: nothing restarts, so
// the run says the restart is still needed, with the reason in the log.
TEST_F(PrerequisiteInstall, RestartThatWindowsRefusesEndsWith3010AndItsReason) {
    PrereqFolder folder(L"prereq_restart_refused", Listed(0, "Needs Restart", ExitWith(3010)));
    folder.product.folder.copyIn(SetupExePath(), L"setup.exe");
    folder.product.folder.copyIn(BuildPath(L"tests\\scenario\\no_shutdown_privilege.exe"),
                                 L"no_shutdown_privilege.exe");
    EndSessionWatcher watcher;
    RunOptions options;
    options.exeName = L"no_shutdown_privilege.exe";
    options.commandLine = L"/i /passive";
    RunResult result = folder.run(options);
    EXPECT_EQ(result.exitCode, 3010u);
    EXPECT_TRUE(HasLogLine(result, L"Auto-reboot in passive mode"));
    // ERROR_NOT_ALL_ASSIGNED, with the system's text for it (Wine's differs from Windows').
    EXPECT_TRUE(HasLogEntryStartingWith(result, L"Windows could not be restarted. Error(1300) '"));
    EXPECT_FALSE(watcher.waitForRequest(0)) << "Windows was asked to restart";
}

TEST_F(PrerequisiteInstall, PostrequisiteRestartDeclinedAtFullUIGivesExitCode3010) {
    const std::string post =
        Section("PostReq0", {"Name=Post Restart", "InstPath=#Root#\\exit_code.exe",
                             "InstParams=\"#InstPath#\" 3010"});
    PrereqFolder folder(L"postreq_restart_full_ui", post);
    EndSessionWatcher watcher;
    RunResult result = folder.run(L"/i", {IDNO});
    EXPECT_EQ(result.exitCode, 3010u) << "the engine itself returned 0";
    ASSERT_EQ(result.boxes.size(), 1u);
    EXPECT_EQ(result.boxes[0].text, SetupString(145));
    EXPECT_EQ(result.boxes[0].caption, L"Fake Product (1.0.0) Setup");
    // Declined: no restart was tried (a failed one ends with 3010 too, and says why).
    EXPECT_TRUE(LacksLogText(result, L"Windows could not be restarted"));
    EXPECT_TRUE(LacksLogText(result, L"Auto-reboot"));
    EXPECT_FALSE(watcher.waitForRequest(0));
}

TEST_F(PrerequisiteInstall, PostrequisiteRestartAcceptedAtFullUIRestartsWindows) {
    const std::string post =
        Section("PostReq0", {"Name=Post Restart", "InstPath=#Root#\\exit_code.exe",
                             "InstParams=\"#InstPath#\" 3010"});
    PrereqFolder folder(L"postreq_restart_yes", post);
    EndSessionWatcher watcher;
    RunResult result = folder.run(L"/i", {IDYES});
    EXPECT_EQ(result.exitCode, 0u);
    ASSERT_EQ(result.boxes.size(), 1u);
    EXPECT_EQ(result.boxes[0].text, SetupString(145));
    EXPECT_TRUE(watcher.waitForRequest(kRestartWaitMs)) << "Windows was not asked to restart";
    EXPECT_TRUE(LacksLogText(result, L"Auto-reboot")) << "the user answered";
}

// Wine's user is always an administrator; the seam takes the rights away for this run. Without a
// dialog the loop ends at the first record that needs them, and the product is installed all the
// same.
TEST_F(PrerequisiteInstall, PassiveLoopStopsAtTheFirstRecordNeedingRights) {
    const std::string ran = "\"#InstPath#\" 0 #Root#\\component.ran";
    const std::string sections = Listed(0, "First", ran, {"AdminNeed=0"}) +
                                 Listed(1, "Second", ran) +
                                 Listed(2, "Third", ran, {"AdminNeed=0"});
    PrereqFolder folder(L"prereq_passive_not_admin");
    folder.product.folder.writeIni(MainSection({"MsiPath=product.msi", "AdminNeed=0"}) + sections);
    RunOptions options;
    options.commandLine = L"/i /passive";
    options.env = {{L"SETUP_TEST_NOT_ADMIN", L"1"}};
    RunResult result = folder.run(options);
    EXPECT_EQ(MarkerLines(folder.path(), L"component.ran").size(), 1u) << "First only";
    EXPECT_NE(result.log.find(L"Prerequisite 'Second' not installed.\r\nNeed admistrative "
                              L"privilege\r\n"),
              std::wstring::npos)
        << Utf8(result.log);
    EXPECT_TRUE(LacksLogText(result, L"Run component 'Third'"));
    EXPECT_TRUE(LacksLogText(result, L"Installed prerequisites:"));
    EXPECT_TRUE(result.boxes.empty());
    EXPECT_EQ(folder.product.engine.calls("MsiInstallProductW").size(), 1u);
    EXPECT_EQ(result.exitCode, 0u);
}

TEST_F(PrerequisiteInstall, PostrequisiteRestartInQuietModeHappensWithoutAsking) {
    const std::string post =
        Section("PostReq0", {"Name=Post Restart", "InstPath=#Root#\\exit_code.exe",
                             "InstParams=\"#InstPath#\" 3010"});
    PrereqFolder folder(L"postreq_restart_quiet", post);
    EndSessionWatcher watcher;
    RunResult result = folder.run(L"/i /quiet");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(result.boxes.empty());
    EXPECT_TRUE(HasLogLine(result, L"Auto-reboot in passive mode"));
    EXPECT_TRUE(watcher.waitForRequest(kRestartWaitMs));
}

// Components belong to a first installation: an upgrade runs the prerequisites (after its
// question) but no postrequisites, a maintenance or advertised run neither, and a refused
// downgrade nothing. The fake engine says what is installed.
TEST_F(PrerequisiteInstall, ComponentsRunByWhatIsInstalled) {
    struct Case {
        const char* name;
        std::string installed; // fake engine lines
        bool prerequisites, postrequisites;
        DWORD exitCode;
        std::string engineCommandLine; // "" when the engine installs nothing
    };
    const Case cases[] = {
        {"not installed", "", true, true, 0, "A=1"},
        {"older: upgrade", "ProductState=5\r\nInstalledVersion=0.9.0\r\n", true, false, 0,
         "REINSTALL=ALL REINSTALLMODE=vomus"},
        {"same: maintenance", "ProductState=5\r\nInstalledVersion=1.0.0\r\n", false, false, 0,
         "A=1"},
        {"advertised", "ProductState=1\r\n", false, false, 0, "A=1"},
        {"newer: refused", "ProductState=5\r\nInstalledVersion=2.0.0\r\n", false, false, 3, ""},
    };
    const std::string components =
        Listed(0, "Pre", "\"#InstPath#\" 0 #Root#\\pre.ran") +
        Section("PostReq0", {"Name=Post", "InstPath=#Root#\\exit_code.exe",
                             "InstParams=\"#InstPath#\" 0 #Root#\\post.ran"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PrereqFolder folder(L"by_state_" + std::to_wstring(&c - cases), components);
        // The fake engine reads its script at every call.
        folder.product.folder.writeFile(L"fake_msi_script.txt", FakePackageScript(c.installed));
        RunResult result = folder.run(L"/i /quiet A=1");

        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(MarkerLines(folder.path(), L"pre.ran").size(), c.prerequisites ? 1u : 0u);
        EXPECT_EQ(MarkerLines(folder.path(), L"post.ran").size(), c.postrequisites ? 1u : 0u);
        const std::vector<std::string> installs = folder.product.engine.calls("MsiInstallProductW");
        if (c.engineCommandLine.empty()) {
            EXPECT_TRUE(installs.empty());
        } else {
            EXPECT_EQ(installs, std::vector<std::string>{"MsiInstallProductW|" +
                                                         Utf8(folder.product.package()) + "|" +
                                                         c.engineCommandLine});
        }
    }
}

} // namespace
} // namespace scenario
