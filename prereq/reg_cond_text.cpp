#include "prereq/reg_cond_text.h"

#include "foundation/ini_text.h"

#include <vector>

const wchar_t* const kRegRootNames[kRegRootCount] = {
    L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER",     L"HKEY_LOCAL_MACHINE",
    L"HKEY_USERS",        L"HKEY_PERFORMANCE_DATA",
};

namespace {
wchar_t FoldAscii(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool EqualsIgnoringCase(const std::wstring& text, std::size_t at, const wchar_t* word) {
    for (std::size_t i = 0; word[i] != L'\0'; ++i) {
        if (at + i >= text.size() || FoldAscii(text[at + i]) != FoldAscii(word[i]))
            return false;
    }
    return true;
}

bool StartsWithIgnoringCase(const std::wstring& text, const wchar_t* word) {
    return EqualsIgnoringCase(text, 0, word);
}

// -1, 0 or 1 after folding A-Z; a text that is a prefix of the other is the smaller.
int CompareIgnoringCase(const std::wstring& a, const std::wstring& b) {
    std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
        auto x = static_cast<std::uint16_t>(FoldAscii(a[i]));
        auto y = static_cast<std::uint16_t>(FoldAscii(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool IsPathBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

std::wstring TrimBlanks(const std::wstring& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsPathBlank(text[first]))
        ++first;
    while (last > first && IsPathBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

std::int32_t ToInt32(const std::wstring& text) {
    return static_cast<std::int32_t>(ParseLeadingInt(text));
}

bool EqualInFirstFour(const RegVersion& a, const RegVersion& b) {
    for (int i = 0; i < 4; ++i) {
        if (a.part[i] != b.part[i])
            return false;
    }
    return true;
}

bool GreaterInAllFive(const RegVersion& a, const RegVersion& b) {
    for (int i = 0; i < 5; ++i) {
        if (a.part[i] != b.part[i])
            return a.part[i] > b.part[i];
    }
    return false;
}

bool TakeType(std::wstring& cond, RegValueType& type) {
    static const struct {
        const wchar_t* name;
        RegValueType type;
    } kTypes[] = {
        {L"DWORD", RegValueType::Dword},
        {L"STRING", RegValueType::String},
        {L"VERSION", RegValueType::Version},
    };
    for (const auto& candidate : kTypes) {
        if (StartsWithIgnoringCase(cond, candidate.name)) {
            cond.erase(0, std::char_traits<wchar_t>::length(candidate.name));
            type = candidate.type;
            return true;
        }
    }
    return false;
}

bool TakeOperator(std::wstring& cond, RegOperator& op) {
    // "=" is tried first: "==5" is "=" with the value "=5".
    if (StartsWithIgnoringCase(cond, L"=")) {
        cond.erase(0, 1);
        op = RegOperator::Equal;
        return true;
    }
    if (StartsWithIgnoringCase(cond, L">=")) {
        cond.erase(0, 2);
        op = RegOperator::GreaterOrEqual;
        return true;
    }
    return false;
}
} // namespace

int FindRegRoot(const std::wstring& name) {
    for (int i = 0; i < kRegRootCount; ++i) {
        if (CompareIgnoringCase(name, kRegRootNames[i]) == 0)
            return i;
    }
    return -1;
}

std::uint32_t RegRootHandleValue(int index) {
    return 0x80000000u + static_cast<std::uint32_t>(index);
}

RegCondFault ParseRegCond(const std::wstring& regPath, const std::wstring& regCond,
                          RegCondParts& parts) {
    std::size_t firstSeparator = regPath.find(L'\\');
    if (regPath.empty() || firstSeparator == std::wstring::npos)
        return RegCondFault::InvalidKey;
    parts.rootName = regPath.substr(0, firstSeparator);
    std::wstring path = regPath.substr(firstSeparator + 1);
    parts.root = FindRegRoot(parts.rootName);
    if (parts.root < 0)
        return RegCondFault::UnknownRoot;

    std::size_t lastSeparator = path.rfind(L'\\');
    if (lastSeparator == std::wstring::npos || lastSeparator + 1 == path.size())
        return RegCondFault::InvalidPath;
    parts.valueName = path.substr(lastSeparator + 1);
    parts.keyPath = path.substr(0, lastSeparator);

    std::wstring cond = regCond;
    if (!TakeType(cond, parts.type))
        return RegCondFault::InvalidVariable;
    if (!TakeOperator(cond, parts.op))
        return RegCondFault::InvalidOperation;
    parts.value = cond;
    return RegCondFault::None;
}

bool ParseVersion(const std::wstring& text, RegVersion& version) {
    version = RegVersion();
    if (text.empty())
        return false;
    int index = 0;
    std::size_t at = 0;
    while (at <= text.size() && index < 5) {
        std::size_t dot = text.find(L'.', at);
        std::size_t end = dot == std::wstring::npos ? text.size() : dot;
        if (end > at)
            version.part[index++] = ToInt32(text.substr(at, end - at));
        if (dot == std::wstring::npos)
            break;
        at = dot + 1;
    }
    return true;
}

bool CompareDwordValue(std::int32_t registryValue, RegOperator op, const std::wstring& value) {
    std::int32_t wanted = ToInt32(value);
    return op == RegOperator::Equal ? registryValue == wanted : registryValue >= wanted;
}

bool CompareStringValue(const std::wstring& registryText, RegOperator op,
                        const std::wstring& value) {
    int order = CompareIgnoringCase(value, registryText);
    return op == RegOperator::Equal ? order == 0 : order <= 0;
}

bool CompareVersionValue(const std::wstring& registryText, RegOperator op,
                         const std::wstring& value) {
    RegVersion wanted;
    RegVersion found;
    bool wantedOk = ParseVersion(value, wanted);
    bool foundOk = ParseVersion(registryText, found);
    if (!wantedOk && !foundOk)
        return false;
    if (op == RegOperator::GreaterOrEqual && GreaterInAllFive(found, wanted))
        return true;
    return EqualInFirstFour(found, wanted);
}

bool SplitRegistryValuePath(const std::wstring& path, int& root, std::wstring& keyPath,
                            std::wstring& valueName) {
    std::vector<std::wstring> parts;
    std::size_t at = 0;
    for (;;) {
        std::size_t separator = path.find(L'\\', at);
        std::wstring part = TrimBlanks(
            path.substr(at, separator == std::wstring::npos ? std::wstring::npos : separator - at));
        if (!part.empty())
            parts.push_back(part);
        if (separator == std::wstring::npos)
            break;
        at = separator + 1;
    }
    if (parts.size() < 3)
        return false;
    root = FindRegRoot(parts.front());
    if (root < 0)
        return false;
    keyPath.clear();
    for (std::size_t i = 1; i + 1 < parts.size(); ++i) {
        if (i > 1)
            keyPath += L'\\';
        keyPath += parts[i];
    }
    valueName = parts.back();
    return true;
}
