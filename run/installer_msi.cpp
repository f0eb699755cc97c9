#include "run/installer_msi.h"

#include "settings/command_line.h"
#include "settings/setup_settings.h"
#include "foundation/file_system.h"
#include "foundation/ini_file.h"
#include "foundation/lang_strings.h"
#include "foundation/message_box.h"
#include "foundation/setup_log.h"
#include "foundation/text.h"
#include "msi/hidden_properties.h"
#include "msi/msi_library.h"
#include "msi/package_info.h"
#include "prereq/installer_hash.h"
#include "prereq/run_component.h"
#include "prereq/prerequisite_reader.h"
#include "resources/resource_ids.h"
#include "run/failure_log_mail.h"
#include "run/guarded_call.h"
#include "run/run_package.h"

#include <windows.h>

namespace {
const wchar_t kDefaultReinstall[] = L"REINSTALL=ALL REINSTALLMODE=vomus";

bool IsFreshInstall(const InstalledState& state) {
    return !state.installed && !state.advertised && state.comparison >= 0 && !IsAdministrative();
}
} // namespace

bool CInstallerMsi::LoadPackageInfo() {
    // Without a setup ini file there is no package to read; the run reports the missing file.
    if (!FileExists(GetIniPath()))
        return true;
    std::wstring path = PackagePathFromIni();
    if (!ReadPackageInfo(path)) {
        // Before the product's title is known: the box gets the default caption.
        TellUser(MessageKind::Always,
                 FormatLangString(IDS_CANNOT_READ_PACKAGE_PROPERTY, path.c_str()), std::wstring(),
                 MB_ICONERROR);
        return false;
    }
    Settings().CodePage = GetLanguageAnsiCodePage(PackageInfo().ProductLanguage);
    return true;
}

std::wstring CInstallerMsi::ProductName() {
    return PackageInfo().ProductName;
}
std::wstring CInstallerMsi::ProductNameLangNeutral() {
    return PackageInfo().ProductNameLangNeutral;
}
std::wstring CInstallerMsi::ProductVersion() {
    return PackageInfo().ProductVersion;
}

std::wstring CInstallerMsi::Title() {
    return FormatLangString(IDS_PRODUCT_SETUP_TITLE, ProductName().c_str(),
                            ProductVersion().c_str());
}

bool CInstallerMsi::ValidateOperationType() {
    SetupSettings& settings = Settings();
    settings.OperationType = ReadIniString(L"Main", L"MsiType", L"Install");
    return EqualsIgnoringCase(settings.OperationType, L"Install") ||
           EqualsIgnoringCase(settings.OperationType, L"InstallUpgrade");
}

bool CInstallerMsi::Run(bool& rebootNeeded) {
    SetupSettings& settings = Settings();
    if (!settings.Transforms.empty()) {
        std::wstring joined;
        settings.Properties =
            WithLanguageTransform(settings.Properties, settings.Transforms, joined);
        LogPrintf(L"LangId transform is %s\r\n", settings.Transforms.c_str());
        if (!joined.empty())
            LogPrintf(L"Transform list: %s\r\n", joined.c_str());
    }

    InstalledState state;
    QueryInstalledState(settings.PackagePath, state);
    const bool freshInstall = IsFreshInstall(state);
    if (freshInstall) {
        if (RunPrerequisites(L"PreReq%d", rebootNeeded) != PrerequisitePhase::GoOn)
            return false;
        // A prerequisite may have installed the product itself, or another version of it.
        QueryInstalledState(settings.PackagePath, state);
    }

    unsigned code = InstallProduct(state, freshInstall, rebootNeeded);
    if (CheckInstallResult(code) != 0) {
        if (code != ERROR_INSTALL_USEREXIT)
            OfferFailureLog(settings.LogPath, ProductName(), ProductVersion());
        return false;
    }

    if (freshInstall)
        RunPostrequisites(rebootNeeded);
    LogText(L"\r\n");
    LogText(L"Setup completed.\r\n");
    return true;
}

void CInstallerMsi::RunPostrequisites(bool& rebootNeeded) {
    PrerequisiteList list;
    ReadPostrequisites(L"PostReq%d", list);
    if (list.empty())
        return;
    LogText(L"\r\n");
    LogText(L"Try run postrequisites:\r\n");
    for (const Prerequisite& record : list) {
        UniqueFileHandle verified;
        if (!CheckInstallerHash(record, verified)) {
            LogPrintf(L"Postrequisite '%s' skipped.\r\n", record.Name.c_str());
            continue;
        }
        std::wstring ignoredText;
        // Failures are logged by the launcher; only a restart request matters here.
        if (RunComponent(record, ignoredText, &verified) == ERROR_SUCCESS_REBOOT_REQUIRED)
            rebootNeeded = true;
    }
}

