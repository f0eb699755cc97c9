#include "prereq/program_path_text.h"

namespace {
bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

bool HasFolder(const std::wstring& name) {
    return name.find_first_of(L"\\/") != std::wstring::npos;
}

// "C:\..." or "\\server\...".
bool IsAbsolute(const std::wstring& name) {
    if (name.size() >= 3 && name[1] == L':' && IsSeparator(name[2]))
        return true;
    return name.size() >= 2 && IsSeparator(name[0]) && IsSeparator(name[1]);
}

// The program file a name stands for; empty when the name depends on the current drive or folder
// ("\tool.exe", "C:tool.exe") or is no file name at all (empty, or with a quote in it).
std::wstring ProgramFile(const std::wstring& name, const std::wstring& rootFolder,
                         const std::wstring& systemFolder) {
    std::wstring path;
    if (name.find(L'"') != std::wstring::npos)
        return std::wstring();
    if (IsAbsolute(name))
        path = name;
    else if (name.empty() || IsSeparator(name[0]) || name.find(L':') != std::wstring::npos)
        return std::wstring();
    else if (const std::wstring& folder = HasFolder(name) ? rootFolder : systemFolder;
             !folder.empty())
        path = folder + L"\\" + name;
    else
        return std::wstring();
    std::size_t fileName = path.find_last_of(L"\\/") + 1;
    if (path.find(L'.', fileName) == std::wstring::npos)
        path += L".exe";
    return path;
}

} // namespace

bool ChooseProgramFile(const std::wstring& line, const std::wstring& rootFolder,
                       const std::wstring& systemFolder, ProgramExists exists, void* context,
                       ProgramCandidate& chosen) {
    std::size_t start = 0;
    while (start < line.size() && IsBlank(line[start]))
        ++start;
    if (start == line.size())
        return false;
    if (line[start] == L'"') {
        std::size_t closing = line.find(L'"', start + 1);
        if (closing == std::wstring::npos)
            return false;
        chosen.path =
            ProgramFile(line.substr(start + 1, closing - start - 1), rootFolder, systemFolder);
        chosen.commandLine = line.substr(start);
        return !chosen.path.empty();
    }

    std::size_t firstEnd = line.find_first_of(L" \t", start);
    // A line that starts with a bare name never reaches for a folder: "reg query HKLM\Software\X"
    // must not become a program under setup.exe's folder.
    const std::wstring first = line.substr(start, firstEnd - start);
    const bool bareOnly = !IsAbsolute(first) && !HasFolder(first);

    bool found = false;
    for (std::size_t end = line.size(); end > start; --end) {
        if ((end < line.size() && !IsBlank(line[end])) || IsBlank(line[end - 1]))
            continue;
        std::wstring name = line.substr(start, end - start);
        if (bareOnly && HasFolder(name))
            continue;
        std::wstring path = ProgramFile(name, rootFolder, systemFolder);
        if (path.empty())
            continue;
        bool quote = name.find_first_of(L" \t") != std::wstring::npos;
        chosen.path = path;
        chosen.commandLine = quote ? L"\"" + name + L"\"" + line.substr(end) : line.substr(start);
        found = true;
        if (exists(path, context))
            break;
    }
    return found;
}
