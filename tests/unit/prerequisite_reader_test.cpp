// The records that the prerequisite and postrequisite sections become. Every section here is an
// uninstall step, so that detection keeps it whatever the machine holds.
#include "foundation/dll_binding.h"
#include "settings/setup_settings.h"
#include "prereq/needed_prerequisites.h"
#include "prereq/prerequisite_reader.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

const wchar_t kTestKey[] = L"Software\\SetupUnitTests";

class PrerequisiteReader : public ::testing::Test {
protected:
    void TearDown() override {
        DeleteFileW(testfiles::ExeIniPath().c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    }
    // One uninstall section per entry, numbered from 0, with the given lines after Name.
    PrerequisiteList Read(const std::vector<std::vector<std::string>>& sections) {
        std::string text;
        for (std::size_t i = 0; i < sections.size(); ++i) {
            text += "[PreReq" + std::to_string(i) + "]\r\nIsUninstall=1\r\n";
            for (const std::string& line : sections[i])
                text += line + "\r\n";
        }
        testfiles::WriteBytes(testfiles::ExeIniPath(), text);
        PrerequisiteList list;
        ReadPrerequisites(L"PreReq%d", list);
        return list;
    }
};

TEST_F(PrerequisiteReader, OptionalEntryGivesTheTickState) {
    PrerequisiteList list = Read({{"Name=A", "InstPath=a.exe"},
                                  {"Name=B", "InstPath=b.exe", "Optional=0"},
                                  {"Name=C", "InstPath=c.exe", "Optional=1"},
                                  {"Name=D", "InstPath=d.exe", "Optional=7"},
                                  {"Name=E", "InstPath=e.exe", "Optional=-1"}});
    ASSERT_EQ(list.size(), 5u);
    const int expected[] = {OptionalRequired, OptionalUnticked, OptionalTicked, OptionalTicked,
                            OptionalRequired};
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].OptionalState, expected[i]) << i;
        EXPECT_TRUE(list[i].Selected);
    }
}

TEST_F(PrerequisiteReader, LibreOfficeRuleNeedsTheTwoWordsAndTheKey) {
    struct Case {
        const char* name;
        const char* key;
        std::wstring instParams;
    } cases[] = {
        {"Libre Office 7", "1", L"/qn REGISTER_NO_MSO_TYPES=1 "},
        {"LIBRE OFFICE", "1", L"/qn REGISTER_NO_MSO_TYPES=1 "},
        {"LibreOffice", "1", L"/qn"},
        {"Libre Office 7", "0", L"/qn"},
    };
    std::vector<std::vector<std::string>> sections;
    for (const Case& c : cases)
        sections.push_back({std::string("Name=") + c.name, "InstPath=lo.msi", "InstParams=/qn",
                            std::string("NotAssociateWithMSOfficeFiles=") + c.key});
    PrerequisiteList list = Read(sections);
    ASSERT_EQ(list.size(), 4u);
    for (std::size_t i = 0; i < list.size(); ++i)
        EXPECT_EQ(list[i].InstParams, cases[i].instParams) << cases[i].name;
    EXPECT_EQ(list[0].InstParams.size(), 28u);
}

TEST_F(PrerequisiteReader, InstallerFromTheRegistryIsSplitAtTheFirstBlank) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t command[] = L"MsiExec.exe /X{11111111-2222-3333-4444-555555555555}";
    RegSetValueExW(key, L"Uninstall", 0, REG_SZ, reinterpret_cast<const BYTE*>(command),
                   sizeof(command));
    RegCloseKey(key);
    PrerequisiteList list =
        Read({{"Name=Old", "InstRegPath=HKEY_CURRENT_USER\\Software\\SetupUnitTests\\Uninstall",
               "InstParams=/qn", "UpdateParams=/update"}});
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].InstPath, SystemFolderPath(L"MsiExec.exe")) << "a bare name, the system's";
    EXPECT_EQ(list[0].InstParams, std::wstring(command) + L" /qn");
    EXPECT_EQ(list[0].UpdateParams, L"") << "read only with InstPath";
}

