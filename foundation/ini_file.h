#pragma once
// The setup ini file: it lies beside the executable and carries its base name. Its bytes are read
// here, whatever the folder's name or length; a UTF-8 or UTF-16 byte order mark makes it Unicode
// text, otherwise its 8-bit text is decoded with the ini code page (Settings().CodePage). Values
// are read whole. The parsed file is kept while its size and last write time stay the same, so a
// change between two reads is seen.
#include "foundation/ini_parse.h"
#include "foundation/ini_text.h"
#include <string>
#include <vector>

std::wstring GetIniPath();

// Absent key or empty value: the default (as GetPrivateProfileIntW).
int ReadIniInt(const wchar_t* section, const wchar_t* key, int defaultValue);
// 8-bit values decoded with the ini code page (the run context's CodePage) unless the file
// has a byte-order mark; a null default means "".
std::wstring ReadIniString(const wchar_t* section, const wchar_t* key,
                           const wchar_t* defaultValue = nullptr);
VersionWords ReadIniVersion(const wchar_t* section, const wchar_t* key);
// The key's integer when the section has an entry starting with "Optional", else -1.
int ReadIniOptionalInt(const wchar_t* section, const wchar_t* key, int defaultValue);

// One section as the file held it when it was read, for a reader that asks it for many keys: the
// file is looked at once, and every key is then found in this copy by the rules of the functions
// above. A missing file or section reads as a section without keys.
class IniSectionValues {
public:
    explicit IniSectionValues(const wchar_t* section);

    std::wstring String(const wchar_t* key) const;
    int Int(const wchar_t* key, int defaultValue) const;
    VersionWords Version(const wchar_t* key) const;
    int OptionalInt(const wchar_t* key, int defaultValue) const;

private:
    const std::wstring* Find(const wchar_t* key) const;
    IniSection section_; // empty when the file or the section is missing
    bool found_ = false;
};
