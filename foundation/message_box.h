#pragma once
// The one way setup.exe tells the user something. TellUser decides, from the run's UI level and
// the message's kind, whether a box appears and what goes into the setup log; call sites only
// name the kind.
#include <windows.h>
#include <string>

enum class MessageKind {
    Logged,     // written to the setup log at every UI level; shown only at full UI
    FullUIOnly, // shown only at full UI; not logged
    Always,     // shown at every UI level, even /quiet (the run cannot go on); not logged, but
                // for /quiet and /passive runs without an interactive user: only logged there
};

// The box's answer, or IDOK when no box is shown. An empty caption becomes string 135
// ("Installation Error"): no box goes out with a blank or system-chosen title.
int TellUser(MessageKind kind, const std::wstring& text, const std::wstring& caption, UINT style,
             HWND owner = nullptr);

// Named forms of TellUser.
inline int LogAndShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption,
                             UINT style) {
    return TellUser(MessageKind::Logged, text, caption, style, owner);
}
inline int ShowMessage(const std::wstring& text, const std::wstring& caption, UINT style,
                       HWND owner = nullptr) {
    return TellUser(MessageKind::FullUIOnly, text, caption, style, owner);
}
// The command-line help, shown at every UI level.
void ShowUsage();
