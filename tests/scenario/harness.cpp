#include "harness.h"

#include "box_watcher.h"
#include "child_process.h"
#include "file_io.h"
#include "harness_error.h"
#include "log_reading.h"
#include "wine_app_defaults.h"

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <stdexcept>

namespace scenario {
namespace {

namespace fs = std::filesystem;

// The exit code a child gets when the harness ends it for taking too long.
constexpr DWORD kTimedOutExitCode = WAIT_TIMEOUT;
constexpr ULONGLONG kFolderInUseWaitMs = 30000;

// A console program that an earlier run started here got a conhost.exe from Wine, which keeps the
// folder as its current folder for a moment after the program ended: the folder goes once that is
// gone.
void RemoveFolderOfAnEarlierRun(const std::wstring& path) {
    std::error_code error;
    const ULONGLONG deadline = GetTickCount64() + kFolderInUseWaitMs;
    while (fs::remove_all(path, error) == static_cast<std::uintmax_t>(-1) &&
           GetTickCount64() < deadline)
        Sleep(50);
    if (error)
        fs::remove_all(path); // throws, naming what is in the way
}

std::wstring WithoutExtension(const std::wstring& fileName) {
    const size_t dot = fileName.rfind(L'.');
    return dot == std::wstring::npos ? fileName : fileName.substr(0, dot);
}

void CreateParentFolder(const std::wstring& path) {
    fs::create_directories(fs::path(path).parent_path());
}

bool HasLogExtension(const fs::path& file) {
    std::wstring extension = file.extension().wstring();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return extension == L".log";
}

std::vector<std::wstring> LogNamesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file() && HasLogExtension(entry.path()))
            names.push_back(entry.path().filename().wstring());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void ReadLogs(const std::wstring& tempFolder, RunResult& result) {
    result.logFiles = LogNamesIn(tempFolder);
    if (result.logFiles.size() != 1)
        return;
    result.logBytes = ReadFileBytes(tempFolder + L"\\" + result.logFiles.front());
    result.log = DecodeUtf16Le(result.logBytes);
}

EnvironmentEntries ChildEnvironment(const std::wstring& tempFolder, const RunOptions& options) {
    EnvironmentEntries environment = CurrentEnvironment();
    SetEnvironmentEntry(environment, L"TMP", tempFolder);
    SetEnvironmentEntry(environment, L"TEMP", tempFolder);
    for (const auto& [name, value] : options.env)
        SetEnvironmentEntry(environment, name, value);
    return environment;
}

// The relay reports the program by process id, which only names it within this wineserver.
bool WouldLeaveThisWineserver(const std::wstring& name) {
    return name == L"WINEPREFIX" || name == L"WINESERVER";
}

EnvironmentEntries UnixEnvironment(const RunOptions& options) {
    EnvironmentEntries unixEnvironment;
    for (const auto& [name, value] : options.env) {
        if (WouldLeaveThisWineserver(name))
            throw std::invalid_argument("A run cannot change " + Utf8(name));
        if (IsReadFromUnixEnvironment(name))
            unixEnvironment.emplace_back(name, value);
    }
    return unixEnvironment;
}

ChildLaunch LaunchFor(const std::wstring& folder, const std::wstring& exePath,
                      const RunOptions& options) {
    ChildLaunch launch;
    launch.exePath = exePath;
    launch.commandTail = options.commandLine;
    launch.workingFolder = options.currentFolder.empty() ? folder : options.currentFolder;
    launch.environment = ChildEnvironment(folder + L"\\temp", options);
    launch.unixEnvironment = UnixEnvironment(options);
    return launch;
}

} // namespace

bool RunResult::logHasLine(const std::wstring& textAfterPrefix) const {
    return HasLogLine(log, textAfterPrefix);
}

std::vector<std::wstring> RunResult::logEntries() const {
    return LogEntries(log);
}

struct ScenarioFolder::Running::State {
    State(const std::wstring& folder, const std::wstring& exePath, const RunOptions& options)
        : tempFolder(folder + L"\\temp"), deadline(GetTickCount64() + options.timeoutMs),
          child(LaunchFor(folder, exePath, options)),
          watcher(child.id(), options.answers, options.onDialog) {}

    DWORD remainingMs() const {
        const ULONGLONG now = GetTickCount64();
        return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
    }

    const std::wstring tempFolder;
    const ULONGLONG deadline;
    ChildProcess child;
    BoxWatcher watcher;
    bool finished = false;
};

ScenarioFolder::Running::Running(std::unique_ptr<State> state) : state_(std::move(state)) {}
ScenarioFolder::Running::Running(Running&&) noexcept = default;
ScenarioFolder::Running& ScenarioFolder::Running::operator=(Running&&) noexcept = default;

ScenarioFolder::Running::~Running() {
    if (state_ && !state_->finished)
        state_->child.terminate(kTimedOutExitCode);
}

DWORD ScenarioFolder::Running::processId() const {
    return state_->child.id();
}

RunResult ScenarioFolder::Running::finish() {
    if (!state_ || state_->finished)
        throw std::logic_error("Running::finish() called twice");
    State& run = *state_;
    run.finished = true;
    RunResult result;
    if (!run.child.waitFor(run.remainingMs())) {
        run.child.terminate(kTimedOutExitCode);
        result.timedOut = true;
    }
    run.watcher.stop();
    result.exitCode = run.child.exitCode();
    result.boxes = run.watcher.boxes();
    ReadLogs(run.tempFolder, result);
    return result;
}

ScenarioFolder::ScenarioFolder(const std::wstring& name) : path_(ScenarioRoot() + L"\\" + name) {
    RemoveFolderOfAnEarlierRun(path_);
    fs::create_directories(tempPath());
}

void ScenarioFolder::writeIni(const std::string& bytes, const std::wstring& exeName) {
    writeFile(WithoutExtension(exeName) + L".ini", bytes);
}

void ScenarioFolder::writeFile(const std::wstring& relName, const std::string& bytes) {
    const std::wstring target = path_ + L"\\" + relName;
    CreateParentFolder(target);
    WriteFileBytes(target, bytes);
}

void ScenarioFolder::copyIn(const std::wstring& sourcePath, const std::wstring& relName) {
    const std::wstring target = path_ + L"\\" + relName;
    CreateParentFolder(target);
    if (!CopyFileW(sourcePath.c_str(), target.c_str(), FALSE)) {
        const DWORD error = GetLastError();
        ThrowWin32Error("Copying", sourcePath, error);
    }
}

RunResult ScenarioFolder::run(const RunOptions& options) {
    return start(options).finish();
}

ScenarioFolder::Running ScenarioFolder::start(const RunOptions& options) {
    const std::wstring exePath = path_ + L"\\" + options.exeName;
    if (!fs::exists(exePath))
        copyIn(SetupExePath(), options.exeName);
    SetWineWindowsVersion(options.exeName, options.windowsVersion);
    return Running(std::make_unique<Running::State>(path_, exePath, options));
}

} // namespace scenario
