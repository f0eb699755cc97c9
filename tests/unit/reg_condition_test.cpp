// Registry conditions against values written into the prefix's registry.
#include "foundation/error_text.h"
#include "log_lines.h"
#include "prereq/reg_condition.h"
#include "prereq/reg_value.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {
using Lines = std::vector<std::wstring>;

const wchar_t kKey[] = L"Software\\SetupUnitTests\\RegCond";
const std::wstring kPath = L"HKEY_CURRENT_USER\\Software\\SetupUnitTests\\RegCond\\";

void SetValue(HKEY root, const wchar_t* key, const wchar_t* name, DWORD type, const void* data,
              DWORD size, REGSAM view = 0) {
    HKEY opened = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_WRITE | view, nullptr, &opened, nullptr),
        ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(opened, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(opened);
}

void SetText(const wchar_t* name, const std::wstring& text) {
    DWORD size = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    SetValue(HKEY_CURRENT_USER, kKey, name, REG_SZ, text.c_str(), size);
}

void SetDword(const wchar_t* name, DWORD value) {
    SetValue(HKEY_CURRENT_USER, kKey, name, REG_DWORD, &value, sizeof value);
}

class RegConditionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
        SetText(L"Version", L"2.10");
        SetText(L"Name", L"ABC");
        SetText(L"Empty", L"");
        SetDword(L"Count", 10);
        SetDword(L"AllOnes", 0xFFFFFFFF);
        const unsigned char twoBytes[] = {0x34, 0x12};
        SetValue(HKEY_CURRENT_USER, kKey, L"Short", REG_BINARY, twoBytes, 2);
        // 520 bytes without a terminator, as binary data: the value's type is not looked at.
        const std::wstring full = std::wstring(259, L'f') + L"g";
        SetValue(HKEY_CURRENT_USER, kKey, L"Full", REG_BINARY, full.data(), 520);
        SetText(L"TooLong", std::wstring(260, L'x')); // 522 bytes with terminator
        SetText(L"Cmd", L"C:\\Setup\\vc.exe /q");
    }
    static void TearDownTestSuite() { RegDeleteTreeW(HKEY_CURRENT_USER, kKey); }

    testfiles::CapturedLog log_{L"reg_condition"};
};

