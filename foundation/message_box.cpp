#include "foundation/message_box.h"

#include "app/setup_settings.h"
#include "foundation/lang_strings.h"
#include "foundation/setup_log.h"
#include "resources/resource_ids.h"

int LogAndShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption,
                      UINT style) {
    LogText(text + L"\r\n");
    if (!IsFullUI())
        return IDOK;
    return MessageBoxW(owner, text.c_str(), caption.c_str(), style);
}

int ShowMessage(const std::wstring& text, const std::wstring& caption, UINT style, HWND owner) {
    if (!IsFullUI())
        return IDOK;
    std::wstring shownCaption = caption.empty() ? LoadLangString(IDS_INSTALLATION_ERROR) : caption;
    return MessageBoxW(owner, text.c_str(), shownCaption.c_str(), style);
}

void ShowUsage() {
    MessageBoxW(nullptr, LoadLangString(IDS_USAGE_TEXT).c_str(),
                LoadLangString(IDS_USAGE_CAPTION).c_str(), MB_ICONINFORMATION);
}
