#include "foundation/win_version.h"

#include "foundation/file_system.h"
#include "foundation/ini_file.h"
#include "foundation/lang_strings.h"
#include "foundation/message_box.h"
#include "foundation/run_context.h"
#include "foundation/setup_log.h"
#include "foundation/win_version_text.h"
#include "resources/resource_ids.h"

#include <windows.h>

namespace {
constexpr wchar_t kMainSection[] = L"Main";
constexpr wchar_t kMinWinVersionKey[] = L"MinWinVersion";
constexpr wchar_t kMinWinServicePackKey[] = L"MinWinServicePack";
constexpr wchar_t kMinWinMessageKey[] = L"MinWinMessage";

struct VersionRequirement {
    unsigned major = 0;
    unsigned minor = 0;
    unsigned spMajor = 0;
    unsigned spMinor = 0;
};

// The first two numbers of the key's value (a missing second one is 0); logs an invalid value.
std::optional<std::pair<unsigned, unsigned>> ParseVersionKey(const wchar_t* key,
                                                             const std::wstring& value) {
    std::optional<std::vector<unsigned>> numbers = ParseDottedNumbers(value);
    if (!numbers) {
        LogPrintf(L"CheckWinVersion() failed. Invalid version '%s' in variable '%s'.\r\n",
                  value.c_str(), key);
        return std::nullopt;
    }
    unsigned second = numbers->size() > 1 ? (*numbers)[1] : 0;
    return std::make_pair((*numbers)[0], second);
}

// The service pack fields are 16 bits wide; a larger demand stays unmet instead of wrapping.
WORD ServicePackField(unsigned value) {
    return static_cast<WORD>(value > 0xFFFF ? 0xFFFF : value);
}

bool IsRunningWindowsAtLeast(const VersionRequirement& required) {
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    info.dwMajorVersion = required.major;
    info.dwMinorVersion = required.minor;
    info.wServicePackMajor = ServicePackField(required.spMajor);
    info.wServicePackMinor = ServicePackField(required.spMinor);

    const DWORD typeMask =
        VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR | VER_SERVICEPACKMINOR;
    DWORDLONG conditions = 0;
    conditions = VerSetConditionMask(conditions, VER_MAJORVERSION, VER_GREATER_EQUAL);
    conditions = VerSetConditionMask(conditions, VER_MINORVERSION, VER_GREATER_EQUAL);
    conditions = VerSetConditionMask(conditions, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
    conditions = VerSetConditionMask(conditions, VER_SERVICEPACKMINOR, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&info, typeMask, conditions) != FALSE;
}

// Full UI only, not logged, with the default caption.
void ShowVersionError(const std::wstring& text) {
    ShowMessage(text, std::wstring(), MB_ICONERROR);
}

void ShowInternalError() {
    std::wstring logPath = LongPathOf(CurrentRunContext().LogPath);
    ShowVersionError(LoadLangString(IDS_INTERNAL_ERROR) +
                     FormatLangString(IDS_LOG_FILE_NOTE, logPath.c_str()));
}

void ShowRequirementNotMet(const VersionRequirement& required) {
    std::wstring message = ReadIniString(kMainSection, kMinWinMessageKey, L"");
    if (message.empty()) {
        std::wstring name = GetWindowsVersionName(required.major, required.minor, required.spMajor,
                                                  required.spMinor);
        message = FormatLangString(IDS_WINDOWS_VERSION_TOO_OLD, name.c_str());
    } else {
        message = ExpandLineBreakEscapes(message);
    }
    ShowVersionError(message);
}
} // namespace

bool CheckWinVersion() {
    std::wstring versionText = ReadIniString(kMainSection, kMinWinVersionKey, L"");
    if (versionText.empty())
        return true;
    // Both keys are checked before giving up, so that the log names every bad value at once.
    auto version = ParseVersionKey(kMinWinVersionKey, versionText);

    VersionRequirement required;
    std::wstring servicePackText = ReadIniString(kMainSection, kMinWinServicePackKey, L"");
    if (!servicePackText.empty()) {
        auto servicePack = ParseVersionKey(kMinWinServicePackKey, servicePackText);
        if (!servicePack) {
            ShowInternalError();
            return false;
        }
        required.spMajor = servicePack->first;
        required.spMinor = servicePack->second;
    }
    if (!version) {
        ShowInternalError();
        return false;
    }
    required.major = version->first;
    required.minor = version->second;

    if (IsRunningWindowsAtLeast(required))
        return true;
    ShowRequirementNotMet(required);
    return false;
}