TEST_F(RegConditionTest, ConditionsOnRealValuesHoldOrLogWhyNot) {
    struct {
        std::wstring path;
        std::wstring cond;
        int holds;
        Lines lines;
    } cases[] = {
        {kPath + L"Version", L"VERSION>=2.5", 1, {}},
        {kPath + L"Version", L"version=2.10.0.0.7", 1, {}},
        {kPath + L"Version",
         L"VERSION>=2.11",
         0,
         {L"IsValidRegCond() failed. Invalid condition 'VERSION>=2.11'. RegPath='" + kPath +
          L"Version'."}},
        {kPath + L"Name", L"STRING=abc", 1, {}},
        {kPath + L"Name",
         L"STRING>=B",
         0,
         {L"IsValidRegCond() failed. Invalid condition 'STRING>=B'. RegPath='" + kPath +
          L"Name'."}},
        {kPath + L"Empty",
         L"VERSION=",
         0,
         {L"IsValidRegCond() failed. Invalid condition 'VERSION='. RegPath='" + kPath +
          L"Empty'."}},
        {kPath + L"Count", L"dword>=10", 1, {}},
        {kPath + L"Count",
         L"DWORD=0x10",
         0,
         {L"IsValidRegCond() failed. Invalid condition 'DWORD=0x10'. RegPath='" + kPath +
          L"Count'."}},
        {kPath + L"AllOnes", L"DWORD=-1", 1, {}},
        {kPath + L"Short", L"DWORD=4660", 1, {}}, // 0x1234: missing high bytes are zero
        {kPath + L"Full", L"STRING=" + std::wstring(259, L'f') + L"g", 1, {}},
        {kPath + L"Missing",
         L"DWORD=1",
         0,
         {L"CRegComparer.GetRegValue(0x80000001, 'Software\\SetupUnitTests\\RegCond', "
          L"'Missing') failed. " +
              FormatErrorCode(2),
          L"IsValidRegCond() failed. Invalid condition 'DWORD=1'. RegPath='" + kPath +
              L"Missing'."}},
        {kPath + L"Name",
         L"DWORD>=0",
         0,
         {L"CRegComparer.GetRegValue(0x80000001, 'Software\\SetupUnitTests\\RegCond', 'Name') "
          L"failed. " +
              FormatErrorCode(234),
          L"IsValidRegCond() failed. Invalid condition 'DWORD>=0'. RegPath='" + kPath + L"Name'."}},
        {kPath + L"TooLong",
         L"STRING>=",
         0,
         {L"CRegComparer.GetRegValue(0x80000001, 'Software\\SetupUnitTests\\RegCond', "
          L"'TooLong') failed. " +
              FormatErrorCode(234),
          L"IsValidRegCond() failed. Invalid condition 'STRING>='. RegPath='" + kPath +
              L"TooLong'."}},
        {L"HKLM\\SOFTWARE\\X\\Y",
         L"DWORD=1",
         0,
         {L"IsValidRegCond() failed. Can't find root registry key 'HKLM'."}},
        {L"NoSeparator",
         L"DWORD=1",
         0,
         {L"IsValidRegCond() failed. Invalid registry key 'NoSeparator'."}},
        {L"HKEY_LOCAL_MACHINE\\Value",
         L"DWORD=1",
         0,
         {L"IsValidRegCond() failed. Invalid parameter RegPath='HKEY_LOCAL_MACHINE\\Value'."}},
        {kPath + L"Count",
         L"QWORD=1",
         0,
         {L"IsValidRegCond() failed. Invalid variable in condition 'QWORD=1'. RegPath='" + kPath +
          L"Count'."}},
        {kPath + L"Count",
         L"DWORD>5",
         0,
         {L"IsValidRegCond() failed. Invalid operation in condition 'DWORD>5'. RegPath='" + kPath +
          L"Count'."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "RegPath '" << c.path << "' RegCond '" << c.cond << "'");
        log_.Clear();
        EXPECT_EQ(IsValidRegCond(c.path, c.cond, 0), c.holds);
        EXPECT_EQ(log_.Lines(), c.lines);
    }
}

TEST_F(RegConditionTest, PairsAreTriedInOrderUpToTheFirstThatHolds) {
    RegConditionList pairs = {
        {kPath + L"Count", L"DWORD>=11"},
        {kPath + L"Count", L"DWORD>=10"},
        {L"HKLM\\third", L"DWORD=1"},
    };
    EXPECT_TRUE(CheckRegConds(pairs, 0));
    EXPECT_EQ(log_.Lines(),
              Lines{L"IsValidRegCond() failed. Invalid condition 'DWORD>=11'. RegPath='" + kPath +
                    L"Count'."});
    EXPECT_FALSE(CheckRegConds({pairs[0]}, 0));
    EXPECT_FALSE(CheckRegConds({}, 0));
}

TEST_F(RegConditionTest, ValueByPathReadsTextOrAnswersTheError) {
    std::wstring value = L"unchanged";
    EXPECT_EQ(ReadRegistryValueByPath(
                  L" HKEY_CURRENT_USER \\Software\\SetupUnitTests\\\\RegCond\\Cmd", false, value),
              0u);
    EXPECT_EQ(value, L"C:\\Setup\\vc.exe /q");
    EXPECT_EQ(ReadRegistryValueByPath(kPath + L"Full", false, value), 0u);
    EXPECT_EQ(value, std::wstring(259, L'f') + L"g");

    struct {
        std::wstring path;
        DWORD error;
    } failures[] = {
        {L"", ERROR_PATH_NOT_FOUND},
        {L"HKEY_CURRENT_USER\\Value", ERROR_PATH_NOT_FOUND},
        {L"HKCU\\Software\\Value", ERROR_PATH_NOT_FOUND},
        {kPath + L"Missing", ERROR_FILE_NOT_FOUND},
        {kPath + L"TooLong", ERROR_MORE_DATA},
    };
    for (const auto& f : failures) {
        value = L"unchanged";
        EXPECT_EQ(ReadRegistryValueByPath(f.path, false, value), f.error) << f.path;
        EXPECT_EQ(value, L"unchanged") << f.path;
    }
    EXPECT_EQ(log_.Lines(), Lines{});
}

// A detection pass keeps the last key open; what it reads must stay what the registry holds,
// also when a condition program deleted and created the key again in between.
TEST(RegistryKeyReuse, ReadsWhatTheRegistryHoldsNow) {
    const wchar_t key[] = L"Software\\SetupUnitTests\\KeyReuse";
    const std::wstring path = L"HKEY_CURRENT_USER\\Software\\SetupUnitTests\\KeyReuse\\";
    const auto set = [&](const wchar_t* subKey, const wchar_t* name, const std::wstring& text) {
        SetValue(HKEY_CURRENT_USER, subKey, name, REG_SZ, text.c_str(),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    };
    RegDeleteTreeW(HKEY_CURRENT_USER, key);
    set(key, L"A", L"first");
    set(key, L"B", L"second");
    set(L"Software\\SetupUnitTests\\KeyReuse\\Sub", L"A", L"below");
    std::wstring value;
    {
        const RegistryKeyReuse reuse;
        EXPECT_EQ(ReadRegistryValueByPath(path + L"A", false, value), 0u);
        EXPECT_EQ(value, L"first");
        EXPECT_EQ(ReadRegistryValueByPath(path + L"B", false, value), 0u);
        EXPECT_EQ(value, L"second");
        EXPECT_EQ(ReadRegistryValueByPath(path + L"Sub\\A", false, value), 0u);
        EXPECT_EQ(value, L"below");
        EXPECT_EQ(ReadRegistryValueByPath(path + L"A", false, value), 0u);
        EXPECT_EQ(value, L"first");
        set(key, L"A", L"changed");
        EXPECT_EQ(ReadRegistryValueByPath(path + L"A", false, value), 0u);
        EXPECT_EQ(value, L"changed");
        ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, key), ERROR_SUCCESS);
        set(key, L"A", L"recreated");
        EXPECT_EQ(ReadRegistryValueByPath(path + L"A", false, value), 0u);
        EXPECT_EQ(value, L"recreated");
        ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, key), ERROR_SUCCESS);
        EXPECT_EQ(ReadRegistryValueByPath(path + L"A", false, value),
                  static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    }
    set(key, L"A", L"after");
    EXPECT_EQ(ReadRegistryValueByPath(path + L"A", false, value), 0u);
    EXPECT_EQ(value, L"after");
    RegDeleteTreeW(HKEY_CURRENT_USER, key);
}

