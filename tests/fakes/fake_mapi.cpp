// A stand-in for a Simple MAPI provider (MAPI32.DLL). MAPISendMail appends one line per call to
// the file FAKE_MAPI_RECORD: flags, recipient count, class, name, address, subject, note text,
// attachment count, path, position and file name, separated by \x1F, texts as the bytes
// received. It answers FAKE_MAPI_RESULT (default 0), or raises an access violation when
// FAKE_MAPI_CRASH is 1.
#include <windows.h>

#include <mapi.h>

#include "fake_msi_io.h"

#include <cwchar>
#include <string>

namespace {
std::string bytesOf(const char* text) {
    return text ? std::string(text) : std::string("<null>");
}

void recordMessage(const MapiMessage& message, FLAGS flags) {
    std::string line = std::to_string(flags);
    auto add = [&line](const std::string& field) { line += '\x1F' + field; };
    const MapiRecipDesc* recipient = message.nRecipCount ? message.lpRecips : nullptr;
    const MapiFileDesc* file = message.nFileCount ? message.lpFiles : nullptr;
    add(std::to_string(message.nRecipCount));
    add(recipient ? std::to_string(recipient->ulRecipClass) : "-");
    add(recipient ? bytesOf(recipient->lpszName) : "-");
    add(recipient ? bytesOf(recipient->lpszAddress) : "-");
    add(bytesOf(message.lpszSubject));
    add(bytesOf(message.lpszNoteText));
    add(std::to_string(message.nFileCount));
    add(file ? bytesOf(file->lpszPathName) : "-");
    add(file ? std::to_string(file->nPosition) : "-");
    add(file ? bytesOf(file->lpszFileName) : "-");
    const std::wstring path = environmentVariable(L"FAKE_MAPI_RECORD");
    if (!path.empty())
        appendToFile(path, line + "\n");
}
} // namespace

ULONG WINAPI MAPILogon(ULONG_PTR, LPSTR, LPSTR, FLAGS, ULONG, LPLHANDLE) {
    return MAPI_E_FAILURE; // never called by the bootstrapper
}

ULONG WINAPI MAPILogoff(LHANDLE, ULONG_PTR, FLAGS, ULONG) {
    return MAPI_E_FAILURE;
}

ULONG WINAPI MAPISendMail(LHANDLE, ULONG_PTR, lpMapiMessage message, FLAGS flags, ULONG) {
    if (!message)
        return MAPI_E_FAILURE;
    recordMessage(*message, flags);
    if (environmentVariable(L"FAKE_MAPI_CRASH") == L"1") {
        volatile int* volatile nowhere = nullptr;
        *nowhere = 0;
    }
    const std::wstring result = environmentVariable(L"FAKE_MAPI_RESULT");
    return result.empty() ? SUCCESS_SUCCESS : std::wcstoul(result.c_str(), nullptr, 10);
}
