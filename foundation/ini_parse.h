#pragma once
// The setup ini file's text: how its bytes are decoded and how sections, keys and values are
// found in it. The rules are those of Windows' profile functions that administrators rely on:
// section and key names compare without regard to case, the first matching section and key win,
// blanks around names and values are dropped, a line starting with ';' is a comment, and a value
// wholly inside a pair of matching quotation marks loses them. No Windows calls here.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How the file's text is encoded, as its byte order mark says. Without a mark the text is 8-bit
// in the ini code page.
enum class IniEncoding { CodePage, Utf8, Utf16LittleEndian, Utf16BigEndian };
IniEncoding DetectIniEncoding(const std::string& bytes, std::size_t& markLength);

// Ill-formed sequences (stray or overlong bytes, surrogates, values past U+10FFFF) become U+FFFD.
std::wstring DecodeUtf8(const char* bytes, std::size_t count);
// An odd last byte is dropped.
std::wstring DecodeUtf16(const char* bytes, std::size_t count, bool bigEndian);

struct IniEntry {
    std::wstring name;
    std::wstring value;    // as written, blanks around it removed, quotation marks kept
    bool hasValue = false; // false for a line without '='
};

struct IniSection {
    std::wstring name;
    std::vector<IniEntry> entries; // in file order, comments left out
};

// Every section in file order; lines before the first section belong to none and are dropped.
std::vector<IniSection> ParseIniText(const std::wstring& text);

// The first section of that name, or null.
const IniSection* FindIniSection(const std::vector<IniSection>& sections, const std::wstring& name);
// The value as written of the section's first entry of that name that has one, or null.
const std::wstring* FindIniEntryValue(const IniSection& section, std::wstring_view key);
// The first entry of that name that has a value, with its quotation marks removed.
std::optional<std::wstring> FindIniValue(const std::vector<IniSection>& sections,
                                         const std::wstring& section, const std::wstring& key);

// "\"a b\"" -> "a b", "'x'" -> "x"; anything else unchanged.
std::wstring UnquoteIniValue(const std::wstring& value);

// A value read as Windows' profile integer read does: empty gives the default; otherwise leading
// blanks and a sign, then "0x", "0o" or "0b" for another base, digits up to the first that is not
// one, wrapping at 32 bits; no digits give 0.
int IniValueToInt(const std::wstring& value, int defaultValue);
