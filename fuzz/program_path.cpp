// Which program file a command line starts: it lies in setup.exe's folder, on its drive, in the
// system folder or at the absolute path the line names; its command line is the line itself, at
// most with the program's name put in quotes; an unquoted name with blanks is the first leading
// part with a program extension (no shorter part stands in for it); a bare name is the system
// folder's, else the one beside setup.exe. An installer path is placed by the same rule.
#include "fuzz_text.h"
#include "prereq/program_path_text.h"

namespace {
const std::wstring kRoot = L"D:\\Setup Files";
const std::wstring kSystem = L"C:\\Windows\\system32";

bool StartsWith(const std::wstring& text, const std::wstring& start) {
    return text.compare(0, start.size(), start) == 0;
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool HasProgramExtension(const std::wstring& name) {
    if (name.size() < 5 || IsSeparator(name[name.size() - 5]))
        return false;
    std::wstring end = name.substr(name.size() - 4);
    for (wchar_t& c : end)
        c = c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    return end == L".exe" || end == L".com" || end == L".bat" || end == L".cmd";
}

// A place the rule may give for a text that starts with `named`.
bool IsAllowedPlace(const std::wstring& path, const std::wstring& named) {
    if (StartsWith(path, kRoot + L"\\") || StartsWith(path, kSystem + L"\\") ||
        (StartsWith(path, L"D:\\") && !named.empty() && IsSeparator(named[0])))
        return true;
    if (path.size() >= 3 && path[1] == L':' && IsSeparator(path[2]))
        return StartsWith(named, path.substr(0, 3));
    return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
           StartsWith(named, path.substr(0, 2));
}

// "Exists" by the path's length, so that different inputs pick different places.
struct Probe {
    std::size_t modulus = 1;
    std::size_t asked = 0;
    std::wstring last;
    bool lastAnswer = false;
};
bool Exists(const std::wstring& path, void* context) {
    auto* probe = static_cast<Probe*>(context);
    ++probe->asked;
    probe->last = path;
    probe->lastAnswer = path.size() % probe->modulus == 0;
    return probe->lastAnswer;
}

void CheckInstallerPlace(const std::wstring& name, std::size_t modulus) {
    Probe probe;
    probe.modulus = modulus;
    std::wstring path = PlaceInstallerFile(name, {kRoot, kSystem}, Exists, &probe);
    FUZZ_CHECK(probe.asked <= 2);
    if (probe.asked == 0) {
        FUZZ_CHECK(path == name);
        return;
    }
    FUZZ_CHECK(IsAllowedPlace(path, name) && path.find(L'"') == std::wstring::npos);
    FUZZ_CHECK(probe.last == path);
}

// The unquoted program's name: the first word, or the first leading part with a program
// extension, and then no shorter part cut at a blank has one.
void CheckUnquotedName(const std::wstring& name, const std::wstring& stripped) {
    std::size_t firstEnd = stripped.find_first_of(L" \t");
    if (name.size() != firstEnd && name.size() != stripped.size())
        FUZZ_CHECK(HasProgramExtension(name));
    for (std::size_t end = 1; end < name.size(); ++end)
        if (IsBlank(name[end]) && !IsBlank(name[end - 1]))
            FUZZ_CHECK(!HasProgramExtension(name.substr(0, end)));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    Probe probe;
    probe.modulus = 1u + input.byte() % 7u;
    const std::wstring line = input.restAsText();
    CheckInstallerPlace(line, probe.modulus);
    ProgramCandidate chosen;
    ProgramChoice choice = ChooseProgramFile(line, {kRoot, kSystem}, Exists, &probe, chosen);
    std::size_t start = 0;
    while (start < line.size() && IsBlank(line[start]))
        ++start;
    const std::wstring stripped = line.substr(start);
    const bool quoted = !stripped.empty() && stripped[0] == L'"';
    if (choice == ProgramChoice::Unclear)
        FUZZ_CHECK(!quoted && stripped.find_first_of(L" \t") != std::wstring::npos);
    if (choice != ProgramChoice::Found && choice != ProgramChoice::Missing) {
        FUZZ_CHECK(probe.asked == 0);
        return 0;
    }
    const std::wstring named = quoted ? stripped.substr(1) : stripped;
    const std::wstring& path = chosen.path;
    FUZZ_CHECK(path.find(L'"') == std::wstring::npos && IsAllowedPlace(path, named));
    // The last file asked about is the one chosen, and the answer is the choice.
    FUZZ_CHECK(probe.asked >= 1 && probe.asked <= 2 && probe.last == path);
    FUZZ_CHECK(probe.lastAnswer == (choice == ProgramChoice::Found));
    if (!chosen.lookedAt.empty())
        FUZZ_CHECK(choice == ProgramChoice::Missing && StartsWith(chosen.lookedAt, kSystem) &&
                   StartsWith(path, kRoot));
    if (quoted) {
        FUZZ_CHECK(chosen.commandLine == stripped);
        return 0;
    }
    if (chosen.commandLine == stripped) {
        std::size_t firstEnd = stripped.find_first_of(L" \t");
        CheckUnquotedName(stripped.substr(0, firstEnd), stripped);
        return 0;
    }
    // Otherwise "<name>" and the rest of the line, the name holding a blank.
    std::size_t closing = chosen.commandLine.find(L'"', 1);
    FUZZ_CHECK(chosen.commandLine[0] == L'"' && closing != std::wstring::npos);
    std::wstring name = chosen.commandLine.substr(1, closing - 1);
    FUZZ_CHECK(name + chosen.commandLine.substr(closing + 1) == stripped);
    FUZZ_CHECK(name.find_first_of(L" \t") != std::wstring::npos);
    CheckUnquotedName(name, stripped);
    return 0;
}
