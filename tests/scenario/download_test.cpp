// Installers pinned by their hash and fetched from a web server when the medium lacks them: the
// tests' own server on loopback (tests/tools/http_server.py), the stand-in installer exit_code.exe
// as the file served, passive and full-UI runs.
#include "dialog_input.h"
#include "file_io.h"
#include "prerequisite_support.h"
#include "tests/common/test_web_server.h"

#include <bcrypt.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace scenario {
namespace {

constexpr int kNotesId = 10013, kProgressBarId = 1006;
const std::string kMissing =
    std::string("RegPath=") + kTestKeyPath + "\\Missing\r\nRegCond=DWORD=1";
const std::string kZeros(64, '0');

std::string Sha256Hex(const std::string& bytes) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    unsigned char digest[32] = {};
    BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0);
    BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0);
    BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())),
                   static_cast<ULONG>(bytes.size()), 0);
    BCryptFinishHash(hash, digest, sizeof digest, 0);
    BCryptDestroyHash(hash);
    BCryptCloseAlgorithmProvider(algorithm, 0);
    std::string text;
    for (unsigned char byte : digest)
        text += "0123456789abcdef"[byte >> 4], text += "0123456789abcdef"[byte & 15];
    return text;
}

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}
std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// Downloaded runs leave their folder in the run's temp folder only while they run.
std::vector<std::wstring> DownloadFoldersIn(const std::wstring& temp) {
    std::vector<std::wstring> found;
    for (const auto& entry : std::filesystem::directory_iterator(temp))
        if (entry.path().filename().wstring().rfind(L"SetupDownload-", 0) == 0)
            found.push_back(entry.path().filename().wstring());
    return found;
}

class Downloads : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::wstring root = ScenarioRoot() + L"\\web_root";
        const std::wstring state = ScenarioRoot() + L"\\web_state";
        std::filesystem::create_directories(root);
        std::filesystem::create_directories(state);
        std::string installer = ReadFileBytes(BuildPath(L"tests\\tools\\exit_code.exe"));
        WriteFileBytes(root + L"\\exit_code.exe", installer);
        installerHash_ = new std::string(Sha256Hex(installer));
        // Padding after the program's image: the program runs as before, its download lasts.
        installer.append(3 << 20, '\0');
        WriteFileBytes(root + L"\\big_exit_code.exe", installer);
        bigHash_ = new std::string(Sha256Hex(installer));
        server_ = new testweb::TestWebServer(root, state);
    }
    static void TearDownTestSuite() {
        delete server_;
        delete installerHash_;
        delete bigHash_;
    }
    void SetUp() override { ClearTestKey(); }
    void TearDown() override { ClearTestKey(); }

    static std::string Url(const std::string& path) { return Narrow(server_->url(Wide(path))); }
    // A listed component whose installer is not on the medium, fetched from `path`.
    static std::string Fetched(const std::string& path, const std::string& hash,
                               std::vector<std::string> extra = {}) {
        std::vector<std::string> lines = {"Name=Runtime", "InstPath=#Root#\\redist\\exit_code.exe",
                                          "InstParams=\"#InstPath#\" 0 #Root#\\ran.txt", kMissing,
                                          "DownloadUrl=" + Url(path)};
        if (!hash.empty())
            lines.push_back("InstHash=" + hash);
        lines.insert(lines.end(), extra.begin(), extra.end());
        return Section("PreReq0", lines);
    }
    size_t RequestsSoFar() const { return server_->requests().size(); }

    static std::string* installerHash_;
    static std::string* bigHash_;
    static testweb::TestWebServer* server_;
};
std::string* Downloads::installerHash_ = nullptr;
std::string* Downloads::bigHash_ = nullptr;
testweb::TestWebServer* Downloads::server_ = nullptr;

