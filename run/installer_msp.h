#pragma once
// The setup run of a patch package (.msp). The package is not opened before it is applied: the
// product name, version text and language come from the setup ini file.
#include "run/installer.h"

class MsiLibrary;

class CInstallerMsp : public CInstaller {
protected:
    bool Run(bool& rebootNeeded) override;
    bool LoadPackageInfo() override;
    std::wstring ProductName() override;
    std::wstring ProductNameLangNeutral() override;
    std::wstring ProductVersion() override;
    std::wstring Title() override;
    bool ValidateOperationType() override;

private:
    unsigned ApplyPatch();
    bool ConfirmPatch();
    unsigned CallEngine(const MsiLibrary& msi, const std::wstring& commandLine,
                        const std::wstring& hiddenList);
};
