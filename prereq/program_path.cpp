#include "prereq/program_path.h"

#include "foundation/file_system.h"
#include "foundation/ini_file.h"
#include "foundation/setup_log.h"

#include <windows.h>

namespace {
bool IsProgramFile(const std::wstring& path, void*) {
    return IsExistingFile(path);
}
} // namespace

bool ResolveProgram(const std::wstring& line, ProgramCandidate& chosen) {
    if (ChooseProgramFile(line, GetModulePath(false, false), SystemFolder(), IsProgramFile, nullptr,
                          chosen))
        return true;
    bool unclosed = !line.empty() && line[0] == L'"' && line.find(L'"', 1) == std::wstring::npos;
    LogPrintf(unclosed ? L"Invalid command line:%s. Second double quote missing.\r\n"
                       : L"Invalid command line:%s. Program missing.\r\n",
              line.c_str());
    return false;
}
