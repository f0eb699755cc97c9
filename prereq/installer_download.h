#pragma once
// Fetching a record's installer from its DownloadUrl into the run's download folder.
#include "foundation/http_download.h"

class CDownloadFolder;
struct Prerequisite;

// How the caller follows a download: progress and a cancel flag, as DownloadJob has them.
struct DownloadWatch {
    DownloadProgress progress = nullptr;
    void* context = nullptr;
    const volatile long* cancel = nullptr;
};

// The record names a DownloadUrl and no file matches its InstPath.
bool WantsDownload(const Prerequisite& record);

// Downloads the installer of a record that WantsDownload, when it has a valid InstHash (without
// one nothing is fetched: nothing unverified runs as administrator; logged). The file goes into
// the folder under the last part of InstPath, and InstPath names it from then on, its hash taken
// as it arrived (Downloaded, DownloadedHash) for the check before it runs. 0 on success; else the
// error (ERROR_CANCELLED when cancelled), the record unchanged and nothing left behind.
unsigned long DownloadInstaller(Prerequisite& record, CDownloadFolder& folder,
                                const DownloadWatch& watch);
