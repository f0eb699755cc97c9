#pragma once
// The setup run: one object per process, a product run or a patch run.
#include <string>

struct SetupLock;

// What the prerequisite phase decides about the product's installation.
enum class PrerequisitePhase { GoOn, Stop };

class CInstaller {
public:
    virtual ~CInstaller() = default;

    // The whole setup run; the result is the process exit code (0, 2, 3 or 3010; with
    // /msiexitcodes the installer's own code where its result ended the run).
    int RunSetup(const std::wstring& commandLine);
    PrerequisitePhase RunPrerequisites(const wchar_t* keyFormat, bool& rebootNeeded);
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

    const std::wstring& title() const { return title_; }
    // What the engine gets: with /norestart, REBOOT=ReallySuppress added.
    std::wstring EngineCommandLine(const std::wstring& commandLine) const;

private:
    // A step of the run: go on with the next one, or end the run with the exit code.
    struct Step {
        bool goOn;
        int exitCode;
    };
    static constexpr Step kGoOn = {true, 0};
    static constexpr Step EndRun(int exitCode) { return {false, exitCode}; }

    // The steps of RunSetup, in their order.
    Step StartLog(const std::wstring& commandLine);
    Step CheckHost();
    Step TakeSetupLock(SetupLock& setupLock);
    Step CheckOperation(const std::wstring& commandLine);
    Step LocatePackage();
    void GatherProperties(const std::wstring& commandLine);
    int InstallAndRestart();

    Step ChooseLog(const std::wstring& commandLine);
    int AskForRestart();
    int LeaveRestartToCaller();
    int ReportInstallerRestartPending();
    int InstallerExitCode(int setupCode) const;
    std::wstring title_;
    bool installerRestartPending_ = false; // the engine answered 3010
    bool msiExitCodes_ = false; // /msiexitcodes: the run ends with the installer's own code
    // The engine's answer other than 0 and 3010, or 1602 for a cancelled prerequisites dialog.
    unsigned installerResult_ = 0;
};

// Process exit codes of a setup run.
constexpr int kExitSuccess = 0;
constexpr int kExitIniMissing = 2;
constexpr int kExitFailure = 3;
constexpr int kExitRestartPending = 3010;

// Codes beyond the Windows error numbers.
constexpr unsigned kOlderVersionUpdateDisabled = 7086;
