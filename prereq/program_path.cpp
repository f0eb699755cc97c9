#include "prereq/program_path.h"

#include "foundation/ini_file.h"
#include "foundation/setup_log.h"

#include <windows.h>

namespace {
std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(folder, length);
}

bool IsProgramFile(const std::wstring& path, void*) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
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
