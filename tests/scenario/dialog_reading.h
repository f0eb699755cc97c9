#pragma once
// What a dialog window of another process shows, read through window messages as a screen reader
// would, since its memory is out of reach.
#include "harness.h"

namespace scenario {

// A visible top-level dialog (window class "#32770") of that process.
bool IsDialogOf(HWND window, DWORD processId);

// Caption and text: for a message box its message, otherwise the texts of all its controls.
BoxSeen ReadDialog(HWND dialog);

bool HasControl(HWND dialog, int id);

} // namespace scenario
