// What an ini file sees the same in both flavours of setup.exe: the x64 flavour reads the 32-bit
// registry view without Key64 and names the 32-bit common files folder, as the x86 flavour does on
// 64-bit Windows. Runs in every prefix; only on 64-bit Windows do the views and folders differ.
#include "prerequisite_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace scenario {
namespace {

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

std::wstring EnvironmentFolder(const wchar_t* name) {
    wchar_t buffer[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableW(name, buffer, MAX_PATH);
    return length && length < MAX_PATH ? std::wstring(buffer) : std::wstring();
}

// The common files folder of 32-bit programs, as Windows names it in the environment.
std::wstring CommonFiles32() {
    std::wstring folder = EnvironmentFolder(L"CommonProgramFiles(x86)");
    return folder.empty() ? EnvironmentFolder(L"CommonProgramFiles") : folder;
}

class FlavourAlike : public ::testing::Test {
protected:
    void SetUp() override { ClearTestKey(); }
    void TearDown() override {
        ClearTestKey();
        std::error_code ignored;
        std::filesystem::remove_all(commonFolder_, ignored);
    }
    const std::wstring commonFolder_ = CommonFiles32() + L"\\SetupFlavourTest";
};

TEST_F(FlavourAlike, RegistryViewAndFolderMacrosAreThoseOfA32BitProgram) {
    ASSERT_FALSE(CommonFiles32().empty());
    const std::string values = std::string(kTestKeyPath) + "\\";
    PrereqFolder folder(
        L"flavour_alike",
        Section("PreReq0",
                {"Name=Program View", "InstRegPath=" + values + "Uninstall32", "IsUninstall=1"}) +
            Section("PreReq1",
                    {"Name=Other View", "InstRegPath=" + values + "Uninstall64", "IsUninstall=1"}) +
            Section("PreReq2", {"Name=Common Files", "InstPath=#Root#\\exit_code.exe",
                                "FilePath=#CommonProgramFiles#\\SetupFlavourTest\\versioned.dll",
                                "FileVer=10.0.1"}));
    const std::wstring command = L"\"" + folder.path() + L"\\exit_code.exe\" 0";
    SetTestString(L"Uninstall32", command);
    SetTestString(L"Uninstall64", command, true);
    std::filesystem::create_directories(commonFolder_);
    std::filesystem::copy_file(folder.path() + L"\\versioned.dll",
                               commonFolder_ + L"\\versioned.dll");

    RunResult result = folder.run(L"/i /passive");
    EXPECT_EQ(result.exitCode, 0u);
    // One registry on 32-bit Windows: there the value written for the 64-bit view is found too.
    std::vector<std::wstring> listed = {L"Program View"};
    if (!Is64BitWindows())
        listed.push_back(L"Other View");
    EXPECT_EQ(EntriesAfter(result, L"Installing prerequisites passively:", L"  "), listed);
    if (Is64BitWindows()) {
        EXPECT_TRUE(HasLogEntryStartingWith(result, L"Can't read registry value from path '" +
                                                        Wide(values) + L"Uninstall64'. Error(2) "));
    }
    // Found in the 32-bit common files folder with its version: present, not listed.
    EXPECT_TRUE(LacksLogText(result, L"SetupFlavourTest"));
}

} // namespace
} // namespace scenario
