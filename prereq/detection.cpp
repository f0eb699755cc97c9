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

// The condition program's verdict.
Detection JudgeConditionProgram(Prerequisite& record) {
    Detection detection;
    std::wstring text;
    if (!RunExe(record.RunExeCond, text, detection.exitCode)) {
        detection.ground = DetectionGround::ConditionProgramNotRun;
        return detection;
    }
    if (!IsCompanionProduct(record.Name)) {
        detection.ground = DetectionGround::ProgramOnlyHasToRun;
        return detection;
    }
    detection.ground = DetectionGround::ConditionProgram;
    record.Present = detection.exitCode == ConditionPresent;
    detection.needsInstall = !record.Present;
    switch (detection.exitCode) {
    case UpdateWithNote:
    case UpdateWithNoteToo:
        record.Note = text;
        record.UseUpdateParams = 1;
        break;
    case InstallWithNote:
        record.Note = text;
        break;
    }
    return detection;
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

Detection Detect(Prerequisite& record) {
    Detection detection;
    if (!AppliesToHost(record.OSbit)) {
        detection.ground = DetectionGround::NotForThisWindows;
        return detection;
    }
    if (!record.Selected) {
        detection.ground = DetectionGround::Deselected;
        return detection;
    }
    record.Present = true;
    if (!record.SkipIfFoundInPath.empty() && IsFoundInPath(record.SkipIfFoundInPath)) {
        detection.ground = DetectionGround::FoundOnPath;
        return detection;
    }

    // The first test the record configures decides alone.
    bool present;
    if (!record.FilePath.empty()) {
        detection.ground = DetectionGround::FileVersion;
        present = IsValidFileVersion(record.FilePath, record.FileVer, record.FileTryLoad != 0);
    } else if (!record.MsiProd.empty()) {
        detection.ground = DetectionGround::Product;
        present = IsProductPresent(record.InstPath);
    } else if (!record.RegConds.empty()) {
        detection.ground = DetectionGround::RegistryCondition;
        present = CheckRegConds(record.RegConds, record.Key64);
    } else if (!record.RunExeCond.empty()) {
        return JudgeConditionProgram(record);
    } else {
        return detection;
    }
    record.Present = present;
    detection.needsInstall = !present;
    return detection;
}

bool NeedsInstall(Prerequisite& record) {
    return Detect(record).needsInstall;
}
