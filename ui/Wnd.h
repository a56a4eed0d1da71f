// The window wrapper the framework's classes share. A CWnd does not own its
// window: dialogs destroy their own windows, and controls die with their
// dialog.
#pragma once

#include <windows.h>

#include <string>

namespace talven::ui {

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd() = default;

    void Attach(HWND window) { hwnd = window; }
    HWND Detach();
    HWND GetSafeHwnd() const { return hwnd; }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void SetWindowText(const char* text);
    std::string GetWindowText() const;
    // The text as UTF-16: characters beyond the ANSI code page where the
    // control keeps them.
    void SetWideText(const std::wstring& text);
    std::wstring GetWideText() const;
    void EnableWindow(bool enable);
    bool IsWindowEnabled() const;
    void GetClientRect(RECT* rect) const;
    void Invalidate(bool erase = true);
    HWND GetDlgItem(int id) const;

    // Owner-draw controls draw themselves when their dialog passes WM_DRAWITEM
    // on; returns whether this control handled it.
    virtual bool DrawItem(const DRAWITEMSTRUCT& item);

protected:
    HWND hwnd = nullptr;
};

}  // namespace talven::ui