TEST_F(Downloads, PassiveRunFetchesVerifiesRunsAndRemovesTheInstaller) {
    PrereqFolder folder(L"download_passive", Fetched("/files/exit_code.exe", *installerHash_));
    const size_t before = RequestsSoFar();
    RunResult result = folder.run(L"/i /passive");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(server_->requests().size(), before + 1);

    const std::vector<std::string> ran = MarkerLines(folder.path(), L"ran.txt");
    ASSERT_EQ(ran.size(), 1u) << "the downloaded installer ran once";
    const std::string temp = Narrow(folder.product.folder.tempPath()) + "\\SetupDownload-";
    EXPECT_EQ(ran[0].rfind("\"" + temp, 0), 0u) << ran[0];
    EXPECT_NE(ran[0].find("\\exit_code.exe\" 0 "), std::string::npos) << ran[0];
    EXPECT_TRUE(HasLogEntryStartingWith(result, L"Download '" + Wide(Url("/files/exit_code.exe")) +
                                                    L"' to '"));
    EXPECT_EQ(EntriesAfter(result, L"Installed prerequisites:", L" '"),
              (std::vector<std::wstring>{L"Runtime'"}));
    EXPECT_TRUE(DownloadFoldersIn(folder.product.folder.tempPath()).empty());
    EXPECT_EQ(folder.product.engine.calls("MsiInstallProductW").size(), 1u);
}

