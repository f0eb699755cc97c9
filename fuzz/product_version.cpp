// Product versions: parsing never fails, a parsed version written out reads back the same, and
// the comparison is an order (antisymmetric, reflexive, transitive).
#include "fuzz_text.h"
#include "msi/product_version.h"

namespace {
std::wstring Written(const ProductVersion& version) {
    std::wstring text;
    for (std::size_t i = 0; i < version.size(); ++i)
        text += (i ? L"." : L"") + std::to_wstring(version[i]);
    return text;
}

// The input's text cut into three versions at the first two '|'.
std::wstring Part(const std::wstring& text, std::size_t index) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < index; ++i) {
        std::size_t bar = text.find(L'|', start);
        if (bar == std::wstring::npos)
            return std::wstring();
        start = bar + 1;
    }
    std::size_t end = text.find(L'|', start);
    return text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = WideFromUnits(data, size);
    const ProductVersion a = ParseProductVersion(Part(text, 0));
    const ProductVersion b = ParseProductVersion(Part(text, 1));
    const ProductVersion c = ParseProductVersion(Part(text, 2));

    FUZZ_CHECK(ParseProductVersion(Written(a)) == a);
    FUZZ_CHECK(ParseProductVersion(Written(a) + L".7") == a); // a fifth part is ignored
    FUZZ_CHECK(CompareProductVersions(a, a) == 0);
    const int ab = CompareProductVersions(a, b);
    FUZZ_CHECK(ab == -1 || ab == 0 || ab == 1);
    FUZZ_CHECK(ab == -CompareProductVersions(b, a));
    FUZZ_CHECK((ab == 0) == (a == b));
    if (ab <= 0 && CompareProductVersions(b, c) <= 0)
        FUZZ_CHECK(CompareProductVersions(a, c) <= 0);
    return 0;
}
