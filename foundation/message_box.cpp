#include "foundation/message_box.h"

#include "foundation/host_facts.h"
#include "foundation/lang_strings.h"
#include "foundation/run_context.h"
#include "foundation/setup_log.h"
#include "resources/resource_ids.h"

int TellUser(MessageKind kind, const std::wstring& text, const std::wstring& caption, UINT style,
             HWND owner) {
    if (kind == MessageKind::Logged)
        LogText(text + L"\r\n");
    if (kind != MessageKind::Always && !IsFullUI())
        return IDOK;
    // An unattended run as SYSTEM or in session 0 (a deployment tool's) must end: nobody there
    // could answer a box, so the message goes to the log instead.
    if (!IsFullUI() && !HasInteractiveUser()) {
        LogText(text + L"\r\n");
        return IDOK;
    }
    std::wstring shownCaption = caption.empty() ? LoadLangString(IDS_INSTALLATION_ERROR) : caption;
    return MessageBoxW(owner, text.c_str(), shownCaption.c_str(), style);
}

void ShowUsage() {
    TellUser(MessageKind::Always, LoadLangString(IDS_USAGE_TEXT), LoadLangString(IDS_USAGE_CAPTION),
             MB_ICONINFORMATION);
}
