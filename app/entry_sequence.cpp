#include "app/entry_sequence.h"

#include "app/command_line.h"
#include "app/setup_settings.h"
#include "foundation/ini_file.h"
#include "foundation/message_box.h"
#include "foundation/setup_log.h"
#include "run/installer.h"
#include "run/installer_msi.h"

#include <memory>

namespace {
// Patch packages are not applied by this version: the run is refused, with a log line that
// says why, before anything is touched.
int RefusePatchRun(const std::wstring& commandLine) {
    SetupSettings& settings = Settings();
    settings.UILevel = ParseUILevel(commandLine);
    settings.LogPath = BuildLogFileName(ReadIniString(L"Main", L"Name"),
                                        ReadIniString(L"Main", L"ProductNameLangNeutral"));
    LogPrintf(L"UILevel is set to %d\r\n", settings.UILevel);
    LogText(
        L"Patch packages (MsiPatch=1) are not supported by this setup. Nothing was changed.\r\n");
    return kExitFailure;
}
} // namespace

int RunEntrySequence(const std::wstring& commandLine) {
    SetupSettings& settings = Settings();
    settings.Mode = ClassifyCommandLine(commandLine);
    if (settings.Mode == ModeUsage) {
        ShowUsage();
        return kExitFailure;
    }
    if (ReadIniInt(L"Main", L"MsiPatch", 0) == 1)
        return RefusePatchRun(commandLine);

    std::unique_ptr<CInstaller> installer = std::make_unique<CInstallerMsi>();
    return installer->RunSetup(commandLine);
}
