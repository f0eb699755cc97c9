#include "foundation/log_name.h"

#include "foundation/text.h"

namespace {
bool IsUnsafeFileNameChar(wchar_t c) {
    return c < 0x20 || c == L'\\' || c == L'/' || c == L':' || c == L'*' || c == L'?' ||
           c == L'"' || c == L'<' || c == L'>' || c == L'|';
}

// COM and LPT take one digit, or one of the superscripts ¹ ² ³ that Windows also maps to them.
bool IsPortDigit(wchar_t c) {
    return (c >= L'0' && c <= L'9') || c == 0x00B9 || c == 0x00B2 || c == 0x00B3;
}

bool IsDeviceStem(const std::wstring& stem) {
    static const wchar_t* const kDevices[] = {L"CON", L"PRN",    L"AUX",
                                              L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* device : kDevices)
        if (EqualsIgnoringCase(stem, device))
            return true;
    if (stem.size() != 4 || !IsPortDigit(stem[3]))
        return false;
    std::wstring letters = stem.substr(0, 3);
    return EqualsIgnoringCase(letters, L"COM") || EqualsIgnoringCase(letters, L"LPT");
}

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
} // namespace

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

bool IsReservedDeviceName(const std::wstring& name) {
    // Windows looks at the part before the first dot, without trailing blanks.
    std::wstring stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && stem.back() == L' ')
        stem.pop_back();
    return IsDeviceStem(stem);
}

std::size_t LogNameBudget(std::size_t tempFolderUnits) {
    const std::size_t fixed = tempFolderUnits + kLogFileNameSuffixUnits +
                              (sizeof(kEngineLogSuffix) / sizeof(wchar_t) - 1);
    return fixed >= kMaxLogPathUnits ? 0 : kMaxLogPathUnits - fixed;
}

std::wstring FitLogName(const std::wstring& name, std::size_t maxUnits) {
    if (name.size() <= maxUnits)
        return name;
    std::size_t length = maxUnits;
    if (length > 0 && IsHighSurrogate(name[length - 1]))
        --length;
    return name.substr(0, length);
}

bool IsSafeLogName(const std::wstring& name) {
    return !HasUnsafeFileNameChars(name) && !IsReservedDeviceName(name);
}

std::wstring CleanLogName(const std::wstring& name, std::size_t maxUnits) {
    std::wstring clean = ReplaceUnsafeFileNameChars(FitLogName(name, maxUnits));
    if (IsReservedDeviceName(clean))
        clean[0] = L'$';
    return clean;
}
