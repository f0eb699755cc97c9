#include "run/installer.h"

#include "settings/command_line.h"
#include "settings/setup_settings.h"
#include "foundation/chosen_log.h"
#include "foundation/error_text.h"
#include "foundation/file_system.h"
#include "foundation/handles.h"
#include "foundation/host_facts.h"
#include "foundation/ini_file.h"
#include "foundation/lang_strings.h"
#include "foundation/message_box.h"
#include "foundation/setup_lock.h"
#include "foundation/setup_log.h"
#include "foundation/temp_log_path.h"
#include "foundation/win_version.h"
#include "foundation/windows_restart.h"
#include "msi/language_transform.h"
#include "msi/package_info.h"
#include "prereq/install_loop.h"
#include "prereq/needed_prerequisites.h"
#include "run/run_package.h"
#include "resources/resource_ids.h"
#include "ui/main_dlg.h"
#include "ui/passive_observer.h"

#include <windows.h>

namespace {
bool EndsWith64(const std::wstring& text) {
    return text.size() >= 2 && text.compare(text.size() - 2, 2, L"64") == 0;
}

const wchar_t* SquatText(LockSquat squat) {
    switch (squat) {
    case LockSquat::ForeignOwner:
        return L"held by another account";
    case LockSquat::NoAccess:
        return L"closed to this account";
    default:
        return L"not a mutex";
    }
}

// The global name is not another setup's: the run goes on, under its private lock where it has
// one.
void LogSquattedLock(const SetupLock& lock, const std::wstring& key) {
    LogPrintf(L"Lock name 'Global\\_QXSETUP_%s' is %s; setup goes on %s.\r\n", key.c_str(),
              SquatText(lock.squat), lock.space ? L"under its private lock" : L"without it");
}

std::wstring FailureText(unsigned code) {
    switch (code) {
    case ERROR_PRODUCT_VERSION:
        return LoadLangString(IDS_NEWER_VERSION_INSTALLED);
    case kOlderVersionUpdateDisabled:
        return LoadLangString(IDS_MINOR_UPDATE_DISABLED);
    case ERROR_PATCH_TARGET_NOT_FOUND:
        return LoadLangString(IDS_PATCH_NOT_APPLICABLE);
    default:
        return LoadLangString(IDS_INTERNAL_ERROR);
    }
}
} // namespace

int CInstaller::RunSetup(const std::wstring& commandLine) {
    // Held from its step until the run ends, so that a second setup for the same product stays
    // out.
    SetupLock setupLock;
    Step step = StartLog(commandLine);
    if (step.goOn)
        step = CheckHost();
    if (step.goOn)
        step = TakeSetupLock(setupLock);
    if (step.goOn)
        step = CheckOperation(commandLine);
    if (step.goOn)
        step = LocatePackage();
    if (!step.goOn)
        return step.exitCode;
    GatherProperties(commandLine);
    return InstallAndRestart();
}

CInstaller::Step CInstaller::StartLog(const std::wstring& commandLine) {
    SetupSettings& settings = Settings();
    settings.UILevel = ParseUILevel(commandLine);
    settings.NoRestart = HasNoRestartSwitch(commandLine);
    msiExitCodes_ = HasMsiExitCodesSwitch(commandLine);
    // An administrative run keeps its mode: "/a <path>" must not turn into an ordinary install.
    if (settings.Mode != SetupMode::Admin)
        settings.Mode = SetupMode::Install;

    if (!LoadPackageInfo())
        return EndRun(kExitFailure);
    const Step log = ChooseLog(commandLine);
    if (!log.goOn)
        return log;
    LogPrintf(L"UILevel is set to %d\r\n", settings.UILevel);
    if (settings.NoRestart)
        LogText(L"/norestart: Setup neither restarts Windows nor asks to.\r\n");
    return kGoOn;
}

CInstaller::Step CInstaller::TakeSetupLock(SetupLock& setupLock) {
    // A patch run reads no package: its key is empty, and every patch run excludes the others.
    const bool busy = AcquireSetupLock(setupLock, PackageInfo().ProductCode);
    if (setupLock.squat != LockSquat::None)
        LogSquattedLock(setupLock, PackageInfo().ProductCode);
    if (!busy)
        return kGoOn;
    const std::wstring& name = PackageInfo().ProductName;
    LogPrintf(L"Installation or deployment of product '%s' already run.\r\n", name.c_str());
    ShowMessage(FormatLangString(IDS_SETUP_ALREADY_RUNNING, name.c_str()), L"", MB_ICONERROR);
    return EndRun(kExitFailure);
}

