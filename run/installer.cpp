#include "run/installer.h"

#include "settings/command_line.h"
#include "settings/setup_settings.h"
#include "foundation/error_text.h"
#include "foundation/file_system.h"
#include "foundation/handles.h"
#include "foundation/host_facts.h"
#include "foundation/ini_file.h"
#include "foundation/lang_strings.h"
#include "foundation/message_box.h"
#include "foundation/setup_log.h"
#include "foundation/win_version.h"
#include "msi/language_transform.h"
#include "msi/package_info.h"
#include "prereq/prerequisite_reader.h"
#include "resources/resource_ids.h"
#include "ui/main_dlg.h"

#include <windows.h>

namespace {
constexpr int kContinue = -1;

bool EndsWith64(const std::wstring& text) {
    return text.size() >= 2 && text.compare(text.size() - 2, 2, L"64") == 0;
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
    SetupSettings& settings = Settings();
    settings.UILevel = ParseUILevel(commandLine);
    settings.NoRestart = HasNoRestartSwitch(commandLine);
    // An administrative run keeps its mode: "/a <path>" must not turn into an ordinary install.
    const bool administrative = settings.Mode == ModeAdmin;
    settings.Mode = administrative ? ModeAdmin : ModeInstall;

    if (!LoadPackageInfo())
        return kExitFailure;

    int logResult = ChooseLog(commandLine);
    if (logResult != kContinue)
        return logResult;
    LogPrintf(L"UILevel is set to %d\r\n", settings.UILevel);
    if (settings.NoRestart)
        LogText(L"/norestart: Setup neither restarts Windows nor asks to.\r\n");

    int hostResult = CheckHost();
    if (hostResult != kContinue)
        return hostResult;

    // Held until the run ends, so that a second setup for the same product stays out.
    SetupLock setupLock;
    const bool busy = AcquireSetupLock(setupLock, LockKey());
    if (setupLock.squatted)
        LogText(L"The single-instance lock's name is held by another account; setup goes on "
                L"without it.\r\n");
    if (busy) {
        const std::wstring& name = PackageInfo().ProductName;
        LogPrintf(L"Installation or deployment of product '%s' already run.\r\n", name.c_str());
        ShowMessage(FormatLangString(IDS_SETUP_ALREADY_RUNNING, name.c_str()), L"", MB_ICONERROR);
        return kExitFailure;
    }

    if (!ValidateOperationType()) {
        LogAndShowMessage(
            nullptr, FormatLangString(IDS_INVALID_OPERATION_TYPE, settings.OperationType.c_str()),
            title_, MB_ICONERROR);
        return kExitFailure;
    }

    if (administrative) {
        std::optional<std::wstring> target = ExtractAdminTargetPath(commandLine);
        if (!target) {
            LogText(
                L"Administrative install needs the target folder as the only token after /a.\r\n");
            ShowUsage();
            return kExitFailure;
        }
        settings.AdminTargetPath = *target;
        settings.UILevel = kUILevelPassive;
    }

    settings.PackagePath = GetModulePath(false, true) + ReadIniString(L"Main", L"MsiPath");
    if (!IsExistingFile(settings.PackagePath)) {
        LogAndShowMessage(nullptr,
                          FormatLangString(IDS_FILE_NOT_FOUND, settings.PackagePath.c_str()),
                          title_, MB_ICONERROR);
        return kExitFailure;
    }

    settings.Properties = ExtractProperties(commandLine);
    if (settings.Properties.empty())
        settings.Properties = ReadIniString(L"Main", L"MsiProp");

    if (!administrative) {
        TransformSelection selection = SelectLanguageTransform(settings.LogPath);
        settings.LangId = selection.LangId;
        settings.Transforms = selection.Transforms;
    }

    bool rebootNeeded = false;
    if (!Run(rebootNeeded))
        return kExitFailure;
    if (rebootNeeded)
        return settings.NoRestart ? LeaveRestartToCaller() : AskForRestart();
    return installerRestartPending_ ? ReportInstallerRestartPending() : kExitSuccess;
}

std::wstring CInstaller::LockKey() {
    return PackageInfo().ProductCode;
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
int CInstaller::ChooseLog(const std::wstring& commandLine) {
    SetupSettings& settings = Settings();
    LogSwitch chosen = ExtractLogSwitch(commandLine);
    if (!chosen.given) {
        settings.LogPath = BuildLogFileName(ProductName(), ProductNameLangNeutral());
        return kContinue;
    }
    if (chosen.path.empty()) {
        ShowUsage();
        return kExitFailure;
    }
    ChosenLog log = OpenChosenLog(chosen.path);
    if (log.error != ERROR_SUCCESS) {
        std::wstring path = log.path.empty() ? chosen.path : log.path;
        LogAndShowMessage(nullptr,
                          FormatLangString(IDS_LOG_FILE_NOT_WRITABLE, path.c_str(),
                                           FormatErrorCode(log.error).c_str()),
                          std::wstring(), MB_ICONERROR);
        return kExitFailure;
    }
    settings.LogPath = log.path;
    settings.LogCodePage = log.codePage;
    if (log.appended)
        LogNewRunMarker();
    return kContinue;
}

// The engine is told about /norestart too, unless the caller set REBOOT itself.
std::wstring CInstaller::EngineCommandLine(const std::wstring& commandLine) const {
    return Settings().NoRestart ? WithRestartSuppressed(commandLine) : commandLine;
}

// The checks between the log's start and the single-instance guard; kContinue when all pass.
int CInstaller::CheckHost() {
    std::wstring iniPath = GetIniPath();
    if (!FileExists(iniPath)) {
        TellUser(MessageKind::Always, FormatLangString(IDS_INI_FILE_NOT_FOUND, iniPath.c_str()),
                 LoadLangString(IDS_INSTALLATION_ERROR), MB_ICONERROR);
        return kExitIniMissing;
    }

    // The product's title is not known yet: the box gets the default caption.
    if (IsNativeX86() && EndsWith64(PackagePlatform())) {
        TellUser(MessageKind::Always, LoadLangString(IDS_PLATFORM_NEEDS_64BIT), std::wstring(),
                 MB_ICONERROR);
        return kExitFailure;
    }

    title_ = Title();

    if (ReadIniInt(L"Main", L"Os32Need", 0) != 0 && !IsNativeX86()) {
        LogAndShowMessage(nullptr, LoadLangString(IDS_PLATFORM_NEEDS_32BIT), title_, MB_ICONERROR);
        return kExitFailure;
    }

    if (!CheckWinVersion())
        return kExitFailure;

    if (ReadIniInt(L"Main", L"AdminNeed", 1) != 0 && !IsUserAdmin()) {
        LogAndShowMessage(nullptr, LoadLangString(IDS_ADMIN_REQUIRED), title_, MB_ICONERROR);
        return kExitFailure;
    }
    return kContinue;
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
        return kExitSuccess;
    LogPrintf(L"Windows could not be restarted. %s\r\n", FormatErrorCode(error).c_str());
    return kExitRestartPending;
}

int CInstaller::RunPrerequisites(const wchar_t* keyFormat, bool& rebootNeeded) {
    rebootNeeded = false;
    PrerequisiteList list;
    ReadPrerequisites(keyFormat, list);
    if (list.empty())
        return 1;

    CMainDlg dialog(list, ProductName(), title_);
    int result = 1;
    if (IsFullUI()) {
        result = static_cast<int>(dialog.ShowModal(GetActiveWindow()));
    } else {
        LogText(L"Installing prerequisites passively:\r\n");
        for (const Prerequisite& record : list)
            LogPrintf(L"  %s\r\n", record.Name.c_str());
        dialog.InstallSelected(true);
    }
    rebootNeeded = dialog.RebootNeeded();
    return result;
}

int CInstaller::CheckInstallResult(unsigned code) {
    if (code == ERROR_SUCCESS_REBOOT_REQUIRED)
        installerRestartPending_ = true;
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
