// Fuzz target: quoted search-path folders and stored command lines (prereq/quoted_text.h).
// Input: the text as 16-bit little-endian units.
#include "fuzz_text.h"
#include "prereq/file_version_text.h"
#include "prereq/quoted_text.h"

#include <cstdint>
#include <string>

namespace {
bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = WideFromUnits(data, size);

    const std::vector<std::wstring> folders = SplitSearchPath(text);
    for (const std::wstring& folder : folders) {
        FUZZ_CHECK(!folder.empty());
        FUZZ_CHECK(folder.find(L'"') == std::wstring::npos);
        FUZZ_CHECK(!IsBlank(folder.front()) && !IsBlank(folder.back()));
    }
    // Without quotes the split is the plain one at every ';'.
    if (text.find(L'"') == std::wstring::npos)
        FUZZ_CHECK(folders == SplitTrimmed(text, L';'));

    std::wstring program;
    if (StoredCommandProgram(text, program)) {
        FUZZ_CHECK(!program.empty());
        const bool quoted = text[0] == L'"';
        FUZZ_CHECK(quoted ? program.find(L'"') == std::wstring::npos
                          : program.find(L' ') == std::wstring::npos);
        const std::wstring written = quoted ? L"\"" + program + L"\"" : program + L" ";
        FUZZ_CHECK(text.compare(0, written.size(), written) == 0);
    } else {
        FUZZ_CHECK(program.empty());
    }
    return 0;
}
