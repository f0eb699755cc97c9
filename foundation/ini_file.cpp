#include "foundation/ini_file.h"

#include "foundation/run_context.h"

#include <windows.h>
#include <vector>

namespace {
constexpr DWORD kStringBufferBytes = 2048;
constexpr DWORD kSectionBufferUnits = 2048;
} // namespace

std::wstring GetModulePath(bool stripExtension, bool addSeparator) {
    wchar_t buffer[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(GetModuleHandleW(nullptr), buffer, MAX_PATH);
    if (length == 0)
        return std::wstring();
    std::wstring path(buffer, length < MAX_PATH ? length : MAX_PATH - 1);
    std::size_t cut = stripExtension ? path.rfind(L'.') : path.rfind(L'\\');
    if (cut != std::wstring::npos)
        path.erase(cut);
    if (addSeparator)
        path += L'\\';
    return path;
}

std::wstring GetIniPath() {
    return GetModulePath(true, false) + L".ini";
}

int ReadIniInt(const wchar_t* section, const wchar_t* key, int defaultValue) {
    return static_cast<int>(
        GetPrivateProfileIntW(section, key, defaultValue, GetIniPath().c_str()));
}

std::string ToCodePage(const std::wstring& text, unsigned codePage) {
    if (text.empty())
        return std::string();
    int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string result(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &result[0],
                            size, nullptr, nullptr);
    return result;
}

std::wstring FromCodePage(const std::string& text, unsigned codePage) {
    if (text.empty())
        return std::wstring();
    int size =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(size > 0 ? size : 0, L'\0');
    if (size > 0)
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &result[0],
                            size);
    return result;
}

std::wstring ReadIniString(const wchar_t* section, const wchar_t* key,
                           const wchar_t* defaultValue) {
    unsigned codePage = CurrentRunContext().CodePage;
    std::string path = ToCodePage(GetIniPath(), codePage);
    std::string sectionA = section ? ToCodePage(section, codePage) : std::string();
    std::string keyA = key ? ToCodePage(key, codePage) : std::string();
    std::string defaultA = defaultValue ? ToCodePage(defaultValue, codePage) : std::string();
    std::vector<char> buffer(kStringBufferBytes, '\0');
    DWORD length = GetPrivateProfileStringA(
        section ? sectionA.c_str() : nullptr, key ? keyA.c_str() : nullptr,
        defaultValue ? defaultA.c_str() : nullptr, buffer.data(), kStringBufferBytes, path.c_str());
    return FromCodePage(std::string(buffer.data(), length), codePage);
}

VersionWords ReadIniVersion(const wchar_t* section, const wchar_t* key) {
    return ParseVersionWords(ReadIniString(section, key));
}

int ReadIniOptionalInt(const wchar_t* section, const wchar_t* key, int defaultValue) {
    std::wstring iniPath = GetIniPath();
    std::vector<wchar_t> buffer(kSectionBufferUnits, L'\0');
    GetPrivateProfileSectionW(section, buffer.data(), kSectionBufferUnits, iniPath.c_str());
    for (const wchar_t* entry = buffer.data(); *entry; entry += wcslen(entry) + 1) {
        const wchar_t* trimmed = entry;
        while (*trimmed == L' ' || *trimmed == L'\t')
            ++trimmed;
        if (wcsncmp(trimmed, L"Optional", 8) == 0)
            return static_cast<int>(
                GetPrivateProfileIntW(section, key, defaultValue, iniPath.c_str()));
    }
    return -1;
}
