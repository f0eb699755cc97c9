#pragma once
// Strings from the installer engine, of any length, by the engine's "more data" protocol: a call
// into a buffer that is too small answers ERROR_MORE_DATA and the length the value needs.
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

// `get(buffer, &capacity)` is one of the engine's string getters with its other arguments bound.
// It is asked with a buffer of a usual size first and, when that is too small, again with one of
// the size it names. A value that keeps growing, or one past 16 million characters, fails.
template <typename Getter> UINT ReadEngineString(Getter get, std::wstring& value) {
    constexpr DWORD kFirstCapacity = 260;
    constexpr DWORD kLargestCapacity = 1u << 24;
    std::vector<wchar_t> buffer(kFirstCapacity, L'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD capacity = static_cast<DWORD>(buffer.size());
        const UINT result = get(buffer.data(), &capacity);
        if (result == ERROR_SUCCESS) {
            // Up to the terminator: a getter with nothing to give may leave the buffer untouched.
            value.assign(buffer.data(), wcsnlen(buffer.data(), buffer.size()));
            return ERROR_SUCCESS;
        }
        if (result != ERROR_MORE_DATA || capacity >= kLargestCapacity)
            return result;
        buffer.assign(capacity + 1 > buffer.size() ? capacity + 1 : buffer.size() * 2, L'\0');
    }
    return ERROR_MORE_DATA;
}
