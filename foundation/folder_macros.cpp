#include "foundation/folder_macros.h"

#include "foundation/buffer_text.h"
#include "foundation/file_system.h"
#include "foundation/macro_text.h"
#include "foundation/module_path.h"
#include "foundation/shell32.h"

namespace {
constexpr UINT kFolderBufferUnits = MAX_PATH;
// The common files folder of 32-bit programs in both builds, so that one ini file names the same
// folder whichever setup.exe reads it.
#if defined(_WIN64)
constexpr int kCommonFilesFolder = CSIDL_PROGRAM_FILES_COMMONX86;
#else
constexpr int kCommonFilesFolder = CSIDL_PROGRAM_FILES_COMMON;
#endif

std::wstring CommonFilesFolder() {
    CShell32 shell;
    wchar_t folder[kFolderBufferUnits] = {};
    if (shell.SHGetFolderPathW)
        shell.SHGetFolderPathW(nullptr, kCommonFilesFolder, nullptr, SHGFP_TYPE_CURRENT, folder);
    return TextUpToNul(folder, kFolderBufferUnits);
}
} // namespace

void ExpandFolderMacros(std::wstring& text) {
    if (text.find(L'#') == std::wstring::npos)
        return; // nothing to replace: spare the folder lookups
    const std::wstring systemFolder = SystemFolder();
    if (systemFolder.empty())
        return;
    // The shell reads the common files folder from the registry: asked only when it is named.
    const bool namesCommonFiles = text.find(L"#CommonProgramFiles#") != std::wstring::npos;
    text = ReplaceFolderMacros(text, systemFolder,
                               namesCommonFiles ? CommonFilesFolder() : std::wstring(),
                               GetModulePath(false, false));
}
