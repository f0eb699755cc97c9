#include "foundation/log_format.h"

#include "foundation/wide_format.h"

namespace {
constexpr std::size_t kLogMessageUnits = 4095;
constexpr std::size_t kKeptEndUnits = 256;
const wchar_t kCutMark[] = L"...";
constexpr std::size_t kCutMarkUnits = 3;

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}
} // namespace

std::wstring FormatLogPrefix(const LocalTime& t) {
    return FormatWide(L"Setup.exe [%04d.%02d.%02d %02d:%02d:%02d]: ", t.year, t.month, t.day,
                      t.hour, t.minute, t.second);
}

std::wstring FormatLogFileName(const std::wstring& tempFolder, const std::wstring& name,
                               const LocalTime& t) {
    return FormatWide(L"%s%s %s (%04d.%02d.%02d %02d.%02d).log", tempFolder.c_str(), name.c_str(),
                      L"Setup", t.year, t.month, t.day, t.hour, t.minute);
}

std::wstring FitLogMessage(const std::wstring& text) {
    if (text.size() <= kLogMessageUnits)
        return text;
    std::size_t headEnd = kLogMessageUnits - kCutMarkUnits - kKeptEndUnits;
    std::size_t tailStart = text.size() - kKeptEndUnits;
    if (IsHighSurrogate(text[headEnd - 1]))
        --headEnd;
    if (IsLowSurrogate(text[tailStart]))
        ++tailStart;
    return text.substr(0, headEnd) + kCutMark + text.substr(tailStart);
}

std::wstring NumberedLogFileName(const std::wstring& path, unsigned number) {
    if (number < 2 || path.size() < 4)
        return path;
    return path.substr(0, path.size() - 4) + FormatWide(L" (%u)", number) +
           path.substr(path.size() - 4);
}
