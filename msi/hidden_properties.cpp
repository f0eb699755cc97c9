#include "msi/hidden_properties.h"

#include "foundation/text.h"

#include <vector>

namespace {
bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

// The end of a value that starts at `at`: the first blank outside quotation marks. Inside
// quotation marks a doubled mark stands for one.
std::size_t ValueEnd(const std::wstring& text, std::size_t at) {
    bool quoted = false;
    for (; at < text.size(); ++at) {
        if (text[at] == L'"') {
            if (quoted && at + 1 < text.size() && text[at + 1] == L'"')
                ++at;
            else
                quoted = !quoted;
        } else if (!quoted && IsBlank(text[at])) {
            break;
        }
    }
    return at;
}

// A token of a command line from its first character: NAME=value, or anything else, which runs
// to the next blank outside quotes.
struct Token {
    std::size_t nameEnd; // where the name ends (at the '=' of an assignment)
    std::size_t end;
    bool assignment;
};

Token ReadToken(const std::wstring& text, std::size_t at) {
    std::size_t nameEnd = at;
    while (nameEnd < text.size() && !IsBlank(text[nameEnd]) && text[nameEnd] != L'=' &&
           text[nameEnd] != L'"')
        ++nameEnd;
    const bool assignment = nameEnd < text.size() && text[nameEnd] == L'=';
    return Token{nameEnd, ValueEnd(text, assignment ? nameEnd + 1 : nameEnd), assignment};
}

bool IsOneOf(const wchar_t* name, std::size_t length, const std::vector<std::wstring>& names) {
    for (const std::wstring& candidate : names)
        if (EqualsIgnoringCase(std::wstring_view(name, length), candidate))
            return true;
    return false;
}
} // namespace

std::vector<std::wstring> HiddenPropertyNames(const std::wstring& hiddenList) {
    std::vector<std::wstring> names;
    std::size_t start = 0;
    while (start <= hiddenList.size()) {
        std::size_t end = hiddenList.find(L';', start);
        if (end == std::wstring::npos)
            end = hiddenList.size();
        std::size_t first = start, last = end;
        while (first < last && IsBlank(hiddenList[first]))
            ++first;
        while (last > first && IsBlank(hiddenList[last - 1]))
            --last;
        if (last > first)
            names.push_back(hiddenList.substr(first, last - first));
        start = end + 1;
    }
    return names;
}

bool IsHiddenProperty(const std::wstring& name, const std::wstring& hiddenList) {
    return IsOneOf(name.data(), name.size(), HiddenPropertyNames(hiddenList));
}

std::wstring MaskHiddenPropertyValues(const std::wstring& commandLine,
                                      const std::wstring& hiddenList) {
    const std::vector<std::wstring> hidden = HiddenPropertyNames(hiddenList);
    std::wstring masked;
    masked.reserve(commandLine.size());
    std::size_t at = 0;
    while (at < commandLine.size()) {
        if (IsBlank(commandLine[at])) {
            masked += commandLine[at++];
            continue;
        }
        const Token token = ReadToken(commandLine, at);
        if (token.assignment && IsOneOf(commandLine.data() + at, token.nameEnd - at, hidden))
            masked.append(commandLine, at, token.nameEnd + 1 - at).append(kHiddenValue);
        else
            masked.append(commandLine, at, token.end - at);
        at = token.end;
    }
    return masked;
}

std::wstring AssignedPropertyNames(const std::wstring& commandLine) {
    std::wstring names;
    std::size_t at = 0;
    while (at < commandLine.size()) {
        if (IsBlank(commandLine[at])) {
            ++at;
            continue;
        }
        const Token token = ReadToken(commandLine, at);
        if (token.assignment && token.nameEnd > at)
            names.append(names.empty() ? L"" : L";").append(commandLine, at, token.nameEnd - at);
        at = token.end;
    }
    return names;
}

std::wstring MaskHiddenPropertyLine(const std::wstring& line,
                                    const std::vector<std::wstring>& hidden) {
    static const wchar_t kPrefix[] = L"Property(";
    const std::size_t prefixLength = sizeof(kPrefix) / sizeof(wchar_t) - 1;
    if (hidden.empty() || line.compare(0, prefixLength, kPrefix) != 0)
        return line;
    const std::size_t nameStart = line.find(L"): ", prefixLength);
    if (nameStart == std::wstring::npos || nameStart > prefixLength + 1)
        return line;
    const std::size_t nameEnd = line.find(L" = ", nameStart + 3);
    if (nameEnd == std::wstring::npos ||
        !IsOneOf(line.data() + nameStart + 3, nameEnd - nameStart - 3, hidden))
        return line;
    std::size_t lineEnd = line.size();
    while (lineEnd > nameEnd && (line[lineEnd - 1] == L'\r' || line[lineEnd - 1] == L'\n'))
        --lineEnd;
    return line.substr(0, nameEnd + 3) + kHiddenValue + line.substr(lineEnd);
}

std::wstring HiddenValueFilter::Filter(const std::wstring& text) {
    if (hidden_.empty())
        return text;
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        if (skipping_) {
            if (c != L'\r' && c != L'\n')
                continue;
            skipping_ = false;
        }
        line_ += c;
        if (c == L'\n') {
            out += MaskHiddenPropertyLine(line_, hidden_);
            line_.clear();
        } else if (line_.size() >= kMaxHeldUnits) {
            std::wstring masked = MaskHiddenPropertyLine(line_, hidden_);
            skipping_ = masked != line_;
            out += masked;
            line_.clear();
        }
    }
    return out;
}

std::wstring HiddenValueFilter::Finish() {
    std::wstring rest = MaskHiddenPropertyLine(line_, hidden_);
    line_.clear();
    return rest;
}
