#include "dialog_input.h"

#include "harness_error.h"

#include <commctrl.h>

namespace scenario {
namespace {

// Long enough for a handler that starts a program (a link opening its address).
constexpr UINT kTimeoutMs = 10000;

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kTimeoutMs, &result);
    return static_cast<LRESULT>(result);
}

// A block of the child's memory for one message's structures.
class RemoteBlock {
public:
    RemoteBlock(HWND window, SIZE_T size) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               processId);
        if (!process_)
            ThrowWin32Error("OpenProcess", L"the dialog's process", GetLastError());
        address_ =
            static_cast<char*>(VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
        if (!address_)
            ThrowWin32Error("VirtualAllocEx", L"the dialog's process", GetLastError());
    }
    ~RemoteBlock() {
        VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        CloseHandle(process_);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    char* at(SIZE_T offset) const { return address_ + offset; }
    void write(SIZE_T offset, const void* data, SIZE_T size) const {
        WriteProcessMemory(process_, address_ + offset, data, size, nullptr);
    }
    void read(SIZE_T offset, void* data, SIZE_T size) const {
        ReadProcessMemory(process_, address_ + offset, data, size, nullptr);
    }

private:
    HANDLE process_ = nullptr;
    char* address_ = nullptr;
};

constexpr int kTextUnits = 512;

ListRow ReadRow(HWND list, const RemoteBlock& block, int row) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = row;
    item.pszText = reinterpret_cast<wchar_t*>(block.at(sizeof(LVITEMW)));
    item.cchTextMax = kTextUnits;
    block.write(0, &item, sizeof(item));
    Send(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(block.at(0)));
    block.read(0, &item, sizeof(item));
    wchar_t text[kTextUnits] = {};
    block.read(sizeof(LVITEMW), text, sizeof(text) - sizeof(wchar_t));
    return {text, item.iImage};
}

// While attached, this thread shares the dialog thread's input state: GetKeyState here follows
// the keys as the dialog has taken them from its queue, which tells when a key sent with
// SendInput has arrived.
class SharedInputState {
public:
    explicit SharedInputState(HWND dialog)
        : own_(GetCurrentThreadId()), dialog_(GetWindowThreadProcessId(dialog, nullptr)),
          attached_(AttachThreadInput(own_, dialog_, TRUE) != FALSE) {}
    ~SharedInputState() {
        if (attached_)
            AttachThreadInput(own_, dialog_, FALSE);
    }
    SharedInputState(const SharedInputState&) = delete;
    SharedInputState& operator=(const SharedInputState&) = delete;
    bool attached() const { return attached_; }

private:
    DWORD own_, dialog_;
    bool attached_;
};

// Polls, handling the messages sent to this thread meanwhile: a dialog that tells this thread of
// something while handling a key (an accessibility event) waits for the answer.
template <typename Predicate> bool WaitAnswering(Predicate predicate) {
    const ULONGLONG deadline = GetTickCount64() + kTimeoutMs;
    while (!predicate()) {
        if (GetTickCount64() >= deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_SENDMESSAGE);
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return true;
}

// One press or release through the input system, waited for until the dialog's thread took it
// (or the dialog ended: a key that closes it leaves its release to whatever window comes next).
bool SendKey(HWND dialog, WORD key, bool down) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    if (SendInput(1, &input, sizeof(INPUT)) != 1)
        return false;
    return WaitFor([&] { return (GetKeyState(key) < 0) == down || !IsWindow(dialog); }, kTimeoutMs);
}

} // namespace

std::vector<ListRow> ReadListRows(HWND list) {
    RemoteBlock block(list, sizeof(LVITEMW) + kTextUnits * sizeof(wchar_t));
    std::vector<ListRow> rows;
    const int count = static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row)
        rows.push_back(ReadRow(list, block, row));
    return rows;
}

bool ListHasSmallImages(HWND list) {
    return Send(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0) != 0;
}

RECT ListItemRect(HWND list, int row, int part) {
    RemoteBlock block(list, sizeof(RECT));
    RECT rect = {};
    rect.left = part;
    block.write(0, &rect, sizeof(rect));
    Send(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(block.at(0)));
    block.read(0, &rect, sizeof(rect));
    return rect;
}

POINT CentreOf(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

std::wstring ControlText(HWND dialog, int id) {
    const HWND control = GetDlgItem(dialog, id);
    const LRESULT length = Send(control, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(length + 1, L'\0');
    const LRESULT copied =
        Send(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied < length ? copied : length);
    return text;
}

bool IsControlEnabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

bool IsControlVisible(HWND dialog, int id) {
    return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE;
}

void Click(HWND window, POINT client) {
    Drag(window, client, client);
}

void Drag(HWND window, POINT from, POINT to) {
    Send(window, WM_MOUSEMOVE, 0, MAKELPARAM(from.x, from.y));
    Send(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    Send(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
    Send(window, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
}

void PressKey(HWND window, UINT virtualKey, wchar_t character) {
    Send(window, WM_KEYDOWN, virtualKey, 1);
    if (character)
        Send(window, WM_CHAR, character, 1);
    Send(window, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001));
}

// Another window (a box of a test in the other prefix, a program the dialog started) may have
// taken the front meanwhile, or may take it while this waits: asked again until it holds.
bool BringToFront(HWND dialog) {
    return WaitFor(
        [&] {
            if (GetForegroundWindow() == dialog)
                return true;
            SetForegroundWindow(dialog);
            return false;
        },
        kTimeoutMs);
}

bool TypeKeys(HWND dialog, const std::vector<WORD>& virtualKeys) {
    if (!BringToFront(dialog))
        return false;
    const SharedInputState shared(dialog);
    if (!shared.attached())
        return false;
    for (WORD key : virtualKeys) {
        if (!BringToFront(dialog) || !SendKey(dialog, key, true) || !SendKey(dialog, key, false))
            return false;
    }
    // The release has been taken from the queue; this returns once it has been handled too.
    Send(dialog, WM_NULL, 0, 0);
    return true;
}

int FocusedControlId(HWND dialog) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    return info.hwndFocus ? GetDlgCtrlID(info.hwndFocus) : 0;
}

void SendDpiChanged(HWND dialog, int dpi, const RECT& suggested) {
    RemoteBlock block(dialog, sizeof(RECT));
    block.write(0, &suggested, sizeof(suggested));
    Send(dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(block.at(0)));
}

void PressButton(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool PressButtonAndWait(HWND dialog, int id) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)), SMTO_ABORTIFHUNG,
                               kTimeoutMs, &result) != 0;
}

void CloseWithCloseBox(HWND dialog) {
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

} // namespace scenario
