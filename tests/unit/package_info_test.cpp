// Package queries against the real Windows Installer engine of the Wine prefix, on the packages
// that the build makes from tests/packages/*.wxs ($BUILD_DIR/packages).
#include "msi/package_info.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace {

const wchar_t kAlphaProductCode[] = L"{DA3DE55C-1A0C-4ABB-864D-BF44DDFD8210}";
// A product code that no package or test installs, so its product is never on the machine.
const wchar_t kNeverInstalledProductCode[] = L"{5E0F8B62-7C1D-4A39-9B57-2D64C3A1F0E8}";

std::wstring EnvironmentVariable(const wchar_t* name) {
    wchar_t buffer[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableW(name, buffer, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(buffer, length);
}

// $BUILD_DIR is a Unix path; Wine shows the Unix root as drive Z:.
std::wstring PackageDirectory() {
    std::wstring unixPath = EnvironmentVariable(L"BUILD_DIR");
    if (unixPath.empty())
        return std::wstring();
    std::wstring path = L"Z:" + unixPath + L"/packages/";
    for (wchar_t& c : path) {
        if (c == L'/')
            c = L'\\';
    }
    return path;
}

// A copy of a package in the temp folder, changed through the engine's own database API;
// deleted again with the object.
class EditedPackage {
public:
    EditedPackage(const std::wstring& source, std::initializer_list<std::wstring> statements) {
        wchar_t file[MAX_PATH] = {};
        if (!GetTempFileNameW(testfiles::TempFolder().c_str(), L"pkg", 0, file))
            return;
        path_ = file;
        ok_ = CopyFileW(source.c_str(), path_.c_str(), FALSE) && Apply(statements);
    }
    EditedPackage(const EditedPackage&) = delete;
    EditedPackage& operator=(const EditedPackage&) = delete;
    ~EditedPackage() {
        if (!path_.empty())
            DeleteFileW(path_.c_str());
    }

    bool ok() const { return ok_; }
    const std::wstring& path() const { return path_; }

private:
    bool Apply(std::initializer_list<std::wstring> statements) const {
        MsiLibrary msi;
        SystemLibrary library(L"msi.dll");
        auto commit = library.bind<decltype(&::MsiDatabaseCommit)>("MsiDatabaseCommit");
        if (!msi.complete() || !commit)
            return false;
        MsiHandleOwner database(msi);
        if (msi.OpenDatabase(path_.c_str(), MSIDBOPEN_TRANSACT, database.receive()) != 0)
            return false;
        for (const std::wstring& statement : statements) {
            MsiHandleOwner view(msi);
            if (msi.DatabaseOpenView(database.get(), statement.c_str(), view.receive()) != 0 ||
                msi.ViewExecute(view.get(), 0) != 0)
                return false;
        }
        return commit(database.get()) == 0;
    }

    std::wstring path_;
    bool ok_ = false;
};

std::wstring SetProperty(const wchar_t* property, const std::wstring& value) {
    return L"UPDATE `Property` SET `Value`='" + value + L"' WHERE `Property`='" + property + L"'";
}

std::wstring DeleteProperty(const wchar_t* property) {
    return std::wstring(L"DELETE FROM `Property` WHERE `Property`='") + property + L"'";
}

class PackageInfoTest : public testing::Test {
protected:
    void SetUp() override {
        directory_ = PackageDirectory();
        if (directory_.empty())
            GTEST_SKIP() << "BUILD_DIR is not set: the test packages cannot be found";
        saved_ = PackageInfo();
        PackageInfo() = PackageFacts();
    }
    void TearDown() override { PackageInfo() = saved_; }

    std::wstring Package(const wchar_t* name) const { return directory_ + name + L".msi"; }

private:
    std::wstring directory_;
    PackageFacts saved_;
};

struct PackageCase {
    const wchar_t* package;
    PackageFacts facts;
    const wchar_t* platform;
};

void ExpectFacts(const PackageFacts& actual, const PackageFacts& expected) {
    EXPECT_EQ(actual.Template, expected.Template);
    EXPECT_EQ(actual.ProductName, expected.ProductName);
    EXPECT_EQ(actual.ProductVersion, expected.ProductVersion);
    EXPECT_EQ(actual.ProductLanguage, expected.ProductLanguage);
    EXPECT_EQ(actual.ProductCode, expected.ProductCode);
    EXPECT_EQ(actual.ProductNameLangNeutral, expected.ProductNameLangNeutral);
}

TEST_F(PackageInfoTest, ReadsTheFactsOfEachPackage) {
    // product_noln follows a package with a language-neutral name: nothing may carry over.
    const PackageCase cases[] = {
        {L"product_v1",
         {L"Intel;1033", L"Alpha Suite", L"1.0.0", L"1033", kAlphaProductCode, L"Alpha Suite LN"},
         L"Intel"},
        {L"product_noln",
         {L"Intel;1033", L"Beta Tool", L"1.0.0", L"1033", L"{EF74D7CF-23A4-451F-B855-B7B5CEDAB48D}",
          L""},
         L"Intel"},
        {L"product_x64",
         {L"x64;1033", L"Delta x64", L"1.0.0", L"1033", L"{1B33145D-959C-4B1F-89CD-1B5307E03625}",
          L"Delta x64 LN"},
         L"x64"},
        {L"product_ru",
         {L"Intel;1049", L"Gamma RU", L"1.0.0", L"1049", L"{8CC39B9A-C94C-4642-9C58-CD09EC55A469}",
          L"Gamma LN"},
         L"Intel"},
        {L"product_short_version",
         {L"Intel;1033", L"Epsilon Kit", L"1.2", L"1033", L"{C7A03F8F-D6ED-4504-A6AD-1B0C9B6CA47C}",
          L"Epsilon Kit LN"},
         L"Intel"},
    };
    for (const PackageCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "package " << c.package);
        ASSERT_TRUE(ReadPackageInfo(Package(c.package)));
        ExpectFacts(PackageInfo(), c.facts);
        EXPECT_EQ(PackagePlatform(), c.platform);
    }
}

TEST_F(PackageInfoTest, MissingPackageIsNotRead) {
    EXPECT_FALSE(ReadPackageInfo(Package(L"no_such_package")));
    EXPECT_TRUE(PackageInfo().ProductName.empty());
}

TEST_F(PackageInfoTest, MissingProductLanguageFailsTheWholeRead) {
    EditedPackage package(Package(L"product_v1"), {DeleteProperty(L"ProductLanguage")});
    ASSERT_TRUE(package.ok());
    EXPECT_FALSE(ReadPackageInfo(package.path()));
    EXPECT_TRUE(PackageInfo().ProductName.empty());
}

TEST_F(PackageInfoTest, ValuesOfAnyLengthAreReadWhole) {
    // Around the engine's first buffer and far past it, required and optional values alike.
    const struct {
        const wchar_t* property;
        std::size_t length;
    } cases[] = {{L"ProductName", 259},
                 {L"ProductName", 260},
                 {L"ProductName", 4000},
                 {L"ProductNameLangNeutral", 1000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.property << " of " << c.length << " characters");
        std::wstring value(c.length, L'n');
        value.back() = L'Z'; // a cut value would lose its last character
        EditedPackage package(Package(L"product_v1"), {SetProperty(c.property, value)});
        ASSERT_TRUE(package.ok());
        ASSERT_TRUE(ReadPackageInfo(package.path()));
        const PackageFacts& facts = PackageInfo();
        EXPECT_EQ(std::wstring(c.property) == L"ProductName" ? facts.ProductName
                                                             : facts.ProductNameLangNeutral,
                  value);
        EXPECT_EQ(facts.ProductCode, kAlphaProductCode);
    }
}

TEST_F(PackageInfoTest, ProductNotInstalled) {
    EditedPackage package(Package(L"product_v1"),
                          {SetProperty(L"ProductCode", kNeverInstalledProductCode)});
    ASSERT_TRUE(package.ok());
    InstalledState state;
    state.advertised = true;
    state.comparison = 7;
    EXPECT_FALSE(QueryInstalledState(package.path(), state));
    EXPECT_FALSE(state.installed);
    EXPECT_FALSE(state.advertised);
    EXPECT_EQ(state.comparison, 0);
}

TEST_F(PackageInfoTest, UnreadablePackageIsNotInstalled) {
    InstalledState state;
    state.installed = true;
    state.comparison = 1;
    EXPECT_FALSE(QueryInstalledState(Package(L"no_such_package"), state));
    EXPECT_FALSE(state.installed);
    EXPECT_EQ(state.comparison, 0);
}

struct TemplateCase {
    const wchar_t* templateText;
    const wchar_t* platform;
};

TEST(PlatformOfTemplate, IsTheTextBeforeTheFirstSemicolon) {
    const TemplateCase cases[] = {
        {L"Intel;1033", L"Intel"}, {L"x64;1033", L"x64"}, {L"Intel64;1033,1049", L"Intel64"},
        {L"x64;1033;x", L"x64"},   {L";1033", L""},       {L"", L""},
        {L"Intel", L""}, // without a separator there is no platform
    };
    for (const TemplateCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "template \"" << c.templateText << "\"");
        EXPECT_EQ(PlatformOfTemplate(c.templateText), c.platform);
    }
}

} // namespace
