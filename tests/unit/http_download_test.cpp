// Downloads through Wine's WinHTTP from a web server of the tests' own on loopback: retries,
// resuming, refusals, redirects, stalls, cancel, and the hash of what arrived.
#include "foundation/http_download.h"
#include "foundation/locked_file.h"
#include "log_lines.h"
#include "test_files.h"
#include "tests/common/test_web_server.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {
using Strings = std::vector<std::string>;
constexpr size_t kFileBytes = 300001;
constexpr unsigned long kSocketTimedOut = 10060; // WSAETIMEDOUT

std::string FileBytes() {
    std::string bytes(kFileBytes, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 251);
    return bytes;
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

class HttpDownload : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root_ = new std::wstring(testfiles::FreshFolder(L"web_root"));
        testfiles::WriteBytes(*root_ + L"a.bin", FileBytes());
        const std::wstring state = testfiles::FreshFolder(L"web_state");
        server_ = new testweb::TestWebServer(root_->substr(0, root_->size() - 1),
                                             state.substr(0, state.size() - 1));
    }
    static void TearDownTestSuite() {
        delete server_;
        delete root_;
    }
    void SetUp() override { job_.path = folder_ + L"a.bin"; }

    unsigned long Download(const std::wstring& path) {
        before_ = server_->requests().size();
        job_.url = server_->url(path);
        return DownloadFile(job_, digest_);
    }
    // The requests of the last download: "GET PATH RANGE".
    Strings Requests() const {
        const Strings all = server_->requests();
        return Strings(all.begin() + static_cast<long>(std::min(before_, all.size())), all.end());
    }
    std::string Expected(const char* path, const char* range = "-") const {
        return std::string("GET ") + path + " " + range;
    }
    Sha256Digest SourceDigest() const {
        UniqueFileHandle file = OpenLockedFile(*root_ + L"a.bin");
        Sha256Digest digest;
        EXPECT_EQ(HashLockedFile(file.get(), digest), 0u);
        return digest;
    }

    static std::wstring* root_;
    static testweb::TestWebServer* server_;
    testfiles::CapturedLog log_{L"http_download"};
    std::wstring folder_ = testfiles::FreshFolder(L"downloads");
    DownloadJob job_;
    Sha256Digest digest_;
    size_t before_ = 0;
};
std::wstring* HttpDownload::root_ = nullptr;
testweb::TestWebServer* HttpDownload::server_ = nullptr;

TEST_F(HttpDownload, WholeFileResumedOrStartedAnewAsTheServerAllows) {
    const std::string half = "bytes=" + std::to_string(kFileBytes / 2) + "-";
    struct Case {
        const wchar_t* path;
        Strings requests;
    };
    const Case cases[] = {
        {L"/files/a.bin", {Expected("/files/a.bin")}},
        {L"/drop/a.bin", {Expected("/drop/a.bin"), Expected("/drop/a.bin", half.c_str())}},
        // The second answer ignores the range: the file starts again from its first byte.
        {L"/drop-norange/a.bin",
         {Expected("/drop-norange/a.bin"), Expected("/drop-norange/a.bin", half.c_str())}},
        {L"/fail-once/503/a.bin",
         {Expected("/fail-once/503/a.bin"), Expected("/fail-once/503/a.bin")}},
        {L"/redirect/files/a.bin", {Expected("/redirect/files/a.bin"), Expected("/files/a.bin")}},
    };
    const Sha256Digest source = SourceDigest();
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.path));
        ASSERT_EQ(Download(c.path), 0u);
        EXPECT_EQ(Requests(), c.requests);
        EXPECT_TRUE(digest_ == source);
        EXPECT_TRUE(testfiles::ReadBytes(job_.path) == FileBytes());
    }
}

