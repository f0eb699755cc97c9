#include "prereq/program_path_text.h"

namespace {
constexpr std::size_t kNone = std::wstring::npos;

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

bool HasFolder(const std::wstring& name) {
    return name.find_first_of(L"\\/") != kNone;
}

// "C:\..." or "\\server\...".
bool IsAbsolute(const std::wstring& name) {
    if (name.size() >= 3 && name[1] == L':' && IsSeparator(name[2]))
        return true;
    return name.size() >= 2 && IsSeparator(name[0]) && IsSeparator(name[1]);
}

wchar_t FoldAscii(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool EndsWithProgramExtension(const std::wstring& name) {
    static const wchar_t* const kExtensions[] = {L".exe", L".com", L".bat", L".cmd"};
    if (name.size() < 5 || IsSeparator(name[name.size() - 5]))
        return false;
    for (const wchar_t* extension : kExtensions) {
        std::size_t i = 0;
        while (i < 4 && FoldAscii(name[name.size() - 4 + i]) == extension[i])
            ++i;
        if (i == 4)
            return true;
    }
    return false;
}

// "D:" of "D:\Setup Files", "\\server\share" of "\\server\share\dist"; "" for anything else.
std::wstring DriveOf(const std::wstring& folder) {
    if (folder.size() >= 2 && folder[1] == L':')
        return folder.substr(0, 2);
    if (!IsAbsolute(folder))
        return std::wstring();
    std::size_t server = folder.find_first_of(L"\\/", 2);
    if (server == kNone || server == 2)
        return std::wstring();
    return folder.substr(0, folder.find_first_of(L"\\/", server + 1));
}

std::wstring InFolder(const std::wstring& folder, const std::wstring& name) {
    return folder.empty() ? std::wstring() : folder + L"\\" + name;
}

// Where a name's file may lie: `first`, and for a bare name `second` beside setup.exe. Both empty
// when the name names no file, or lies in a folder that Windows could not name.
struct FilePlaces {
    std::wstring first;
    std::wstring second;
};

FilePlaces PlacesOf(const std::wstring& name, const KnownFolders& folders) {
    FilePlaces places;
    if (name.empty() || name.find(L'"') != kNone)
        return places;
    if (IsAbsolute(name))
        places.first = name;
    else if (name.find(L':') != kNone)
        return places;
    else if (IsSeparator(name[0]))
        places.first = InFolder(DriveOf(folders.setup), name.substr(1));
    else if (HasFolder(name))
        places.first = InFolder(folders.setup, name);
    else if (!folders.system.empty()) {
        // Without the system folder a bare name is not looked for at all: the copy beside
        // setup.exe must never win over the system's for want of asking.
        places.first = InFolder(folders.system, name);
        places.second = InFolder(folders.setup, name);
    }
    return places;
}

void AddExeWithoutExtension(std::wstring& path) {
    std::size_t fileName = path.find_last_of(L"\\/") + 1;
    if (!path.empty() && path.find(L'.', fileName) == kNone)
        path += L".exe";
}

// The first place that exists, else the last one, with the one before it in `lookedAt`.
bool PickPlace(const FilePlaces& places, FileProbe exists, void* context, std::wstring& path,
               std::wstring& lookedAt) {
    path = places.first;
    if (exists(path, context))
        return true;
    if (places.second.empty())
        return false;
    lookedAt = places.first;
    path = places.second;
    return exists(path, context);
}

ProgramChoice ChooseNamed(const std::wstring& name, const KnownFolders& folders, FileProbe exists,
                          void* context, ProgramCandidate& chosen) {
    FilePlaces places = PlacesOf(name, folders);
    if (places.first.empty())
        return ProgramChoice::NotNamed;
    AddExeWithoutExtension(places.first);
    AddExeWithoutExtension(places.second);
    chosen.lookedAt.clear();
    if (PickPlace(places, exists, context, chosen.path, chosen.lookedAt)) {
        chosen.lookedAt.clear();
        return ProgramChoice::Found;
    }
    return ProgramChoice::Missing;
}

// Where the text after the first word can no longer belong to a path: at a character that no
// file name holds, or at a separator right after a blank (a switch such as " /q").
std::size_t PathLimit(const std::wstring& line, std::size_t from) {
    static const wchar_t kNotInPaths[] = L":\"<>|*?";
    for (std::size_t i = from; i < line.size(); ++i) {
        if (std::wstring::traits_type::find(kNotInPaths, 7, line[i]) != nullptr)
            return i;
        if (IsSeparator(line[i]) && IsBlank(line[i - 1]))
            return i;
    }
    return line.size();
}

// The end of the first leading part up to `limit`, cut before a blank, whose name ends in a
// program extension; kNone when there is none.
std::size_t ExtensionPartEnd(const std::wstring& line, std::size_t start, std::size_t limit) {
    for (std::size_t end = start + 1; end <= limit; ++end) {
        if ((end < line.size() && !IsBlank(line[end])) || IsBlank(line[end - 1]))
            continue;
        if (EndsWithProgramExtension(line.substr(start, end - start)))
            return end;
    }
    return kNone;
}

// The end of the program's name in an unquoted line; kNone when the line is unclear.
std::size_t UnquotedProgramEnd(const std::wstring& line, std::size_t start) {
    std::size_t firstEnd = line.find_first_of(L" \t", start);
    if (firstEnd == kNone)
        return line.size();
    if (!HasFolder(line.substr(start, firstEnd - start)))
        return firstEnd;
    std::size_t limit = PathLimit(line, firstEnd);
    std::size_t end = ExtensionPartEnd(line, start, limit);
    if (end != kNone)
        return end;
    std::size_t folderAfterBlank = line.find_first_of(L"\\/", firstEnd);
    return folderAfterBlank < limit ? kNone : firstEnd;
}
} // namespace

std::wstring PlaceInstallerFile(const std::wstring& name, const KnownFolders& folders,
                                FileProbe exists, void* context) {
    FilePlaces places = PlacesOf(name, folders);
    if (places.first.empty())
        return name;
    std::wstring path;
    std::wstring lookedAt;
    PickPlace(places, exists, context, path, lookedAt);
    return path;
}

ProgramChoice ChooseProgramFile(const std::wstring& line, const KnownFolders& folders,
                                FileProbe exists, void* context, ProgramCandidate& chosen) {
    std::size_t start = 0;
    while (start < line.size() && IsBlank(line[start]))
        ++start;
    if (start == line.size())
        return ProgramChoice::NotNamed;
    if (line[start] == L'"') {
        std::size_t closing = line.find(L'"', start + 1);
        if (closing == kNone)
            return ProgramChoice::NotNamed;
        chosen.commandLine = line.substr(start);
        return ChooseNamed(line.substr(start + 1, closing - start - 1), folders, exists, context,
                           chosen);
    }

    std::size_t end = UnquotedProgramEnd(line, start);
    if (end == kNone)
        return ProgramChoice::Unclear;
    const std::wstring name = line.substr(start, end - start);
    const bool quote = name.find_first_of(L" \t") != kNone;
    chosen.commandLine = quote ? L"\"" + name + L"\"" + line.substr(end) : line.substr(start);
    return ChooseNamed(name, folders, exists, context, chosen);
}
