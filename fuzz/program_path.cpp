// Which program files a command line may start: every candidate lies in setup.exe's folder, the
// system folder or the absolute path the line names, and its command line is the line itself
// (at most with the candidate's name put in quotes).
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
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring line = WideFromUnits(data, size);
    const std::vector<ProgramCandidate> candidates = ProgramCandidates(line, kRoot, kSystem);
    std::size_t start = 0;
    while (start < line.size() && IsBlank(line[start]))
        ++start;
    const std::wstring stripped = line.substr(start);
    const bool quoted = !stripped.empty() && stripped[0] == L'"';
    FUZZ_CHECK(!quoted || candidates.size() <= 1);
    const std::wstring named = quoted ? stripped.substr(1) : stripped;
    std::size_t previous = line.size() + 1;
    for (const ProgramCandidate& candidate : candidates) {
        const std::wstring& path = candidate.path;
        FUZZ_CHECK(StartsWith(path, kRoot + L"\\") || StartsWith(path, kSystem + L"\\") ||
                   (path.size() >= 3 && path[1] == L':' && StartsWith(named, path.substr(0, 3))) ||
                   StartsWith(path, L"\\\\") || StartsWith(path, L"//") ||
                   StartsWith(path, L"\\/") || StartsWith(path, L"/\\"));
        if (quoted) {
            FUZZ_CHECK(candidate.commandLine == stripped);
            continue;
        }
        // Unquoted: the line itself, or "<name>" followed by the rest of it.
        if (candidate.commandLine == stripped)
            continue;
        std::size_t closing = candidate.commandLine.find(L'"', 1);
        FUZZ_CHECK(candidate.commandLine[0] == L'"' && closing != std::wstring::npos);
        std::wstring name = candidate.commandLine.substr(1, closing - 1);
        FUZZ_CHECK(name + candidate.commandLine.substr(closing + 1) == stripped);
        FUZZ_CHECK(name.find_first_of(L" \t") != std::wstring::npos);
        FUZZ_CHECK(name.size() < previous); // longest first
        previous = name.size();
    }
    return 0;
}
