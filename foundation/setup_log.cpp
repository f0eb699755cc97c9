#include "foundation/setup_log.h"

#include "foundation/run_context.h"
#include "foundation/handles.h"
#include "foundation/ini_file.h"
#include "foundation/log_format.h"
#include "foundation/wide_format.h"

#include <cstdarg>
#include <cstdio>
#include <memory>

namespace {
LocalTime CurrentLocalTime() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
};

bool WriteUnits(FILE* file, const std::wstring& text) {
    return text.empty() || fwrite(text.data(), sizeof(wchar_t), text.size(), file) == text.size();
}

// 0 for UTF-16 text, else the 8-bit code page of the file's existing log.
unsigned LogCodePageFor(const std::wstring& path) {
    const RunContext& context = CurrentRunContext();
    return path == context.LogPath ? context.LogCodePage : 0;
}

bool WriteLogText(FILE* file, const std::wstring& text, unsigned codePage) {
    if (codePage == 0)
        return WriteUnits(file, text);
    std::string bytes = ToCodePage(text, codePage);
    return fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

// The encoding of an existing log from its first bytes: a UTF-16 byte order mark, or a first
// character whose high byte is 0, is UTF-16; a UTF-8 one is UTF-8; anything else is ANSI.
unsigned CodePageOfLogStart(const unsigned char* bytes, DWORD count) {
    if (count >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || bytes[1] == 0))
        return 0;
    if (count >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        return CP_UTF8;
    return GetACP();
}

bool IsAbsoluteFolder(const std::wstring& path) {
    const bool drive = path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
    const bool share = path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\';
    return drive || share;
}

// The user's temp folder with its trailing separator, or "" when there is no usable one (too long
// for a log path, or not a full path). The log never falls back to another folder: an elevated
// run's current folder is often the system folder.
std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH)
        return std::wstring();
    std::wstring folder(buffer, length);
    if (!IsAbsoluteFolder(folder))
        return std::wstring();
    if (folder.back() != L'\\')
        folder += L'\\';
    return folder;
}

// The log path for that name when it can be created there, else "".
std::wstring ProbeLogPath(const std::wstring& tempFolder, const std::wstring& name,
                          const LocalTime& time) {
    std::wstring path = FormatLogFileName(tempFolder, name, time);
    return CanCreateFile(path) ? path : std::wstring();
}

std::wstring ProbeSafeLogPath(const std::wstring& tempFolder, const std::wstring& name,
                              const LocalTime& time) {
    return IsSafeLogName(name) ? ProbeLogPath(tempFolder, name, time) : std::wstring();
}
} // namespace

bool WriteLog(const std::wstring& path, const std::wstring& text, bool withPrefix) {
    if (path.empty())
        return false;
    bool isNew = GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
    std::unique_ptr<FILE, FileCloser> file(_wfopen(path.c_str(), L"ab+"));
    if (!file)
        return false;
    bool written = !isNew || fwrite("\xFF\xFE", 1, 2, file.get()) == 2;
    const unsigned codePage = isNew ? 0 : LogCodePageFor(path);
    if (withPrefix)
        written =
            WriteLogText(file.get(), FormatLogPrefix(CurrentLocalTime()), codePage) && written;
    written = WriteLogText(file.get(), text, codePage) && written;
    // Closed here, not by the owner: a failed flush (a full disk) must count as a failed write,
    // or a caller copying a large text would take it for done.
    return fclose(file.release()) == 0 && written;
}

bool LogText(const std::wstring& text, bool withPrefix) {
    return WriteLog(CurrentRunContext().LogPath, text, withPrefix);
}

void LogPrintf(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = FitLogMessage(FormatWideV(format, args));
    va_end(args);
    WriteLog(CurrentRunContext().LogPath, text, true);
}

void LogPrintfTo(const std::wstring& path, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = FitLogMessage(FormatWideV(format, args));
    va_end(args);
    WriteLog(path, text, true);
}

std::wstring BuildLogFileName(const std::wstring& name, const std::wstring& languageNeutralName) {
    std::wstring tempFolder = TempFolder();
    std::size_t budget = LogNameBudget(tempFolder.size());
    if (tempFolder.empty() || budget == 0)
        return std::wstring();
    // Long names are shortened so that the log and the engine's side file both fit in MAX_PATH;
    // the probe creates the very file that the log will be.
    const LocalTime now = CurrentLocalTime();
    std::wstring path = ProbeSafeLogPath(tempFolder, FitLogName(name, budget), now);
    if (path.empty() && !languageNeutralName.empty())
        path = ProbeSafeLogPath(tempFolder, FitLogName(languageNeutralName, budget), now);
    // A '?' stands where a character was lost in an 8-bit conversion; it and every other
    // character that cannot be part of a file name become '$', as does a device name's first.
    if (path.empty())
        path = ProbeLogPath(tempFolder, CleanLogName(name, budget), now);
    return path;
}

bool CanCreateFile(const std::wstring& path) {
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    bool existedBefore = GetLastError() == ERROR_ALREADY_EXISTS;
    file.reset();
    if (!existedBefore)
        DeleteFileW(path.c_str());
    return true;
}

ChosenLog OpenChosenLog(const std::wstring& path) {
    ChosenLog log;
    wchar_t full[MAX_PATH + 1] = {};
    DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH + 1, full, nullptr);
    if (length == 0 || length > MAX_PATH) {
        log.error = length == 0 ? GetLastError() : ERROR_FILENAME_EXCED_RANGE;
        return log;
    }
    log.path.assign(full, length);
    UniqueFileHandle file(CreateFileW(full, GENERIC_READ | FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
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
