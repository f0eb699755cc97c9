// The engine command line of a first install: public properties and the language transform.
#include "setup_support.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

struct CommandLineCase {
    const char* name;
    std::vector<std::string> iniLines;
    std::vector<const wchar_t*> transforms; // placeholder .mst files beside setup.exe
    std::wstring commandLine;
    std::wstring locale;                // LC_ALL of the run, "" for the default
    std::wstring expected;              // "%d" stands for the folder
    std::vector<std::wstring> logLines; // the same
};

std::wstring InFolder(std::wstring text, const std::wstring& folder) {
    for (std::size_t at; (at = text.find(L"%d")) != std::wstring::npos;)
        text.replace(at, 2, folder);
    return text;
}

TEST(EngineCommandLine, PropertiesAndTransformOfAFirstInstall) {
    const CommandLineCase cases[] = {
        {"command line replaces MsiProp",
         {"MsiProp=FROM_INI=1"},
         {},
         L"/i /passive ABC=DEF \"X=1\" PATH=\"C:\\My Dir\"",
         L"",
         L"ABC=DEF \"X=1\" PATH=\"C:\\My Dir\"",
         {}},
        {"MsiProp when the command line has none",
         {"MsiProp=FROM_INI=1 B=\"two words\""},
         {},
         L"/i /quiet",
         L"",
         L"FROM_INI=1 B=\"two words\"",
         {}},
        {"transform named in the ini",
         {"LangId=1049", "MsiProp=P=1"},
         {L"1049.mst"},
         L"/i /quiet",
         L"",
         L"P=1 TRANSFORMS=\"%d\\1049.mst\"",
         {L"LangId 1049 is set from ini file", L"LangId transform is %d\\1049.mst"}},
        {"transform clause keeps its leading space",
         {"LangId=1049"},
         {L"1049.mst"},
         L"/i /quiet",
         L"",
         L" TRANSFORMS=\"%d\\1049.mst\"",
         {}},
        // The organisation's own transform is applied after the language's, so that it wins.
        {"customisation from MsiProp joins the list",
         {"LangId=1049", "MsiProp=TRANSFORMS=company.mst P=1"},
         {L"1049.mst"},
         L"/i /quiet",
         L"",
         L"TRANSFORMS=\"%d\\1049.mst;company.mst\" P=1",
         {L"LangId transform is %d\\1049.mst", L"Transform list: %d\\1049.mst;company.mst"}},
        {"no fallback for the ini's language",
         {"LangId=2057"},
         {L"1033.mst"},
         L"/i /quiet",
         L"",
         L"",
         {L"LangId 2057 is set from ini file", L"LangId transform not found"}},
        {"user language",
         {},
         {L"1049.mst", L"1033.mst"},
         L"/i /quiet",
         L"ru_RU.UTF-8",
         L" TRANSFORMS=\"%d\\1049.mst\"",
         {L"User LangId is 1049"}},
        {"primary language fallback",
         {},
         {L"1033.mst"},
         L"/i /quiet",
         L"en_GB.UTF-8",
         L" TRANSFORMS=\"%d\\1033.mst\"",
         {L"User LangId is 2057",
          L"Language transform for LangId 2057 not found, trying primary language",
          L"Primary LangId is 1033"}},
        {"no transform at all",
         {},
         {},
         L"/i /quiet",
         L"en_GB.UTF-8",
         L"",
         {L"User LangId is 2057",
          L"Language transform for LangId 2057 not found, trying primary language",
          L"Primary LangId is 1033", L"Primary LangId transform not found"}},
    };
    for (const CommandLineCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeProductFolder product(L"engine_command_line", c.iniLines);
        const ScenarioFolder& folder = product.folder;
        for (const wchar_t* transform : c.transforms)
            product.folder.writeFile(transform, "placeholder transform");
        RunOptions options;
        options.commandLine = c.commandLine;
        if (!c.locale.empty())
            options.env.push_back({L"LC_ALL", c.locale});
        RunResult result = product.run(options);
        EXPECT_EQ(result.exitCode, 0u);
        std::vector<std::string> expected = {"MsiInstallProductW|" + Utf8(product.package()) + "|" +
                                             Utf8(InFolder(c.expected, folder.path()))};
        EXPECT_EQ(product.engine.calls("MsiInstallProductW"), expected);
        for (const std::wstring& line : c.logLines)
            EXPECT_TRUE(HasLogLine(result, InFolder(line, folder.path())));
        if (c.expected.find(L"TRANSFORMS") == std::wstring::npos) {
            EXPECT_TRUE(LacksLogText(result, L"LangId transform is"));
        }
    }
}

TEST(EngineCommandLine, IniTextsAreReadInTheProductsCodePage) {
    // NOTE=Привет in Windows-1251; the package's language 1049 selects that code page.
    FakeProductFolder product(
        L"ini_code_page", {"MsiProp=NOTE=\xCF\xF0\xE8\xE2\xE5\xF2"},
        "Template=Intel;1049\r\nProductName=Gamma\r\nProductVersion=1.0\r\n"
        "ProductLanguage=1049\r\nProductCode={0F0F0F0F-1111-2222-3333-444455556667}\r\n");
    RunResult result = product.run(L"/i /quiet");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(HasLogLine(result, L"Calling MsiInstallProduct('" + product.package() +
                                       L"') with command line: "
                                       L"'NOTE=\u041F\u0440\u0438\u0432\u0435\u0442'"));
}

TEST(EngineCommandLine, FolderWithPercentSignsIsTakenLiterally) {
    FakeProductFolder product(L"pct %s%d%n%x%%", {"LangId=1049"});
    const ScenarioFolder& folder = product.folder;
    product.folder.writeFile(L"1049.mst", "placeholder transform");
    RunResult result = product.run(L"/i /quiet");
    EXPECT_EQ(result.exitCode, 0u);
    std::vector<std::string> expected = {"MsiInstallProductW|" + Utf8(product.package()) +
                                         "| TRANSFORMS=\"" + Utf8(folder.path()) + "\\1049.mst\""};
    EXPECT_EQ(product.engine.calls("MsiInstallProductW"), expected);
    EXPECT_TRUE(HasLogLine(result, L"LangId transform is " + folder.path() + L"\\1049.mst"));
}

// The engine splits its transform list at ';': from a folder whose name holds one, the transform
// would name other files. It is not used, and the log says why.
TEST(EngineCommandLine, SemicolonInTheFolderNeverSplitsTheTransformList) {
    FakeProductFolder product(L"Setup; v2", {"LangId=1049"});
    product.folder.writeFile(L"1049.mst", "placeholder transform");
    RunResult result = product.run(L"/i /quiet");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(product.engine.calls("MsiInstallProductW"),
              std::vector<std::string>{"MsiInstallProductW|" + Utf8(product.package()) + "|"});
    EXPECT_TRUE(HasLogLine(result, L"Transform path '" + product.folder.path() +
                                       L"\\1049.mst' holds a ';': not used."));
    EXPECT_TRUE(LacksLogText(result, L"LangId transform is"));
}

} // namespace
} // namespace scenario
