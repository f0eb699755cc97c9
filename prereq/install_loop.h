#pragma once
// The install loop over the prerequisite records: it runs the installer of every selected record
// in order and tells an observer what happens, so that a dialog can show it and a run without a
// window only logs it.
#include "prereq/installer_download.h"
#include "prereq/prerequisite.h"

#include <windows.h>

#include <string>

// One installer's run, handed to the observer so that it decides where the slow call waits:
// run(this) fits a thread's start routine.
struct ComponentRun {
    DWORD(WINAPI* run)(void* self);
};

// What the loop reports. The defaults are those of a run without a window: nothing is shown,
// the installer runs where the loop is, and a missing installer stays missing.
class InstallObserver {
public:
    // The record's turn has come.
    virtual void Running(const Prerequisite&) {}
    // The record needs administrative rights the user lacks: the loop stops.
    virtual void StoppedForRights(const Prerequisite&) {}
    // The installer file is missing but the record names a download page; true when the
    // component was found after all.
    virtual bool Missing(Prerequisite&) { return false; }
    virtual void Await(ComponentRun& run) { run.run(&run); }
    // The record's installer is fetched from its DownloadUrl (installer_download.h); the
    // observer shows its progress. 0 when it arrived.
    virtual unsigned long Download(Prerequisite& record, CDownloadFolder& folder) {
        return DownloadInstaller(record, folder, DownloadWatch());
    }
    // The installer failed; `message` is what was logged.
    virtual void Failed(const Prerequisite&, const std::wstring&) {}

protected:
    ~InstallObserver() = default;
};

// Runs the installer of every selected record in order; rebootNeeded is set when one of them
// answered 3010.
void InstallSelected(PrerequisiteList& records, InstallObserver& observer, bool& rebootNeeded);
// The same for every record, logging the list first, as quiet and passive runs do; the observer
// shows no more than a download's progress.
void InstallPassively(PrerequisiteList& records, InstallObserver& observer, bool& rebootNeeded);
