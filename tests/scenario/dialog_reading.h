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

// A control and its rows as an assistive tool reads them through the system's accessibility
// interface (AccessibleObjectFromWindow, IAccessible): item 0 is the control, 1..n its children.
struct AccessibleItem {
    std::wstring name;
    long role = 0, state = 0;
};
std::vector<AccessibleItem> ReadAccessible(HWND control);

// The state-change events (EVENT_OBJECT_STATECHANGE) that a process raises, as a screen reader
// hears them: child ids, in order.
class StateChangeListener {
public:
    explicit StateChangeListener(DWORD processId);
    ~StateChangeListener();
    StateChangeListener(const StateChangeListener&) = delete;
    StateChangeListener& operator=(const StateChangeListener&) = delete;
    // What has come once the first event is there, or after waitMs without any (the events
    // arrive through this thread's messages).
    std::vector<long> heard(DWORD waitMs);

private:
    HWINEVENTHOOK hook_ = nullptr;
};

} // namespace scenario
