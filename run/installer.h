#pragma once
// The setup run: one object per process, a product run or a patch run.
#include <string>

class CInstaller {
public:
    virtual ~CInstaller() = default;

    // The whole setup run; the result is the process exit code (0, 2, 3 or 3010).
    int RunSetup(const std::wstring& commandLine);
    // 1 to go on with the installation, any other value to stop.
    int RunPrerequisites(const wchar_t* keyFormat, bool& rebootNeeded);
    // 1 when the installer result is a failure (reported here), 0 when it counts as success.
    int CheckInstallResult(unsigned code);

protected:
    virtual bool Run(bool& rebootNeeded) = 0;
    virtual bool LoadPackageInfo() = 0;
    virtual std::wstring ProductName() = 0;
    virtual std::wstring ProductNameLangNeutral() = 0;
    virtual std::wstring ProductVersion() = 0;
    virtual std::wstring Title() = 0;
    virtual bool ValidateOperationType() = 0;
    // What the single-instance lock is named after: the package's product code.
    virtual std::wstring LockKey();

    const std::wstring& title() const { return title_; }
    // What the engine gets: with /norestart, REBOOT=ReallySuppress added.
    std::wstring EngineCommandLine(const std::wstring& commandLine) const;

private:
    int CheckHost();
    int ChooseLog(const std::wstring& commandLine);
    int AskForRestart();
    int LeaveRestartToCaller();
    int ReportInstallerRestartPending();
    std::wstring title_;
    bool installerRestartPending_ = false; // the engine answered 3010
};

// Process exit codes of a setup run.
constexpr int kExitSuccess = 0;
constexpr int kExitIniMissing = 2;
constexpr int kExitFailure = 3;
constexpr int kExitRestartPending = 3010;

// Codes beyond the Windows error numbers.
constexpr unsigned kOlderVersionUpdateDisabled = 7086;
