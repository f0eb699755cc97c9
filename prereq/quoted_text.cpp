#include "prereq/quoted_text.h"

namespace {
bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

void AddTrimmed(const std::wstring& folder, std::vector<std::wstring>& folders) {
    std::size_t first = 0;
    std::size_t last = folder.size();
    while (first < last && IsBlank(folder[first]))
        ++first;
    while (last > first && IsBlank(folder[last - 1]))
        --last;
    if (last > first)
        folders.push_back(folder.substr(first, last - first));
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
