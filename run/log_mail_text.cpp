#include "run/log_mail_text.h"

std::wstring ProductCaption(const std::wstring& productName, const std::wstring& productVersion) {
    return productName + L" (" + productVersion + L")";
}

LogMailTexts BuildLogMailTexts(const std::wstring& logPath, const std::wstring& recipient,
                               const std::wstring& productName,
                               const std::wstring& productVersion) {
    LogMailTexts texts;
    texts.address = L"SMTP:" + recipient;
    texts.subject = L"Log file for '" + ProductCaption(productName, productVersion) + L"'";
    texts.noteText = L"See log file '" + FileNameOf(logPath) + L"' in attachment.";
    return texts;
}

std::wstring FileNameOf(const std::wstring& path) {
    std::size_t separator = path.find_last_of(L"\\/:");
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}
