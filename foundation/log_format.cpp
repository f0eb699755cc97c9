#include "foundation/log_format.h"

#include "foundation/wide_format.h"

namespace {
bool IsUnsafeFileNameChar(wchar_t c) {
    return c < 0x20 || c == L'\\' || c == L'/' || c == L':' || c == L'*' || c == L'?' ||
           c == L'"' || c == L'<' || c == L'>' || c == L'|';
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

bool HasUnsafeFileNameChars(const std::wstring& name) {
    for (wchar_t c : name)
        if (IsUnsafeFileNameChar(c))
            return true;
    return false;
}

std::wstring ReplaceUnsafeFileNameChars(const std::wstring& name) {
    std::wstring safe = name;
    for (wchar_t& c : safe)
        if (IsUnsafeFileNameChar(c))
            c = L'$';
    return safe;
}
