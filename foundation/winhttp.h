#pragma once
// winhttp.dll bound at run time from the system folder: only a run that downloads loads it.
#include "foundation/dll_binding.h"

#include <winhttp.h>

// The functions a download calls; null when the library or the export is missing.
struct WinHttpCalls {
    decltype(&::WinHttpOpen) Open;
    decltype(&::WinHttpCloseHandle) CloseHandle;
    decltype(&::WinHttpCrackUrl) CrackUrl;
    decltype(&::WinHttpConnect) Connect;
    decltype(&::WinHttpOpenRequest) OpenRequest;
    decltype(&::WinHttpSendRequest) SendRequest;
    decltype(&::WinHttpReceiveResponse) ReceiveResponse;
    decltype(&::WinHttpQueryHeaders) QueryHeaders;
    decltype(&::WinHttpReadData) ReadData;
    decltype(&::WinHttpSetTimeouts) SetTimeouts;
    decltype(&::WinHttpSetOption) SetOption;
};

class CWinHttp : public WinHttpCalls {
public:
    CWinHttp();
    CWinHttp(const CWinHttp&) = delete;
    CWinHttp& operator=(const CWinHttp&) = delete;

    // True when the library and every function are there.
    bool ready() const { return ready_; }
    // Holds the texts of the library's own errors (12001...).
    HMODULE module() const { return library_.module(); }

private:
    SystemLibrary library_;
    bool ready_ = false;
};

// Owns one session, connection or request handle of the library.
class CInternetHandle {
public:
    CInternetHandle(const CWinHttp& http, HINTERNET handle) : http_(http), handle_(handle) {}
    ~CInternetHandle() {
        if (handle_)
            http_.CloseHandle(handle_);
    }
    CInternetHandle(const CInternetHandle&) = delete;
    CInternetHandle& operator=(const CInternetHandle&) = delete;

    HINTERNET get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    const CWinHttp& http_;
    HINTERNET handle_;
};
