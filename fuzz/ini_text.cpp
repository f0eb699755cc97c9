// The ini file's text rules: decoding stays in bounds and yields well-formed UTF-16, a parsed
// file written out parses the same, lookups agree with the parsed sections, and the number and
// path rules keep their bounds.
#include "foundation/ini_parse.h"
#include "foundation/ini_text.h"
#include "foundation/path_text.h"
#include "foundation/text.h"
#include "fuzz_text.h"

namespace {
bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

bool IsWellFormed(const std::wstring& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsLowSurrogate(text[i]))
            return false;
        if (IsHighSurrogate(text[i]) && !(i + 1 < text.size() && IsLowSurrogate(text[++i])))
            return false;
    }
    return true;
}

std::string EncodeUtf8(const std::wstring& text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = static_cast<std::uint32_t>(text[i]);
        if (IsHighSurrogate(text[i]))
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<std::uint32_t>(text[++i]) - 0xDC00);
        if (c < 0x80) {
            bytes += static_cast<char>(c);
        } else if (c < 0x800) {
            bytes += static_cast<char>(0xC0 | c >> 6);
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            bytes += static_cast<char>(0xE0 | c >> 12);
            bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            bytes += static_cast<char>(0xF0 | c >> 18);
            bytes += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return bytes;
}

std::wstring Written(const std::vector<IniSection>& sections) {
    std::wstring text;
    for (const IniSection& section : sections) {
        text += L"[" + section.name + L"]\r\n";
        for (const IniEntry& entry : section.entries)
            text += entry.hasValue ? entry.name + L"=" + entry.value + L"\r\n" : entry.name + L"\n";
    }
    return text;
}

bool SameSections(const std::vector<IniSection>& a, const std::vector<IniSection>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].entries.size() != b[i].entries.size())
            return false;
        for (std::size_t j = 0; j < a[i].entries.size(); ++j) {
            const IniEntry& x = a[i].entries[j];
            const IniEntry& y = b[i].entries[j];
            if (x.name != y.name || x.value != y.value || x.hasValue != y.hasValue)
                return false;
        }
    }
    return true;
}

bool HasLineBreak(const std::wstring& text) {
    return text.find_first_of(L"\r\n") != std::wstring::npos;
}

void CheckDecoding(const std::string& bytes) {
    std::size_t mark = 99;
    IniEncoding encoding = DetectIniEncoding(bytes, mark);
    FUZZ_CHECK(mark <= bytes.size());
    FUZZ_CHECK((encoding == IniEncoding::CodePage) == (mark == 0));
    const std::wstring utf8 = DecodeUtf8(bytes.data(), bytes.size());
    FUZZ_CHECK(utf8.size() <= bytes.size());
    FUZZ_CHECK(IsWellFormed(utf8));
    const std::string again = EncodeUtf8(utf8);
    FUZZ_CHECK(DecodeUtf8(again.data(), again.size()) == utf8);
    FUZZ_CHECK(DecodeUtf16(bytes.data(), bytes.size(), true).size() == bytes.size() / 2);
}

void CheckParsing(const std::wstring& text) {
    const std::vector<IniSection> sections = ParseIniText(text);
    for (const IniSection& section : sections) {
        FUZZ_CHECK(Trim(section.name) == section.name && !HasLineBreak(section.name));
        for (const IniEntry& entry : section.entries) {
            FUZZ_CHECK(!HasLineBreak(entry.name) && !HasLineBreak(entry.value));
            FUZZ_CHECK(Trim(entry.name) == entry.name && Trim(entry.value) == entry.value);
            FUZZ_CHECK(!entry.name.empty() || entry.hasValue);
            FUZZ_CHECK(entry.name.empty() || entry.name[0] != L';');
            FUZZ_CHECK(!entry.hasValue || entry.name.find(L'=') == std::wstring::npos);
            const std::wstring unquoted = UnquoteIniValue(entry.value);
            FUZZ_CHECK(unquoted.size() == entry.value.size() ||
                       unquoted.size() + 2 == entry.value.size());
            const int number = IniValueToInt(unquoted, 12345);
            FUZZ_CHECK(!unquoted.empty() || number == 12345);
        }
    }
    FUZZ_CHECK(SameSections(ParseIniText(Written(sections)), sections));

    // A lookup finds the first valued entry of the first section of that name.
    if (!sections.empty()) {
        const IniSection* first = FindIniSection(sections, sections.back().name);
        FUZZ_CHECK(first && EqualsIgnoringCase(first->name, sections.back().name));
        for (const IniEntry& entry : first->entries) {
            if (!entry.hasValue)
                continue;
            std::optional<std::wstring> value = FindIniValue(sections, first->name, entry.name);
            FUZZ_CHECK(value.has_value());
            const IniEntry* expected = nullptr;
            for (const IniEntry& candidate : first->entries)
                if (!expected && candidate.hasValue &&
                    EqualsIgnoringCase(candidate.name, entry.name))
                    expected = &candidate;
            FUZZ_CHECK(*value == UnquoteIniValue(expected->value));
        }
    }
}

void CheckPaths(const std::wstring& path) {
    const std::wstring stem = RemoveFileExtension(path);
    FUZZ_CHECK(path.compare(0, stem.size(), stem) == 0);
    if (stem.size() < path.size()) {
        const std::wstring extension = path.substr(stem.size());
        FUZZ_CHECK(extension[0] == L'.' && extension.find_first_of(L"\\/") == std::wstring::npos);
    }
    const std::wstring folder = RemoveFileName(path);
    FUZZ_CHECK(path.compare(0, folder.size(), folder) == 0);
    const std::wstring extended = ToExtendedLengthPath(path);
    FUZZ_CHECK(ToExtendedLengthPath(extended) == extended);
    FUZZ_CHECK(extended.size() >= path.size());
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(data, data + size);
    const std::wstring text = WideFromUnits(data, size);
    CheckDecoding(bytes);
    CheckParsing(text);
    CheckParsing(DecodeUtf8(bytes.data(), bytes.size()));
    CheckPaths(text);
    const VersionWords words = ParseVersionWords(text);
    FUZZ_CHECK(ParseVersionWords(text) == words);
    return 0;
}
