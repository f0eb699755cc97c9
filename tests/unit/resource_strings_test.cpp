// The string tables, icon and manifest as linked into this test module from resources/setup.rc.
// Strings are read block by block in one exact language, not through the program's own loader,
// so that a table compiled under the wrong language or with the wrong code page shows up here.
#include "resources/resource_ids.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <initializer_list>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

const LPCWSTR kStringType = MAKEINTRESOURCEW(6);     // RT_STRING
const LPCWSTR kGroupIconType = MAKEINTRESOURCEW(14); // RT_GROUP_ICON
const LPCWSTR kManifestType = MAKEINTRESOURCEW(24);  // RT_MANIFEST

constexpr LANGID kNeutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
constexpr LANGID kItalian = MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN);
constexpr LANGID kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
constexpr LANGID kRussian = MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT);

const LANGID kAllLanguages[] = {kNeutral, kItalian, kJapanese, kRussian};
const LANGID kTranslations[] = {kItalian, kJapanese, kRussian};

const UINT kStringIds[] = {
    IDS_COMPONENTS_REQUIRED,
    IDS_BUTTON_INSTALL,
    IDS_BUTTON_CANCEL,
    IDS_PRODUCT_SETUP_TITLE,
    IDS_FILE_NOT_FOUND,
    IDS_UNABLE_TO_INSTALL,
    IDS_INSTALLATION_ERROR,
    IDS_INSTALLING_PLEASE_WAIT,
    IDS_USAGE_TEXT,
    IDS_USAGE_CAPTION,
    IDS_LOG_FILE_NOT_WRITABLE,
    IDS_OPEN_ADDRESS_YOURSELF,
    IDS_WINDOWS_VERSION_UNSUPPORTED,
    IDS_ADMIN_REQUIRED,
    IDS_INVALID_OPERATION_TYPE,
    IDS_INTERNAL_ERROR,
    IDS_NEWER_VERSION_INSTALLED,
    IDS_ASK_UPGRADE_OLDER_VERSION,
    IDS_ASK_RESTART_NOW,
    IDS_ASK_APPLY_PATCH,
    IDS_PATCH_NOT_APPLICABLE,
    IDS_BUTTON_RECHECK,
    IDS_DOWNLOAD_CAPTION,
    IDS_PACKAGE_MISSING_DOWNLOAD_AND_INSTALL,
    IDS_DOWNLOAD_PAGE_LINK,
    IDS_CANNOT_READ_PACKAGE_PROPERTY,
    IDS_PLATFORM_NEEDS_64BIT,
    IDS_PLATFORM_NEEDS_32BIT,
    IDS_COMPONENTS_NOT_INSTALLED,
    IDS_PATCH_SETUP_TITLE,
    IDS_COMPONENT_LIST_ITEM,
    IDS_ASK_CONTINUE_INSTALLATION,
    IDS_ASK_SEND_LOG,
    IDS_MINOR_UPDATE_DISABLED,
    IDS_INI_FILE_NOT_FOUND,
    IDS_LOG_FILE_NOTE,
    IDS_WINDOWS_VERSION_TOO_OLD,
    IDS_PACKAGE_MISSING_SAVE_AND_INSTALL,
    IDS_NO_UPDATE_PARAMETER,
    IDS_SETUP_ALREADY_RUNNING,
    IDS_STEPS_REQUIRED,
    IDS_ACTION_INSTALL,
    IDS_ACTION_UNINSTALL,
    IDS_BUTTON_CONTINUE,
    IDS_NOTES_NAME,
    IDS_MORE_COMPONENTS,
};

const UINT kButtonIds[] = {IDS_BUTTON_INSTALL, IDS_BUTTON_CANCEL, IDS_BUTTON_RECHECK,
                           IDS_BUTTON_CONTINUE};

UINT BlockOf(UINT id) {
    return id / 16 + 1;
}

std::set<UINT> BlocksInUse() {
    std::set<UINT> blocks;
    for (UINT id : kStringIds)
        blocks.insert(BlockOf(id));
    return blocks;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
    reinterpret_cast<std::set<LANGID>*>(found)->insert(language);
    return TRUE;
}

