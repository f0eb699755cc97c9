#include "msi/product_version.h"

#include <gtest/gtest.h>

namespace {

struct ParseCase {
    const wchar_t* text;
    ProductVersion expected;
};

TEST(ProductVersion, ParsesUpToFourPartsLikeWtoi) {
    const ParseCase cases[] = {
        {L"1.2.3.4", {1, 2, 3, 4}},
        {L"1.2", {1, 2, 0, 0}},
        {L"7", {7, 0, 0, 0}},
        {L"", {0, 0, 0, 0}},
        {L"10.0.1.1.5", {10, 0, 1, 1}},  // a fifth part is ignored
        {L"2.0.70000", {2, 0, 4464, 0}}, // parts keep their low 16 bits
        {L"65535.65536", {65535, 0, 0, 0}},
        {L"1.2b.3", {1, 2, 3, 0}}, // only leading digits count
        {L"x.1", {0, 1, 0, 0}},    // no digits read as 0
        {L"1..2", {1, 0, 2, 0}},
        {L" 4. 5", {4, 5, 0, 0}}, // leading blanks are skipped, as _wtoi does
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "version \"" << c.text << "\"");
        EXPECT_EQ(ParseProductVersion(c.text), c.expected);
    }
}

struct CompareCase {
    const wchar_t* installed;
    const wchar_t* package;
    int expected;
};

TEST(ProductVersion, ComparesPartByPartFromTheFirst) {
    const CompareCase cases[] = {
        {L"1.2", L"1.2.0.0", 0},        {L"1.10", L"1.9", 1},
        {L"2.0.70000", L"2.0.4464", 0}, {L"1.0.0", L"2.0.0", -1},
        {L"2.0", L"1.99.99.99", 1}, // the first unequal part decides
        {L"1.2.3.5", L"1.2.3.4", 1},    {L"1.2.3.4.9", L"1.2.3.4", 0},
        {L"65535", L"65534.65535", 1}, // parts compare unsigned
        {L"", L"0.0.0.0", 0},
    };
    for (const CompareCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "installed \"" << c.installed << "\", package \"" << c.package << "\"");
        ProductVersion installed = ParseProductVersion(c.installed);
        ProductVersion package = ParseProductVersion(c.package);
        EXPECT_EQ(CompareProductVersions(installed, package), c.expected);
        EXPECT_EQ(CompareProductVersions(package, installed), -c.expected);
    }
}

} // namespace
