#include "foundation/lang_strings.h"

#include "foundation/ini_text.h"
#include "foundation/wide_format.h"

#include <windows.h>
#include <cstdarg>
#include <vector>

namespace {
LANGID g_uiLanguage = 0;

constexpr std::size_t kFirstBufferUnits = 1024;
constexpr int kMaxLoadAttempts = 10;

HMODULE OwnModule() {
    return GetModuleHandleW(nullptr);
}

// Copies entry `id` of its string block in `language`; false when the block does not exist.
bool CopyFromStringBlock(unsigned id, LANGID language, std::vector<wchar_t>& buffer) {
    HRSRC block = FindResourceExW(OwnModule(), RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    if (!block)
        return false;
    HGLOBAL loaded = LoadResource(OwnModule(), block);
    const WORD* entry = loaded ? static_cast<const WORD*>(LockResource(loaded)) : nullptr;
    if (!entry)
        return false;
    for (unsigned position = 0; position < id % 16; ++position)
        entry += 1 + *entry;
    std::size_t length = *entry;
    if (length > buffer.size() - 1)
        length = buffer.size() - 1;
    std::copy(entry + 1, entry + 1 + length, buffer.begin());
    buffer[length] = L'\0';
    return true;
}
} // namespace

unsigned short UILanguage() {
    if (g_uiLanguage == 0)
        g_uiLanguage = GetUserDefaultLangID();
    return g_uiLanguage;
}

std::wstring LoadLangString(unsigned id) {
    std::size_t size = kFirstBufferUnits;
    std::wstring text;
    for (int attempt = 0; attempt < kMaxLoadAttempts; ++attempt, size *= 4) {
        std::vector<wchar_t> buffer(size, L'\0');
        if (!CopyFromStringBlock(id, UILanguage(), buffer))
            LoadStringW(OwnModule(), id, buffer.data(), static_cast<int>(size));
        text = buffer.data();
        if (text.size() < size - 1)
            break;
    }
    return text;
}

std::wstring FormatLangString(unsigned id, ...) {
    std::wstring format = LoadLangString(id);
    va_list args;
    va_start(args, id);
    std::wstring text = FormatWideV(format.c_str(), args);
    va_end(args);
    return text;
}

unsigned GetLanguageAnsiCodePage(unsigned long languageId) {
    wchar_t buffer[16] = {};
    if (!GetLocaleInfoW(languageId, LOCALE_IDEFAULTANSICODEPAGE, buffer, 16))
        return 0;
    return static_cast<unsigned>(ParseLeadingInt(buffer));
}

unsigned GetLanguageAnsiCodePage(const std::wstring& languageIdText) {
    return GetLanguageAnsiCodePage(static_cast<unsigned long>(ParseLeadingInt(languageIdText)));
}
