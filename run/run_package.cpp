#include "run/run_package.h"

#include "settings/setup_settings.h"
#include "foundation/ini_file.h"
#include "foundation/module_path.h"

std::wstring PackagePathFromIni() {
    return GetModulePath(false, true) + ReadIniString(L"Main", L"MsiPath");
}

bool IsAdministrative() {
    return Settings().Mode == SetupMode::Admin;
}
