#include "foundation/locked_file.h"

#include "foundation/sha256.h"

#include <vector>

UniqueFileHandle OpenLockedFile(const std::wstring& path) {
    return UniqueFileHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

unsigned long HashLockedFile(HANDLE file, Sha256Digest& digest) {
    CSha256 hash;
    if (hash.error())
        return hash.error();
    LARGE_INTEGER start = {};
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
        return GetLastError();
    std::vector<unsigned char> buffer(64 * 1024);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
            return GetLastError();
        if (read == 0)
            return hash.finish(digest) ? 0 : hash.error();
        if (!hash.add(buffer.data(), read))
            return hash.error();
    }
}
