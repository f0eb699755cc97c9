#include "prereq/install_loop.h"

#include "foundation/download_folder.h"
#include "foundation/file_system.h"
#include "foundation/host_facts.h"
#include "foundation/setup_log.h"
#include "foundation/wide_format.h"
#include "prereq/installer_hash.h"
#include "prereq/run_component.h"

#include <windows.h>

#include <vector>

namespace {
void LogNames(const wchar_t* heading, const std::vector<const std::wstring*>& names) {
    if (names.empty())
        return;
    LogText(heading);
    for (const std::wstring* name : names)
        LogPrintf(L" '%s'\r\n", name->c_str());
}

// The launcher's texts are made for a box and lack the line end that a log entry needs.
std::wstring AsLogLine(const std::wstring& message) {
    bool ended = message.size() >= 2 && message.compare(message.size() - 2, 2, L"\r\n") == 0;
    return ended ? message : message + L"\r\n";
}

bool InstallerFileMissing(const Prerequisite& record) {
    return !record.Url.empty() && !record.InstPath.empty() && !FileExists(record.InstPath);
}

struct LauncherRun : ComponentRun {
    LauncherRun(const Prerequisite& record, std::wstring& message, UniqueFileHandle& verified)
        : ComponentRun{Launch}, record(record), message(message), verified(verified) {}
    static DWORD WINAPI Launch(void* self) {
        LauncherRun& run = *static_cast<LauncherRun*>(static_cast<ComponentRun*>(self));
        run.result = RunComponent(run.record, run.message, &run.verified);
        return 0;
    }
    const Prerequisite& record;
    std::wstring& message;
    UniqueFileHandle& verified;
    unsigned long result = ERROR_SUCCESS;
};

} // namespace

namespace {
enum class Turn { Installed, NotInstalled, Stop };

// One selected record's turn: its installer run, or why it was not.
Turn InstallOne(Prerequisite& record, InstallObserver& observer, CDownloadFolder& downloads,
                bool& rebootNeeded) {
    observer.Running(record);
    std::wstring message = FormatWide(L"Prerequisite '%s' not installed.\r\n", record.Name.c_str());
    if (record.AdminNeed != 0 && !IsUserAdmin()) {
        observer.StoppedForRights(record);
        LogText(message + L"Need admistrative privilege\r\n");
        return Turn::Stop;
    }
    // Fetched before the missing-file check: the download dialog comes only when that failed.
    if (WantsDownload(record))
        observer.Download(record, downloads);
    // A file that is not the one InstHash names counts as missing.
    UniqueFileHandle verified;
    if (InstallerFileMissing(record) || !CheckInstallerHash(record, verified)) {
        if (record.Url.empty() || !observer.Missing(record))
            LogText(message);
        return Turn::NotInstalled;
    }
    LauncherRun run(record, message, verified);
    observer.Await(run);
    if (run.result == ERROR_SUCCESS || run.result == ERROR_SUCCESS_REBOOT_REQUIRED) {
        rebootNeeded = rebootNeeded || run.result == ERROR_SUCCESS_REBOOT_REQUIRED;
        return Turn::Installed;
    }
    LogText(AsLogLine(message));
    observer.Failed(record, message);
    return Turn::NotInstalled;
}
} // namespace

void InstallSelected(PrerequisiteList& records, InstallObserver& observer, bool& rebootNeeded) {
    bool anySelected = false;
    for (const Prerequisite& record : records) {
        if (!record.Selected)
            continue;
        if (!anySelected)
            LogText(L"Try install prerequisites:\r\n");
        anySelected = true;
        LogPrintf(L" '%s'\r\n", record.Name.c_str());
    }

    std::vector<const std::wstring*> installed;
    // Downloaded installers are needed only while the loop runs: their folder goes with it,
    // whichever way it ends.
    CDownloadFolder downloads;
    for (Prerequisite& record : records) {
        if (!record.Selected)
            continue;
        const Turn turn = InstallOne(record, observer, downloads, rebootNeeded);
        if (turn == Turn::Stop)
            return; // no summary
        if (turn == Turn::Installed)
            installed.push_back(&record.Name);
    }
    LogNames(L"Installed prerequisites:\r\n", installed);
}

void InstallPassively(PrerequisiteList& records, InstallObserver& observer, bool& rebootNeeded) {
    LogText(L"Installing prerequisites passively:\r\n");
    for (const Prerequisite& record : records)
        LogPrintf(L"  %s\r\n", record.Name.c_str());
    InstallSelected(records, observer, rebootNeeded);
}
