#include "prereq/installer_hash.h"

#include "foundation/error_text.h"
#include "foundation/locked_file.h"
#include "foundation/setup_log.h"
#include "prereq/prerequisite.h"

#include <utility>

bool CheckInstallerHash(const Prerequisite& record, UniqueFileHandle& lock) {
    if (record.InstHash.empty())
        return true;
    UniqueFileHandle file = OpenLockedFile(record.InstPath);
    // A download's hash was taken as it arrived, into a folder only administrators can write.
    Sha256Digest found = record.DownloadedHash;
    const unsigned long error = !file               ? GetLastError()
                                : record.Downloaded ? 0
                                                    : HashLockedFile(file.get(), found);
    Sha256Digest expected;
    if (error != 0 || !ParseSha256Text(record.InstHash, expected) || !(expected == found)) {
        // An unreadable file has no hash to show: the reason stands in its place.
        LogPrintf(L"'%s' does not match InstHash: expected '%s', found '%s'.\r\n",
                  record.InstPath.c_str(), record.InstHash.c_str(),
                  (error != 0 ? FormatErrorCode(error) : Sha256Text(found)).c_str());
        return false;
    }
    lock = std::move(file);
    return true;
}
