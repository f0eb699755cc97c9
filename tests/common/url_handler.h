#pragma once
// A URL scheme registered in the prefix (HKEY_CLASSES_ROOT: Wine's shell does not look for URL
// handlers under HKCU\Software\Classes) whose "open" verb writes the address it was given
// into a file: tests see what the shell was asked to open, and nothing else starts.
#include <windows.h>

#include <string>

namespace testurl {

class RecordingUrlHandler {
public:
    // A scheme the prefix has a handler for already (http) gets that handler's command back at
    // the end; another one is removed.
    RecordingUrlHandler(const std::wstring& scheme, const std::wstring& recordPath)
        : key_(scheme), recordPath_(recordPath) {
        DeleteFileW(recordPath_.c_str());
        const std::wstring command =
            L"C:\\windows\\system32\\cmd.exe /c echo %1>> \"" + recordPath_ + L"\"";
        hadHandler_ = ReadValue(key_ + L"\\shell\\open\\command", savedCommand_);
        if (!hadHandler_) {
            SetValue(key_, L"", L"URL:" + scheme);
            SetValue(key_, L"URL Protocol", L"");
        }
        SetValue(key_ + L"\\shell\\open\\command", L"", command);
    }
    ~RecordingUrlHandler() {
        if (hadHandler_)
            SetValue(key_ + L"\\shell\\open\\command", L"", savedCommand_);
        else
            RegDeleteTreeW(HKEY_CLASSES_ROOT, key_.c_str());
    }
    RecordingUrlHandler(const RecordingUrlHandler&) = delete;
    RecordingUrlHandler& operator=(const RecordingUrlHandler&) = delete;

    // The address the handler received, or "" when none arrived within the time. Every opening
    // appends a line: after two the text holds both, one per line, so that a test expecting one
    // address sees the extra one.
    std::string waitForAddress(DWORD timeoutMs) const {
        for (DWORD waited = 0;; waited += 50) {
            const std::string text = Read();
            if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
                return text.substr(0, text.size() - 2);
            if (waited >= timeoutMs)
                return {};
            Sleep(50);
        }
    }

private:
    static void SetValue(const std::wstring& keyPath, const wchar_t* name,
                         const std::wstring& value) {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr);
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    static bool ReadValue(const std::wstring& keyPath, std::wstring& value) {
        wchar_t buffer[1024] = {};
        DWORD size = sizeof(buffer) - sizeof(wchar_t);
        if (RegGetValueW(HKEY_CLASSES_ROOT, keyPath.c_str(), nullptr, RRF_RT_REG_SZ, nullptr,
                         buffer, &size) != ERROR_SUCCESS)
            return false;
        value = buffer;
        return true;
    }
    std::string Read() const {
        HANDLE file = CreateFileW(recordPath_.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return {};
        char buffer[1024];
        DWORD read = 0;
        ReadFile(file, buffer, sizeof(buffer), &read, nullptr);
        CloseHandle(file);
        return std::string(buffer, read);
    }

    std::wstring key_, recordPath_;
    bool hadHandler_ = false;
    std::wstring savedCommand_;
};

} // namespace testurl
