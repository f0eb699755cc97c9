#pragma once
// Scenario tests run setup.exe as a whole process, the way a user meets it: from a fresh folder
// with its ini file, with its own temp folder, answering its message boxes, and then look at the
// exit code, the setup log and the machine.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace scenario {

// One top-level dialog window of the child: a message box, or another dialog.
struct BoxSeen {
    std::wstring caption;
    // A message box's message; for other dialogs the texts of their controls, "\n"-joined.
    std::wstring text;
    // The button id the harness pressed; 0 when a dialog hook took the dialog over.
    int answer = 0;
};

// Called on the watcher thread for each new dialog before the harness answers it; returns true
// when it took care of the dialog itself (the harness then leaves it alone).
using DialogHook = std::function<bool(HWND dialog, const BoxSeen& seen)>;

struct RunOptions {
    std::wstring exeName = L"setup.exe"; // setup.exe is copied in under this name
    std::wstring commandLine;            // exactly the text after the quoted program path
    // Added to or overriding the child's environment (which is the harness's own, with TMP and
    // TEMP set to the scenario's temp folder). The user locale (LC_ALL, LANG...) and Wine's WINE*
    // settings such as WINEDLLOVERRIDES take effect too: Wine reads those from a process's Unix
    // environment, so such a run is started through scenario_relay.exe under "env".
    std::vector<std::pair<std::wstring, std::wstring>> env;
    // Button ids for successive boxes (IDYES, IDNO, IDOK...). Once they run out: IDOK if the box
    // has it, else IDCANCEL, else IDNO.
    std::vector<int> answers;
    // "" or a Wine version name ("win7", "win81", "win10", "winxp"), for this exe name only.
    std::wstring windowsVersion;
    // The child's current folder; "" for the scenario folder, where setup.exe lies.
    std::wstring currentFolder;
    DWORD timeoutMs = 60000;
    DialogHook onDialog;
};

struct RunResult {
    DWORD exitCode = 0;
    bool timedOut = false; // the harness ended the child at the timeout (exit code 258 then)
    std::vector<BoxSeen> boxes;
    std::vector<std::wstring> logFiles; // names of the *.log files in the temp folder, sorted
    std::wstring log;                   // text of the log file when there is exactly one, else ""
    std::string logBytes;               // its raw bytes, byte order mark included

    // True when the log has a line "Setup.exe [yyyy.mm.dd hh:mm:ss]: <textAfterPrefix>".
    bool logHasLine(const std::wstring& textAfterPrefix) const;
    // The texts after the time-stamp prefix, in order (for order checks and failure messages).
    std::vector<std::wstring> logEntries() const;
};

class ScenarioFolder {
public:
    class Running;

    // Deletes and recreates <ScenarioRoot>\<name> with an empty temp subfolder.
    explicit ScenarioFolder(const std::wstring& name);

    std::wstring path() const { return path_; }                 // no trailing backslash
    std::wstring tempPath() const { return path_ + L"\\temp"; } // the child's TMP and TEMP

    // Writes the ini file that setup reads: the exe's base name with ".ini".
    void writeIni(const std::string& bytes, const std::wstring& exeName = L"setup.exe");
    void writeFile(const std::wstring& relName, const std::string& bytes);
    void copyIn(const std::wstring& sourcePath, const std::wstring& relName);

    // Copies setup.exe in under options.exeName unless a file of that name is there, runs it and
    // waits for it (or for the timeout).
    RunResult run(const RunOptions& options);
    // The same without waiting; Running::finish() waits and gives the result.
    Running start(const RunOptions& options);

private:
    std::wstring path_;
};

class ScenarioFolder::Running {
public:
    Running(Running&&) noexcept;
    Running& operator=(Running&&) noexcept;
    ~Running(); // a child still running is terminated
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

    DWORD processId() const;
    // Waits for the child until the run's timeout, terminating it then. Call once.
    RunResult finish();

private:
    friend class ScenarioFolder;
    struct State;
    explicit Running(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

// Paths from the environment; a Unix path (/x/y) becomes Z:\x\y.
std::wstring SetupExePath();                     // SETUP_EXE
std::wstring BuildPath(const std::wstring& rel); // BUILD_DIR\rel
std::wstring ScenarioRoot();                     // SCENARIO_ROOT, else <temp folder>\scenarios
std::wstring WindowsPathFromUnix(const std::wstring& path);

} // namespace scenario
