#include "msi/language_transform.h"

#include "foundation/file_system.h"
#include "foundation/ini_file.h"
#include "foundation/module_path.h"
#include "foundation/setup_log.h"
#include "foundation/wide_format.h"
#include "msi/language_fallback.h"

#include <windows.h>

namespace {
// "<executable folder>\<language id>.mst"
std::wstring TransformPath(int langId) {
    return GetModulePath(false, true) + FormatWide(L"%d.mst", langId);
}

// The user's language was not found: try its primary language once.
void SelectPrimaryLanguageTransform(const std::wstring& logPath, TransformSelection& settings) {
    LogPrintfTo(logPath, L"Language transform for LangId %d not found, trying primary language\r\n",
                settings.LangId);
    unsigned fallback = PrimaryLanguageFallback(static_cast<unsigned>(settings.LangId));
    if (fallback == 0)
        return;
    settings.LangId = static_cast<int>(fallback);
    std::wstring candidate = TransformPath(settings.LangId);
    LogPrintfTo(logPath, L"Primary LangId is %d\r\n", settings.LangId);
    if (FileExists(candidate))
        settings.Transforms = candidate;
    else
        LogPrintfTo(logPath, L"Primary LangId transform not found\r\n");
}

// The engine splits its transform list at ';': a path that holds one (setup.exe's folder is
// named so) would name other files.
std::wstring ListableTransform(const std::wstring& path, const std::wstring& logPath) {
    if (path.find(L';') == std::wstring::npos)
        return path;
    LogPrintfTo(logPath, L"Transform path '%s' holds a ';': not used.\r\n", path.c_str());
    return std::wstring();
}

TransformSelection ChooseLanguageTransform(const std::wstring& logPath) {
    TransformSelection settings;
    settings.LangId = ReadIniInt(L"Main", L"LangId", 0);
    bool fromIni = settings.LangId != 0;
    if (fromIni) {
        LogPrintfTo(logPath, L"LangId %d is set from ini file\r\n", settings.LangId);
    } else {
        settings.LangId = GetUserDefaultLangID();
        LogPrintfTo(logPath, L"User LangId is %d\r\n", settings.LangId);
    }

    std::wstring candidate = TransformPath(settings.LangId);
    if (FileExists(candidate)) {
        settings.Transforms = candidate;
        return settings;
    }
    // A language named in the ini file is the author's explicit choice: no substitute for it.
    if (fromIni)
        LogPrintfTo(logPath, L"LangId transform not found\r\n");
    else
        SelectPrimaryLanguageTransform(logPath, settings);
    return settings;
}
} // namespace

TransformSelection SelectLanguageTransform(const std::wstring& logPath) {
    TransformSelection selection = ChooseLanguageTransform(logPath);
    if (!selection.Transforms.empty())
        selection.Transforms = ListableTransform(selection.Transforms, logPath);
    return selection;
}
