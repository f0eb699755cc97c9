#pragma once
#include <windows.h>
#include <string>

// Logs the text (with "\r\n") and shows it only at full UI; otherwise answers IDOK.
int LogAndShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption,
                      UINT style);
// Shows the text only at full UI, without logging it; an empty caption becomes string 135.
int ShowMessage(const std::wstring& text, const std::wstring& caption, UINT style,
                HWND owner = nullptr);
// The command-line help, shown at every UI level.
void ShowUsage();
