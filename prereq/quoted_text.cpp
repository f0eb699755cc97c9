#include "prereq/quoted_text.h"

#include "foundation/text.h"

#include <utility>

namespace {
void AddTrimmed(const std::wstring& folder, std::vector<std::wstring>& folders) {
    std::wstring trimmed = Trim(folder);
    if (!trimmed.empty())
        folders.push_back(std::move(trimmed));
}
} // namespace

std::vector<std::wstring> SplitSearchPath(const std::wstring& path) {
    std::vector<std::wstring> folders;
    std::wstring folder;
    bool quoted = false;
    for (wchar_t c : path) {
        if (c == L'"') {
            quoted = !quoted;
        } else if (c == L';' && !quoted) {
            AddTrimmed(folder, folders);
            folder.clear();
        } else {
            folder += c;
        }
    }
    AddTrimmed(folder, folders);
    return folders;
}

bool StoredCommandProgram(const std::wstring& command, std::wstring& program) {
    if (!command.empty() && command[0] == L'"') {
        std::size_t close = command.find(L'"', 1);
        if (close == std::wstring::npos || close == 1)
            return false;
        program = command.substr(1, close - 1);
        return true;
    }
    std::size_t blank = command.find(L' ');
    if (blank == std::wstring::npos || blank == 0)
        return false;
    program = command.substr(0, blank);
    return true;
}
