#include "foundation/chosen_log.h"

#include "foundation/own_file.h"
#include "foundation/setup_log.h"

namespace {
// The encoding of an existing log from its first bytes: a UTF-16 byte order mark, or a first
// character whose high byte is 0, is UTF-16; a UTF-8 one is UTF-8; anything else is ANSI.
unsigned CodePageOfLogStart(const unsigned char* bytes, DWORD count) {
    if (count >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || bytes[1] == 0))
        return 0;
    if (count >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        return CP_UTF8;
    return GetACP();
}
} // namespace

ChosenLog OpenChosenLog(const std::wstring& path) {
    ChosenLog log;
    wchar_t full[MAX_PATH + 1] = {};
    DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH + 1, full, nullptr);
    if (length == 0 || length > MAX_PATH) {
        log.error = length == 0 ? GetLastError() : ERROR_FILENAME_EXCED_RANGE;
        return log;
    }
    log.path.assign(full, length);
    // The same checks as for the temp log: a link or a file of another account planted under the
    // chosen name is refused, not written through.
    UniqueFileHandle file = OpenOwnFile(log.path, GENERIC_READ | FILE_APPEND_DATA, OPEN_ALWAYS);
    if (!file) {
        log.error = GetLastError();
        return log;
    }
    unsigned char start[3] = {};
    DWORD count = 0;
    if (!ReadFile(file.get(), start, sizeof(start), &count, nullptr)) {
        log.error = GetLastError();
        return log;
    }
    if (count == 0) {
        DWORD written = 0;
        if (!WriteFile(file.get(), "\xFF\xFE", 2, &written, nullptr))
            log.error = GetLastError();
        else if (written != 2)
            log.error = ERROR_WRITE_FAULT;
        return log;
    }
    log.codePage = CodePageOfLogStart(start, count);
    log.appended = true;
    return log;
}

void LogNewRunMarker() {
    LogText(L"\r\n", false);
    LogText(L"======== New setup run ========\r\n");
}
