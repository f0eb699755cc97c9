#include "foundation/http_download.h"

#include "foundation/error_text.h"
#include "foundation/handles.h"
#include "foundation/http_text.h"
#include "foundation/setup_log.h"
#include "foundation/sha256.h"
#include "foundation/wide_format.h"

namespace {
constexpr int kTries = 3;
constexpr DWORD kPieceBytes = 128 * 1024;
const wchar_t kUserAgent[] = L"setup.exe";
constexpr DWORD kHostChars = 256; // the longest host name WinHTTP takes, and its end

struct Address {
    wchar_t host[kHostChars] = {};
    const wchar_t* path = nullptr; // inside the address: the rest of it, query included
    INTERNET_PORT port = 0;
    bool secure = false;
};

bool CrackAddress(const CWinHttp& http, const std::wstring& url, Address& address) {
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = address.host;
    parts.dwHostNameLength = kHostChars;
    parts.dwUrlPathLength = DWORD(-1);
    if (!http.CrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts))
        return false;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) {
        SetLastError(ERROR_WINHTTP_UNRECOGNIZED_SCHEME);
        return false;
    }
    address.path = parts.lpszUrlPath;
    address.port = parts.nPort;
    address.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    return true;
}

unsigned long LogFailure(const CWinHttp& http, const std::wstring& url, unsigned long error) {
    LogPrintf(L"Download '%s' failed: %s\r\n", url.c_str(),
              FormatErrorCodeOf(error, http.module()).c_str());
    return error;
}

enum class TryEnd { Done, Again, Over };

// The tries of one download into one file.
class CTransfer {
public:
    CTransfer(const DownloadJob& job, const CWinHttp& http, HANDLE file, CSha256& hash)
        : job_(job), http_(http), file_(file), hash_(hash) {}

    unsigned long long received() const { return received_; }
    TryEnd attempt(HINTERNET connection, const Address& address, unsigned long& error);

private:
    TryEnd failed(unsigned long code, TryEnd end, unsigned long& error) {
        error = LogFailure(http_, job_.url, code);
        return end;
    }
    bool cancelled() const { return job_.cancel && *job_.cancel; }
    bool startAgain();
    bool acceptAnswer(HINTERNET request, unsigned long& error, TryEnd& end);
    TryEnd readBody(HINTERNET request, unsigned long& error);
    DWORD queryNumber(HINTERNET request, DWORD what) const;

    const DownloadJob& job_;
    const CWinHttp& http_;
    HANDLE file_;
    CSha256& hash_;
    unsigned long long received_ = 0;
    unsigned long long total_ = 0;
};

bool CTransfer::startAgain() {
    received_ = total_ = 0;
    LARGE_INTEGER start = {};
    return SetFilePointerEx(file_, start, nullptr, FILE_BEGIN) && SetEndOfFile(file_) &&
           hash_.restart();
}

DWORD CTransfer::queryNumber(HINTERNET request, DWORD what) const {
    DWORD number = 0;
    DWORD size = sizeof number;
    return http_.QueryHeaders(request, what | WINHTTP_QUERY_FLAG_NUMBER,
                              WINHTTP_HEADER_NAME_BY_INDEX, &number, &size, WINHTTP_NO_HEADER_INDEX)
               ? number
               : 0;
}

// Takes the status and length of an answer; false with `end` set when no body is to be read.
bool CTransfer::acceptAnswer(HINTERNET request, unsigned long& error, TryEnd& end) {
    const unsigned long status = queryNumber(request, WINHTTP_QUERY_STATUS_CODE);
    const HttpAnswer answer = ClassifyHttpStatus(status);
    if (answer == HttpAnswer::Retry || answer == HttpAnswer::Refused) {
        LogPrintf(L"Download '%s' failed: HTTP status %lu.\r\n", job_.url.c_str(), status);
        error = status == 404 || status == 410 ? ERROR_FILE_NOT_FOUND
                                               : ERROR_WINHTTP_INVALID_SERVER_RESPONSE;
        end = answer == HttpAnswer::Retry ? TryEnd::Again : TryEnd::Over;
        return false;
    }
    // A server that ignores the range sends the whole file again (200): the file starts anew.
    // A part nobody asked for cannot be joined to anything.
    if (answer == HttpAnswer::Whole ? received_ > 0 : received_ == 0) {
        if (!startAgain()) {
            end = failed(GetLastError(), TryEnd::Over, error);
            return false;
        }
        if (answer == HttpAnswer::Part) {
            end = failed(ERROR_WINHTTP_INVALID_SERVER_RESPONSE, TryEnd::Again, error);
            return false;
        }
    }
    // Beyond 4 GB the length is no 32-bit number: the size is then unknown.
    const DWORD length = queryNumber(request, WINHTTP_QUERY_CONTENT_LENGTH);
    total_ = length > 0 ? received_ + length : 0;
    return true;
}

