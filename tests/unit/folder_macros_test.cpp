#include "foundation/file_system.h"
#include "foundation/folder_macros.h"
#include "test_files.h"

#include <gtest/gtest.h>

namespace {

std::wstring WithoutTrailingBackslash(std::wstring path) {
    if (!path.empty() && path.back() == L'\\')
        path.pop_back();
    return path;
}

TEST(FolderMacros, ReplaceEveryOccurrenceWithThisMachinesFolders) {
    const std::wstring root = WithoutTrailingBackslash(testfiles::ExeFolder());
    // The folders a 32-bit program gets, in both flavours: the 64-bit prefix (where the x64
    // flavour runs) has them under "Program Files (x86)".
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    const bool on64 = sizeof(void*) == 8 || wow64;
    const std::wstring system = L"C:\\windows\\system32";
    const std::wstring common =
        on64 ? L"C:\\Program Files (x86)\\Common Files" : L"C:\\Program Files\\Common Files";
    struct {
        std::wstring text;
        std::wstring expanded;
    } cases[] = {
        {L"#Root#\\redist\\vc.exe", root + L"\\redist\\vc.exe"},
        {L"#System#\\msiexec.exe;#System#", system + L"\\msiexec.exe;" + system},
        {L"#CommonProgramFiles#\\Vendor\\x.dll", common + L"\\Vendor\\x.dll"},
        {L"#system#\\x.dll #ROOT# #InstPath# #Temp#", L"#system#\\x.dll #ROOT# #InstPath# #Temp#"},
        {L"", L""},
    };
    for (const auto& c : cases) {
        std::wstring text = c.text;
        ExpandFolderMacros(text);
        EXPECT_EQ(_wcsicmp(text.c_str(), c.expanded.c_str()), 0) << text << " for " << c.text;
    }
}

TEST(FileExists, FindsFilesFoldersAndWildcardMatches) {
    const std::wstring folder = testfiles::FreshFolder(L"file_exists");
    testfiles::WriteBytes(folder + L"tool.msi", "x");
    CreateDirectoryW((folder + L"sub").c_str(), nullptr);
    struct {
        std::wstring path;
        bool exists;
    } cases[] = {
        {folder + L"tool.msi", true},
        {folder + L"*.msi", true},
        {folder + L"t?ol.*", true},
        {folder + L"sub", true},
        {folder + L"*.exe", false},
        {folder + L"absent.msi", false},
        {folder + L"absent\\tool.msi", false},
        {L"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileExists(c.path), c.exists) << c.path;
}

} // namespace
