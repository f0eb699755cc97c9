#include "ui/accessible.h"

#include "foundation/dll_binding.h"

#include <commctrl.h>
#include <oleacc.h>

namespace {

// oleacc stays loaded for the rest of the run: a tool may still hold the standard object, whose
// code lives there, after the dialog has gone.
const SystemLibrary& Oleacc() {
    static const SystemLibrary library(L"oleacc.dll");
    return library;
}

// A BSTR from oleaut32, which oleacc has loaded by the time a tool asks for a name; bound here so
// that no run loads it before.
BSTR AllocString(const std::wstring& text) {
    static const SystemLibrary library(L"oleaut32.dll");
    const auto allocate = library.bind<decltype(&::SysAllocStringLen)>("SysAllocStringLen");
    return allocate ? allocate(text.data(), static_cast<UINT>(text.size())) : nullptr;
}

bool IsChild(const VARIANT& child) {
    return child.vt == VT_I4;
}

} // namespace

class CProxy final : public IAccessible {
public:
    CProxy(IAccessible* standard, const CAccessibleFacts& facts)
        : standard_(standard), facts_(&facts) {}

    void Forget() { facts_ = nullptr; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID_IAccessible) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            standard_->Release();
            delete this;
        }
        return left;
    }

    // IDispatch: tools use the IAccessible methods directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible: the owner's facts first.
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        const long own = facts_ ? facts_->ChildCount() : -1;
        if (own < 0)
            return standard_->get_accChildCount(count);
        *count = own;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return standard_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        std::wstring own;
        if (!facts_ || !IsChild(child) || !facts_->Name(child.lVal, own))
            return standard_->get_accName(child, name);
        *name = AllocString(own);
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return Number(child, role, facts_ && IsChild(child) ? facts_->Role(child.lVal) : -1,
                      &IAccessible::get_accRole);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return Number(child, state, facts_ && IsChild(child) ? facts_->State(child.lVal) : -1,
                      &IAccessible::get_accState);
    }
    // IAccessible: the standard object's answers.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return standard_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return standard_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return standard_->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
        return standard_->get_accHelp(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
        return standard_->get_accKeyboardShortcut(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
        return standard_->get_accFocus(child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return standard_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* text) override {
        return standard_->get_accDefaultAction(child, text);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return standard_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        return standard_->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return standard_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~CProxy() = default;

    using NumberQuery = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, VARIANT*);
    HRESULT Number(VARIANT child, VARIANT* result, long own, NumberQuery standard) {
        if (own < 0)
            return (standard_->*standard)(child, result);
        result->vt = VT_I4;
        result->lVal = own;
        return S_OK;
    }

    IAccessible* standard_;
    const CAccessibleFacts* facts_;
    LONG references_ = 1;
};

void CAccessibleControl::Attach(HWND control, const CAccessibleFacts& facts) {
    Forget();
    if (control && SetWindowSubclass(control, SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this))) {
        control_ = control;
        facts_ = &facts;
    }
}

LRESULT CALLBACK CAccessibleControl::SubclassProc(HWND control, UINT message, WPARAM wParam,
                                                  LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    auto* owner = reinterpret_cast<CAccessibleControl*>(self);
    if (message == WM_GETOBJECT) {
        if (const LRESULT answer = owner->Answer(wParam, lParam))
            return answer;
    } else if (message == WM_NCDESTROY) {
        owner->Forget();
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

LRESULT CAccessibleControl::Answer(WPARAM wParam, LPARAM objectId) {
    if (static_cast<LONG>(objectId) != OBJID_CLIENT)
        return 0;
    const SystemLibrary& oleacc = Oleacc();
    const auto resultFromObject = oleacc.bind<decltype(&::LresultFromObject)>("LresultFromObject");
    if (!resultFromObject)
        return 0;
    if (!proxy_) {
        const auto createStandard =
            oleacc.bind<decltype(&::CreateStdAccessibleObject)>("CreateStdAccessibleObject");
        IAccessible* standard = nullptr;
        if (!createStandard || FAILED(createStandard(control_, OBJID_CLIENT, IID_IAccessible,
                                                     reinterpret_cast<void**>(&standard))))
            return 0;
        proxy_ = new CProxy(standard, *facts_);
    }
    const LRESULT answer = resultFromObject(IID_IAccessible, wParam, proxy_);
    return answer > 0 ? answer : 0;
}

void CAccessibleControl::Forget() {
    if (control_)
        RemoveWindowSubclass(control_, SubclassProc, 1);
    control_ = nullptr;
    if (proxy_) {
        proxy_->Forget();
        proxy_->Release();
        proxy_ = nullptr;
    }
}
