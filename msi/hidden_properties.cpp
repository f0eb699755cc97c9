#include "msi/hidden_properties.h"

#include "foundation/text.h"

#include <vector>

namespace {
bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

// The end of a value that starts at `at`: the first blank outside quotation marks. Inside
// quotation marks a doubled mark stands for one. `quoted`: the text ended inside quotation marks.
std::size_t ValueEnd(const std::wstring& text, std::size_t at, bool& quoted) {
    quoted = false;
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

// A token of a command line from its first character: NAME=value, "NAME=value" (quoted whole,
// as the engine takes it too), or anything else, which runs to the next blank outside quotes.
struct Token {
    std::size_t nameStart;
    std::size_t nameEnd; // where the name ends (at the '=' of an assignment)
    std::size_t end;
    bool assignment;
    bool quotedWhole;
    bool open; // a quotation mark left open at the end of the text
};

Token ReadToken(const std::wstring& text, std::size_t at) {
    const bool quotedWhole = text[at] == L'"';
    const std::size_t nameStart = quotedWhole ? at + 1 : at;
    std::size_t nameEnd = nameStart;
    while (nameEnd < text.size() && !IsBlank(text[nameEnd]) && text[nameEnd] != L'=' &&
           text[nameEnd] != L'"')
        ++nameEnd;
    const bool assignment = nameEnd < text.size() && text[nameEnd] == L'=';
    // The opening mark of a token quoted whole is part of its value's quoting.
    const std::size_t valueStart = assignment && !quotedWhole ? nameEnd + 1 : at;
    bool open = false;
    const std::size_t end = ValueEnd(text, valueStart, open);
    return Token{nameStart, nameEnd, end, assignment, quotedWhole && assignment, open};
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

namespace {
bool IsHiddenAssignment(const std::wstring& text, const Token& token,
                        const std::vector<std::wstring>& hidden) {
    return token.assignment &&
           IsOneOf(text.data() + token.nameStart, token.nameEnd - token.nameStart, hidden);
}

std::wstring MaskValues(const std::wstring& commandLine, const std::vector<std::wstring>& hidden) {
    std::wstring masked;
    masked.reserve(commandLine.size());
    std::size_t at = 0;
    while (at < commandLine.size()) {
        if (IsBlank(commandLine[at])) {
            masked += commandLine[at++];
            continue;
        }
        const Token token = ReadToken(commandLine, at);
        if (IsHiddenAssignment(commandLine, token, hidden)) {
            masked.append(commandLine, at, token.nameEnd + 1 - at).append(kHiddenValue);
            if (token.quotedWhole && !token.open)
                masked += L'"';
        } else {
            masked.append(commandLine, at, token.end - at);
        }
        at = token.end;
    }
    return masked;
}

std::size_t LineEndOf(const std::wstring& line, std::size_t from) {
    std::size_t end = line.size();
    while (end > from && (line[end - 1] == L'\r' || line[end - 1] == L'\n'))
        --end;
    return end;
}

// "Property(S): NAME = value", as Wine's engine lists the properties.
std::wstring MaskPropertyListLine(const std::wstring& line,
                                  const std::vector<std::wstring>& hidden) {
    static const wchar_t kPrefix[] = L"Property(";
    const std::size_t prefixLength = sizeof(kPrefix) / sizeof(wchar_t) - 1;
    const std::size_t nameStart = line.find(L"): ", prefixLength);
    if (nameStart == std::wstring::npos || nameStart > prefixLength + 1)
        return line;
    const std::size_t nameEnd = line.find(L" = ", nameStart + 3);
    if (nameEnd == std::wstring::npos ||
        !IsOneOf(line.data() + nameStart + 3, nameEnd - nameStart - 3, hidden))
        return line;
    return line.substr(0, nameEnd + 3) + kHiddenValue + line.substr(LineEndOf(line, nameEnd));
}

// "PROPERTY CHANGE: Adding NAME property. Its value is 'value'." and "Modifying NAME property. Its
// current value is 'old'. Its new value: 'new'.", as Windows' verbose log has them.
std::wstring MaskPropertyChangeLine(const std::wstring& line, std::size_t at,
                                    const std::vector<std::wstring>& hidden) {
    static const wchar_t kNewValue[] = L"'. Its new value: '";
    const std::size_t nameStart = line.find(L' ', at);
    const std::size_t nameEnd =
        nameStart == std::wstring::npos ? nameStart : line.find(L" property. ", nameStart + 1);
    if (nameEnd == std::wstring::npos ||
        !IsOneOf(line.data() + nameStart + 1, nameEnd - nameStart - 1, hidden))
        return line;
    const std::size_t value = line.find(L'\'', nameEnd);
    if (value == std::wstring::npos)
        return line;
    std::wstring masked = line.substr(0, value + 1) + kHiddenValue;
    if (line.find(kNewValue, value + 1) != std::wstring::npos)
        masked.append(kNewValue).append(kHiddenValue);
    return masked + L"'." + line.substr(LineEndOf(line, value + 1));
}

// "... Command Line: NAME=value ...", the engine's record of what it was given.
std::wstring MaskCommandLineLine(const std::wstring& line, std::size_t at,
                                 const std::vector<std::wstring>& hidden) {
    const std::size_t end = LineEndOf(line, at);
    return line.substr(0, at) + MaskValues(line.substr(at, end - at), hidden) + line.substr(end);
}
} // namespace

std::wstring MaskHiddenPropertyValues(const std::wstring& commandLine,
                                      const std::wstring& hiddenList) {
    return MaskValues(commandLine, HiddenPropertyNames(hiddenList));
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
        if (token.assignment && token.nameEnd > token.nameStart)
            names.append(names.empty() ? L"" : L";")
                .append(commandLine, token.nameStart, token.nameEnd - token.nameStart);
        at = token.end;
    }
    return names;
}

std::wstring MaskHiddenPropertyLine(const std::wstring& line,
                                    const std::vector<std::wstring>& hidden) {
    if (hidden.empty())
        return line;
    if (line.compare(0, 9, L"Property(") == 0)
        return MaskPropertyListLine(line, hidden);
    static const wchar_t kChange[] = L"PROPERTY CHANGE: ";
    static const wchar_t kCommandLine[] = L"Command Line: ";
    const std::size_t change = line.find(kChange);
    if (change != std::wstring::npos)
        return MaskPropertyChangeLine(line, change + sizeof(kChange) / sizeof(wchar_t) - 1, hidden);
    const std::size_t commandLine = line.find(kCommandLine);
    if (commandLine != std::wstring::npos)
        return MaskCommandLineLine(line, commandLine + sizeof(kCommandLine) / sizeof(wchar_t) - 1,
                                   hidden);
    return line;
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
