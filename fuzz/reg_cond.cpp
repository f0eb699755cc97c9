// Registry-condition texts: RegPath/RegCond parsing, version texts, the value comparisons and the
// InstRegPath split.
#include "fuzz_text.h"
#include "prereq/reg_cond_text.h"

namespace {
bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

void CheckParse(const std::wstring& path, const std::wstring& cond) {
    RegCondParts parts;
    if (ParseRegCond(path, cond, parts) != RegCondFault::None)
        return;
    FUZZ_CHECK(parts.root >= 0 && parts.root < kRegRootCount);
    FUZZ_CHECK(path == parts.rootName + L"\\" + parts.keyPath + L"\\" + parts.valueName);
    FUZZ_CHECK(!parts.valueName.empty());
    FUZZ_CHECK(EndsWith(cond, parts.value));
}

void CheckVersions(const std::wstring& a, const std::wstring& b) {
    RegVersion version;
    FUZZ_CHECK(ParseVersion(a, version) == !a.empty());
    FUZZ_CHECK(CompareVersionValue(a, RegOperator::Equal, a) == !a.empty());
    FUZZ_CHECK(CompareVersionValue(a, RegOperator::GreaterOrEqual, a) == !a.empty());
    bool equal = CompareVersionValue(a, RegOperator::Equal, b);
    FUZZ_CHECK(equal == CompareVersionValue(b, RegOperator::Equal, a));
    if (equal)
        FUZZ_CHECK(CompareVersionValue(a, RegOperator::GreaterOrEqual, b));
}

void CheckStrings(const std::wstring& a, const std::wstring& b) {
    FUZZ_CHECK(CompareStringValue(a, RegOperator::Equal, a));
    bool aAtLeastB = CompareStringValue(a, RegOperator::GreaterOrEqual, b);
    bool bAtLeastA = CompareStringValue(b, RegOperator::GreaterOrEqual, a);
    FUZZ_CHECK(aAtLeastB || bAtLeastA);
    FUZZ_CHECK((aAtLeastB && bAtLeastA) == CompareStringValue(a, RegOperator::Equal, b));
}

void CheckValuePath(const std::wstring& path) {
    int root = -1;
    std::wstring key;
    std::wstring value;
    if (!SplitRegistryValuePath(path, root, key, value))
        return;
    FUZZ_CHECK(root >= 0 && root < kRegRootCount);
    FUZZ_CHECK(!key.empty() && !value.empty());
    FUZZ_CHECK(value.find(L'\\') == std::wstring::npos);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    std::uint32_t split = input.number();
    std::wstring text = input.restAsText();
    std::size_t at = text.empty() ? 0 : split % (text.size() + 1);
    std::wstring first = text.substr(0, at);
    std::wstring second = text.substr(at);

    CheckParse(first, second);
    CheckVersions(first, second);
    CheckStrings(first, second);
    CheckValuePath(text);
    CompareDwordValue(static_cast<std::int32_t>(split), RegOperator::GreaterOrEqual, second);
    return 0;
}