std::set<LANGID> LanguagesOfBlock(UINT block) {
    std::set<LANGID> languages;
    EnumResourceLanguagesW(GetModuleHandleW(nullptr), kStringType, MAKEINTRESOURCEW(block),
                           CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}

// The 16 entries of a block exactly as stored, or nothing when the block lacks that language.
// FindResourceExW alone would not do: it falls back to the neutral table.
std::optional<std::vector<std::wstring>> ReadBlock(UINT block, LANGID language) {
    if (LanguagesOfBlock(block).count(language) == 0)
        return std::nullopt;
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceExW(module, kStringType, MAKEINTRESOURCEW(block), language);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    if (!loaded)
        return std::nullopt;
    auto unit = static_cast<const WCHAR*>(LockResource(loaded));
    const WCHAR* end = unit + SizeofResource(module, found) / sizeof(WCHAR);
    std::vector<std::wstring> entries;
    for (int i = 0; i < 16 && unit < end; ++i) {
        const size_t length = *unit++;
        if (length > static_cast<size_t>(end - unit))
            return std::nullopt;
        entries.emplace_back(unit, length);
        unit += length;
    }
    if (entries.size() != 16 || unit != end)
        return std::nullopt;
    return entries;
}

std::wstring ReadString(UINT id, LANGID language) {
    auto entries = ReadBlock(BlockOf(id), language);
    return entries ? (*entries)[id % 16] : std::wstring();
}

// The printf conversions of a format in order, "% s" read as "%s" (a blank flag is a no-op there).
std::vector<std::wstring> PrintfConversions(const std::wstring& format) {
    std::vector<std::wstring> conversions;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != L'%')
            continue;
        if (i + 1 < format.size() && format[i + 1] == L'%') {
            ++i;
            continue;
        }
        std::wstring conversion = L"%";
        while (++i < format.size()) {
            const wchar_t c = format[i];
            if (c == L' ')
                continue;
            conversion += c;
            if (std::iswalpha(c) && !std::wcschr(L"hlLIwqjzt", c))
                break;
        }
        conversions.push_back(conversion);
    }
    return conversions;
}

std::string Describe(LANGID language, UINT id) {
    return "language " + std::to_string(language) + ", string " + std::to_string(id);
}

#define TRACE(language, id) SCOPED_TRACE(Describe(language, id))

