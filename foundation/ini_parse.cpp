#include "foundation/ini_parse.h"

#include "foundation/text.h"

#include <cstdint>

namespace {
constexpr wchar_t kReplacement = 0xFFFD;

bool StartsWith(const std::string& bytes, const char* mark, std::size_t length) {
    return bytes.size() >= length && bytes.compare(0, length, mark, length) == 0;
}

void AppendCodePoint(std::wstring& text, std::uint32_t codePoint) {
    if (codePoint < 0x10000) {
        text += static_cast<wchar_t>(codePoint);
        return;
    }
    codePoint -= 0x10000;
    text += static_cast<wchar_t>(0xD800 + (codePoint >> 10));
    text += static_cast<wchar_t>(0xDC00 + (codePoint & 0x3FF));
}

// The length of the sequence that `lead` opens, and the smallest code point it may carry; 0 for a
// byte that cannot open one.
std::size_t SequenceLength(unsigned char lead, std::uint32_t& codePoint, std::uint32_t& least) {
    if (lead < 0x80) {
        codePoint = lead;
        least = 0;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        codePoint = lead & 0x1F;
        least = 0x80;
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        codePoint = lead & 0x0F;
        least = 0x800;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        codePoint = lead & 0x07;
        least = 0x10000;
        return 4;
    }
    return 0;
}

// A trimmed line "[name]" (up to its last ']'): the section's name, trimmed.
bool SectionNameOf(const std::wstring& line, std::wstring& name) {
    if (line.empty() || line[0] != L'[')
        return false;
    std::size_t close = line.rfind(L']');
    if (close == std::wstring::npos)
        return false;
    name = Trim(line.substr(1, close - 1));
    return true;
}

IniEntry EntryOf(const std::wstring& line) {
    IniEntry entry;
    std::size_t equals = line.find(L'=');
    if (equals == std::wstring::npos) {
        entry.name = line;
        return entry;
    }
    entry.name = Trim(line.substr(0, equals));
    entry.value = Trim(line.substr(equals + 1));
    entry.hasValue = true;
    return entry;
}

bool IsLineBreak(wchar_t c) {
    return c == L'\r' || c == L'\n';
}

int DigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'z')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'Z')
        return c - L'A' + 10;
    return 99;
}
} // namespace

IniEncoding DetectIniEncoding(const std::string& bytes, std::size_t& markLength) {
    if (StartsWith(bytes, "\xEF\xBB\xBF", 3)) {
        markLength = 3;
        return IniEncoding::Utf8;
    }
    markLength = 2;
    if (StartsWith(bytes, "\xFF\xFE", 2))
        return IniEncoding::Utf16LittleEndian;
    if (StartsWith(bytes, "\xFE\xFF", 2))
        return IniEncoding::Utf16BigEndian;
    markLength = 0;
    return IniEncoding::CodePage;
}

std::wstring DecodeUtf8(const char* bytes, std::size_t count) {
    std::wstring text;
    text.reserve(count);
    std::size_t i = 0;
    while (i < count) {
        std::uint32_t codePoint = 0;
        std::uint32_t least = 0;
        std::size_t length = SequenceLength(static_cast<unsigned char>(bytes[i]), codePoint, least);
        std::size_t taken = 1;
        bool valid = length != 0;
        for (; valid && taken < length; ++taken) {
            unsigned char next =
                i + taken < count ? static_cast<unsigned char>(bytes[i + taken]) : 0;
            if ((next & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            codePoint = codePoint << 6 | (next & 0x3F);
        }
        if (valid && (codePoint < least || codePoint > 0x10FFFF ||
                      (codePoint >= 0xD800 && codePoint <= 0xDFFF)))
            valid = false;
        if (valid)
            AppendCodePoint(text, codePoint);
        else
            text += kReplacement;
        i += taken;
    }
    return text;
}

std::wstring DecodeUtf16(const char* bytes, std::size_t count, bool bigEndian) {
    std::wstring text;
    text.reserve(count / 2);
    for (std::size_t i = 0; i + 1 < count; i += 2) {
        unsigned first = static_cast<unsigned char>(bytes[i]);
        unsigned second = static_cast<unsigned char>(bytes[i + 1]);
        text += static_cast<wchar_t>(bigEndian ? first << 8 | second : second << 8 | first);
    }
    return text;
}

std::vector<IniSection> ParseIniText(const std::wstring& text) {
    std::vector<IniSection> sections;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && !IsLineBreak(text[end]))
            ++end;
        std::wstring line = Trim(text.substr(start, end - start));
        start = end + 1;
        std::wstring sectionName;
        if (line.empty() || line[0] == L';')
            continue;
        if (SectionNameOf(line, sectionName))
            sections.push_back(IniSection{sectionName, {}});
        else if (!sections.empty())
            sections.back().entries.push_back(EntryOf(line));
    }
    return sections;
}

const IniSection* FindIniSection(const std::vector<IniSection>& sections,
                                 const std::wstring& name) {
    for (const IniSection& section : sections)
        if (EqualsIgnoringCase(section.name, name))
            return &section;
    return nullptr;
}

const std::wstring* FindIniEntryValue(const IniSection& section, std::wstring_view key) {
    for (const IniEntry& entry : section.entries)
        if (entry.hasValue && EqualsIgnoringCase(entry.name, key))
            return &entry.value;
    return nullptr;
}

std::optional<std::wstring> FindIniValue(const std::vector<IniSection>& sections,
                                         const std::wstring& section, const std::wstring& key) {
    const IniSection* found = FindIniSection(sections, section);
    const std::wstring* value = found ? FindIniEntryValue(*found, key) : nullptr;
    if (!value)
        return std::nullopt;
    return UnquoteIniValue(*value);
}

std::wstring UnquoteIniValue(const std::wstring& value) {
    if (value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

int IniValueToInt(const std::wstring& value, int defaultValue) {
    if (value.empty())
        return defaultValue;
    std::size_t i = 0;
    while (i < value.size() && value[i] <= L' ')
        ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == L'+' || value[i] == L'-'))
        negative = value[i++] == L'-';
    unsigned base = 10;
    if (i + 1 < value.size() && value[i] == L'0') {
        const wchar_t marker = value[i + 1];
        base = marker == L'x' ? 16 : marker == L'o' ? 8 : marker == L'b' ? 2 : 10;
        if (base != 10)
            i += 2;
    }
    std::uint32_t total = 0;
    for (; i < value.size(); ++i) {
        const int digit = DigitValue(value[i]);
        if (digit >= static_cast<int>(base))
            break;
        total = total * base + static_cast<std::uint32_t>(digit);
    }
    return static_cast<int>(negative ? 0u - total : total);
}
