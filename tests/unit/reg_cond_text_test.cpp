#include "foundation/buffer_text.h"
#include "prereq/reg_cond_text.h"

#include <gtest/gtest.h>

namespace {

constexpr auto D = RegValueType::Dword;
constexpr auto S = RegValueType::String;
constexpr auto V = RegValueType::Version;
constexpr auto EQ = RegOperator::Equal;
constexpr auto GE = RegOperator::GreaterOrEqual;

TEST(RegCondText, ParsesPathAndCondition) {
    struct {
        const wchar_t* path;
        const wchar_t* cond;
        const wchar_t* root;
        const wchar_t* key;
        const wchar_t* value;
        RegValueType type;
        RegOperator op;
        const wchar_t* operand;
    } cases[] = {
        {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Product\\Version", L"VERSION>=2.5",
         L"HKEY_LOCAL_MACHINE", L"SOFTWARE\\Vendor\\Product", L"Version", V, GE, L"2.5"},
        {L"hkey_current_user\\K\\V", L"dword>=10", L"hkey_current_user", L"K", L"V", D, GE, L"10"},
        {L"HKEY_USERS\\\\V", L"STRING=", L"HKEY_USERS", L"", L"V", S, EQ, L""},
        {L"HKEY_CLASSES_ROOT\\K 1\\V 2", L"String=a b", L"HKEY_CLASSES_ROOT", L"K 1", L"V 2", S, EQ,
         L"a b"},
        {L"HKEY_LOCAL_MACHINE\\K\\V", L"DWORD==5", L"HKEY_LOCAL_MACHINE", L"K", L"V", D, EQ, L"=5"},
        {L"HKEY_LOCAL_MACHINE\\K\\V", L"VERSION=>=1", L"HKEY_LOCAL_MACHINE", L"K", L"V", V, EQ,
         L">=1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "RegPath '" << c.path << "' RegCond '" << c.cond << "'");
        RegCondParts parts;
        ASSERT_EQ(ParseRegCond(c.path, c.cond, parts), RegCondFault::None);
        EXPECT_EQ(parts.rootName, c.root);
        EXPECT_EQ(parts.keyPath, c.key);
        EXPECT_EQ(parts.valueName, c.value);
        EXPECT_EQ(parts.type, c.type);
        EXPECT_EQ(parts.op, c.op);
        EXPECT_EQ(parts.value, c.operand);
        EXPECT_EQ(parts.root, FindRegRoot(c.root));
    }
}

TEST(RegCondText, ReportsTheFirstFaultOfAMalformedPair) {
    struct {
        const wchar_t* path;
        const wchar_t* cond;
        RegCondFault fault;
        const wchar_t* root; // the text before the first "\"
    } cases[] = {
        {L"", L"DWORD=1", RegCondFault::InvalidKey, L""},
        {L"HKEY_LOCAL_MACHINE", L"DWORD=1", RegCondFault::InvalidKey, L""},
        {L"HKLM\\SOFTWARE\\X\\Y", L"DWORD=1", RegCondFault::UnknownRoot, L"HKLM"},
        {L" HKEY_LOCAL_MACHINE\\K\\V", L"DWORD=1", RegCondFault::UnknownRoot,
         L" HKEY_LOCAL_MACHINE"},
        {L"HKEY_LOCAL_MACHINE\\Value", L"DWORD=1", RegCondFault::InvalidPath,
         L"HKEY_LOCAL_MACHINE"},
        {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\X\\", L"DWORD=1", RegCondFault::InvalidPath,
         L"HKEY_LOCAL_MACHINE"},
        {L"HKEY_LOCAL_MACHINE\\K\\V", L"QWORD=1", RegCondFault::InvalidVariable,
         L"HKEY_LOCAL_MACHINE"},
        {L"HKEY_LOCAL_MACHINE\\K\\V", L"", RegCondFault::InvalidVariable, L"HKEY_LOCAL_MACHINE"},
        {L"HKEY_LOCAL_MACHINE\\K\\V", L" DWORD=1", RegCondFault::InvalidVariable,
         L"HKEY_LOCAL_MACHINE"},
        {L"HKEY_LOCAL_MACHINE\\K\\V", L"DWORD>5", RegCondFault::InvalidOperation,
         L"HKEY_LOCAL_MACHINE"},
        {L"HKEY_LOCAL_MACHINE\\K\\V", L"DWORD = 5", RegCondFault::InvalidOperation,
         L"HKEY_LOCAL_MACHINE"},
        {L"HKEY_LOCAL_MACHINE\\K\\V", L"DWORD", RegCondFault::InvalidOperation,
         L"HKEY_LOCAL_MACHINE"},
        {L"HKEY_LOCAL_MACHINE\\K\\V", L"VERSION<=1", RegCondFault::InvalidOperation,
         L"HKEY_LOCAL_MACHINE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "RegPath '" << c.path << "' RegCond '" << c.cond << "'");
        RegCondParts parts;
        EXPECT_EQ(ParseRegCond(c.path, c.cond, parts), c.fault);
        EXPECT_EQ(parts.rootName, c.root);
    }
}

TEST(RegCondText, RootTableHoldsTheFiveFullNamesOnly) {
    EXPECT_EQ(FindRegRoot(L"HKEY_CLASSES_ROOT"), 0);
    EXPECT_EQ(FindRegRoot(L"hkey_current_user"), 1);
    EXPECT_EQ(FindRegRoot(L"HKEY_LOCAL_MACHINE"), 2);
    EXPECT_EQ(FindRegRoot(L"HKEY_USERS"), 3);
    EXPECT_EQ(FindRegRoot(L"Hkey_Performance_Data"), 4);
    for (const wchar_t* name : {L"HKLM", L"HKCU", L"HKEY_CURRENT_CONFIG", L"HKEY_LOCAL_MACHIN",
                                L"HKEY_LOCAL_MACHINEX", L""})
        EXPECT_EQ(FindRegRoot(name), -1) << name;
    EXPECT_EQ(RegRootHandleValue(2), 0x80000002u);
}

TEST(RegCondText, ParseVersionSkipsEmptyPiecesAndKeepsFiveComponents) {
    struct {
        const wchar_t* text;
        bool ok;
        std::int32_t parts[5];
    } cases[] = {
        {L"", false, {0, 0, 0, 0, 0}},
        {L"2.5", true, {2, 5, 0, 0, 0}},
        {L"1.2.3.4.9.7", true, {1, 2, 3, 4, 9}},
        {L".1..2.", true, {1, 2, 0, 0, 0}},
        {L"...", true, {0, 0, 0, 0, 0}},
        {L"-1.x7. 3", true, {-1, 0, 3, 0, 0}},
        {L"10a.0x10", true, {10, 0, 0, 0, 0}},
        {L"99999999999.-99999999999", true, {2147483647, -2147483647 - 1, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        RegVersion version;
        version.part[0] = 42;
        EXPECT_EQ(ParseVersion(c.text, version), c.ok) << c.text;
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(version.part[i], c.parts[i]) << c.text << " component " << i + 1;
    }
}

TEST(RegCondText, VersionComparisonIsNumericComponentByComponent) {
    struct {
        const wchar_t* registry;
        RegOperator op;
        const wchar_t* value;
        bool holds;
    } cases[] = {
        {L"2.5", GE, L"2.5", true},
        {L"2.5.0.0", GE, L"2.5", true},
        {L"2.10", GE, L"2.5", true},
        {L"3", GE, L"2.5", true},
        {L"2.4.9", GE, L"2.5", false},
        {L"1.2.3.4.1", GE, L"1.2.3.4.9", true},
        {L"1.2.3.4.1", EQ, L"1.2.3.4.9", true},
        {L"1.2.3.5", EQ, L"1.2.3.4", false},
        {L"0.0", EQ, L"", true},
        {L"1.0", EQ, L"", false},
        {L"", EQ, L"", false},
        {L"", GE, L"", false},
        {L"", EQ, L"0", true},
        {L"-1", GE, L"0", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CompareVersionValue(c.registry, c.op, c.value), c.holds)
            << "registry '" << c.registry << "' value '" << c.value << "'";
}

TEST(RegCondText, DwordComparisonIsSignedWithAtoiConversion) {
    struct {
        std::int32_t registry;
        RegOperator op;
        const wchar_t* value;
        bool holds;
    } cases[] = {
        {10, GE, L"10", true},  {9, GE, L"10", false},
        {0, EQ, L"0x10", true}, {16, EQ, L"0x10", false},
        {-1, GE, L"-1", true},  {-2, GE, L"-1", false},
        {0, EQ, L"=5", true},   {5, EQ, L" +5", true},
        {5, GE, L"", true},     {2147483647, EQ, L"99999999999", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CompareDwordValue(c.registry, c.op, c.value), c.holds)
            << c.registry << " vs '" << c.value << "'";
}

TEST(RegCondText, StringComparisonFoldsAsciiLettersOnly) {
    struct {
        const wchar_t* registry;
        RegOperator op;
        const wchar_t* value;
        bool holds;
    } cases[] = {
        {L"ABC", EQ, L"abc", true},        {L"b", GE, L"B", true},
        {L"bc", GE, L"B", true},           {L"zz", GE, L"B", true},
        {L"a", GE, L"B", false},           {L"10", GE, L"5", false},
        {L"ab", EQ, L"abc", false},        {L"abc", GE, L"ab", true},
        {L"ab", GE, L"abc", false},        {L"", EQ, L"", true},
        {L"\u00C4", EQ, L"\u00E4", false}, {L"\uFFFF", GE, L"z", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CompareStringValue(c.registry, c.op, c.value), c.holds)
            << "registry '" << c.registry << "' value '" << c.value << "'";
}

TEST(RegCondText, RegistryValuePathIsTrimmedAndNeedsThreeParts) {
    int root = -1;
    std::wstring key;
    std::wstring value;
    ASSERT_TRUE(SplitRegistryValuePath(L" hkey_local_machine \\ SOFTWARE\\\\Vendor \\ Cmd ", root,
                                       key, value));
    EXPECT_EQ(root, 2);
    EXPECT_EQ(key, L"SOFTWARE\\Vendor");
    EXPECT_EQ(value, L"Cmd");
    for (const wchar_t* bad : {L"", L"HKEY_LOCAL_MACHINE\\Value", L"HKEY_LOCAL_MACHINE\\ \\V",
                               L"HKLM\\SOFTWARE\\V", L"\\\\\\"})
        EXPECT_FALSE(SplitRegistryValuePath(bad, root, key, value)) << bad;
}

TEST(RegCondText, BufferTextStopsAtNulOrAtTheBufferEnd) {
    const wchar_t full[4] = {L'a', L'b', L'c', L'd'}; // no terminator
    EXPECT_EQ(TextUpToNul(full, 4), L"abcd");
    const wchar_t shorter[4] = {L'a', L'\0', L'c', L'd'};
    EXPECT_EQ(TextUpToNul(shorter, 4), L"a");
    EXPECT_EQ(TextUpToNul(full, 0), L"");
}

} // namespace
