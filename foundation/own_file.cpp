#include "foundation/own_file.h"

#include "foundation/trusted_owner.h"

namespace {
// A file this run created is its own whoever Windows names as its owner (on a share the computer
// account of a SYSTEM run, on FAT nobody): later opens know it by its path and identity (an
// identity alone can come back: Wine, FAT and some servers reuse a deleted file's number). A run
// creates a handful of files; the last few are remembered.
struct CreatedFile {
    std::wstring path;
    DWORD volume, indexHigh, indexLow;
};
constexpr unsigned kRememberedFiles = 16;
CreatedFile filesThisRunCreated[kRememberedFiles];
unsigned createdCount = 0;

bool SameFile(const CreatedFile& a, const CreatedFile& b) {
    return a.volume == b.volume && a.indexHigh == b.indexHigh && a.indexLow == b.indexLow &&
           a.path == b.path;
}

bool WasCreatedByThisRun(const CreatedFile& file) {
    const unsigned count = createdCount < kRememberedFiles ? createdCount : kRememberedFiles;
    for (unsigned i = 0; i < count; ++i)
        if (SameFile(filesThisRunCreated[i], file))
            return true;
    return false;
}

FileOwnerCheck& OwnerCheck() {
    static FileOwnerCheck check = nullptr;
    return check;
}

bool HasForeignFileOwner(HANDLE file) {
    return OwnerCheck() ? OwnerCheck()(file) : HasForeignOwner(file, SE_FILE_OBJECT);
}

// A file that setup.exe could have written: no reparse point (a link opened as such), no second
// name (a hard link to a file elsewhere), and made by this run or owned by this account,
// Administrators or SYSTEM.
bool IsOwnPlainFile(HANDLE file, const std::wstring& path, bool created) {
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(file, &info))
        return false;
    const DWORD notPlain = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
    if ((info.dwFileAttributes & notPlain) != 0 || info.nNumberOfLinks != 1)
        return false;
    CreatedFile identity{path, info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    if (created) {
        filesThisRunCreated[createdCount++ % kRememberedFiles] = identity;
        return true;
    }
    return WasCreatedByThisRun(identity) || !HasForeignFileOwner(file);
}
} // namespace

void SetFileOwnerCheck(FileOwnerCheck check) {
    OwnerCheck() = check;
}

UniqueFileHandle OpenOwnFile(const std::wstring& path, DWORD access, DWORD disposition) {
    if (path.empty())
        return UniqueFileHandle();
    UniqueFileHandle file(
        CreateFileW(path.c_str(), access | READ_CONTROL | FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    // OPEN_ALWAYS and CREATE_ALWAYS tell an existing file by ERROR_ALREADY_EXISTS.
    const bool created = file && (disposition == CREATE_NEW ||
                                  ((disposition == OPEN_ALWAYS || disposition == CREATE_ALWAYS) &&
                                   GetLastError() != ERROR_ALREADY_EXISTS));
    if (file && !IsOwnPlainFile(file.get(), path, created)) {
        file.reset();
        SetLastError(ERROR_FILE_EXISTS);
    }
    return file;
}
