#pragma once
// Reading and driving the controls of another process's dialog the way a user would meet them:
// the rows of a list view, mouse clicks and keys. Pointer-carrying list messages get their
// structures in the child's memory.
#include <windows.h>

#include <string>
#include <vector>

namespace scenario {

struct ListRow {
    std::wstring text;
    int image = -1; // the row's small-icon index
};

std::vector<ListRow> ReadListRows(HWND list);
bool ListHasSmallImages(HWND list);
// The row's part (LVIR_ICON, LVIR_LABEL, LVIR_BOUNDS) in the list's client coordinates.
RECT ListItemRect(HWND list, int row, int part);
POINT CentreOf(const RECT& rect);

std::wstring ControlText(HWND dialog, int id);
bool IsControlEnabled(HWND dialog, int id);
bool IsControlVisible(HWND dialog, int id);

// Mouse and key messages as the input system delivers them, sent so that each has been handled
// when the call returns.
void Click(HWND window, POINT client);
void Drag(HWND window, POINT from, POINT to);
void PressKey(HWND window, UINT virtualKey, wchar_t character = 0);
// Real key presses: the dialog is brought to the front and the keys go through the input system,
// so that the dialog manager meets them as it meets a user's (Tab, Enter, Escape, access keys).
// Returns once the dialog has handled them; false when it did not come to the front or did not
// take a key in time.
[[nodiscard]] bool TypeKeys(HWND dialog, const std::vector<WORD>& virtualKeys);
// The control that has the keyboard focus in the dialog's thread; 0 when none.
int FocusedControlId(HWND dialog);
// WM_DPICHANGED as Windows sends it when the window moves to a monitor with another scale
// (Wine never sends it); its rectangle lives in the child's memory.
void SendDpiChanged(HWND dialog, int dpi, const RECT& suggested);

// Posted: the dialog may do its work (run installers, show boxes) inside the handler.
void PressButton(HWND dialog, int id);
// Sent: true once the dialog has handled the press, for a handler that does its work at once
// (a recheck); false when the dialog did not answer in time.
bool PressButtonAndWait(HWND dialog, int id);
void CloseWithCloseBox(HWND dialog);

// Waits until the predicate holds (polling), at most timeoutMs; its last answer.
template <typename Predicate> bool WaitFor(Predicate predicate, DWORD timeoutMs = 5000) {
    for (DWORD waited = 0; !predicate(); waited += 20) {
        if (waited >= timeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}

} // namespace scenario