// The operation type, and for an administrative run its target folder.
CInstaller::Step CInstaller::CheckOperation(const std::wstring& commandLine) {
    SetupSettings& settings = Settings();
    if (!ValidateOperationType()) {
        LogAndShowMessage(
            nullptr, FormatLangString(IDS_INVALID_OPERATION_TYPE, settings.OperationType.c_str()),
            title_, MB_ICONERROR);
        return EndRun(kExitFailure);
    }
    if (settings.Mode != SetupMode::Admin)
        return kGoOn;
    std::optional<std::wstring> target = ExtractAdminTargetPath(commandLine);
    if (!target) {
        LogText(L"Administrative install needs the target folder as the only token after /a.\r\n");
        ShowUsage();
        return EndRun(kExitFailure);
    }
    settings.AdminTargetPath = *target;
    settings.UILevel = kUILevelPassive;
    return kGoOn;
}

CInstaller::Step CInstaller::LocatePackage() {
    SetupSettings& settings = Settings();
    settings.PackagePath = PackagePathFromIni();
    if (IsExistingFile(settings.PackagePath))
        return kGoOn;
    LogAndShowMessage(nullptr, FormatLangString(IDS_FILE_NOT_FOUND, settings.PackagePath.c_str()),
                      title_, MB_ICONERROR);
    return EndRun(kExitFailure);
}

// The public properties and, but for an administrative run, the language transform.
void CInstaller::GatherProperties(const std::wstring& commandLine) {
    SetupSettings& settings = Settings();
    settings.Properties = ExtractProperties(commandLine);
    if (settings.Properties.empty())
        settings.Properties = ReadIniString(L"Main", L"MsiProp");
    if (settings.Mode == SetupMode::Admin)
        return;
    TransformSelection selection = SelectLanguageTransform(settings.LogPath);
    settings.LangId = selection.LangId;
    settings.Transforms = selection.Transforms;
}

int CInstaller::InstallAndRestart() {
    bool rebootNeeded = false;
    if (!Run(rebootNeeded))
        return InstallerExitCode(kExitFailure);
    if (rebootNeeded)
        return Settings().NoRestart ? LeaveRestartToCaller() : AskForRestart();
    return installerRestartPending_ ? ReportInstallerRestartPending()
                                    : InstallerExitCode(kExitSuccess);
}

// /msiexitcodes: deployment tools act on the Windows Installer's codes (1618: try again later),
// which 3 hides. This program's own 7086 is one no tool knows; the engine says 1638 for it.
int CInstaller::InstallerExitCode(int setupCode) const {
    if (!msiExitCodes_ || installerResult_ == ERROR_SUCCESS)
        return setupCode;
    if (installerResult_ == kOlderVersionUpdateDisabled)
        return ERROR_PRODUCT_VERSION;
    return static_cast<int>(installerResult_);
}

// The installer engine has done what its UI level allows about the restart (asked, or left it
// pending); setup.exe only passes the news on, in the exit code that deployment tools know.
int CInstaller::ReportInstallerRestartPending() {
    LogText(L"The installation needs a restart of Windows to complete. Setup does not restart "
            L"Windows itself; exit code 3010.\r\n");
    return kExitRestartPending;
}

// /norestart: a component's restart request ends the run with the exit code deployment tools
// schedule a restart for.
int CInstaller::LeaveRestartToCaller() {
    LogText(L"A restart of Windows is needed. /norestart leaves it to the caller; exit code "
            L"3010.\r\n");
    return kExitRestartPending;
}

// The setup log goes to the file the command line names (/log), else into the temp folder.
CInstaller::Step CInstaller::ChooseLog(const std::wstring& commandLine) {
    SetupSettings& settings = Settings();
    LogSwitch chosen = ExtractLogSwitch(commandLine);
    if (!chosen.given) {
        settings.LogPath = BuildLogFileName(ProductName(), ProductNameLangNeutral());
        return kGoOn;
    }
    if (chosen.path.empty()) {
        ShowUsage();
        return EndRun(kExitFailure);
    }
    ChosenLog log = OpenChosenLog(chosen.path);
    if (log.error != ERROR_SUCCESS) {
        std::wstring path = log.path.empty() ? chosen.path : log.path;
        LogAndShowMessage(nullptr,
                          FormatLangString(IDS_LOG_FILE_NOT_WRITABLE, path.c_str(),
                                           FormatErrorCode(log.error).c_str()),
                          std::wstring(), MB_ICONERROR);
        return EndRun(kExitFailure);
    }
    settings.LogPath = log.path;
    settings.LogCodePage = log.codePage;
    if (log.appended)
        LogNewRunMarker();
    return kGoOn;
}

