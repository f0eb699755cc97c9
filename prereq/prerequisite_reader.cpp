#include "prereq/prerequisite_reader.h"

#include "foundation/error_text.h"
#include "foundation/ini_file.h"
#include "foundation/ini_text.h"
#include "foundation/setup_log.h"
#include "foundation/wide_format.h"
#include "prereq/detection.h"
#include "foundation/folder_macros.h"
#include "prereq/reg_value.h"

#include <windows.h>
#include <shlwapi.h>

namespace {
constexpr int kPrerequisiteSections = 100;
constexpr int kNumberedRegConds = 32;
const wchar_t kNoMsOfficeTypes[] = L" REGISTER_NO_MSO_TYPES=1 ";

void AddRegCond(const std::wstring& section, const std::wstring& pathKey,
                const std::wstring& condKey, Prerequisite& record) {
    std::wstring path = ReadIniString(section.c_str(), pathKey.c_str());
    if (path.empty())
        return;
    std::wstring cond = ReadIniString(section.c_str(), condKey.c_str());
    if (!cond.empty())
        record.RegConds.push_back(RegCondition{path, cond});
}

bool IsLibreOffice(const std::wstring& name) {
    return StrStrIW(name.c_str(), L"Libre Office") != nullptr;
}

// The installer named by the section: InstPath, or the command line stored at InstRegPath.
// False when the section is to be skipped.
bool ReadInstaller(const wchar_t* section, Prerequisite& record) {
    record.InstPath = ReadIniString(section, L"InstPath");
    if (!record.InstPath.empty()) {
        ExpandFolderMacros(record.InstPath);
        record.InstParams = ReadIniString(section, L"InstParams");
        record.UpdateParams = ReadIniString(section, L"UpdateParams");
        if (IsLibreOffice(record.Name) &&
            ReadIniInt(section, L"NotAssociateWithMSOfficeFiles", 0) != 0)
            record.InstParams += kNoMsOfficeTypes;
        return true;
    }

    std::wstring path = ReadIniString(section, L"InstRegPath");
    std::wstring command;
    DWORD error = ReadRegistryValueByPath(path, false, command);
    if (error != ERROR_SUCCESS) {
        LogPrintf(L"Can't read registry value from path '%s'. %s\r\n", path.c_str(),
                  FormatErrorCode(error).c_str());
        return false;
    }
    // "MsiExec.exe /X{...}": the program is the text before the first blank, and the whole
    // stored line is the start of the command line.
    std::size_t blank = command.find(L' ');
    if (blank == std::wstring::npos)
        return false;
    record.InstPath = command.substr(0, blank);
    record.InstParams = command + L" " + ReadIniString(section, L"InstParams");
    return !record.InstPath.empty();
}

void ReadDetectionKeys(const wchar_t* section, Prerequisite& record) {
    record.IsUninstall = ReadIniInt(section, L"IsUninstall", 0);
    record.AdminNeed = ReadIniInt(section, L"AdminNeed", 1);
    record.RunAs = ReadIniInt(section, L"RunAs", 0);
    record.OSbit = ReadIniInt(section, L"OSbit", 0);
    record.OSver = static_cast<int>(ParseLeadingInt(ReadIniString(section, L"OSver")));
    record.Key64 = ReadIniInt(section, L"Key64", 0);
    record.FilePath = ReadIniString(section, L"FilePath");
    ExpandFolderMacros(record.FilePath);
    record.FileVer = ReadIniVersion(section, L"FileVer");
    record.FileTryLoad = ReadIniInt(section, L"FileTryLoad", 0);
    record.MsiProd = ReadIniString(section, L"MsiProd");
    ReadRegConds(section, record);
    record.ChooseDownload = ReadIniString(section, L"ChooseDownload");
    record.RunExeCond = ReadIniString(section, L"RunExeCond");
    record.SkipIfFoundInPath = ReadIniString(section, L"SkipIfFoundInPath");
}

int OptionalStateOf(int optional) {
    if (optional == -1)
        return OptionalRequired;
    return optional == 0 ? OptionalUnticked : OptionalTicked;
}

// One prerequisite section; false when the section is skipped.
bool ReadPrerequisite(const wchar_t* section, Prerequisite& record) {
    record.Name = ReadIniString(section, L"Name");
    if (record.Name.empty())
        return false;
    record.Url = ReadIniString(section, L"Url");
    if (!ReadInstaller(section, record))
        return false;
    ReadDetectionKeys(section, record);
    record.Selected = true;
    record.OptionalState = OptionalStateOf(ReadIniOptionalInt(section, L"Optional", 1));
    return true;
}
} // namespace

void ReadRegConds(const wchar_t* section, Prerequisite& record) {
    AddRegCond(section, L"RegPath", L"RegCond", record);
    for (int i = 0; i < kNumberedRegConds; ++i)
        AddRegCond(section, FormatWide(L"RegPath%d", i), FormatWide(L"RegCond%d", i), record);
}

void ReadPrerequisites(const wchar_t* sectionFormat, PrerequisiteList& list) {
    list.clear();
    for (int n = 0; n < kPrerequisiteSections; ++n) {
        std::wstring section = FormatWide(sectionFormat, n);
        Prerequisite record;
        if (!ReadPrerequisite(section.c_str(), record))
            continue;
        if (NeedsInstall(record) || record.IsUninstall != 0)
            list.push_back(record);
    }
}

void ReadPostrequisites(const wchar_t* sectionFormat, PrerequisiteList& list) {
    list.clear();
    for (int n = 0;; ++n) {
        std::wstring section = FormatWide(sectionFormat, n);
        Prerequisite record;
        record.RunAs = ReadIniInt(section.c_str(), L"RunAs", 0);
        record.Name = ReadIniString(section.c_str(), L"Name");
        if (record.Name.empty())
            return;
        record.Url = ReadIniString(section.c_str(), L"Url");
        record.InstPath = ReadIniString(section.c_str(), L"InstPath");
        if (!record.InstPath.empty()) {
            ExpandFolderMacros(record.InstPath);
            record.InstParams = ReadIniString(section.c_str(), L"InstParams");
        }
        list.push_back(record);
    }
}
