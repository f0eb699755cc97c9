#pragma once
// What a control tells assistive tools (screen readers) beyond what the system's standard object
// for its window class knows: the control answers WM_GETOBJECT with an object that asks the
// control's owner first and leaves everything else to the standard object.
#include <windows.h>
#include <string>

struct IAccessible;

// The owner's answers; child 0 is the control itself, 1..n its rows. -1 (or false): ask the
// standard object.
class CAccessibleFacts {
public:
    virtual long ChildCount() const { return -1; }
    virtual bool Name(long, std::wstring&) const { return false; }
    virtual long Role(long) const { return -1; }
    virtual long State(long) const { return -1; }

protected:
    ~CAccessibleFacts() = default;
};

// A fixed name for a control that has no label of its own.
class CAccessibleName final : public CAccessibleFacts {
public:
    void Set(const std::wstring& name) { name_ = name; }
    bool Name(long child, std::wstring& name) const override {
        name = name_;
        return child == 0;
    }

private:
    std::wstring name_;
};

// One control's accessible object, made on the first request and cut off from the facts when the
// control or this owner goes, since an assistive tool may hold the object longer.
class CAccessibleControl {
public:
    CAccessibleControl() = default;
    ~CAccessibleControl() { Forget(); }
    CAccessibleControl(const CAccessibleControl&) = delete;
    CAccessibleControl& operator=(const CAccessibleControl&) = delete;

    // Answers the control's WM_GETOBJECT from now on; `facts` must outlive this object.
    void Attach(HWND control, const CAccessibleFacts& facts);

private:
    static LRESULT CALLBACK SubclassProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
    LRESULT Answer(WPARAM wParam, LPARAM objectId);
    void Forget();

    HWND control_ = nullptr;
    const CAccessibleFacts* facts_ = nullptr;
    class CProxy* proxy_ = nullptr;
};
