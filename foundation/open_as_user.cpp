#include "foundation/open_as_user.h"

#include "foundation/dll_binding.h"
#include "foundation/lang_strings.h"
#include "foundation/message_box.h"
#include "foundation/setup_log.h"
#include "foundation/shell32.h"
#include "resources/resource_ids.h"

#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shobjidl.h>

namespace {
// Owns one COM interface pointer.
template <typename T> class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (pointer_)
            pointer_->Release();
    }
    T* operator->() const { return pointer_; }
    T* get() const { return pointer_; }
    void** receive() { return reinterpret_cast<void**>(&pointer_); }
    T** receiveTyped() { return &pointer_; }

private:
    T* pointer_ = nullptr;
};

// The shell's automation object of the desktop window: what explorer itself runs for the user.
bool DesktopShellDispatch(ComRef<IShellDispatch2>& shell) {
    ComRef<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.receive())))
        return false;
    VARIANT none = {};
    long window = 0;
    ComRef<IDispatch> desktop;
    if (windows->FindWindowSW(&none, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                              desktop.receiveTyped()) != S_OK)
        return false;
    ComRef<IServiceProvider> services;
    ComRef<IShellBrowser> browser;
    ComRef<IShellView> view;
    ComRef<IDispatch> background;
    ComRef<IShellFolderViewDual> folderView;
    ComRef<IDispatch> application;
    return SUCCEEDED(desktop->QueryInterface(IID_IServiceProvider, services.receive())) &&
           SUCCEEDED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                            browser.receive())) &&
           SUCCEEDED(browser->QueryActiveShellView(view.receiveTyped())) &&
           SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.receive())) &&
           SUCCEEDED(background->QueryInterface(IID_IShellFolderViewDual, folderView.receive())) &&
           SUCCEEDED(folderView->get_Application(application.receiveTyped())) &&
           SUCCEEDED(application->QueryInterface(IID_IShellDispatch2, shell.receive()));
}

bool OpenThroughDesktopShell(const std::wstring& address) {
    SystemLibrary oleaut(L"oleaut32.dll");
    const auto allocString = oleaut.bind<decltype(&::SysAllocString)>("SysAllocString");
    const auto freeString = oleaut.bind<decltype(&::SysFreeString)>("SysFreeString");
    ComRef<IShellDispatch2> shell;
    if (!allocString || !freeString || !DesktopShellDispatch(shell))
        return false;
    BSTR file = allocString(address.c_str());
    if (!file)
        return false;
    VARIANT none = {};
    const HRESULT result = shell->ShellExecute(file, none, none, none, none);
    freeString(file);
    return SUCCEEDED(result);
}

bool OpenFromThisProcess(const std::wstring& address) {
    CShell32 shell;
    return shell.ShellExecuteW &&
           reinterpret_cast<INT_PTR>(shell.ShellExecuteW(nullptr, L"open", address.c_str(), nullptr,
                                                         nullptr, SW_SHOWNORMAL)) > 32;
}

// A browser started here would run as setup's account on another user's desktop.
void ShowAddressToOpen(const std::wstring& address) {
    LogPrintf(L"Setup runs as another account than the desktop's: '%s' is shown, not opened.\r\n",
              address.c_str());
    ShowMessage(FormatLangString(IDS_OPEN_ADDRESS_YOURSELF, address.c_str()),
                LoadLangString(IDS_DOWNLOAD_CAPTION), MB_ICONINFORMATION, GetActiveWindow());
}
} // namespace

bool OpenAsUser(const std::wstring& address, DesktopAccount account) {
    if (OpenThroughDesktopShell(address)) {
        LogPrintf(L"Opened '%s' through the desktop shell, as the signed-in user.\r\n",
                  address.c_str());
        return true;
    }
    if (account == DesktopAccount::Other) {
        ShowAddressToOpen(address);
        return false;
    }
    LogPrintf(L"No desktop shell to open '%s' as the signed-in user: setup opens it itself.\r\n",
              address.c_str());
    return OpenFromThisProcess(address);
}
