#include "prerequisite_support.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace scenario {

const char kTestKeyPath[] = "HKEY_LOCAL_MACHINE\\Software\\SetupPrereqTests";

namespace {
const wchar_t kTestKey[] = L"Software\\SetupPrereqTests";
// The view a 32-bit program sees, which both flavours of setup.exe read without Key64.
constexpr REGSAM kProgramView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : 0;

void SetTestValue(const wchar_t* name, DWORD type, const void* data, DWORD size, bool view64) {
    HKEY key = nullptr;
    REGSAM access = KEY_SET_VALUE | (view64 ? KEY_WOW64_64KEY : kProgramView);
    LONG error = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0, access, nullptr, &key,
                                 nullptr);
    ASSERT_EQ(error, ERROR_SUCCESS) << "cannot create the test key";
    error = RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    ASSERT_EQ(error, ERROR_SUCCESS) << "cannot write " << Utf8(name);
}
} // namespace

std::string Section(const std::string& name, const std::vector<std::string>& lines) {
    std::string text = "[" + name + "]\r\n";
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

PrereqFolder::PrereqFolder(const std::wstring& name, const std::string& sections) : product(name) {
    product.folder.copyIn(BuildPath(L"tests\\tools\\exit_code.exe"), L"exit_code.exe");
    product.folder.copyIn(BuildPath(L"tests\\tools\\print_text.exe"), L"print_text.exe");
    product.folder.copyIn(BuildPath(L"tests\\scenario\\versioned.dll"), L"versioned.dll");
    const std::wstring user = BuildPath(L"tests\\scenario\\versioned_user.dll");
    product.folder.copyIn(user, L"lib\\versioned_user.dll");
    product.folder.copyIn(BuildPath(L"tests\\scenario\\versioned.dll"), L"lib\\versioned.dll");
    product.folder.copyIn(user, L"alone\\versioned_user.dll");
    writeSections(sections);
}

void PrereqFolder::writeSections(const std::string& sections) {
    product.folder.writeIni(MainSection({"MsiPath=product.msi"}) + sections);
}

std::wstring FolderElsewhere(const std::wstring& name) {
    wchar_t windows[MAX_PATH] = {};
    UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (length < 3 || length >= MAX_PATH)
        throw std::runtime_error("no Windows folder");
    const std::wstring folder = std::wstring(windows, 3) + L"setup_elsewhere\\" + name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

std::vector<std::string> MarkerLines(const std::wstring& folder, const std::wstring& marker) {
    std::vector<std::string> lines;
    std::ifstream file{std::filesystem::path(folder + L"\\" + marker)};
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

void ClearTestKey() {
    for (REGSAM view : {kProgramView, static_cast<REGSAM>(KEY_WOW64_64KEY)}) {
        HKEY software = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_ALL_ACCESS | view, &software) ==
            ERROR_SUCCESS) {
            RegDeleteTreeW(software, L"SetupPrereqTests");
            RegCloseKey(software);
        }
    }
}

void SetTestString(const wchar_t* name, const std::wstring& value, bool view64) {
    SetTestValue(name, REG_SZ, value.c_str(),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)), view64);
}

void SetTestDword(const wchar_t* name, DWORD value, bool view64) {
    SetTestValue(name, REG_DWORD, &value, sizeof(value), view64);
}

std::vector<std::wstring> EntriesAfter(const RunResult& result, const std::wstring& heading,
                                       const std::wstring& indent) {
    std::vector<std::wstring> entries = result.logEntries();
    std::vector<std::wstring> following;
    auto at = std::find(entries.begin(), entries.end(), heading);
    if (at == entries.end())
        return following;
    for (++at; at != entries.end() && at->compare(0, indent.size(), indent) == 0; ++at)
        following.push_back(at->substr(indent.size()));
    return following;
}

::testing::AssertionResult HasLogEntryStartingWith(const RunResult& result,
                                                   const std::wstring& start) {
    for (const std::wstring& entry : result.logEntries())
        if (entry.compare(0, start.size(), start) == 0)
            return ::testing::AssertionSuccess();
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << "no log entry starts with \"" << Utf8(start) << "\"; entries:";
    for (const std::wstring& entry : result.logEntries())
        failure << "\n  " << Utf8(entry);
    return failure;
}

} // namespace scenario
