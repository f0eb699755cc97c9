#include "prereq/prerequisite_reader.h"

#include "foundation/error_text.h"
#include "foundation/folder_macros.h"
#include "foundation/ini_file.h"
#include "foundation/ini_text.h"
#include "foundation/setup_log.h"
#include "foundation/text.h"
#include "foundation/wide_format.h"
#include "prereq/program_path.h"
#include "prereq/quoted_text.h"
#include "prereq/reg_value.h"

#include <windows.h>

#include <utility>

namespace {
// A prerequisite section is asked for some fifty keys, most of them absent (the numbered registry
// conditions alone are 64): they are read from one copy of the section, not from the file.
using SectionKeys = IniSectionValues;

constexpr int kNumberedRegConds = 32;
const wchar_t kNoMsOfficeTypes[] = L" REGISTER_NO_MSO_TYPES=1 ";

void AddRegCond(const SectionKeys& keys, const wchar_t* pathKey, const wchar_t* condKey,
                Prerequisite& record) {
    std::wstring path = keys.String(pathKey);
    if (path.empty())
        return;
    std::wstring cond = keys.String(condKey);
    if (!cond.empty())
        record.RegConds.push_back(RegCondition{path, cond});
}

// "RegPath0" ... "RegPath31" on the stack: every section asks for all 64 numbered keys.
class NumberedKey {
public:
    NumberedKey(const wchar_t* stem, int number) {
        std::size_t length = 0;
        for (; stem[length] != L'\0' && length < kStemUnits; ++length)
            text_[length] = stem[length];
        if (number >= 10)
            text_[length++] = static_cast<wchar_t>(L'0' + number / 10 % 10);
        text_[length++] = static_cast<wchar_t>(L'0' + number % 10);
        text_[length] = L'\0';
    }
    const wchar_t* c_str() const { return text_; }

private:
    static constexpr std::size_t kStemUnits = 8;
    wchar_t text_[kStemUnits + 3];
};

void ReadRegConds(const SectionKeys& keys, Prerequisite& record) {
    AddRegCond(keys, L"RegPath", L"RegCond", record);
    for (int i = 0; i < kNumberedRegConds; ++i)
        AddRegCond(keys, NumberedKey(L"RegPath", i).c_str(), NumberedKey(L"RegCond", i).c_str(),
                   record);
}

bool IsLibreOffice(const std::wstring& name) {
    return ContainsIgnoringCase(name, L"Libre Office");
}

// InstPath as written, with its folder macros, becomes the file it names once: the missing-file
// check, the package query, #InstPath# and the launcher then all mean the same file, whatever the
// current folder.
std::wstring ReadInstallerPath(const SectionKeys& keys) {
    std::wstring path = keys.String(L"InstPath");
    if (path.empty())
        return path;
    ExpandFolderMacros(path);
    return ResolveInstallerPath(path);
}

// The installer named by the section: InstPath, or the command line stored at InstRegPath.
// False when the section is to be skipped.
bool ReadInstaller(const SectionKeys& keys, Prerequisite& record) {
    record.InstPath = ReadInstallerPath(keys);
    if (!record.InstPath.empty()) {
        record.InstParams = keys.String(L"InstParams");
        record.UpdateParams = keys.String(L"UpdateParams");
        if (IsLibreOffice(record.Name) && keys.Int(L"NotAssociateWithMSOfficeFiles", 0) != 0)
            record.InstParams += kNoMsOfficeTypes;
        return true;
    }

    std::wstring path = keys.String(L"InstRegPath");
    std::wstring command;
    DWORD error = ReadRegistryValueByPath(path, false, command);
    if (error != ERROR_SUCCESS) {
        LogPrintf(L"Can't read registry value from path '%s'. %s\r\n", path.c_str(),
                  FormatErrorCode(error).c_str());
        return false;
    }
    // MsiExec.exe /X{...} or "C:\Program Files\Foo\unins.exe" /S: the whole stored line is the
    // start of the command line, and its program (unquoted) the installer.
    if (!StoredCommandProgram(command, record.InstPath))
        return false;
    record.InstPath = ResolveInstallerPath(record.InstPath);
    record.InstParams = command + L" " + keys.String(L"InstParams");
    return true;
}

void ReadDetectionKeys(const SectionKeys& keys, Prerequisite& record) {
    record.IsUninstall = keys.Int(L"IsUninstall", 0);
    record.AdminNeed = keys.Int(L"AdminNeed", 1);
    record.RunAs = keys.Int(L"RunAs", 0);
    record.OSbit = keys.Int(L"OSbit", 0);
    record.OSver = static_cast<int>(ParseLeadingInt(keys.String(L"OSver")));
    record.Key64 = keys.Int(L"Key64", 0);
    record.FilePath = keys.String(L"FilePath");
    ExpandFolderMacros(record.FilePath);
    record.FileVer = keys.Version(L"FileVer");
    record.FileTryLoad = keys.Int(L"FileTryLoad", 0);
    record.MsiProd = keys.String(L"MsiProd");
    ReadRegConds(keys, record);
    record.ChooseDownload = keys.String(L"ChooseDownload");
    record.RunExeCond = keys.String(L"RunExeCond");
    record.SkipIfFoundInPath = keys.String(L"SkipIfFoundInPath");
}

int OptionalStateOf(int optional) {
    if (optional == -1)
        return OptionalRequired;
    return optional == 0 ? OptionalUnticked : OptionalTicked;
}

bool ReadPrerequisiteKeys(const SectionKeys& keys, Prerequisite& record) {
    record.Name = keys.String(L"Name");
    if (record.Name.empty())
        return false;
    record.Url = keys.String(L"Url");
    if (!ReadInstaller(keys, record))
        return false;
    ReadDetectionKeys(keys, record);
    record.InstHash = keys.String(L"InstHash");
    record.DownloadUrl = keys.String(L"DownloadUrl");
    record.Selected = true;
    record.OptionalState = OptionalStateOf(keys.OptionalInt(L"Optional", 1));
    return true;
}
} // namespace

bool ReadPrerequisite(const wchar_t* section, PrerequisiteList& list) {
    list.emplace_back();
    if (ReadPrerequisiteKeys(SectionKeys(section), list.back()))
        return true;
    list.pop_back();
    return false;
}

void ReadPostrequisites(const wchar_t* sectionFormat, PrerequisiteList& list) {
    list.clear();
    for (int n = 0;; ++n) {
        std::wstring section = FormatWide(sectionFormat, n);
        SectionKeys keys(section.c_str());
        Prerequisite record;
        record.RunAs = keys.Int(L"RunAs", 0);
        record.Name = keys.String(L"Name");
        if (record.Name.empty())
            return;
        record.Url = keys.String(L"Url");
        record.InstPath = ReadInstallerPath(keys);
        if (!record.InstPath.empty())
            record.InstParams = keys.String(L"InstParams");
        record.InstHash = keys.String(L"InstHash");
        list.push_back(std::move(record));
    }
}