// The engine is told about /norestart too, unless the caller set REBOOT itself.
std::wstring CInstaller::EngineCommandLine(const std::wstring& commandLine) const {
    return Settings().NoRestart ? WithRestartSuppressed(commandLine) : commandLine;
}

// The checks between the log's start and the single-instance guard; each failure ends the run.
CInstaller::Step CInstaller::CheckHost() {
    std::wstring iniPath = GetIniPath();
    if (!FileExists(iniPath)) {
        TellUser(MessageKind::Always, FormatLangString(IDS_INI_FILE_NOT_FOUND, iniPath.c_str()),
                 LoadLangString(IDS_INSTALLATION_ERROR), MB_ICONERROR);
        return EndRun(kExitIniMissing);
    }

    // The product's title is not known yet: the box gets the default caption.
    if (IsNativeX86() && EndsWith64(PackagePlatform())) {
        TellUser(MessageKind::Always, LoadLangString(IDS_PLATFORM_NEEDS_64BIT), std::wstring(),
                 MB_ICONERROR);
        return EndRun(kExitFailure);
    }

    title_ = Title();

    if (ReadIniInt(L"Main", L"Os32Need", 0) != 0 && !IsNativeX86()) {
        LogAndShowMessage(nullptr, LoadLangString(IDS_PLATFORM_NEEDS_32BIT), title_, MB_ICONERROR);
        return EndRun(kExitFailure);
    }

    if (!CheckWinVersion())
        return EndRun(kExitFailure);

    if (ReadIniInt(L"Main", L"AdminNeed", 1) != 0 && !IsUserAdmin()) {
        LogAndShowMessage(nullptr, LoadLangString(IDS_ADMIN_REQUIRED), title_, MB_ICONERROR);
        return EndRun(kExitFailure);
    }
    return kGoOn;
}

int CInstaller::AskForRestart() {
    int answer = LogAndShowMessage(nullptr, LoadLangString(IDS_ASK_RESTART_NOW), title_,
                                   MB_YESNO | MB_ICONQUESTION);
    if (!IsFullUI())
        LogText(L"Auto-reboot in passive mode\r\n");
    else if (answer != IDYES)
        return kExitRestartPending;
    // Without the privilege, or when Windows refuses, nothing restarts: the restart is still
    // needed, as after a declined one.
    const unsigned long error = RestartWindows();
    if (error == ERROR_SUCCESS)
        return msiExitCodes_ ? ERROR_SUCCESS_REBOOT_INITIATED : kExitSuccess;
    LogPrintf(L"Windows could not be restarted. %s\r\n", FormatErrorCode(error).c_str());
    return kExitRestartPending;
}

PrerequisitePhase CInstaller::RunPrerequisites(const wchar_t* keyFormat, bool& rebootNeeded) {
    rebootNeeded = false;
    PrerequisiteList list;
    ReadPrerequisites(keyFormat, list);
    if (list.empty())
        return PrerequisitePhase::GoOn;
    if (!IsFullUI()) {
        CPassiveObserver observer(title_);
        InstallPassively(list, observer, rebootNeeded);
        return PrerequisitePhase::GoOn;
    }
    CMainDlg dialog(list, ProductName(), title_);
    const PrerequisiteChoice choice = dialog.Choose(GetActiveWindow());
    rebootNeeded = dialog.RebootNeeded();
    if (choice == PrerequisiteChoice::Cancelled)
        installerResult_ = ERROR_INSTALL_USEREXIT;
    return choice == PrerequisiteChoice::GoOn ? PrerequisitePhase::GoOn : PrerequisitePhase::Stop;
}

int CInstaller::CheckInstallResult(unsigned code) {
    if (code == ERROR_SUCCESS_REBOOT_REQUIRED)
        installerRestartPending_ = true;
    else if (code != ERROR_SUCCESS)
        installerResult_ = code;
    if (code == ERROR_SUCCESS || code == ERROR_SUCCESS_REBOOT_INITIATED ||
        code == ERROR_SUCCESS_REBOOT_REQUIRED)
        return 0;
    if (code == ERROR_INSTALL_USEREXIT)
        return 1;

    std::wstring text = FailureText(code);
    LogText(text + L"\r\n");
    std::wstring logNote =
        FormatLangString(IDS_LOG_FILE_NOTE, LongPathOf(Settings().LogPath).c_str());
    ShowMessage(text + logNote, title_, MB_ICONERROR);
    LogPrintf(L"Install() failed. %s\r\n", FormatErrorCode(code).c_str());
    return 1;
}
