#include "foundation/log_format.h"

#include "foundation/wide_format.h"

std::wstring FormatLogPrefix(const LocalTime& t) {
    return FormatWide(L"Setup.exe [%04d.%02d.%02d %02d:%02d:%02d]: ", t.year, t.month, t.day,
                      t.hour, t.minute, t.second);
}

std::wstring FormatLogFileName(const std::wstring& tempFolder, const std::wstring& name,
                               const LocalTime& t) {
    return FormatWide(L"%s%s %s (%04d.%02d.%02d %02d.%02d).log", tempFolder.c_str(), name.c_str(),
                      L"Setup", t.year, t.month, t.day, t.hour, t.minute);
}

std::wstring NumberedLogFileName(const std::wstring& path, unsigned number) {
    if (number < 2 || path.size() < 4)
        return path;
    return path.substr(0, path.size() - 4) + FormatWide(L" (%u)", number) +
           path.substr(path.size() - 4);
}
