// The Windows version requirement's texts: dotted numbers read back from their own writing, the
// version name keeps its shape, and escapes only ever shorten the text.
#include "foundation/win_version_text.h"
#include "fuzz_text.h"

namespace {
std::wstring Written(const std::vector<unsigned>& numbers) {
    std::wstring text;
    for (std::size_t i = 0; i < numbers.size(); ++i)
        text += (i ? L"." : L"") + std::to_wstring(numbers[i]);
    return text;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const unsigned major = input.number(), minor = input.number();
    const unsigned spMajor = input.byte(), spMinor = input.byte();
    const std::wstring text = input.restAsText();

    if (std::optional<std::vector<unsigned>> numbers = ParseDottedNumbers(text)) {
        FUZZ_CHECK(!numbers->empty());
        FUZZ_CHECK(ParseDottedNumbers(Written(*numbers)) == numbers);
    }

    const std::wstring name = GetWindowsVersionName(major, minor, spMajor, spMinor);
    FUZZ_CHECK(name.compare(0, 9, L"'Windows ") == 0);
    FUZZ_CHECK((name.find(L"Pack ") != std::wstring::npos) == (spMajor != 0));
    FUZZ_CHECK(name.back() == (spMajor != 0 ? L')' : L'\''));

    const std::wstring expanded = ExpandLineBreakEscapes(text);
    FUZZ_CHECK(expanded.size() <= text.size());
    if (text.find(L'\\') == std::wstring::npos)
        FUZZ_CHECK(expanded == text);
    return 0;
}
