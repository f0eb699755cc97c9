#include "foundation/setup_log.h"

#include "foundation/run_context.h"
#include "foundation/handles.h"
#include "foundation/log_format.h"
#include "foundation/wide_format.h"

#include <cstdarg>
#include <cstdio>
#include <memory>

namespace {
constexpr std::size_t kLogMessageCapacity = 4096;

LocalTime CurrentLocalTime() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
};

void WriteUnits(FILE* file, const std::wstring& text) {
    if (!text.empty())
        fwrite(text.data(), sizeof(wchar_t), text.size(), file);
}

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    return length == 0 || length > MAX_PATH ? std::wstring() : std::wstring(buffer, length);
}

bool IsUsableLogName(const std::wstring& tempFolder, const std::wstring& name) {
    return !HasUnsafeFileNameChars(name) && CanCreateFile(tempFolder + name + L".tmp");
}
} // namespace

bool WriteLog(const std::wstring& path, const std::wstring& text, bool withPrefix) {
    if (path.empty())
        return false;
    bool isNew = GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
    std::unique_ptr<FILE, FileCloser> file(_wfopen(path.c_str(), L"ab+"));
    if (!file)
        return false;
    if (isNew)
        fwrite("\xFF\xFE", 1, 2, file.get());
    if (withPrefix)
        WriteUnits(file.get(), FormatLogPrefix(CurrentLocalTime()));
    WriteUnits(file.get(), text);
    return true;
}

bool LogText(const std::wstring& text, bool withPrefix) {
    return WriteLog(CurrentRunContext().LogPath, text, withPrefix);
}

void LogPrintf(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = FormatWideBoundedV(kLogMessageCapacity, format, args);
    va_end(args);
    WriteLog(CurrentRunContext().LogPath, text, true);
}

void LogPrintfTo(const std::wstring& path, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = FormatWideBoundedV(kLogMessageCapacity, format, args);
    va_end(args);
    WriteLog(path, text, true);
}

std::wstring BuildLogFileName(const std::wstring& name, const std::wstring& languageNeutralName) {
    std::wstring tempFolder = TempFolder();
    std::wstring chosen;
    if (IsUsableLogName(tempFolder, name)) {
        chosen = name;
    } else if (!languageNeutralName.empty() && IsUsableLogName(tempFolder, languageNeutralName)) {
        chosen = languageNeutralName;
    } else {
        // A '?' stands where a character was lost in an 8-bit conversion; it and every other
        // character that cannot be part of a file name become '$'.
        chosen = ReplaceUnsafeFileNameChars(name);
        if (!CanCreateFile(tempFolder + chosen + L".tmp"))
            return std::wstring();
    }
    return FormatLogFileName(tempFolder, chosen, CurrentLocalTime());
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
