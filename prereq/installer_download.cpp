#include "prereq/installer_download.h"

#include "foundation/download_folder.h"
#include "foundation/error_text.h"
#include "foundation/file_system.h"
#include "foundation/setup_log.h"
#include "prereq/prerequisite.h"

namespace {
const wchar_t* LastPart(const std::wstring& path) {
    const wchar_t* name = path.c_str();
    for (const wchar_t* at = name; *at; ++at)
        if (*at == L'\\' || *at == L'/')
            name = at + 1;
    return name;
}
} // namespace

bool WantsDownload(const Prerequisite& record) {
    return !record.DownloadUrl.empty() && !record.InstPath.empty() && !FileExists(record.InstPath);
}

unsigned long DownloadInstaller(Prerequisite& record, CDownloadFolder& folder,
                                const DownloadWatch& watch) {
    Sha256Digest expected;
    if (!ParseSha256Text(record.InstHash, expected)) {
        LogPrintf(L"'%s' not downloaded: no valid InstHash.\r\n", record.Name.c_str());
        return ERROR_INVALID_DATA;
    }
    const unsigned long folderError = folder.create();
    if (folderError != 0) {
        LogPrintf(L"Download '%s' failed: %s\r\n", record.DownloadUrl.c_str(),
                  FormatErrorCode(folderError).c_str());
        return folderError;
    }
    DownloadJob job;
    job.url = record.DownloadUrl;
    job.path = folder.NewFile(LastPart(record.InstPath));
    job.progress = watch.progress;
    job.context = watch.context;
    job.cancel = watch.cancel;
    LogPrintf(L"Download '%s' to '%s'.\r\n", job.url.c_str(), job.path.c_str());
    const unsigned long error = DownloadFile(job, record.DownloadedHash);
    if (error == ERROR_CANCELLED)
        LogPrintf(L"Download '%s' canceled.\r\n", job.url.c_str());
    if (error != 0)
        return error;
    // Compared with InstHash where every installer is, before it runs.
    record.InstPath = job.path;
    record.Downloaded = true;
    return 0;
}
