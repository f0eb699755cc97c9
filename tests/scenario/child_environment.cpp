#include "child_environment.h"

#include "foundation/handles.h"

#include <algorithm>
#include <cstdio>
#include <cwctype>

namespace scenario {
namespace {

struct EnvironmentStringsTraits {
    using Type = wchar_t*;
    static Type invalid() { return nullptr; }
    static void close(Type strings) { FreeEnvironmentStringsW(strings); }
};

bool SameName(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](wchar_t x, wchar_t y) { return std::towupper(x) == std::towupper(y); });
}

// The name ends at the first '=' after the first character, so "=C:=C:\x" is named "=C:".
std::pair<std::wstring, std::wstring> SplitEntry(const std::wstring& entry) {
    const size_t equals = entry.find(L'=', 1);
    if (equals == std::wstring::npos)
        return {entry, L""};
    return {entry.substr(0, equals), entry.substr(equals + 1)};
}

} // namespace

EnvironmentEntries CurrentEnvironment() {
    EnvironmentEntries entries;
    const UniqueHandle<EnvironmentStringsTraits> strings(GetEnvironmentStringsW());
    if (!strings)
        return entries;
    for (const wchar_t* entry = strings.get(); *entry; entry += wcslen(entry) + 1)
        entries.push_back(SplitEntry(entry));
    return entries;
}

void SetEnvironmentEntry(EnvironmentEntries& entries, const std::wstring& name,
                         const std::wstring& value) {
    for (auto& entry : entries) {
        if (SameName(entry.first, name)) {
            entry.second = value;
            return;
        }
    }
    entries.emplace_back(name, value);
}

bool IsReadFromUnixEnvironment(const std::wstring& name) {
    return name == L"LANG" || name == L"LANGUAGE" || name.rfind(L"LC_", 0) == 0 ||
           name.rfind(L"WINE", 0) == 0;
}

std::vector<wchar_t> EnvironmentBlock(const EnvironmentEntries& entries) {
    std::vector<wchar_t> block;
    for (const auto& [name, value] : entries) {
        block.insert(block.end(), name.begin(), name.end());
        block.push_back(L'=');
        block.insert(block.end(), value.begin(), value.end());
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    if (entries.empty())
        block.push_back(L'\0');
    return block;
}

// Wine answers ERROR_INTERNAL_ERROR when the new process died in Wine's own start-up, before it
// told the server it was ready: no code of the program has run (it would still be suspended before
// its loader), so starting it again changes nothing the test looks at. Seen on a 64-bit-only CI
// host.
constexpr int kStartsWhenWineDiesStarting = 3;

bool CreateWithEnvironment(const std::wstring& exePath, std::wstring commandLine,
                           const std::wstring& workingFolder, const EnvironmentEntries& environment,
                           DWORD flags, PROCESS_INFORMATION& info) {
    std::vector<wchar_t> block = EnvironmentBlock(environment);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    for (int start = 1;; ++start) {
        if (CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                           CREATE_UNICODE_ENVIRONMENT | flags, block.data(), workingFolder.c_str(),
                           &startup, &info))
            return true;
        const DWORD error = GetLastError();
        if (error != ERROR_INTERNAL_ERROR || start == kStartsWhenWineDiesStarting)
            return false;
        fprintf(stderr,
                "scenario harness: Wine lost the new process during its start-up (error %lu); "
                "starting it again\n",
                static_cast<unsigned long>(error));
    }
}

} // namespace scenario
