// Where the setup log goes and what it holds when names, folders and logs are out of the
// ordinary, and what setup.exe lets a planted DLL do.
#include "file_io.h"
#include "log_reading.h"
#include "setup_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace scenario {
namespace {

std::string ScriptNamed(const std::wstring& name, const std::wstring& neutral) {
    return FakePackageScript("ProductName=" + Utf8(name) +
                             "\r\nProductNameLangNeutral=" + Utf8(neutral) + "\r\n");
}

// Files of the folder (not below it) whose names end with the extension.
std::vector<std::wstring> FilesEndingWith(const std::wstring& folder, const std::wstring& ext) {
    std::vector<std::wstring> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::wstring name = entry.path().filename().wstring();
        if (name.size() >= ext.size() &&
            name.compare(name.size() - ext.size(), ext.size(), ext) == 0)
            names.push_back(name);
    }
    return names;
}

TEST(LogHardening, ProductNamesAtTheLengthLimitsAndDeviceNames) {
    ScenarioFolder probe(L"log_names");
    // Room for the name: MAX_PATH - 1 units for "<temp>\<name> Setup (...).log.engine".
    const std::size_t budget = 259 - (probe.tempPath().size() + 1) - 29 - 7;
    const std::wstring fits(budget, L'f');
    const struct {
        std::wstring name, neutral, chosen; // the log file's name before " Setup ("
    } cases[] = {
        {fits, L"", fits},
        {fits + L"tail", L"LN", fits},
        {std::wstring(259, L'x'), L"", std::wstring(budget, L'x')},
        {L"CON", L"Console LN", L"Console LN"},
        {L"LPT1.txt", L"", L"$PT1.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("name of " + std::to_string(c.name.size()) + ": " + Utf8(c.name.substr(0, 8)));
        FakeProductFolder run(L"log_names", {}, ScriptNamed(c.name, c.neutral));
        RunResult result = run.run(L"/i /quiet");
        EXPECT_EQ(result.exitCode, 0u);
        ASSERT_EQ(result.logFiles.size(), 1u);
        EXPECT_EQ(result.logFiles[0].rfind(c.chosen + L" Setup (", 0), 0u)
            << Utf8(result.logFiles[0]);
        EXPECT_TRUE(HasLogLine(result, L"UILevel is set to 2"));
        std::vector<std::string> enableLog = run.engine.calls("MsiEnableLogW");
        ASSERT_EQ(enableLog.size(), 1u);
        std::wstring sideFile = run.folder.tempPath() + L"\\" + result.logFiles[0] + L".engine";
        EXPECT_EQ(enableLog[0], "MsiEnableLogW|8159|" + Utf8(sideFile) + "|1");
        EXPECT_LE(sideFile.size(), 259u);
    }
}

// No usable temp folder: no log at all, never one in the current (here: setup's own) folder,
// and the run still does its work.
TEST(LogHardening, TempFolderBeyondMaxPathMeansNoLogAndTheRunGoesOn) {
    FakeProductFolder run(L"log_long_temp");
    const std::wstring longTemp = run.folder.tempPath() + L"\\" + std::wstring(250, L'd');
    RunOptions options;
    options.commandLine = L"/i /quiet";
    options.env = {{L"TMP", longTemp}, {L"TEMP", longTemp}};
    RunResult result = run.run(options);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(result.logFiles.empty());
    EXPECT_EQ(FilesEndingWith(run.folder.path(), L".log"), std::vector<std::wstring>());
    EXPECT_EQ(FilesEndingWith(run.folder.path(), L".engine"), std::vector<std::wstring>());
    EXPECT_TRUE(run.engine.calls("MsiEnableLogW").empty());
    EXPECT_EQ(run.engine.calls("MsiInstallProductW").size(), 1u);
}

// Tens of megabytes of engine log end up in the setup log whole, line by line, and the side
// file is gone. (That the copy is bounded shows in the unit test with tiny chunks.)
TEST(LogHardening, LargeEngineLogIsCopiedWhole) {
    const long bytes = 40L << 20;
    FakeProductFolder run(L"log_large_engine", {},
                          FakePackageScript("EngineLogBytes=" + std::to_string(bytes) + "\r\n"));
    RunResult result = run.run(L"/i /quiet");
    EXPECT_EQ(result.exitCode, 0u);
    ASSERT_EQ(result.logFiles.size(), 1u);
    EXPECT_EQ(FilesEndingWith(run.folder.tempPath(), L".engine"), std::vector<std::wstring>());
    // "Engine line N\n" lines of the fake, each now ending in CR LF.
    std::size_t start = result.log.find(L"Engine line 1\r\n");
    std::size_t end = result.log.rfind(L"Engine line ");
    ASSERT_NE(start, std::wstring::npos);
    long lines = std::stol(result.log.substr(end + 12));
    EXPECT_GT(lines, 2000000L);
    EXPECT_EQ(result.log.find(L"Engine line " + std::to_wstring(lines) + L"\r\n"), end);
    std::size_t breaks = 0;
    for (std::size_t at = start;
         (at = result.log.find(L"\r\n", at)) != std::wstring::npos && at <= end; at += 2)
        ++breaks;
    EXPECT_EQ(breaks, static_cast<std::size_t>(lines - 1)) << "every line, once, in order";
    EXPECT_TRUE(
        HasLogLine(result, L"Installation '" + run.package() + L"' completed successfully."));
}

TEST(LogHardening, HiddenPropertiesAreMaskedInTheLogButReachTheEngine) {
    FakeProductFolder run(L"log_hidden", {},
                          FakePackageScript("MsiHiddenProperties=DBPASSWORD;API_KEY\r\n"));
    RunResult result = run.run(L"/i /quiet USER=bob DBPASSWORD=s3cret API_KEY=\"k 42\"");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(HasLogLine(result, L"Calling MsiInstallProduct('" + run.package() +
                                       L"') with command line: 'USER=bob DBPASSWORD=********** "
                                       L"API_KEY=**********'"));
    EXPECT_TRUE(LacksLogText(result, L"s3cret"));
    EXPECT_TRUE(LacksLogText(result, L"k 42"));
    EXPECT_EQ(run.engine.calls("MsiInstallProductW"),
              std::vector<std::string>{"MsiInstallProductW|" + Utf8(run.package()) +
                                       "|USER=bob DBPASSWORD=s3cret API_KEY=\"k 42\""});
}

// Wine's engine writes hidden values into its own log ("Property(S): DBPASSWORD = ..."): they
// are masked on their way into the setup log too.
TEST(LogHardening, HiddenPropertiesStayOutOfTheLogWithTheRealEngine) {
    RemoveProduct(kBetaCode);
    ScenarioFolder folder(L"log_hidden_real");
    folder.copyIn(PackagePath(L"product_noln.msi"), L"beta.msi");
    folder.writeIni(MainSection({"MsiPath=beta.msi"}));
    RunOptions options;
    options.commandLine = L"/i /quiet DBPASSWORD=s3cretvalue USER=bob";
    RunResult result = folder.run(options);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(ProductState(kBetaCode), INSTALLSTATE_DEFAULT);
    EXPECT_TRUE(LacksLogText(result, L"s3cretvalue"));
    EXPECT_NE(result.log.find(L"DBPASSWORD=********** USER=bob"), std::wstring::npos);
    RemoveProduct(kBetaCode);
}

// setup.exe restricts every later load by name to the system folder first thing. Under Wine no
// load that setup.exe or the engine makes by name after the start can be planted, so the
// restriction is shown with the same call in a probe program: a DLL planted beside it is loaded
// without the restriction, and not with it.
TEST(LogHardening, DllSearchRestrictionKeepsAPlantedDllOut) {
    for (const bool restricted : {false, true}) {
        SCOPED_TRACE(restricted ? "restricted" : "default search");
        ScenarioFolder folder(L"dll_search");
        folder.copyIn(BuildPath(L"tests\\tools\\dll_search_probe.exe"), L"probe.exe");
        folder.copyIn(BuildPath(L"tests\\fakes\\planted_dll.dll"), L"planted.dll");
        RunOptions options;
        options.exeName = L"probe.exe";
        options.commandLine = restricted ? L"planted.dll restrict" : L"planted.dll";
        folder.run(options);
        const bool loaded =
            GetFileAttributesW((folder.path() + L"\\planted_dll_loaded.txt").c_str()) !=
            INVALID_FILE_ATTRIBUTES;
        EXPECT_EQ(loaded, !restricted);
    }
}

// "<temp>\\Fake Product Setup (yyyy.mm.dd hh.mm).log" for this minute and the next, so that a run
// started now meets one of them whenever the minute turns.
std::vector<std::wstring> LogPathsAround(const ScenarioFolder& folder) {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    FILETIME file = {};
    SystemTimeToFileTime(&now, &file);
    ULARGE_INTEGER ticks = {{file.dwLowDateTime, file.dwHighDateTime}};
    std::vector<std::wstring> paths;
    for (int minute = 0; minute < 2; ++minute) {
        ULARGE_INTEGER at = ticks;
        at.QuadPart += minute * 60ULL * 10000000ULL;
        FILETIME atFile = {at.LowPart, at.HighPart};
        SYSTEMTIME t = {};
        FileTimeToSystemTime(&atFile, &t);
        wchar_t name[64] = {};
        swprintf(name, 64, L"Fake Product Setup (%04u.%02u.%02u %02u.%02u).log", t.wYear, t.wMonth,
                 t.wDay, t.wHour, t.wMinute);
        paths.push_back(folder.tempPath() + L"\\" + name);
    }
    return paths;
}

// The name of the one log file among the run's *.log files that holds the text ("" if none does).
std::wstring LogHolding(const ScenarioFolder& folder, const RunResult& result,
                        const std::wstring& text) {
    std::wstring found;
    for (const std::wstring& name : result.logFiles) {
        const std::wstring log = DecodeUtf16Le(ReadFileBytes(folder.tempPath() + L"\\" + name));
        if (log.find(text) != std::wstring::npos)
            found = found.empty() ? name : L"<more than one>";
    }
    return found;
}

// Another user who can write the temp folder plants the log's name, or the engine's side file's,
// as a hard link to a file of their choosing: the elevated run must neither write it, nor empty
// it, nor delete it. The log then takes the next free name; the engine logs nowhere.
TEST(LogHardening, PlantedLinksUnderTheLogsNamesAreLeftAlone) {
    for (const bool sideFile : {false, true}) {
        SCOPED_TRACE(sideFile ? "side file planted" : "log planted");
        FakeProductFolder run(L"log_planted");
        const std::wstring victim = run.folder.path() + L"\\victim.txt";
        run.folder.writeFile(L"victim.txt", "keep me");
        for (const std::wstring& path : LogPathsAround(run.folder)) {
            const std::wstring planted = sideFile ? path + L".engine" : path;
            ASSERT_TRUE(CreateHardLinkW(planted.c_str(), victim.c_str(), nullptr));
        }
        RunResult result = run.run(L"/i /quiet");
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_EQ(ReadFileBytes(victim), "keep me");
        if (!sideFile) {
            // The planted links count as *.log files too: the run's own is the numbered one.
            const std::wstring own = LogHolding(run.folder, result, L"UILevel is set to 2");
            EXPECT_NE(own.find(L") (2).log"), std::wstring::npos) << Utf8(own);
            EXPECT_EQ(run.engine.calls("MsiEnableLogW").size(), 1u);
        } else {
            EXPECT_NE(result.log.find(L"The installer's own log cannot be created as '"),
                      std::wstring::npos);
            EXPECT_TRUE(run.engine.calls("MsiEnableLogW").empty());
            EXPECT_EQ(FilesEndingWith(run.folder.tempPath(), L".engine").size(), 2u)
                << "the planted names are not deleted";
        }
    }
}

std::size_t Count(const std::wstring& text, const std::wstring& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// The log of an earlier run in the same minute, a plain file of this account's, is appended to
// with no second byte order mark: first a planted one, then the first run's own log for a second
// run. Each is placed under the names of the minute around the run's start, so that the turn of a
// minute changes nothing.
TEST(LogHardening, EarlierLogOfTheSameMinuteIsAppendedTo) {
    FakeProductFolder run(L"log_earlier");
    const std::string earlier =
        std::string("\xFF\xFE") + std::string("e\0a\0r\0l\0y\0\r\0\n\0", 14);
    for (const std::wstring& path : LogPathsAround(run.folder))
        WriteFileBytes(path, earlier);
    RunResult first = run.run(L"/i /quiet");
    EXPECT_EQ(first.exitCode, 0u);
    const std::wstring own = LogHolding(run.folder, first, L"UILevel is set to 2");
    EXPECT_EQ(own.find(L") (2).log"), std::wstring::npos) << Utf8(own);
    const std::string firstBytes = ReadFileBytes(run.folder.tempPath() + L"\\" + own);
    EXPECT_EQ(firstBytes.rfind(earlier, 0), 0u) << "appended after the earlier lines";
    EXPECT_EQ(firstBytes.find("\xFF\xFE", 2), std::string::npos) << "no second byte order mark";

    for (const std::wstring& path : LogPathsAround(run.folder))
        WriteFileBytes(path, firstBytes);
    RunResult second = run.run(L"/i /passive");
    EXPECT_EQ(second.exitCode, 0u);
    const std::wstring secondOwn = LogHolding(run.folder, second, L"UILevel is set to 67");
    const std::string bytes = ReadFileBytes(run.folder.tempPath() + L"\\" + secondOwn);
    EXPECT_EQ(bytes.rfind(firstBytes, 0), 0u) << "appended after the first run's log";
    EXPECT_EQ(bytes.find("\xFF\xFE", 2), std::string::npos) << "no second byte order mark";
    const std::wstring log = DecodeUtf16Le(bytes);
    EXPECT_EQ(Count(log, L"]: UILevel is set to 2\r\n"), 1u);
    EXPECT_EQ(Count(log, L"]: UILevel is set to 67\r\n"), 1u);
}

} // namespace
} // namespace scenario
