#include "foundation/download_folder.h"

#include "foundation/temp_folder.h"
#include "foundation/handles.h"
#include "foundation/wide_format.h"

#include <sddl.h>

namespace {
// Protected: nothing inherited from the temp folder, where every user may have rights. The
// installers run elevated, so Administrators' access is all they need.
const wchar_t kFolderSecurity[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
constexpr unsigned kNameTries = 100;

} // namespace

CDownloadFolder::~CDownloadFolder() {
    if (path_.empty())
        return;
    DeleteFileW(file_.c_str());
    RemoveDirectoryW(path_.c_str());
}

std::wstring CDownloadFolder::NewFile(const wchar_t* name) {
    if (!file_.empty())
        DeleteFileW(file_.c_str());
    file_ = path_ + L"\\" + name;
    return file_;
}

unsigned long CDownloadFolder::create() {
    if (!path_.empty())
        return 0;
    const std::wstring temp = TempFolder();
    if (temp.empty())
        return GetLastError();
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kFolderSecurity, SDDL_REVISION_1,
                                                              &descriptor, nullptr))
        return GetLastError();
    UniqueLocalMemory owned(descriptor);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    // A name already there may belong to someone else: it is never used, the next one is.
    for (unsigned attempt = 0; attempt < kNameTries; ++attempt) {
        const std::wstring path =
            FormatWide(L"%sSetupDownload-%lu-%u", temp.c_str(), GetCurrentProcessId(), attempt);
        if (CreateDirectoryW(path.c_str(), &attributes)) {
            path_ = path;
            return 0;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return GetLastError();
    }
    return ERROR_ALREADY_EXISTS;
}