TEST_F(PrerequisiteReader, FieldsComeFromTheirKeysWithTheirDefaults) {
    PrerequisiteList list =
        Read({{"Name=Full", "Url=http://x/", "InstPath=#Root#\\pkg\\full.exe",
               "InstParams=\"#InstPath#\" /q", "UpdateParams=\"#InstPath#\" /u", "RunAs=1",
               "OSbit=2", "OSver= -12abc", "Key64=1", "FilePath=#Root#\\full.dll", "FileVer=10.0.2",
               "FileTryLoad=1", "MsiProd=yes", "ChooseDownload=full.exe",
               "RunExeCond=\"#Root#\\cond.exe\" 1", "SkipIfFoundInPath=full.exe", "InstHash=AB12cd",
               "DownloadUrl=https://vendor.example/full.exe"},
              {"Name=Bare", "InstPath=bare.exe"}});
    ASSERT_EQ(list.size(), 2u);
    const std::wstring root = testfiles::ExeFolder();
    const Prerequisite& full = list[0];
    EXPECT_EQ(full.Url, L"http://x/");
    EXPECT_EQ(full.InstPath, root + L"pkg\\full.exe");
    EXPECT_EQ(full.InstParams, L"\"#InstPath#\" /q") << "command-line macros stay for the launcher";
    EXPECT_EQ(full.UpdateParams, L"\"#InstPath#\" /u");
    EXPECT_EQ(full.RunAs, 1);
    EXPECT_EQ(full.OSbit, 2);
    EXPECT_EQ(full.OSver, -12);
    EXPECT_EQ(full.Key64, 1);
    EXPECT_EQ(full.FilePath, root + L"full.dll");
    EXPECT_EQ(full.FileVer, (VersionWords{10u << 16, 2u << 16}));
    EXPECT_EQ(full.FileTryLoad, 1);
    EXPECT_EQ(full.MsiProd, L"yes");
    EXPECT_EQ(full.ChooseDownload, L"full.exe");
    EXPECT_EQ(full.RunExeCond, L"\"#Root#\\cond.exe\" 1") << "#Root# is replaced when it runs";
    EXPECT_EQ(full.SkipIfFoundInPath, L"full.exe");
    EXPECT_EQ(full.InstHash, L"AB12cd") << "checked when it runs, as written";
    EXPECT_EQ(full.DownloadUrl, L"https://vendor.example/full.exe");

    const Prerequisite& bare = list[1];
    EXPECT_EQ(bare.AdminNeed, 1) << "administrator rights unless the section says otherwise";
    EXPECT_EQ(bare.RunAs, 0);
    EXPECT_EQ(bare.OSver, 0);
    EXPECT_EQ(bare.FileVer, VersionWords{});
    EXPECT_TRUE(bare.RegConds.empty());
    EXPECT_TRUE(bare.Present) << "nothing to test counts as present";
    EXPECT_FALSE(full.Present) << "its file is missing";
    EXPECT_EQ(bare.UseUpdateParams, 0);
    EXPECT_EQ(bare.InstHash, L"");
    EXPECT_EQ(bare.DownloadUrl, L"");
}