bool On64BitWindows() {
    BOOL wow64 = FALSE;
    return sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
}

// Runs in the 64-bit prefix too (see CMakeLists.txt): there the two views differ. Both flavours
// read the 32-bit view without Key64, as a 32-bit program does.
TEST(RegConditionViews, Key64ReadsThe64BitViewAndOtherwiseThe32BitView) {
    if (!On64BitWindows())
        GTEST_SKIP() << "one registry view only: 32-bit Windows";
    testfiles::CapturedLog log(L"reg_condition_views");
    const wchar_t key[] = L"SOFTWARE\\SetupUnitTests\\Views";
    const std::wstring path = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\SetupUnitTests\\Views\\Bits";
    SetValue(HKEY_LOCAL_MACHINE, key, L"Bits", REG_SZ, L"64", 6, KEY_WOW64_64KEY);
    SetValue(HKEY_LOCAL_MACHINE, key, L"Bits", REG_SZ, L"32", 6, KEY_WOW64_32KEY);

    EXPECT_EQ(IsValidRegCond(path, L"STRING=64", 1), 1);
    EXPECT_EQ(IsValidRegCond(path, L"STRING=32", 0), 1);
    EXPECT_EQ(IsValidRegCond(path, L"STRING=32", 1), 0);
    std::wstring value;
    EXPECT_EQ(ReadRegistryValueByPath(path, true, value), 0u);
    EXPECT_EQ(value, L"64");
    EXPECT_EQ(ReadRegistryValueByPath(path, false, value), 0u);
    EXPECT_EQ(value, L"32");

    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key, KEY_WOW64_64KEY, 0);
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key, KEY_WOW64_32KEY, 0);
}

} // namespace
