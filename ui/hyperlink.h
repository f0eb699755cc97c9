#pragma once
// A static text control of a dialog turned into a web-style link: painted in the browser's link
// colours, a hand pointer over the text, focus and keyboard activation, opened by the shell.
#include "foundation/handles.h"
#include "ui/accessible.h"

#include <windows.h>
#include <string>

class CHyperLink : private CAccessibleFacts {
public:
    CHyperLink() = default;
    virtual ~CHyperLink();
    CHyperLink(const CHyperLink&) = delete;
    CHyperLink& operator=(const CHyperLink&) = delete;

    // Takes over the control's messages (once) and reads the colours from the user's browser
    // settings.
    bool Attach(HWND control);
    // The underlined font only while the mouse is over the text (else always underlined).
    void SetUnderlineOnHover(bool onHover) { underlineOnHover_ = onHover; }
    // The text painted (also the control's window text); without one the address is painted.
    void SetLabel(const std::wstring& label);
    void SetAddress(const std::wstring& address);
    // Opens the address with the shell's "open" verb; on success the link shows as visited.
    bool Open();

protected:
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
    void Initialise();
    void TakeFont(HFONT font);
    void ReadBrowserColours();
    void MeasureLink();
    const std::wstring& ShownText() const { return label_.empty() ? address_ : label_; }
    bool OverLink(LPARAM pointInClient) const;
    void Paint();
    void OnMouseMove(LPARAM point);
    void SetHovering(bool hovering);
    COLORREF TextColour() const;
    void Forget();
    // Read by screen readers: a link named by its text.
    bool Name(long child, std::wstring& name) const override;
    long Role(long child) const override;
    long State(long child) const override;

    HWND control_ = nullptr;
    std::wstring label_, address_;
    COLORREF linkColour_ = RGB(0, 0, 255);
    COLORREF visitedColour_ = RGB(128, 0, 128);
    HFONT normalFont_ = nullptr; // the control's font, or ownNormalFont_
    UniqueFont ownNormalFont_, linkFont_;
    RECT linkRect_ = {};
    HCURSOR hand_ = nullptr;
    bool underlineOnHover_ = false;
    bool visited_ = false;
    bool hovering_ = false;
    CAccessibleControl accessible_;
};
