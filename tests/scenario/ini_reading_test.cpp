// The setup ini file as administrators write it and users place it: folders named in any
// language, Unicode files, long values, and packages with long summary texts.
#include "setup_support.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

// What the fake engine was asked to install, "" when it was not called.
std::string EngineCommandLine(const FakeProductFolder& product) {
    std::vector<std::string> calls = product.engine.calls("MsiInstallProductW");
    const std::string prefix = "MsiInstallProductW|" + Utf8(product.package()) + "|";
    if (calls.size() != 1 || calls[0].compare(0, prefix.size(), prefix) != 0)
        return "";
    return calls[0].substr(prefix.size());
}

TEST(IniReading, FolderNamedOutsideThePackagesCodePage) {
    // An English package (code page 1252) run from a Cyrillic folder: the file is still found
    // and its texts are still read.
    FakeProductFolder product(L"\u0418\u0432\u0430\u043D Downloads", {"MsiProp=FROM_INI=1"});
    RunResult result = product.run(L"/i /quiet");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(EngineCommandLine(product), "FROM_INI=1");
}

TEST(IniReading, Utf8FileWithByteOrderMark) {
    // [Main] on the mark's line, and a text outside the package's code page.
    FakeProductFolder product(L"ini_utf8");
    product.folder.writeIni(
        "\xEF\xBB\xBF" +
        MainSection({"MsiPath=product.msi", "MsiProp=NOTE=\xD0\x9F\xD1\x80\xD0\xB8"}));
    RunResult result = product.run(L"/i /quiet");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(EngineCommandLine(product), "NOTE=\xD0\x9F\xD1\x80\xD0\xB8");
}

TEST(IniReading, LongMsiPropReachesTheEngineWhole) {
    // A quoted value straddling the old 2047-byte limit, and more after it.
    const std::string properties =
        "LIST=\"" + std::string(2040, 'a') + " b c\" TAIL=" + std::string(3000, 'z');
    FakeProductFolder product(L"ini_long_value", {"MsiProp=" + properties});
    RunResult result = product.run(L"/i /quiet");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(EngineCommandLine(product), properties);
}

TEST(IniReading, ExecutableWithoutExtensionInADottedFolder) {
    // setup in v1.2 reads v1.2\setup.ini, not a file named after the folder.
    FakeProductFolder product(L"release.v1.2");
    RunOptions options;
    options.commandLine = L"/i /quiet";
    options.exeName = L"setup";
    RunResult result = product.run(options);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(product.engine.calls("MsiInstallProductW").size(), 1u);
}

TEST(IniReading, MultiLanguagePackageWithALongTemplate) {
    std::string languages = "1033";
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "," + std::string&& in C++20.
    for (int language = 1025; language < 1060; ++language) {
        languages += ',';
        languages += std::to_string(language);
    }
    FakeProductFolder product(L"long_template", {},
                              FakePackageScript("Template=Intel;" + languages + "\r\n"));
    RunResult result = product.run(L"/i /quiet");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(product.engine.calls("MsiInstallProductW").size(), 1u);
}

} // namespace
} // namespace scenario
