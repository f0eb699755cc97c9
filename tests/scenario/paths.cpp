// Where the scenario tests find their inputs and make their folders, from the environment that
// ctest hands them. Unix paths are accepted because the build passes its own.
#include "harness.h"

#include <stdexcept>

#include "harness_error.h"

namespace scenario {
namespace {

std::wstring EnvironmentValue(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return {};
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), size);
    value.resize(length < size ? length : 0);
    return value;
}

std::wstring RequiredPath(const wchar_t* name) {
    const std::wstring value = EnvironmentValue(name);
    if (value.empty())
        throw std::runtime_error("Environment variable " + Utf8(name) + " is not set");
    return WindowsPathFromUnix(value);
}

std::wstring WithBackslashes(std::wstring path) {
    for (wchar_t& c : path) {
        if (c == L'/')
            c = L'\\';
    }
    return path;
}

std::wstring WithoutTrailingBackslash(std::wstring path) {
    while (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    return path;
}

} // namespace

// Wine maps the Unix root to drive Z: in every prefix it creates.
std::wstring WindowsPathFromUnix(const std::wstring& path) {
    if (path.empty() || path.front() != L'/')
        return path;
    return WithBackslashes(L"Z:" + path);
}

std::wstring SetupExePath() {
    return RequiredPath(L"SETUP_EXE");
}

std::wstring BuildPath(const std::wstring& rel) {
    return WithoutTrailingBackslash(RequiredPath(L"BUILD_DIR")) + L"\\" + WithBackslashes(rel);
}

std::wstring ScenarioRoot() {
    const std::wstring root = EnvironmentValue(L"SCENARIO_ROOT");
    if (!root.empty())
        return WithoutTrailingBackslash(WindowsPathFromUnix(root));
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    return WithoutTrailingBackslash(temp) + L"\\scenarios";
}

} // namespace scenario
