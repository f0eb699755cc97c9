#include "foundation/ini_file.h"

#include "foundation/code_page.h"
#include "foundation/handles.h"
#include "foundation/ini_parse.h"
#include "foundation/module_path.h"
#include "foundation/path_text.h"
#include "foundation/run_context.h"

#include <windows.h>

#include <optional>
#include <vector>

namespace {
// Far beyond any real setup ini file; a larger file is not read at all rather than exhausting the
// memory of a 32-bit process.
constexpr LONGLONG kLargestIniFile = 64LL * 1024 * 1024;

// The one place that says which code page the file's 8-bit text is in.
unsigned IniCodePage() {
    return CurrentRunContext().CodePage;
}

// The file's bytes, or false when it is missing or cannot be read.
bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    UniqueFileHandle file(CreateFileW(ToExtendedLengthPath(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return false;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kLargestIniFile)
        return false;
    bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        DWORD read = 0;
        if (!ReadFile(file.get(), &bytes[filled], static_cast<DWORD>(bytes.size() - filled), &read,
                      nullptr))
            return false;
        if (read == 0)
            break; // the file shrank under us: keep what is there
        filled += read;
    }
    bytes.resize(filled);
    return true;
}

// The file's text in UTF-16: a byte order mark says UTF-8 or UTF-16; without one the text is
// 8-bit in the ini code page.
std::wstring IniText() {
    std::string bytes;
    if (!ReadWholeFile(GetIniPath(), bytes))
        return std::wstring();
    std::size_t mark = 0;
    switch (DetectIniEncoding(bytes, mark)) {
    case IniEncoding::Utf8:
        return DecodeUtf8(bytes.data() + mark, bytes.size() - mark);
    case IniEncoding::Utf16LittleEndian:
        return DecodeUtf16(bytes.data() + mark, bytes.size() - mark, false);
    case IniEncoding::Utf16BigEndian:
        return DecodeUtf16(bytes.data() + mark, bytes.size() - mark, true);
    case IniEncoding::CodePage:
        break;
    }
    return FromCodePage(bytes, IniCodePage());
}

// The parsed file as it was when last read: reading and parsing the whole file for every value
// made a hundred prerequisite sections cost seconds. The file is read afresh whenever its size or
// last write time (or the code page for its 8-bit text) differs from what was parsed, so a change
// between two reads is still seen.
struct ParsedIniFile {
    bool parsed = false;
    std::wstring path;
    ULONGLONG size = 0;
    FILETIME written = {};
    unsigned codePage = 0;
    std::vector<IniSection> sections;
};

bool IsSameFile(const ParsedIniFile& parsed, const std::wstring& path,
                const WIN32_FILE_ATTRIBUTE_DATA& data, ULONGLONG size) {
    return parsed.parsed && parsed.path == path && parsed.size == size &&
           CompareFileTime(&parsed.written, &data.ftLastWriteTime) == 0 &&
           parsed.codePage == IniCodePage();
}

const std::vector<IniSection>& IniSections() {
    // Lives until the process ends: no destructor runs at exit.
    static ParsedIniFile* const cache = new ParsedIniFile();
    const std::wstring path = GetIniPath();
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(ToExtendedLengthPath(path).c_str(), GetFileExInfoStandard, &data)) {
        *cache = ParsedIniFile();
        return cache->sections;
    }
    const ULONGLONG size = static_cast<ULONGLONG>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    if (!IsSameFile(*cache, path, data, size)) {
        cache->sections = ParseIniText(IniText());
        cache->parsed = true;
        cache->path = path;
        cache->size = size;
        cache->written = data.ftLastWriteTime;
        cache->codePage = IniCodePage();
    }
    return cache->sections;
}

// The key's integer when the section has an entry starting with "Optional", else -1.
int OptionalIntIn(const IniSection* section, const wchar_t* key, int defaultValue) {
    if (!section)
        return -1;
    // The fixed text, not the key, and with its case: this is how a record says it is optional.
    for (const IniEntry& entry : section->entries)
        if (entry.name.compare(0, 8, L"Optional") == 0) {
            const std::wstring* value = key ? FindIniEntryValue(*section, key) : nullptr;
            return value ? IniValueToInt(UnquoteIniValue(*value), defaultValue) : defaultValue;
        }
    return -1;
}

std::optional<std::wstring> ReadIniValue(const wchar_t* section, const wchar_t* key) {
    if (!section || !key)
        return std::nullopt;
    return FindIniValue(IniSections(), section, key);
}
} // namespace

std::wstring GetIniPath() {
    return GetModulePath(true, false) + L".ini";
}

int ReadIniInt(const wchar_t* section, const wchar_t* key, int defaultValue) {
    std::optional<std::wstring> value = ReadIniValue(section, key);
    return value ? IniValueToInt(*value, defaultValue) : defaultValue;
}

std::wstring ReadIniString(const wchar_t* section, const wchar_t* key,
                           const wchar_t* defaultValue) {
    std::optional<std::wstring> value = ReadIniValue(section, key);
    if (value)
        return *value;
    return defaultValue ? std::wstring(defaultValue) : std::wstring();
}

VersionWords ReadIniVersion(const wchar_t* section, const wchar_t* key) {
    return ParseVersionWords(ReadIniString(section, key));
}

int ReadIniOptionalInt(const wchar_t* section, const wchar_t* key, int defaultValue) {
    return section ? OptionalIntIn(FindIniSection(IniSections(), section), key, defaultValue) : -1;
}

IniSectionValues::IniSectionValues(const wchar_t* section) {
    if (!section)
        return;
    if (const IniSection* found = FindIniSection(IniSections(), section)) {
        section_ = *found;
        found_ = true;
    }
}

const std::wstring* IniSectionValues::Find(const wchar_t* key) const {
    return key ? FindIniEntryValue(section_, key) : nullptr;
}

std::wstring IniSectionValues::String(const wchar_t* key) const {
    const std::wstring* value = Find(key);
    return value ? UnquoteIniValue(*value) : std::wstring();
}

int IniSectionValues::Int(const wchar_t* key, int defaultValue) const {
    const std::wstring* value = Find(key);
    return value ? IniValueToInt(UnquoteIniValue(*value), defaultValue) : defaultValue;
}

VersionWords IniSectionValues::Version(const wchar_t* key) const {
    return ParseVersionWords(String(key));
}

int IniSectionValues::OptionalInt(const wchar_t* key, int defaultValue) const {
    return OptionalIntIn(found_ ? &section_ : nullptr, key, defaultValue);
}
