#pragma once
// The folder of this run's downloads: made in the temp folder with a new name and an access list
// that lets only Administrators and SYSTEM in (nothing inherited), so that no other account can
// put or swap a file there between download and start. Components are fetched and run one after
// the other, so it holds one file at a time. Removed with its file when the owner goes, after a
// failure or a cancel as well.
#include <string>

class CDownloadFolder {
public:
    CDownloadFolder() = default;
    ~CDownloadFolder();
    CDownloadFolder(const CDownloadFolder&) = delete;
    CDownloadFolder& operator=(const CDownloadFolder&) = delete;

    // Makes the folder on first use; 0 or the Windows error why it cannot be made. The path then
    // has no trailing separator.
    unsigned long create();
    const std::wstring& path() const { return path_; }
    // The path of the folder's file of that name, the file of an earlier one deleted.
    std::wstring NewFile(const wchar_t* name);

private:
    std::wstring path_;
    std::wstring file_;
};
