#include "foundation/setup_log.h"
#include "foundation/dll_binding.h"

#include "foundation/run_context.h"
#include "foundation/handles.h"
#include "foundation/ini_file.h"
#include "foundation/log_format.h"
#include "foundation/trusted_owner.h"
#include "foundation/wide_format.h"

#include <cstdarg>

namespace {
LocalTime CurrentLocalTime() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

bool WriteUnits(HANDLE file, const std::wstring& text) {
    const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    DWORD written = 0;
    return text.empty() ||
           (WriteFile(file, text.data(), bytes, &written, nullptr) && written == bytes);
}

// 0 for UTF-16 text, else the 8-bit code page of the file's existing log.
unsigned LogCodePageFor(const std::wstring& path) {
    const RunContext& context = CurrentRunContext();
    return path == context.LogPath ? context.LogCodePage : 0;
}

bool WriteLogText(HANDLE file, const std::wstring& text, unsigned codePage) {
    if (codePage == 0)
        return WriteUnits(file, text);
    const std::string bytes = ToCodePage(text, codePage);
    const DWORD count = static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    return bytes.empty() ||
           (WriteFile(file, bytes.data(), count, &written, nullptr) && written == count);
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
// run's current folder is often the system folder. Where Windows has GetTempPath2W, a run as
// SYSTEM gets the protected system temp folder (C:\Windows\SystemTemp) instead of
// C:\Windows\Temp, which every user can write; for other accounts it answers as GetTempPathW.
std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const auto getTempPath2 = BindKernel32<decltype(&::GetTempPathW)>("GetTempPath2W");
    DWORD length = (getTempPath2 ? getTempPath2 : &::GetTempPathW)(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH)
        return std::wstring();
    std::wstring folder(buffer, length);
    if (!IsAbsoluteFolder(folder))
        return std::wstring();
    if (folder.back() != L'\\')
        folder += L'\\';
    return folder;
}

// The log path for that name: the first of the name and its numbered forms (the name shortened
// to make room for the number) that is a new file or a plain file of this account's, else "".
// Unless `clean`, a name that cannot stand in a file name as it is gives "".
std::wstring ProbeLogPath(const std::wstring& tempFolder, const std::wstring& name,
                          std::size_t budget, bool clean, const LocalTime& time) {
    for (unsigned number = 1; number <= kMaxLogNumber; ++number) {
        const std::size_t room = number == 1 ? budget : budget - kLogNumberUnits;
        if (room == 0 || room > budget)
            break;
        const std::wstring fitted = clean ? CleanLogName(name, room) : FitLogName(name, room);
        if (!IsSafeLogName(fitted))
            break;
        const std::wstring path =
            NumberedLogFileName(FormatLogFileName(tempFolder, fitted, time), number);
        if (OpenOwnFile(path, FILE_APPEND_DATA, OPEN_ALWAYS))
            return path;
    }
    return std::wstring();
}

// A file that setup.exe could have written: no reparse point (a link opened as such), no second
// name (a hard link to a file elsewhere), an owner that is this account, Administrators or SYSTEM.
bool IsOwnPlainFile(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(file, &info))
        return false;
    const DWORD notPlain = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
    return (info.dwFileAttributes & notPlain) == 0 && info.nNumberOfLinks == 1 &&
           !HasForeignOwner(file, SE_FILE_OBJECT);
}
} // namespace

UniqueFileHandle OpenOwnFile(const std::wstring& path, DWORD access, DWORD disposition) {
    if (path.empty())
        return UniqueFileHandle();
    UniqueFileHandle file(
        CreateFileW(path.c_str(), access | READ_CONTROL | FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file && !IsOwnPlainFile(file.get())) {
        file.reset();
        SetLastError(ERROR_FILE_EXISTS);
    }
    return file;
}

bool WriteLog(const std::wstring& path, const std::wstring& text, bool withPrefix) {
    UniqueFileHandle file = OpenOwnFile(path, FILE_APPEND_DATA, OPEN_ALWAYS);
    if (!file)
        return false;
    LARGE_INTEGER size = {};
    const bool isNew = GetFileSizeEx(file.get(), &size) && size.QuadPart == 0;
    const unsigned codePage = isNew ? 0 : LogCodePageFor(path);
    std::wstring units = isNew ? L"\xFEFF" : L"";
    if (withPrefix)
        units += FormatLogPrefix(CurrentLocalTime());
    const bool written = WriteLogText(file.get(), units + text, codePage);
    // Closed here, not by the owner: a failed close must count as a failed write, or a caller
    // copying a large text would take it for done.
    return CloseHandle(file.release()) && written;
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
    // the probe creates (or checks) the very file that the log will be.
    const LocalTime now = CurrentLocalTime();
    std::wstring path = ProbeLogPath(tempFolder, name, budget, false, now);
    if (path.empty() && !languageNeutralName.empty())
        path = ProbeLogPath(tempFolder, languageNeutralName, budget, false, now);
    // A '?' stands where a character was lost in an 8-bit conversion; it and every other
    // character that cannot be part of a file name become '$', as does a device name's first.
    if (path.empty())
        path = ProbeLogPath(tempFolder, name, budget, true, now);
    return path;
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