TEST(ResourceStrings, PrintfConversionsReadsFormatsAsPrintfDoes) {
    const struct {
        const wchar_t* format;
        std::vector<std::wstring> expected;
    } cases[] = {
        {L"no placeholder", {}},
        {L"'%s' to '%s'", {L"%s", L"%s"}},
        {L"% s (% s)", {L"%s", L"%s"}},
        {L"100%% of %d", {L"%d"}},
        {L"%-10ls and %04X", {L"%-10ls", L"%04X"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PrintfConversions(c.format), c.expected) << testing::PrintToString(c.format);
}

TEST(ResourceStrings, EveryStringIsPresentInEveryLanguage) {
    for (LANGID language : kAllLanguages)
        for (UINT id : kStringIds) {
            TRACE(language, id);
            EXPECT_FALSE(ReadString(id, language).empty());
        }
}

// A table compiled under a stray LANGUAGE statement would leave a language out or add one.
TEST(ResourceStrings, BlocksExistInExactlyTheFourLanguages) {
    const std::set<LANGID> expected(std::begin(kAllLanguages), std::end(kAllLanguages));
    for (UINT block : BlocksInUse()) {
        SCOPED_TRACE(block);
        EXPECT_EQ(LanguagesOfBlock(block), expected);
    }
}

// A translation filed under a mistyped id would pass the presence check and never be shown.
TEST(ResourceStrings, TranslationsFillTheSameEntriesAsEnglish) {
    for (UINT block : BlocksInUse()) {
        auto english = ReadBlock(block, kNeutral);
        ASSERT_TRUE(english) << block;
        for (LANGID language : kTranslations) {
            auto translated = ReadBlock(block, language);
            ASSERT_TRUE(translated) << "language " << language << ", block " << block;
            for (UINT i = 0; i < 16; ++i) {
                TRACE(language, (block - 1) * 16 + i);
                EXPECT_EQ((*translated)[i].empty(), (*english)[i].empty());
            }
        }
    }
}

// The texts are used as formats: a lost or swapped %s would print garbage or crash.
TEST(ResourceStrings, TranslationsKeepTheEnglishPrintfConversions) {
    for (UINT id : kStringIds) {
        const auto english = PrintfConversions(ReadString(id, kNeutral));
        for (LANGID language : kTranslations) {
            TRACE(language, id);
            EXPECT_EQ(PrintfConversions(ReadString(id, language)), english);
        }
    }
}

TEST(ResourceStrings, EnglishTextsAreExact) {
    const struct {
        UINT id;
        const wchar_t* text;
    } cases[] = {
        {IDS_USAGE_TEXT,
         L"Usage:\n   setup.exe /option [optional parameter]\n\nInstall Options\n   /i\tPerform an "
         L"install.\n   /a <full path to administrative install>\n\tPerform an administrative "
         L"install.\n\nDisplay Options\n   /quiet\n\tQuiet mode, no user interaction\n   "
         L"/passive\n\tUnattended mode - progress bar only\n\nRestart Options\n   /norestart\n\tNo "
         L"restart; exit code 3010 if needed\n\nExit Code Options\n   /msiexitcodes\n\t"
         L"Installer's exit code, not 3\n\nLogging Options\n   /log <log "
         L"file>\n\tWrite the setup log to that file\n\nSetting Public Properties\n   "
         L"PROPERTY=PropertyValue\n\nHelp\n   /?, /h, /help\tShow this help\n\nExample: setup.exe "
         L"/i /passive ABC=DEF"},
        {IDS_INSTALLATION_ERROR, L"Installation Error"},
        {IDS_ADMIN_REQUIRED, L"Admin priviledges are required."},
        {IDS_INTERNAL_ERROR, L"An irrecoverable internal error occured."},
        {IDS_PACKAGE_MISSING_DOWNLOAD_AND_INSTALL,
         L"Installation package for component '%s'  is missing. To install it manually:\n\n- "
         L"Follow link below to download package;\n- Install '%s';\n- Press 'Recheck' button to "
         L"continue installation."},
        {IDS_WINDOWS_VERSION_TOO_OLD,
         L"Can't  itstall product.\r\nProduct can installed on %s and above."},
        {IDS_PLATFORM_NEEDS_64BIT,
         L"This installation package is not supported by this processor type."},
        {IDS_PLATFORM_NEEDS_32BIT,
         L"This installation package is not supported by this processor type."},
        {IDS_BUTTON_CONTINUE, L"Co&ntinue"},
    };
    for (const auto& c : cases) {
        TRACE(kNeutral, c.id);
        EXPECT_EQ(ReadString(c.id, kNeutral), c.text);
    }
}

// Non-ASCII texts catch a resource compiler that read the UTF-8 sources in another code page.
TEST(ResourceStrings, TranslationPeculiaritiesUsersKnowAreKept) {
    const std::wstring needs64 = ReadString(IDS_PLATFORM_NEEDS_64BIT, kRussian);
    const std::wstring needs32 = ReadString(IDS_PLATFORM_NEEDS_32BIT, kRussian);
    EXPECT_EQ(needs64, L"Этот инсталляционный пакет предназначен для установки на машины с "
                       L"64-битной платформой.");
    EXPECT_EQ(needs32, L"Этот инсталляционный пакет предназначен для установки на машины с "
                       L"32-битной платформой.");
    EXPECT_NE(needs64, needs32);

    // The mail address is opened by a quote that is never closed.
    const std::wstring askSendLog = ReadString(IDS_ASK_SEND_LOG, kJapanese);
    const size_t lastPlaceholder = askSendLog.rfind(L"%s");
    ASSERT_NE(lastPlaceholder, std::wstring::npos);
    ASSERT_GT(lastPlaceholder, 0u);
    EXPECT_EQ(askSendLog[lastPlaceholder - 1], L'\'');
    EXPECT_EQ(askSendLog.find(L'\'', lastPlaceholder), std::wstring::npos);

    for (UINT id : {IDS_WINDOWS_VERSION_UNSUPPORTED, IDS_INVALID_OPERATION_TYPE}) {
        TRACE(kItalian, id);
        const std::wstring text = ReadString(id, kItalian);
        EXPECT_NE(text.find(L"% s"), std::wstring::npos);
        EXPECT_EQ(text.find(L"%s"), std::wstring::npos);
    }
}

TEST(ResourceStrings, ButtonsKeepOneKeyboardAccelerator) {
    for (LANGID language : kAllLanguages)
        for (UINT id : kButtonIds) {
            TRACE(language, id);
            const std::wstring text = ReadString(id, language);
            const size_t ampersand = text.find(L'&');
            ASSERT_NE(ampersand, std::wstring::npos);
            ASSERT_LT(ampersand + 1, text.size());
            EXPECT_FALSE(std::iswspace(text[ampersand + 1]));
            EXPECT_EQ(text.find(L'&', ampersand + 1), std::wstring::npos);
        }
}

TEST(ApplicationResources, IconHasTheSmallAndLargeImages) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceExW(module, kGroupIconType, MAKEINTRESOURCEW(IDI_APP), kNeutral);
    ASSERT_NE(found, nullptr);
    auto group = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    const WORD count = *reinterpret_cast<const WORD*>(group + 4);
    std::set<int> sizes;
    for (WORD i = 0; i < count; ++i)
        sizes.insert(group[6 + 14 * i]);
    EXPECT_EQ(sizes, (std::set<int>{16, 32, 48}));
    for (int size : sizes) {
        HANDLE icon = LoadImageW(module, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, 0);
        EXPECT_NE(icon, nullptr) << size;
        if (icon)
            DestroyIcon(static_cast<HICON>(icon));
    }
}

std::string ManifestText() {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceExW(module, kManifestType, MAKEINTRESOURCEW(1), kNeutral);
    if (!found)
        return {};
    auto bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
    return std::string(bytes, SizeofResource(module, found));
}

TEST(ApplicationResources, ManifestAsksForElevationAndCommonControls6) {
    const std::string manifest = ManifestText();
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
}

RTL_OSVERSIONINFOW KernelVersion() {
    using RtlGetVersionFn = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
    auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    RTL_OSVERSIONINFOW kernel = {};
    kernel.dwOSVersionInfoSize = sizeof(kernel);
    if (!rtlGetVersion || rtlGetVersion(&kernel) != 0)
        kernel.dwMajorVersion = 0;
    return kernel;
}

bool IsWindows81OrLater(const RTL_OSVERSIONINFOW& kernel) {
    return kernel.dwMajorVersion > 6 || (kernel.dwMajorVersion == 6 && kernel.dwMinorVersion >= 3);
}

const wchar_t kVersionChildVariable[] = L"SETUP_TEST_VERSION_CHILD";

// Runs this one test again in a child that Wine tells it is on Windows 10 (its per-program
// Version setting, read when a process starts); the child's exit code, 0 when the test passed.
DWORD RunThisTestOnWindows10() {
    wchar_t exePath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exePath, MAX_PATH);
    const std::wstring exeName = std::wcsrchr(exePath, L'\\') + 1;
    const std::wstring keyPath = L"Software\\Wine\\AppDefaults\\" + exeName;
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, &disposition) != ERROR_SUCCESS)
        return 1000;
    const wchar_t version[] = L"win10";
    RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   sizeof(version));

    std::wstring commandLine =
        L"\"" + std::wstring(exePath) +
        L"\" --gtest_filter=ApplicationResources.VersionQueriesAreNotCappedAt62";
    SetEnvironmentVariableW(kVersionChildVariable, L"1");
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    DWORD exitCode = 1001;
    if (CreateProcessW(exePath, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process)) {
        if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    SetEnvironmentVariableW(kVersionChildVariable, nullptr);

    RegDeleteValueW(key, L"Version");
    RegCloseKey(key);
    if (disposition == REG_CREATED_NEW_KEY)
        RegDeleteKeyW(HKEY_CURRENT_USER, keyPath.c_str());
    return exitCode;
}