TEST_F(Downloads, NothingRunsThatDoesNotMatchItsHashAndTheProductGoesOn) {
    struct Case {
        const char* name;
        std::string sections;
        std::wstring line; // the reason logged
        size_t requests;
        bool reportedMissing; // "not installed" rather than the launcher's missing file
    };
    const std::wstring medium = L"\\exit_code.exe";
    const Case cases[] = {
        {"wrong file from the server", Fetched("/files/exit_code.exe", kZeros),
         L"does not match InstHash: expected '" + Wide(kZeros) + L"', found '" +
             Wide(*installerHash_) + L"'.",
         1, true},
        {"server answers 404", Fetched("/status/404", *installerHash_),
         L"Download '" + Wide(Url("/status/404")) + L"' failed: HTTP status 404.", 1, true},
        {"address without a hash", Fetched("/files/exit_code.exe", ""),
         L"'Runtime' not downloaded: no valid InstHash.", 0, false},
        {"file on the medium that does not match",
         Section("PreReq0",
                 {"Name=Runtime", "InstPath=#Root#\\exit_code.exe",
                  "InstParams=\"#InstPath#\" 0 #Root#\\ran.txt", kMissing, "InstHash=" + kZeros}),
         L"' does not match InstHash: expected '" + Wide(kZeros) + L"', found '" +
             Wide(*installerHash_) + L"'.",
         0, true},
        {"hash that is not 64 hex digits",
         Section("PreReq0", {"Name=Runtime", "InstPath=#Root#\\exit_code.exe",
                             "InstParams=\"#InstPath#\" 0 #Root#\\ran.txt", kMissing,
                             "InstHash=sha256:" + *installerHash_}),
         L"' does not match InstHash: expected 'sha256:" + Wide(*installerHash_) + L"', found '" +
             Wide(*installerHash_) + L"'.",
         0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PrereqFolder folder(L"download_refused", c.sections);
        const size_t before = RequestsSoFar();
        RunResult result = folder.run(L"/i /passive");
        EXPECT_EQ(result.exitCode, 0u) << "the product is installed all the same";
        EXPECT_EQ(folder.product.engine.calls("MsiInstallProductW").size(), 1u);
        EXPECT_EQ(server_->requests().size(), before + c.requests);
        EXPECT_TRUE(MarkerLines(folder.path(), L"ran.txt").empty()) << "nothing ran";
        bool found = false;
        for (const std::wstring& entry : result.logEntries())
            found =
                found || (entry.size() >= c.line.size() &&
                          entry.compare(entry.size() - c.line.size(), c.line.size(), c.line) == 0);
        EXPECT_TRUE(found) << Narrow(c.line);
        if (c.reportedMissing) {
            EXPECT_TRUE(HasLogLine(result, L"Prerequisite 'Runtime' not installed."));
        }
        EXPECT_TRUE(DownloadFoldersIn(folder.product.folder.tempPath()).empty());
    }
}

TEST_F(Downloads, FileOnTheMediumThatMatchesRunsAndAPostrequisiteThatDoesNotIsSkipped) {
    std::string upper = *installerHash_;
    for (char& c : upper)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    PrereqFolder folder(
        L"download_medium",
        Section("PreReq0", {"Name=Runtime", "InstPath=#Root#\\exit_code.exe",
                            "InstParams=\"#InstPath#\" 0 #Root#\\ran.txt", kMissing,
                            "InstHash=" + upper, "DownloadUrl=" + Url("/files/exit_code.exe")}) +
            Section("PostReq0",
                    {"Name=After", "InstPath=#Root#\\exit_code.exe",
                     "InstParams=\"#InstPath#\" 0 #Root#\\post.txt", "InstHash=" + kZeros}));
    const size_t before = RequestsSoFar();
    RunResult result = folder.run(L"/i /quiet");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(server_->requests().size(), before) << "the medium has it: nothing is fetched";
    EXPECT_EQ(MarkerLines(folder.path(), L"ran.txt").size(), 1u);
    EXPECT_TRUE(MarkerLines(folder.path(), L"post.txt").empty());
    EXPECT_TRUE(HasLogLine(result, L"Postrequisite 'After' skipped."));
}

TEST_F(Downloads, DialogShowsTheDownloadThenInstallsAndCancelStopsIt) {
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "cancel" : "download and install");
        PrereqFolder folder(cancel ? L"download_cancel" : L"download_dialog",
                            Fetched("/slow/big_exit_code.exe", *bigHash_));
        std::wstring notes;
        bool barShown = false, cancelEnabled = false;
        RunOptions options;
        options.commandLine = L"/i";
        // Detection still finds the stand-in missing: the closing question comes either way.
        options.answers = {cancel ? IDNO : IDYES};
        options.onDialog = [&](HWND dialog, const BoxSeen&) {
            if (!GetDlgItem(dialog, kNotesId))
                return false;
            PressButton(dialog, IDOK);
            WaitFor([&] {
                notes = ControlText(dialog, kNotesId);
                return notes.rfind(L"Downloading Runtime: ", 0) == 0 &&
                       notes.find(L" of 3.") != std::wstring::npos;
            });
            barShown = IsControlVisible(dialog, kProgressBarId);
            cancelEnabled = IsControlEnabled(dialog, IDCANCEL);
            if (cancel)
                PressButton(dialog, IDCANCEL);
            return true;
        };
        RunResult result = folder.run(options);
        EXPECT_EQ(notes.rfind(L"Downloading Runtime: ", 0), 0u) << Narrow(notes);
        EXPECT_EQ(notes.substr(notes.size() - 3), L" MB") << Narrow(notes);
        EXPECT_TRUE(barShown);
        EXPECT_TRUE(cancelEnabled) << "Cancel works while the download runs";
        EXPECT_TRUE(DownloadFoldersIn(folder.product.folder.tempPath()).empty());
        if (!cancel) {
            EXPECT_EQ(result.exitCode, 0u);
            EXPECT_EQ(MarkerLines(folder.path(), L"ran.txt").size(), 1u);
            EXPECT_EQ(EntriesAfter(result, L"Installed prerequisites:", L" '"),
                      (std::vector<std::wstring>{L"Runtime'"}));
            EXPECT_EQ(folder.product.engine.calls("MsiInstallProductW").size(), 1u);
            continue;
        }
        EXPECT_TRUE(HasLogLine(result, L"Download '" + Wide(Url("/slow/big_exit_code.exe")) +
                                           L"' canceled."));
        EXPECT_TRUE(HasLogLine(result, L"Prerequisite 'Runtime' not installed."));
        EXPECT_TRUE(MarkerLines(folder.path(), L"ran.txt").empty());
        ASSERT_EQ(result.boxes.size(), 2u);
        EXPECT_EQ(result.boxes[1].text,
                  SetupString(155) + FormatSetupString(157, L"Runtime") + SetupString(158));
        EXPECT_TRUE(folder.product.engine.calls("MsiInstallProductW").empty());
    }
}

TEST_F(Downloads, PassiveRunShowsTheComponentAndItsProgressInASmallWindow) {
    PrereqFolder folder(L"download_window", Fetched("/slow/big_exit_code.exe", *bigHash_));
    RunResult result = folder.run(L"/i /passive");
    EXPECT_EQ(result.exitCode, 0u);
    ASSERT_EQ(result.boxes.size(), 1u);
    EXPECT_EQ(result.boxes[0].caption, L"Fake Product (1.0.0) Setup");
    EXPECT_EQ(result.boxes[0].text.rfind(L"Downloading Runtime: ", 0), 0u)
        << Narrow(result.boxes[0].text);
    EXPECT_EQ(MarkerLines(folder.path(), L"ran.txt").size(), 1u);
}

} // namespace
} // namespace scenario