TryEnd CTransfer::readBody(HINTERNET request, unsigned long& error) {
    // One download at a time: the pieces need no memory of the heap.
    static unsigned char piece[kPieceBytes];
    for (;;) {
        if (cancelled()) {
            error = ERROR_CANCELLED;
            return TryEnd::Over;
        }
        DWORD read = 0;
        if (!http_.ReadData(request, piece, kPieceBytes, &read))
            return failed(GetLastError(), TryEnd::Again, error);
        if (read == 0)
            break;
        DWORD written = 0;
        if (!WriteFile(file_, piece, read, &written, nullptr) || written != read)
            return failed(GetLastError(), TryEnd::Over, error);
        if (!hash_.add(piece, read))
            return failed(hash_.error(), TryEnd::Over, error);
        received_ += read;
        if (job_.progress)
            job_.progress(job_.context, received_, total_);
    }
    if (total_ == 0 || received_ >= total_)
        return TryEnd::Done;
    // The connection ended before the announced length.
    return failed(ERROR_WINHTTP_CONNECTION_ERROR, TryEnd::Again, error);
}

TryEnd CTransfer::attempt(HINTERNET connection, const Address& address, unsigned long& error) {
    CInternetHandle request(http_,
                            http_.OpenRequest(connection, nullptr /* GET */, address.path, nullptr,
                                              WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                              address.secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request)
        return failed(GetLastError(), TryEnd::Over, error);
    const std::wstring range =
        received_ > 0 ? FormatWide(L"Range: bytes=%I64u-", received_) : std::wstring();
    if (!http_.SendRequest(request.get(),
                           range.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : range.c_str(),
                           range.empty() ? 0 : DWORD(-1), WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !http_.ReceiveResponse(request.get(), nullptr))
        return failed(GetLastError(), TryEnd::Again, error);
    TryEnd end = TryEnd::Done;
    if (!acceptAnswer(request.get(), error, end))
        return end;
    return readBody(request.get(), error);
}

unsigned long Fetch(const DownloadJob& job, Sha256Digest& digest) {
    CWinHttp http;
    if (!http.ready())
        return LogFailure(http, job.url, ERROR_PROC_NOT_FOUND);
    CSha256 hash;
    if (hash.error())
        return LogFailure(http, job.url, hash.error());
    Address address;
    if (!CrackAddress(http, job.url, address))
        return LogFailure(http, job.url, GetLastError());
    CInternetHandle session(http,
                            OpenDownloadSession(http, job.connectTimeoutMs, job.stallTimeoutMs));
    CInternetHandle connection(
        http, session ? http.Connect(session.get(), address.host, address.port, 0) : 0);
    if (!connection)
        return LogFailure(http, job.url, GetLastError());
    UniqueFileHandle file(CreateFileW(job.path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return LogFailure(http, job.url, GetLastError());

    CTransfer transfer(job, http, file.get(), hash);
    unsigned long error = 0;
    for (int attempt = 1;; ++attempt) {
        const TryEnd end = transfer.attempt(connection.get(), address, error);
        if (end == TryEnd::Done)
            break;
        if (end == TryEnd::Over || attempt == kTries)
            return error;
        LogPrintf(L"Download '%s': try %d from byte %I64u.\r\n", job.url.c_str(), attempt + 1,
                  transfer.received());
    }
    if (!hash.finish(digest))
        return LogFailure(http, job.url, hash.error());
    LogPrintf(L"Downloaded %I64u bytes.\r\n", transfer.received());
    return 0;
}
} // namespace

HINTERNET OpenDownloadSession(const CWinHttp& http, unsigned long connectTimeoutMs,
                              unsigned long stallTimeoutMs) {
    // Windows 8.1 and later: the system's proxy settings, automatic configuration included.
    // Before, WinHTTP's own system-wide setting (netsh winhttp), which is what services use.
    HINTERNET session = http.Open(kUserAgent, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                                  WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    if (!session)
        session = http.Open(kUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                            WINHTTP_NO_PROXY_BYPASS, 0);
    if (!session)
        return nullptr;
    DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP;
    http.SetOption(session, WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof policy);
    http.SetTimeouts(session, connectTimeoutMs, connectTimeoutMs, stallTimeoutMs, stallTimeoutMs);
    return session;
}

unsigned long DownloadFile(const DownloadJob& job, Sha256Digest& digest) {
    const unsigned long error = Fetch(job, digest); // the file is closed when it returns
    if (error != 0)
        DeleteFileW(job.path.c_str());
    return error;
}
