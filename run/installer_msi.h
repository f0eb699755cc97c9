#pragma once
// The setup run of a product package (.msi).
#include "run/installer.h"

class MsiLibrary;
struct InstalledState;

class CInstallerMsi : public CInstaller {
protected:
    bool Run(bool& rebootNeeded) override;
    bool LoadPackageInfo() override;
    std::wstring ProductName() override;
    std::wstring ProductNameLangNeutral() override;
    std::wstring ProductVersion() override;
    std::wstring Title() override;
    bool ValidateOperationType() override;

private:
    // `state` is the installed-state answer that Run got for the package, asked again after the
    // prerequisites ran (`prerequisitesRan`).
    unsigned InstallProduct(const InstalledState& state, bool prerequisitesRan, bool& rebootNeeded);
    // The engine command line for an installed or advertised product; sets `result` and returns
    // false when the engine must not be called.
    bool ChooseMaintenanceCommandLine(int comparison, bool prerequisitesRan, bool& rebootNeeded,
                                      std::wstring& commandLine, unsigned& result);
    unsigned CallEngine(const MsiLibrary& msi, const std::wstring& commandLine);
    void RunPostrequisites(bool& rebootNeeded);
};
