#include "foundation/setup_log.h"

#include "foundation/code_page.h"
#include "foundation/log_format.h"
#include "foundation/own_file.h"
#include "foundation/run_context.h"
#include "foundation/wide_format.h"

#include <cstdarg>

namespace {
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
} // namespace

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

LocalTime CurrentLocalTime() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}
