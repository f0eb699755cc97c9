#pragma once
// Fetches a file over http or https with WinHTTP: the system's proxy settings, redirects
// followed (never from https to http), time-outs for connecting and for a stalled transfer, up to
// three tries for connection failures and server errors (5xx), continuing with a range request
// where the server allows it. The SHA-256 of the data is computed as it arrives. Every failure is
// logged with the address and its reason.
#include "foundation/sha256_text.h"
#include "foundation/winhttp.h"

#include <string>

// Called after each piece that arrived; total is 0 while the size is unknown.
using DownloadProgress = void (*)(void* context, unsigned long long received,
                                  unsigned long long total);

struct DownloadJob {
    std::wstring url;
    std::wstring path; // the file to create; a file of that name is replaced
    DownloadProgress progress = nullptr;
    void* context = nullptr;
    // Set non-zero by another thread to stop the download (ERROR_CANCELLED).
    const volatile long* cancel = nullptr;
    unsigned long connectTimeoutMs = 30000;
    unsigned long stallTimeoutMs = 60000;
};

// 0 with the digest of the whole file, ERROR_CANCELLED, or the Windows error (a refusing server's
// answer as ERROR_FILE_NOT_FOUND for 404 and 410, else ERROR_WINHTTP_INVALID_SERVER_RESPONSE).
// On failure the file is deleted.
unsigned long DownloadFile(const DownloadJob& job, Sha256Digest& digest);

// A session as downloads use it: proxy, redirect policy and time-outs set. Null with the last error
// set when it cannot be opened.
HINTERNET OpenDownloadSession(const CWinHttp& http, unsigned long connectTimeoutMs,
                              unsigned long stallTimeoutMs);
