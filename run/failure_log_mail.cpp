#include "run/failure_log_mail.h"

#include "settings/setup_settings.h"
#include "foundation/code_page.h"
#include "foundation/desktop_account.h"
#include "foundation/error_text.h"
#include "foundation/file_system.h"
#include "foundation/host_facts.h"
#include "foundation/ini_file.h"
#include "foundation/lang_strings.h"
#include "foundation/message_box.h"
#include "foundation/setup_log.h"
#include "resources/resource_ids.h"
#include "run/guarded_call.h"
#include "run/log_mail_text.h"
#include "run/simple_mapi.h"

#include <windows.h>
#include <cwchar>

namespace {
// The mail program needs a moment to open its compose window after MAPISendMail returns.
constexpr DWORD kComposeWindowDelayMs = 1000;
constexpr int kWindowTitleUnits = 260;
constexpr ULONG kNoPositionInText = 0xFFFFFFFF;

BOOL CALLBACK BringForwardIfTitled(HWND window, LPARAM context) {
    const std::wstring& caption = *reinterpret_cast<const std::wstring*>(context);
    wchar_t title[kWindowTitleUnits] = {};
    GetWindowTextW(window, title, kWindowTitleUnits);
    if (!std::wcsstr(title, caption.c_str()))
        return TRUE;
    SetForegroundWindow(window);
    return FALSE;
}

// The compose window opens behind setup's own windows; the first top-level window whose title
// holds the caption is taken for it.
void BringComposeWindowForward(const std::wstring& caption) {
    Sleep(kComposeWindowDelayMs);
    EnumDesktopWindows(nullptr, BringForwardIfTitled, reinterpret_cast<LPARAM>(&caption));
}

bool FitsCodePage(const std::wstring& text, unsigned codePage) {
    BOOL usedDefault = FALSE;
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, nullptr, 0, nullptr,
                        &usedDefault);
    return !usedDefault;
}

// A path that the code page cannot spell (a temp folder named in another script) would reach the
// mail program with '?' in it and attach nothing: its short form is handed over instead.
std::string AttachmentPath(const std::wstring& logPath, unsigned codePage) {
    if (!FitsCodePage(logPath, codePage)) {
        wchar_t shortPath[MAX_PATH] = {};
        DWORD length = GetShortPathNameW(logPath.c_str(), shortPath, MAX_PATH);
        if (length > 0 && length < MAX_PATH && FitsCodePage(shortPath, codePage))
            return ToCodePage(shortPath, codePage);
    }
    return ToCodePage(logPath, codePage);
}

// One message as Simple MAPI takes it, owning the 8-bit texts that its structures point into.
class LogMail {
public:
    LogMail(const LogMailTexts& texts, const std::wstring& logPath, unsigned codePage)
        : address_(ToCodePage(texts.address, codePage)),
          subject_(ToCodePage(texts.subject, codePage)),
          noteText_(ToCodePage(texts.noteText, codePage)),
          path_(AttachmentPath(logPath, codePage)) {
        recipient_.ulRecipClass = MAPI_TO;
        recipient_.lpszName = &name_[0];
        recipient_.lpszAddress = &address_[0];
        attachment_.nPosition = kNoPositionInText;
        attachment_.lpszPathName = &path_[0];
        message_.lpszSubject = &subject_[0];
        message_.lpszNoteText = &noteText_[0];
        message_.nRecipCount = 1;
        message_.lpRecips = &recipient_;
        message_.nFileCount = 1;
        message_.lpFiles = &attachment_;
    }
    LogMail(const LogMail&) = delete;
    LogMail& operator=(const LogMail&) = delete;

    MapiMessage& message() { return message_; }

private:
    std::string name_ = "BootStrapper";
    std::string address_, subject_, noteText_, path_;
    MapiRecipDesc recipient_ = {};
    MapiFileDesc attachment_ = {};
    MapiMessage message_ = {};
};

} // namespace

bool SendLogFile(const std::wstring& logPath, const std::wstring& recipient,
                 const std::wstring& productName, const std::wstring& productVersion) {
    LogMailTexts texts = BuildLogMailTexts(logPath, recipient, productName, productVersion);
    const SimpleMapi& mapi = ProcessMapi();
    if (!mapi.usable()) {
        LogText(L"Can't load MAPI32.DLL\r\n");
        return false;
    }
    LogPrintf(L"Send email to '%s' attachment file '%s'\r\n", texts.address.c_str(),
              logPath.c_str());

    LogMail mail(texts, logPath, Settings().CodePage);
    ULONG result = MAPI_E_FAILURE;
    // A hardware exception inside the provider ends the mailing, not the setup run.
    if (!CallGuarded([&] {
            result = mapi.SendMail(0, 0, &mail.message(), MAPI_LOGON_UI | MAPI_DIALOG, 0);
        })) {
        LogPrintf(L"SendLogFile(%s) failure.\r\n", logPath.c_str());
        return false;
    }
    if (result == SUCCESS_SUCCESS)
        return true;
    LogPrintf(L"MAPISendMail(%s) failure. %s\r\n", texts.address.c_str(),
              FormatErrorCode(result).c_str());
    return false;
}

void OfferFailureLog(const std::wstring& logPath, const std::wstring& productName,
                     const std::wstring& productVersion) {
    // Without a log file (no usable temp folder) there is nothing to send.
    if (logPath.empty() || !FileExists(logPath))
        return;
    // As SYSTEM, or in session 0, nobody could answer, and a mail program's dialogs would run with
    // SYSTEM's rights (its "attach file" dialog opens any program): no offer at all.
    if (!HasInteractiveUser()) {
        LogText(L"The log is not offered by mail: nobody is signed in to answer.\r\n");
        return;
    }
    // Started by setup, the mail program would run as setup's account on another user's desktop.
    if (CurrentDesktopAccount() == DesktopAccount::Other) {
        LogText(L"No mail offer: setup runs as another account than the desktop's.\r\n");
        return;
    }
    std::wstring recipient = ReadIniString(L"Main", L"SendErrorLogTo");
    if (recipient.empty()) {
        LogText(L"Can't read email address from ini file.\r\n");
        return;
    }
    std::wstring caption = ProductCaption(productName, productVersion);
    std::wstring question = FormatLangString(IDS_ASK_SEND_LOG, logPath.c_str(), recipient.c_str());
    // Asked at every UI level: an unattended run that failed still has someone to tell.
    if (TellUser(MessageKind::Always, question, caption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (SendLogFile(logPath, recipient, productName, productVersion))
        BringComposeWindowForward(caption);
}
