#pragma once
// After a failed installation or patch: the offer to mail the setup log to the support address
// of the setup ini file ([Main] SendErrorLogTo), handed to the user's mail program through Simple
// MAPI with its compose window shown, so that the user sends it.
#include <string>

// Asks at every UI level; nothing here changes the run's exit code.
void OfferFailureLog(const std::wstring& logPath, const std::wstring& productName,
                     const std::wstring& productVersion);

// True when MAPISendMail accepted the message.
bool SendLogFile(const std::wstring& logPath, const std::wstring& recipient,
                 const std::wstring& productName, const std::wstring& productVersion);
