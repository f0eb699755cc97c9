// Which program file a command line starts: it lies in setup.exe's folder, the system folder or at
// the absolute path the line names; its command line is the line itself, at most with the
// program's name put in quotes; and of the candidates it is the first that exists.
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

// "Exists" by the path's length, so that different inputs pick different candidates.
struct Probe {
    std::size_t modulus = 1;
    std::size_t asked = 0;
    std::wstring last;
};
bool Exists(const std::wstring& path, void* context) {
    auto* probe = static_cast<Probe*>(context);
    ++probe->asked;
    probe->last = path;
    return path.size() % probe->modulus == 0;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    Probe probe;
    probe.modulus = 1u + input.byte() % 7u;
    const std::wstring line = input.restAsText();
    ProgramCandidate chosen;
    if (!ChooseProgramFile(line, kRoot, kSystem, Exists, &probe, chosen))
        return 0;
    std::size_t start = 0;
    while (start < line.size() && IsBlank(line[start]))
        ++start;
    const std::wstring stripped = line.substr(start);
    const bool quoted = stripped[0] == L'"';
    const std::wstring named = quoted ? stripped.substr(1) : stripped;
    const std::wstring& path = chosen.path;
    FUZZ_CHECK(path.find(L'"') == std::wstring::npos);
    FUZZ_CHECK(StartsWith(path, kRoot + L"\\") || StartsWith(path, kSystem + L"\\") ||
               (path.size() >= 3 && path[1] == L':' && StartsWith(named, path.substr(0, 3))) ||
               (path.size() >= 2 && StartsWith(named, path.substr(0, 2)) &&
                std::wstring(L"\\/").find(path[0]) != std::wstring::npos &&
                std::wstring(L"\\/").find(path[1]) != std::wstring::npos));
    if (quoted) {
        FUZZ_CHECK(probe.asked == 0 && chosen.commandLine == stripped);
        return 0;
    }
    // The last file asked about is the one chosen: the first that exists, or the shortest.
    FUZZ_CHECK(probe.asked > 0 && probe.last == path);
    if (chosen.commandLine == stripped)
        return 0;
    // Otherwise "<name>" and the rest of the line, the name holding a blank.
    std::size_t closing = chosen.commandLine.find(L'"', 1);
    FUZZ_CHECK(chosen.commandLine[0] == L'"' && closing != std::wstring::npos);
    std::wstring name = chosen.commandLine.substr(1, closing - 1);
    FUZZ_CHECK(name + chosen.commandLine.substr(closing + 1) == stripped);
    FUZZ_CHECK(name.find_first_of(L" \t") != std::wstring::npos);
    return 0;
}
