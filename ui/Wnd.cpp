#include "ui/Wnd.h"

#include <vector>

namespace talven::ui {

HWND CWnd::Detach() {
    HWND window = hwnd;
    hwnd = nullptr;
    return window;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageA(hwnd, message, wParam, lParam);
}

void CWnd::SetWindowText(const char* text) { ::SetWindowTextA(hwnd, text); }

std::string CWnd::GetWindowText() const {
    const int length = ::GetWindowTextLengthA(hwnd);
    if (length <= 0) {
        return {};
    }
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(hwnd, buffer.data(), length + 1);
    return std::string(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

void CWnd::SetWideText(const std::wstring& text) { ::SetWindowTextW(hwnd, text.c_str()); }

std::wstring CWnd::GetWideText() const {
    const int length = ::GetWindowTextLengthW(hwnd);
    if (length <= 0) {
        return {};
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(hwnd, buffer.data(), length + 1);
    return std::wstring(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

void CWnd::EnableWindow(bool enable) { ::EnableWindow(hwnd, enable ? TRUE : FALSE); }

bool CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(hwnd) != FALSE; }

void CWnd::GetClientRect(RECT* rect) const {
    if (!::GetClientRect(hwnd, rect)) {
        *rect = RECT{};
    }
}

void CWnd::Invalidate(bool erase) { ::InvalidateRect(hwnd, nullptr, erase ? TRUE : FALSE); }

HWND CWnd::GetDlgItem(int id) const { return ::GetDlgItem(hwnd, id); }

bool CWnd::DrawItem(const DRAWITEMSTRUCT&) { return false; }

}  // namespace talven::ui
