// File-version texts of prerequisite sections (FileVer) and the lists of SkipIfFoundInPath:
// parsing, formatting, comparison and splitting agree with each other for any input.
#include "foundation/ini_text.h"
#include "fuzz_text.h"
#include "prereq/file_version_text.h"

namespace {
bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

void CheckVersionText(const std::wstring& text) {
    VersionWords version = ParseVersionWords(text);
    std::wstring formatted = FormatFileVersion(version);
    // The formatted text reads back as the same version and formats the same again.
    VersionWords again = ParseVersionWords(formatted);
    FUZZ_CHECK(again == version);
    FUZZ_CHECK(FormatFileVersion(again) == formatted);
    FUZZ_CHECK(CompareFileVersion(version, again) == 0);
    FUZZ_CHECK(formatted.size() >= 7 && formatted.size() <= 23);
}

void CheckComparison(const VersionWords& a, const VersionWords& b, const VersionWords& c) {
    int ab = CompareFileVersion(a, b);
    FUZZ_CHECK(ab >= -1 && ab <= 1);
    FUZZ_CHECK(CompareFileVersion(b, a) == -ab);
    FUZZ_CHECK((ab == 0) == (a == b));
    // The order is transitive.
    if (ab <= 0 && CompareFileVersion(b, c) <= 0)
        FUZZ_CHECK(CompareFileVersion(a, c) <= 0);
}

void CheckSplit(const std::wstring& text, wchar_t separator) {
    std::size_t searchFrom = 0;
    for (const std::wstring& piece : SplitTrimmed(text, separator)) {
        FUZZ_CHECK(!piece.empty());
        FUZZ_CHECK(!IsBlank(piece.front()) && !IsBlank(piece.back()));
        FUZZ_CHECK(piece.find(separator) == std::wstring::npos);
        // Pieces come in order, each a part of the text.
        std::size_t at = text.find(piece, searchFrom);
        FUZZ_CHECK(at != std::wstring::npos);
        searchFrom = at + piece.size();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    VersionWords a{input.number(), input.number()};
    VersionWords b{input.number(), input.number()};
    VersionWords c{input.number(), input.number()};
    CheckComparison(a, b, c);
    std::wstring text = input.restAsText();
    CheckVersionText(text);
    CheckSplit(text, L';');
    return 0;
}
