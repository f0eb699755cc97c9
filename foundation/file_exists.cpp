#include "foundation/file_exists.h"

#include "foundation/handles.h"

bool FileExists(const std::wstring& path) {
    // No "insert a disk" box for an empty removable drive.
    UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW(path.c_str(), &found));
    SetErrorMode(previousMode);
    return search.valid();
}
