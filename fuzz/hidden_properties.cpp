// Fuzz target: masking hidden property values in a logged engine command line
// and in the engine's own log (msi/hidden_properties.h). Input: 16-bit little-endian units; those
// before the first 0 unit are the package's MsiHiddenProperties list, the rest the command line.
#include "fuzz_text.h"
#include "msi/hidden_properties.h"

#include <cstdint>
#include <string>

namespace {
std::size_t CountOf(const std::wstring& text, wchar_t c) {
    std::size_t count = 0;
    for (wchar_t unit : text)
        count += unit == c;
    return count;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring units = WideFromUnits(data, size);
    const std::size_t split = units.find(L'\0');
    const std::wstring hidden = units.substr(0, split);
    const std::wstring commandLine = split == std::wstring::npos ? L"" : units.substr(split + 1);

    const std::wstring masked = MaskHiddenPropertyValues(commandLine, hidden);
    FUZZ_CHECK(MaskHiddenPropertyValues(commandLine, L"") == commandLine);
    FUZZ_CHECK(MaskHiddenPropertyValues(masked, hidden) == masked);
    // Values are replaced, names and the '=' after them are kept: no more '=' than before, and
    // no text grows by more than one mask per assignment.
    FUZZ_CHECK(CountOf(masked, L'=') <= CountOf(commandLine, L'='));
    FUZZ_CHECK(masked.size() <= commandLine.size() + CountOf(commandLine, L'=') *
                                                         (sizeof(kHiddenValue) / sizeof(wchar_t)));

    // Hiding every assigned property keeps the names and leaves nothing to hide twice.
    const std::wstring assigned = AssignedPropertyNames(commandLine);
    const std::wstring allMasked = MaskHiddenPropertyValues(commandLine, assigned);
    FUZZ_CHECK(AssignedPropertyNames(allMasked) == assigned);
    FUZZ_CHECK(MaskHiddenPropertyValues(allMasked, assigned) == allMasked);

    // The engine-log filter: the same text however it is cut, and a line it passes on whole is
    // masked like that line alone.
    const std::vector<std::wstring> names = HiddenPropertyNames(hidden);
    HiddenValueFilter whole(names);
    const std::wstring filtered = whole.Filter(commandLine) + whole.Finish();
    const std::size_t piece = commandLine.empty() ? 1 : commandLine[0] % 16 + 1;
    HiddenValueFilter cut(names);
    std::wstring pieces;
    for (std::size_t at = 0; at < commandLine.size(); at += piece)
        pieces += cut.Filter(commandLine.substr(at, piece));
    pieces += cut.Finish();
    FUZZ_CHECK(pieces == filtered);
    if (commandLine.size() < 4096 && commandLine.find(L'\n') == std::wstring::npos)
        FUZZ_CHECK(filtered == MaskHiddenPropertyLine(commandLine, names));
    // A masked engine line has nothing left to mask.
    const std::wstring line = MaskHiddenPropertyLine(commandLine, names);
    FUZZ_CHECK(MaskHiddenPropertyLine(line, names) == line);
    return 0;
}