TEST_F(PrerequisiteReader, RegistryConditionPairsNeedBothKeysOfTheirNumber) {
    PrerequisiteList list = Read(
        {{"Name=A", "InstPath=a.exe", "RegPath=HKEY_USERS\\P\\V", "RegPath0=HKEY_USERS\\P\\V0",
          "RegCond0=DWORD=0", "RegPath5=HKEY_USERS\\P\\V5", "RegCond5=DWORD=5", "RegCond7=DWORD=7",
          "regpath9=HKEY_USERS\\P\\V9", "REGCOND9=DWORD=9", "RegPath31=HKEY_USERS\\P\\V31",
          "RegCond31=DWORD=31", "RegPath32=HKEY_USERS\\P\\V32", "RegCond32=DWORD=32"}});
    ASSERT_EQ(list.size(), 1u);
    std::vector<std::wstring> pairs;
    for (const RegCondition& pair : list[0].RegConds)
        pairs.push_back(pair.RegPath + L" " + pair.RegCond);
    EXPECT_EQ(pairs, (std::vector<std::wstring>{
                         L"HKEY_USERS\\P\\V0 DWORD=0", L"HKEY_USERS\\P\\V5 DWORD=5",
                         L"HKEY_USERS\\P\\V9 DWORD=9", L"HKEY_USERS\\P\\V31 DWORD=31"}));
}

TEST_F(PrerequisiteReader, PostrequisitesEndAtTheFirstSectionWithoutAName) {
    testfiles::WriteBytes(testfiles::ExeIniPath(),
                          "[PostReq0]\r\nName=First\r\nInstParams=/ignored\r\nRunAs=1\r\n"
                          "[PostReq1]\r\nName=Second\r\nInstPath=#Root#\\post.exe\r\n"
                          "InstParams=/go\r\nUpdateParams=/u\r\nIsUninstall=1\r\n"
                          "InstHash=00ff\r\nDownloadUrl=http://vendor.example/post.exe\r\n"
                          "[PostReq3]\r\nName=After The Gap\r\nInstPath=x.exe\r\n");
    PrerequisiteList list;
    ReadPostrequisites(L"PostReq%d", list);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Name, L"First");
    EXPECT_EQ(list[0].RunAs, 1);
    EXPECT_EQ(list[0].InstParams, L"") << "no InstPath, no parameters";
    EXPECT_EQ(list[1].InstPath, testfiles::ExeFolder() + L"post.exe");
    EXPECT_EQ(list[1].InstParams, L"/go");
    EXPECT_EQ(list[1].UpdateParams, L"");
    EXPECT_EQ(list[1].IsUninstall, 0);
    EXPECT_EQ(list[1].InstHash, L"00ff");
    EXPECT_EQ(list[1].DownloadUrl, L"") << "postrequisites run what the medium holds";
}

// Read once into the file it names, from setup.exe's folder (here: the test program's) and never
// from the current folder, which holds a file of each name.
TEST_F(PrerequisiteReader, InstallerPathIsTheFileItNamesWhateverTheCurrentFolder) {
    const std::wstring current = testfiles::FreshFolder(L"reader_current");
    for (const wchar_t* decoy : {L"vc.exe", L"post.exe"})
        testfiles::WriteBytes(current + decoy, "");
    wchar_t saved[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, saved);
    SetCurrentDirectoryW(current.c_str());
    PrerequisiteList list = Read({{"Name=Relative", "InstPath=redist\\vc.exe"},
                                  {"Name=Bare", "InstPath=vc.exe"},
                                  {"Name=System", "InstPath=cmd.exe"},
                                  {"Name=Drive", "InstPath=\\redist\\vc.exe"}});
    testfiles::WriteBytes(testfiles::ExeIniPath(),
                          "[PostReq0]\r\nName=Post\r\nInstPath=post.exe\r\n");
    PrerequisiteList post;
    ReadPostrequisites(L"PostReq%d", post);
    SetCurrentDirectoryW(saved);

    const std::wstring root = testfiles::ExeFolder();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].InstPath, root + L"redist\\vc.exe");
    EXPECT_EQ(list[1].InstPath, root + L"vc.exe");
    EXPECT_EQ(list[2].InstPath, SystemFolderPath(L"cmd.exe"));
    EXPECT_EQ(list[3].InstPath, root.substr(0, 2) + L"\\redist\\vc.exe");
    ASSERT_EQ(post.size(), 1u);
    EXPECT_EQ(post[0].InstPath, root + L"post.exe");
}

} // namespace
