#include "app/entry_sequence.h"

#include "settings/command_line.h"
#include "settings/setup_settings.h"
#include "foundation/ini_file.h"
#include "foundation/message_box.h"
#include "run/installer.h"
#include "run/installer_msi.h"
#include "run/installer_msp.h"

#include <memory>

int RunEntrySequence(const std::wstring& commandLine) {
    SetupSettings& settings = Settings();
    settings.Mode = ClassifyCommandLine(commandLine);
    if (settings.Mode == SetupMode::Usage || settings.Mode == SetupMode::Help) {
        ShowUsage();
        // Asking for help is no mistake: deployment tools must not see a failure.
        return settings.Mode == SetupMode::Help ? kExitSuccess : kExitFailure;
    }
    std::unique_ptr<CInstaller> installer;
    if (ReadIniInt(L"Main", L"MsiPatch", 0) == 1)
        installer = std::make_unique<CInstallerMsp>();
    else
        installer = std::make_unique<CInstallerMsi>();
    return installer->RunSetup(commandLine);
}
