#include "prereq/program_path.h"

#include "foundation/file_system.h"
#include "foundation/module_path.h"
#include "foundation/setup_log.h"

#include <windows.h>

namespace {
bool IsProgramFile(const std::wstring& path, void*) {
    return IsExistingFile(path);
}

bool IsMatchingFile(const std::wstring& path, void*) {
    return FileExists(path);
}

KnownFolders SetupAndSystemFolders() {
    return KnownFolders{GetModulePath(false, false), SystemFolder()};
}

void LogRefusal(const std::wstring& line, ProgramChoice choice) {
    bool unclosed = !line.empty() && line[0] == L'"' && line.find(L'"', 1) == std::wstring::npos;
    if (choice == ProgramChoice::Unclear)
        LogPrintf(L"Invalid command line:%s. Quote the program path or give its extension.\r\n",
                  line.c_str());
    else
        LogPrintf(unclosed ? L"Invalid command line:%s. Second double quote missing.\r\n"
                           : L"Invalid command line:%s. Program missing.\r\n",
                  line.c_str());
}
} // namespace

bool ResolveProgram(const std::wstring& line, ProgramCandidate& chosen) {
    ProgramChoice choice =
        ChooseProgramFile(line, SetupAndSystemFolders(), IsProgramFile, nullptr, chosen);
    if (choice == ProgramChoice::Missing && !chosen.lookedAt.empty())
        LogPrintf(L"Program missing: neither '%s' nor '%s' exists.\r\n", chosen.lookedAt.c_str(),
                  chosen.path.c_str());
    if (choice == ProgramChoice::Found || choice == ProgramChoice::Missing)
        return true;
    LogRefusal(line, choice);
    return false;
}

std::wstring ResolveInstallerPath(const std::wstring& instPath) {
    return PlaceInstallerFile(instPath, SetupAndSystemFolders(), IsMatchingFile, nullptr);
}
