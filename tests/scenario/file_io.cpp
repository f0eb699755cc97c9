#include "file_io.h"

#include "foundation/handles.h"
#include "harness_error.h"

namespace scenario {

std::string ReadFileBytes(const std::wstring& path) {
    // Sharing delete too: a file that has just been renamed into place may still be open for that.
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        ThrowWin32Error("Opening", path, error);
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
            const DWORD error = GetLastError();
            ThrowWin32Error("Reading", path, error);
        }
        if (got == 0)
            return bytes;
        bytes.append(buffer, got);
    }
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        ThrowWin32Error("Creating", path, error);
    }
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        const DWORD error = GetLastError();
        ThrowWin32Error("Writing", path, error);
    }
}

} // namespace scenario