// Windows answers version queries of an exe without supportedOS entries with 6.2 at most; with
// them, the version this process is told matches the one the kernel reports. The cap shows only
// on Windows 8.1 and later: on an older Windows (a Wine prefix says Windows 7) the test runs again
// in a child told Windows 10, and that child fails rather than skips if it is not.
TEST(ApplicationResources, VersionQueriesAreNotCappedAt62) {
    const RTL_OSVERSIONINFOW kernel = KernelVersion();
    ASSERT_NE(kernel.dwMajorVersion, 0u) << "RtlGetVersion";
    if (!IsWindows81OrLater(kernel)) {
        ASSERT_EQ(GetEnvironmentVariableW(kVersionChildVariable, nullptr, 0), 0u)
            << "the child was not told Windows 10: " << kernel.dwMajorVersion << "."
            << kernel.dwMinorVersion;
        EXPECT_EQ(RunThisTestOnWindows10(), 0u) << "the run told Windows 10 failed";
        return;
    }

    OSVERSIONINFOEXW wanted = {};
    wanted.dwOSVersionInfoSize = sizeof(wanted);
    wanted.dwMajorVersion = kernel.dwMajorVersion;
    wanted.dwMinorVersion = kernel.dwMinorVersion;
    DWORDLONG condition = 0;
    condition = VerSetConditionMask(condition, VER_MAJORVERSION, VER_GREATER_EQUAL);
    condition = VerSetConditionMask(condition, VER_MINORVERSION, VER_GREATER_EQUAL);
    EXPECT_TRUE(VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION, condition))
        << kernel.dwMajorVersion << "." << kernel.dwMinorVersion;
}

} // namespace