unsigned CInstallerMsi::InstallProduct(const InstalledState& state, bool prerequisitesRan,
                                       bool& rebootNeeded) {
    SetupSettings& settings = Settings();
    const MsiLibrary& msi = RunMsiLibrary();
    if (!msi.complete())
        return ERROR_INSTALL_FAILURE;
    msi.SetInternalUI(static_cast<INSTALLUILEVEL>(settings.UILevel), nullptr);

    std::wstring commandLine;
    if (IsAdministrative()) {
        commandLine = L" TARGETDIR=\"" + settings.AdminTargetPath + L"\" ACTION=ADMIN";
    } else if (!state.installed && !state.advertised) {
        commandLine = settings.Properties;
    } else {
        unsigned result = 0;
        if (!ChooseMaintenanceCommandLine(state.comparison, prerequisitesRan, rebootNeeded,
                                          commandLine, result))
            return result;
    }
    return CallEngine(msi, EngineCommandLine(commandLine));
}

bool CInstallerMsi::ChooseMaintenanceCommandLine(int comparison, bool prerequisitesRan,
                                                 bool& rebootNeeded, std::wstring& commandLine,
                                                 unsigned& result) {
    SetupSettings& settings = Settings();
    const int updateDisable = ReadIniInt(L"Main", L"UpdateDisable", 0);
    if (comparison > 0) {
        result = ERROR_PRODUCT_VERSION;
        return false;
    }
    if (comparison == 0) {
        commandLine = settings.Properties;
        return true;
    }
    if (updateDisable == 1) {
        result = kOlderVersionUpdateDisabled;
        return false;
    }
    int answer = LogAndShowMessage(nullptr, LoadLangString(IDS_ASK_UPGRADE_OLDER_VERSION), title(),
                                   MB_YESNO | MB_ICONQUESTION);
    if (!IsFullUI())
        LogText(L"Auto-upgrading in passive mode\r\n");
    else if (answer != IDYES) {
        result = ERROR_SUCCESS;
        return false;
    }
    // Once per run: a second phase would ask the user again and forget a restart already asked for.
    if (!prerequisitesRan &&
        RunPrerequisites(L"PreReq%d", rebootNeeded) != PrerequisitePhase::GoOn) {
        result = ERROR_SUCCESS;
        return false;
    }
    settings.ReinstallMode = ReadIniString(L"Main", L"DefaultReinstallmode");
    commandLine = settings.ReinstallMode.empty() ? kDefaultReinstall : settings.ReinstallMode;
    return true;
}

unsigned CInstallerMsi::CallEngine(const MsiLibrary& msi, const std::wstring& commandLine) {
    SetupSettings& settings = Settings();
    const wchar_t* package = settings.PackagePath.c_str();
    // The engine gets the real values; the log, which may be mailed, does not.
    LogPrintf(L"Calling MsiInstallProduct('%s') with command line: '%s'\r\n", package,
              MaskHiddenPropertyValues(commandLine, PackageInfo().HiddenProperties).c_str());
    LogText(L"\r\n\r\n", false);

    unsigned result = ERROR_INSTALL_FAILURE; // kept when the call raised an exception
    const EngineLogging logging{msi, PackageInfo().HiddenProperties};
    CallGuarded([&] { result = msi.InstallProduct(package, commandLine.c_str()); }, &logging);

    switch (result) {
    case ERROR_SUCCESS:
        LogPrintf(L"Installation '%s' completed successfully.\r\n", package);
        break;
    case ERROR_INSTALL_USEREXIT:
        LogPrintf(L"Installation '%s' canceled.\r\n", package);
        break;
    case ERROR_FILE_NOT_FOUND:
        // Reported, and left a failure: the product was not installed.
        LogAndShowMessage(nullptr, FormatLangString(IDS_FILE_NOT_FOUND, package), title(),
                          MB_ICONERROR);
        break;
    default:
        LogPrintf(L"MsiInstallProduct('%s') returned %d\r\n", package, static_cast<int>(result));
        break;
    }
    return result;
}