TEST_F(HttpDownload, ServerErrorsAreTriedThreeTimesClientErrorsOnce) {
    struct Case {
        const wchar_t* path;
        unsigned long error;
        size_t tries;
        const wchar_t* status;
    };
    const Case cases[] = {
        {L"/status/500", ERROR_WINHTTP_INVALID_SERVER_RESPONSE, 3, L"500"},
        {L"/status/404", ERROR_FILE_NOT_FOUND, 1, L"404"},
        {L"/status/403", ERROR_WINHTTP_INVALID_SERVER_RESPONSE, 1, L"403"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.path));
        log_.Clear();
        EXPECT_EQ(Download(c.path), c.error);
        EXPECT_EQ(Requests(), Strings(c.tries, Expected(Narrow(c.path).c_str())));
        const std::wstring failure =
            L"Download '" + job_.url + L"' failed: HTTP status " + c.status + L".";
        const auto lines = log_.Lines();
        EXPECT_EQ(static_cast<size_t>(std::count(lines.begin(), lines.end(), failure)), c.tries);
        EXPECT_FALSE(testfiles::Exists(job_.path)) << "a failed download leaves no file";
    }
}

TEST_F(HttpDownload, StalledTransferEndsAtItsTimeOutAndRefusedPortIsAConnectionFailure) {
    job_.stallTimeoutMs = 500;
    // Windows reports its own time-out; Wine passes on the socket's (WSAETIMEDOUT).
    const unsigned long stalled = Download(L"/stall/a.bin");
    EXPECT_TRUE(stalled == ERROR_WINHTTP_TIMEOUT || stalled == kSocketTimedOut) << stalled;
    EXPECT_EQ(Requests().size(), 3u);
    EXPECT_FALSE(testfiles::Exists(job_.path));

    log_.Clear();
    job_.url = L"http://127.0.0.1:1/x.exe";
    EXPECT_EQ(DownloadFile(job_, digest_),
              static_cast<unsigned long>(ERROR_WINHTTP_CANNOT_CONNECT));
    const auto lines = log_.Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].rfind(L"Download 'http://127.0.0.1:1/x.exe' failed: Error(12029) '", 0), 0u)
        << Narrow(lines[0]);
}

TEST_F(HttpDownload, ProgressReachesTheSizeAndCancelStopsAndRemovesTheFile) {
    struct Seen {
        unsigned long long received = 0, total = 0;
        int calls = 0;
        volatile long cancel = 0;
        int cancelAfter = 0;
    } seen;
    job_.context = &seen;
    job_.cancel = &seen.cancel;
    job_.progress = [](void* context, unsigned long long received, unsigned long long total) {
        Seen& s = *static_cast<Seen*>(context);
        EXPECT_GT(received, s.received) << "progress only grows";
        s.received = received;
        s.total = total;
        if (++s.calls == s.cancelAfter)
            s.cancel = 1;
    };
    ASSERT_EQ(Download(L"/files/a.bin"), 0u);
    EXPECT_EQ(seen.received, kFileBytes);
    EXPECT_EQ(seen.total, kFileBytes);

    seen = Seen();
    seen.cancelAfter = 1;
    EXPECT_EQ(Download(L"/slow/a.bin"), static_cast<unsigned long>(ERROR_CANCELLED));
    EXPECT_EQ(seen.calls, 1);
    EXPECT_LT(seen.received, kFileBytes);
    EXPECT_FALSE(testfiles::Exists(job_.path));
}

TEST_F(HttpDownload, SessionNeverFollowsARedirectFromHttpsToHttp) {
    CWinHttp http;
    ASSERT_TRUE(http.ready());
    HINTERNET session = OpenDownloadSession(http, 1000, 1000);
    ASSERT_NE(session, nullptr);
    DWORD policy = 99;
    DWORD size = sizeof policy;
    EXPECT_TRUE(WinHttpQueryOption(session, WINHTTP_OPTION_REDIRECT_POLICY, &policy, &size));
    EXPECT_EQ(policy, static_cast<DWORD>(WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP));
    http.CloseHandle(session);
}

} // namespace
