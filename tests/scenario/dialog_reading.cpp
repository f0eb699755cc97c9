#include "dialog_reading.h"

#include <algorithm>
#include <oleacc.h>

namespace scenario {
namespace {

// A hung child must not hang the harness.
constexpr UINT kMessageTimeoutMs = 2000;
// The static control that holds a message box's text; dialog templates use the same id for
// unnamed labels, so the id alone does not make a message box.
constexpr int kMessageTextId = 0xFFFF;

std::wstring ClassName(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return name;
}

// WM_GETTEXT rather than GetWindowTextW: for another process's control the latter only gives a
// caption, not a static's or an edit's text.
std::wstring WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                             &length))
        return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied))
        return {};
    text.resize(std::min<size_t>(copied, length));
    return text;
}

BOOL CALLBACK CollectControl(HWND control, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(control);
    return TRUE;
}

std::vector<HWND> Controls(HWND dialog) {
    std::vector<HWND> controls;
    EnumChildWindows(dialog, CollectControl, reinterpret_cast<LPARAM>(&controls));
    return controls;
}

bool IsMessageTextControl(HWND control) {
    return (GetDlgCtrlID(control) & 0xFFFF) == kMessageTextId && ClassName(control) == L"Static";
}

bool IsIcon(HWND control) {
    return ClassName(control) == L"Static" &&
           (GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

// A message box holds its text, an optional icon and push buttons, nothing else.
HWND MessageTextOf(HWND dialog) {
    HWND text = nullptr;
    for (HWND control : Controls(dialog)) {
        if (IsMessageTextControl(control) && !text)
            text = control;
        else if (ClassName(control) != L"Button" && !IsIcon(control))
            return nullptr;
    }
    return text;
}

std::wstring ControlTexts(HWND dialog) {
    std::wstring joined;
    for (HWND control : Controls(dialog)) {
        const std::wstring text = WindowText(control);
        if (text.empty())
            continue;
        if (!joined.empty())
            joined += L'\n';
        joined += text;
    }
    return joined;
}

std::wstring TakeString(BSTR text) {
    std::wstring taken = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return taken;
}

AccessibleItem ReadItem(IAccessible* object, long child) {
    VARIANT id = {};
    id.vt = VT_I4;
    id.lVal = child;
    AccessibleItem item;
    BSTR name = nullptr;
    if (SUCCEEDED(object->get_accName(id, &name)))
        item.name = TakeString(name);
    VARIANT value = {};
    if (SUCCEEDED(object->get_accRole(id, &value)) && value.vt == VT_I4)
        item.role = value.lVal;
    VariantClear(&value);
    if (SUCCEEDED(object->get_accState(id, &value)) && value.vt == VT_I4)
        item.state = value.lVal;
    VariantClear(&value);
    return item;
}

std::vector<long>* g_heard = nullptr;

void CALLBACK OnStateChange(HWINEVENTHOOK, DWORD, HWND, LONG object, LONG child, DWORD, DWORD) {
    if (g_heard && object == OBJID_CLIENT)
        g_heard->push_back(child);
}

} // namespace

std::vector<AccessibleItem> ReadAccessible(HWND control) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::vector<AccessibleItem> items;
    IAccessible* object = nullptr;
    // __uuidof, not IID_IAccessible: x86_64 liboleacc.a lists that name as a function, so the
    // linker may bind it to an import thunk and the request carries the thunk's code bytes.
    if (FAILED(AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))))
        return items;
    long children = 0;
    object->get_accChildCount(&children);
    for (long child = 0; child <= children && child < 100; ++child)
        items.push_back(ReadItem(object, child));
    object->Release();
    return items;
}

StateChangeListener::StateChangeListener(DWORD processId) {
    static std::vector<long> heard;
    heard.clear();
    g_heard = &heard;
    hook_ = SetWinEventHook(EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_STATECHANGE, nullptr,
                            OnStateChange, processId, 0, WINEVENT_OUTOFCONTEXT);
}

StateChangeListener::~StateChangeListener() {
    if (hook_)
        UnhookWinEvent(hook_);
    g_heard = nullptr;
}

std::vector<long> StateChangeListener::heard(DWORD waitMs) {
    const ULONGLONG deadline = GetTickCount64() + waitMs;
    MSG message;
    for (;;) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        if ((g_heard && !g_heard->empty()) || GetTickCount64() >= deadline)
            break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return g_heard ? *g_heard : std::vector<long>();
}

bool IsDialogOf(HWND window, DWORD processId) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner == processId && IsWindowVisible(window) && ClassName(window) == L"#32770";
}

BoxSeen ReadDialog(HWND dialog) {
    BoxSeen seen;
    seen.caption = WindowText(dialog);
    const HWND messageText = MessageTextOf(dialog);
    seen.text = messageText ? WindowText(messageText) : ControlTexts(dialog);
    return seen;
}

bool HasControl(HWND dialog, int id) {
    return GetDlgItem(dialog, id) != nullptr;
}

} // namespace scenario
