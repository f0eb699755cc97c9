#pragma once
// The download tests' web server (tests/tools/http_server.py), started from inside Wine as a Unix
// program on an ephemeral loopback port. The test waits for the port file it writes, reads back
// which requests it got, and stops it at the end (GET /quit).
#include <windows.h>
#include <winhttp.h>

#include <stdexcept>
#include <string>
#include <vector>

#ifndef TEST_HTTP_SERVER
#error TEST_HTTP_SERVER must name tests/tools/http_server.py (a Unix path)
#endif

namespace testweb {

class TestWebServer {
public:
    // Serves the files of root (a Windows path); keeps its port and request log in state.
    TestWebServer(const std::wstring& root, const std::wstring& state) : state_(state) {
        DeleteFileW((state_ + L"\\port").c_str());
        DeleteFileW((state_ + L"\\requests.log").c_str());
        HANDLE change =
            FindFirstChangeNotificationW(state_.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
        if (change == INVALID_HANDLE_VALUE)
            throw std::runtime_error("cannot watch the server's state folder");
        Launch(UnixPath(root), UnixPath(state_));
        const ULONGLONG deadline = GetTickCount64() + 30000;
        while ((port_ = ReadPort()) == 0) {
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline ||
                WaitForSingleObject(change, static_cast<DWORD>(deadline - now)) != WAIT_OBJECT_0)
                break;
            FindNextChangeNotification(change);
        }
        FindCloseChangeNotification(change);
        if (port_ == 0)
            throw std::runtime_error("the test web server did not start (is python3 there?)");
    }
    ~TestWebServer() { Get(L"/quit"); }
    TestWebServer(const TestWebServer&) = delete;
    TestWebServer& operator=(const TestWebServer&) = delete;

    unsigned port() const { return port_; }
    std::wstring url(const std::wstring& path) const {
        return L"http://127.0.0.1:" + std::to_wstring(port_) + path;
    }
    // "GET PATH RANGE" per request so far ("-" for no range).
    std::vector<std::string> requests() const {
        std::vector<std::string> lines;
        HANDLE file =
            CreateFileW((state_ + L"\\requests.log").c_str(), GENERIC_READ,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return lines;
        std::string text;
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
            text.append(buffer, read);
        CloseHandle(file);
        for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
             start = end + 1)
            lines.push_back(text.substr(start, end - start));
        return lines;
    }

private:
    static std::string UnixPath(const std::wstring& path) {
        using ToUnix = char*(CDECL*)(const wchar_t*);
        const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
        char* unix = toUnix ? toUnix(path.c_str()) : nullptr;
        if (!unix)
            throw std::runtime_error("no Unix path for a test folder");
        std::string result = unix;
        HeapFree(GetProcessHeap(), 0, unix);
        return result;
    }
    static std::wstring Wide(const std::string& text) {
        return std::wstring(text.begin(), text.end()); // the paths here are ASCII
    }
    // Wine starts a Unix program given to CreateProcessW. The shell detaches it from this
    // process's output, which a test runner would otherwise wait on.
    static void Launch(const std::string& root, const std::string& state) {
        std::wstring line = L"sh -c \"exec \\\"$@\\\" </dev/null >/dev/null 2>&1\" sh python3 \"" +
                            Wide(TEST_HTTP_SERVER) + L"\" \"" + Wide(root) + L"\" \"" +
                            Wide(state) + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION ignored = {}; // Wine fills in nothing for a Unix program
        if (!CreateProcessW(L"Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &ignored))
            throw std::runtime_error("cannot start the test web server");
    }
    unsigned ReadPort() const {
        HANDLE file = CreateFileW((state_ + L"\\port").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return 0;
        char text[16] = {};
        DWORD read = 0;
        ReadFile(file, text, sizeof text - 1, &read, nullptr);
        CloseHandle(file);
        return static_cast<unsigned>(strtoul(text, nullptr, 10));
    }
    void Get(const std::wstring& path) const {
        HINTERNET session = WinHttpOpen(L"test", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                        WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
        HINTERNET connection =
            session ? WinHttpConnect(session, L"127.0.0.1", static_cast<INTERNET_PORT>(port_), 0)
                    : nullptr;
        HINTERNET request =
            connection ? WinHttpOpenRequest(connection, L"GET", path.c_str(), nullptr,
                                            WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, 0)
                       : nullptr;
        if (request && WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                                          WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
            WinHttpReceiveResponse(request, nullptr);
        for (HINTERNET handle : {request, connection, session})
            if (handle)
                WinHttpCloseHandle(handle);
    }

    std::wstring state_;
    unsigned port_ = 0;
};

} // namespace testweb
