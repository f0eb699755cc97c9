#include "prereq/detection.h"

#include "foundation/file_system.h"
#include "foundation/host_facts.h"
#include "msi/package_info.h"
#include "prereq/file_version.h"
#include "prereq/file_version_text.h"
#include "foundation/folder_macros.h"
#include "prereq/run_exe.h"
#include "prereq/quoted_text.h"
#include "prereq/reg_condition.h"

#include <windows.h>

namespace {
// Only the companion product's condition programs speak the exit-code protocol below.
const wchar_t kCompanionPrefix[] = L"Quillex";
constexpr std::size_t kCompanionPrefixLength = 7;

enum ConditionExitCode {
    ConditionPresent = 1,
    UpdateWithNote = 2,
    InstallWithNote = 3,
    UpdateWithNoteToo = 4
};

bool AppliesToHost(int osBit) {
    const bool is32 = IsNativeX86();
    return !(osBit == 1 && !is32) && !(osBit == 2 && is32);
}

bool IsCompanionProduct(const std::wstring& name) {
    return name.compare(0, kCompanionPrefixLength, kCompanionPrefix) == 0;
}

std::wstring EnvironmentVariable(const wchar_t* name) {
    DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return std::wstring();
    std::wstring value(size, L'\0');
    DWORD length = GetEnvironmentVariableW(name, &value[0], size);
    value.resize(length < size ? length : 0);
    return value;
}

bool IsProductPresent(const std::wstring& packagePath) {
    InstalledState state;
    return QueryInstalledState(packagePath, state) || state.advertised;
}

// The condition program's verdict; the result is NeedsInstall's answer.
bool JudgeConditionProgram(Prerequisite& record) {
    std::wstring text;
    unsigned long exitCode = 0;
    if (!RunExe(record.RunExeCond, text, exitCode))
        return false;
    if (!IsCompanionProduct(record.Name))
        return false;
    record.Present = false;
    switch (exitCode) {
    case ConditionPresent:
        record.Present = true;
        return false;
    case UpdateWithNote:
    case UpdateWithNoteToo:
        record.Note = text;
        record.UseUpdateParams = 1;
        return true;
    case InstallWithNote:
        record.Note = text;
        return true;
    default:
        return true;
    }
}
} // namespace

bool IsFoundInPath(const std::wstring& names) {
    std::vector<std::wstring> files = SplitTrimmed(names, L';');
    // Windows allows quoted folders in Path ("C:\Program Files\Tool"); they are searched unquoted.
    for (std::wstring folder : SplitSearchPath(EnvironmentVariable(L"Path"))) {
        if (folder.back() != L'\\')
            folder += L'\\';
        for (const std::wstring& file : files)
            if (FileExists(folder + file))
                return true;
    }
    return false;
}

bool NeedsInstall(Prerequisite& record) {
    if (!AppliesToHost(record.OSbit) || !record.Selected)
        return false;
    record.Present = true;
    if (!record.SkipIfFoundInPath.empty() && IsFoundInPath(record.SkipIfFoundInPath))
        return false;

    // The first test the record configures decides alone.
    bool present;
    if (!record.FilePath.empty())
        present = IsValidFileVersion(record.FilePath, record.FileVer, record.FileTryLoad != 0);
    else if (!record.MsiProd.empty())
        present = IsProductPresent(record.InstPath);
    else if (!record.RegConds.empty())
        present = CheckRegConds(record.RegConds, record.Key64);
    else if (!record.RunExeCond.empty())
        return JudgeConditionProgram(record);
    else
        return false;

    if (present)
        return false;
    record.Present = false;
    return true;
}
