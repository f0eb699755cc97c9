#include "run/installer_msp.h"

#include "settings/setup_settings.h"
#include "foundation/ini_file.h"
#include "foundation/lang_strings.h"
#include "foundation/message_box.h"
#include "foundation/setup_log.h"
#include "foundation/text.h"
#include "msi/hidden_properties.h"
#include "msi/msi_library.h"
#include "msi/package_info.h"
#include "resources/resource_ids.h"
#include "run/failure_log_mail.h"
#include "run/guarded_call.h"
#include "run/run_package.h"

#include <windows.h>

bool CInstallerMsp::LoadPackageInfo() {
    const int language = ReadIniInt(L"Main", L"ProductLangID", 0);
    Settings().CodePage = GetLanguageAnsiCodePage(static_cast<unsigned long>(language));
    return true;
}

std::wstring CInstallerMsp::ProductName() {
    return ReadIniString(L"Main", L"Name");
}
std::wstring CInstallerMsp::ProductNameLangNeutral() {
    return ReadIniString(L"Main", L"ProductNameLangNeutral");
}
std::wstring CInstallerMsp::ProductVersion() {
    return ReadIniString(L"Main", L"VersionTarget");
}

std::wstring CInstallerMsp::Title() {
    return FormatLangString(IDS_PATCH_SETUP_TITLE, ProductName().c_str());
}

bool CInstallerMsp::ValidateOperationType() {
    SetupSettings& settings = Settings();
    settings.OperationType = ReadIniString(L"Main", L"MsiType", L"Major");
    // Both kinds of patch are applied the same way.
    return EqualsIgnoringCase(settings.OperationType, L"Minor") ||
           EqualsIgnoringCase(settings.OperationType, L"Major");
}

bool CInstallerMsp::Run(bool& rebootNeeded) {
    (void)rebootNeeded; // a patch run never asks for a restart itself
    unsigned code = ApplyPatch();
    if (CheckInstallResult(code) == 0)
        return true;
    if (code != ERROR_INSTALL_USEREXIT)
        OfferFailureLog(Settings().LogPath, ProductName(), ProductVersion());
    return false;
}

unsigned CInstallerMsp::ApplyPatch() {
    SetupSettings& settings = Settings();
    const MsiLibrary& msi = RunMsiLibrary();
    if (!msi.complete())
        return ERROR_INSTALL_FAILURE;
    msi.SetInternalUI(static_cast<INSTALLUILEVEL>(settings.UILevel), nullptr);
    if (!ConfirmPatch())
        return ERROR_SUCCESS;

    // No transform clause: a patch carries its own.
    std::wstring commandLine = EngineCommandLine(settings.Properties);
    // A patch run reads no package, so it cannot tell which properties hold secrets: no value
    // given to it reaches the log, in its own line or in the engine's.
    const std::wstring hidden = AssignedPropertyNames(settings.Properties);
    LogPrintf(L"Calling MsiApplyPatch with command line: '%s'\r\n",
              MaskHiddenPropertyValues(commandLine, hidden).c_str());
    LogText(L"\r\n\r\n", false);
    unsigned result = CallEngine(msi, commandLine, hidden);
    if (result == ERROR_SUCCESS)
        LogText(L"Setup completed\r\n");
    else if (result == ERROR_INSTALL_USEREXIT)
        LogText(L"Installation canceled\r\n");
    return result;
}

// False when the user declined at full UI; in quiet and passive runs the patch goes ahead.
bool CInstallerMsp::ConfirmPatch() {
    std::wstring question =
        FormatLangString(IDS_ASK_APPLY_PATCH, ProductVersion().c_str(), ProductName().c_str());
    int answer = LogAndShowMessage(nullptr, question, title(), MB_YESNO | MB_ICONQUESTION);
    if (!IsFullUI()) {
        LogText(L"Auto-upgrading in passive mode\r\n");
        return true;
    }
    return answer == IDYES;
}

unsigned CInstallerMsp::CallEngine(const MsiLibrary& msi, const std::wstring& commandLine,
                                   const std::wstring& hiddenList) {
    SetupSettings& settings = Settings();
    // An administrative run patches the administrative image: the engine gets the image's package.
    const bool administrative = IsAdministrative();
    const wchar_t* installPackage = administrative ? settings.AdminTargetPath.c_str() : nullptr;
    const INSTALLTYPE installType =
        administrative ? INSTALLTYPE_NETWORK_IMAGE : INSTALLTYPE_DEFAULT;

    unsigned result = ERROR_INSTALL_FAILURE; // kept when the call raised an exception
    const EngineLogging logging{msi, hiddenList};
    CallGuarded(
        [&] {
            // The patch is always applied with the engine's basic UI, whatever the run's UI level.
            msi.SetInternalUI(INSTALLUILEVEL_BASIC, nullptr);
            result = msi.ApplyPatch(settings.PackagePath.c_str(), installPackage, installType,
                                    commandLine.c_str());
        },
        &logging);
    return result;
}
